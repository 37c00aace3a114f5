"""evalo for Python: evaluates calculator-style arithmetic expressions.

>>> import evalo
>>> evalo.evaluate("(1+2)*3.5-4/2")
8.5
>>> evalo.evaluate_text("（１＋２）＊ＳＩＮ３０", format="5.2")
'-2.96'
>>> evalo.evaluate_many(["1+2", "1,234.5*1.08"])
[3.0, 1333.26]

Errors raise EvaluationError, a ValueError that tells what went wrong and
where, in characters of the expression:

>>> evalo.evaluate("1+LN0")
Traceback (most recent call last):
    ...
evalo.EvaluationError: Err.Math in '1+LN0' at 2
    1+LN0
      ^^

Texts go in and come out as str, passed to the library as UTF-8: a
character it does not know (€) is an ordinary Err.Syntax at its place. A
text holding a NUL raises EncodingError before anything reaches the library.

The module-level functions give each thread a context of its own, so any
number of threads may call them at once. Evaluator holds one context
explicitly, with its own format text and error.

The library is the file the environment variable EVALO_LIBRARY names; else
the one inside this package; without one (a build that leaves it out) the
system's libevalo.so.1. A library that is missing or too
old raises ImportError at import, naming the file tried.
"""

from ._errors import (ERR_BRACKET, ERR_FORMAT, ERR_MATH, ERR_MEMORY, ERR_STACK,
                      ERR_SYNTAX, OK, EncodingError, EvaluationError)
from ._evaluator import ENCODING, Evaluator
from ._functions import (evaluate, evaluate_many, evaluate_text, evaluate_text_many,
                         library_version)
from ._library import LIBRARY_VARIABLE, SONAME, load as _load

__all__ = ["evaluate", "evaluate_text", "evaluate_many", "evaluate_text_many",
           "library_version", "Evaluator", "EvaluationError", "EncodingError",
           "SONAME", "ENCODING", "LIBRARY_VARIABLE", "OK", "ERR_SYNTAX", "ERR_BRACKET",
           "ERR_STACK", "ERR_MEMORY", "ERR_FORMAT", "ERR_MATH"]

# A missing or unusable library shows at import, not at the first call.
_load()
