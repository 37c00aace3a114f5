"""The module-level functions: one context per thread, made when the thread
first evaluates, so any number of threads can call them at once."""

from __future__ import annotations

import threading
from typing import Iterable, Union

from ._errors import EvaluationError
from ._evaluator import Evaluator, TextErrors, ValueErrors, _decode

_per_thread = threading.local()


def _evaluator(format: str, lookalikes: bool) -> Evaluator:
    try:
        evaluator: Evaluator = _per_thread.lenient if lookalikes else _per_thread.plain
    except AttributeError:
        evaluator = Evaluator(lookalikes=bool(lookalikes))
        setattr(_per_thread, "lenient" if lookalikes else "plain", evaluator)
    if format != evaluator._format:
        evaluator.set_format(format)
    return evaluator


def evaluate(expression: str, format: str = "", *, lookalikes: bool = False) -> float:
    """The value of an expression, rounded by a numeric format text
    ("N" or "N.M"); raises EvaluationError when it does not evaluate.
    lookalikes: also read "×", "÷", "ー", "‐" and the full-width space as
    the operators and blank they stand for.

    >>> evaluate("(1+2)*3.5-4/2")
    8.5
    >>> evaluate("1/3", format="5.2")
    0.33
    >>> evaluate("１２，０００＋５００")
    12500.0
    >>> evaluate("１２×３", lookalikes=True)
    36.0
    """
    evaluator = _evaluator(format, lookalikes)
    value: float = evaluator._checked(expression, evaluator._lib.evalo_evaluate)
    return value


def evaluate_text(expression: str, format: str = "", *, lookalikes: bool = False) -> str:
    """The result of an expression as text, written through the format text
    (a number format "N.M" or a pattern such as "%.2f" or "%n"); raises
    EvaluationError when it does not evaluate.

    >>> evaluate_text("1/3")
    '0.333333333333333'
    >>> evaluate_text("1234567.891", format="%n")
    '1,234,567.89'
    """
    evaluator = _evaluator(format, lookalikes)
    return _decode(evaluator._checked(expression, evaluator._lib.evalo_evaluate_text))


def evaluate_many(expressions: Iterable[str], format: str = "", *,
                  errors: ValueErrors = "raise",
                  lookalikes: bool = False) -> list[Union[float, EvaluationError]]:
    """The values of many expressions, evaluated in one call into the library.

    errors: "raise" (the first failure's EvaluationError), "nan" (NaN in
    its place) or "return" (the EvaluationError object in its place).

    >>> evaluate_many(["1,234.5*1.08", "2^0.5"], format="6.2")
    [1333.26, 1.41]
    >>> [type(x).__name__ for x in evaluate_many(["1", "1+"], errors="return")]
    ['float', 'EvaluationError']
    """
    return _evaluator(format, lookalikes).evaluate_many(expressions, errors=errors)


def evaluate_text_many(expressions: Iterable[str], format: str = "", *,
                       errors: TextErrors = "raise",
                       lookalikes: bool = False) -> list[Union[str, EvaluationError]]:
    """The result texts of many expressions, evaluated in one call into the
    library.

    errors: "raise" (the first failure's EvaluationError), "text" (the error
    text in its place) or "return" (the EvaluationError object in its place).

    >>> evaluate_text_many(["0.5", "(1"], format="%.1f", errors="text")
    ['0.5', 'Err.Bracket']
    """
    return _evaluator(format, lookalikes).evaluate_text_many(expressions, errors=errors)


def library_version() -> str:
    """The library's version text.

    >>> library_version()
    '1.00'
    """
    return _evaluator("", False).version()
