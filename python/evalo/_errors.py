"""The exceptions and the error codes."""

from __future__ import annotations

import unicodedata
from typing import Any

OK = 0
ERR_SYNTAX = 1
ERR_BRACKET = 2
ERR_STACK = 3
ERR_MEMORY = 4
ERR_FORMAT = 5
ERR_MATH = -1

ERROR_NAMES = {
    ERR_SYNTAX: "Syntax",
    ERR_BRACKET: "Bracket",
    ERR_STACK: "Stack",
    ERR_MEMORY: "Memory",
    ERR_FORMAT: "Format",
    ERR_MATH: "Math",
}

# Expressions longer than this are quoted around the error only.
_QUOTE_LIMIT = 60


class EncodingError(ValueError):
    """A text the library cannot be given: one with a NUL character (the
    library would stop reading there) or a lone surrogate."""


def _display_width(text: str) -> int:
    # Full-width characters take two columns in a terminal.
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


class EvaluationError(ValueError):
    """An expression that did not evaluate.

    code    the library's error code (evalo.ERR_SYNTAX, ...)
    name    "Syntax", "Bracket", "Stack", "Memory", "Format" or "Math"
    text    the library's error text, "Err.Syntax", ...
    offset  where the error arose, in characters of the expression, or
            None when the error has no place (Memory, Format)
    length  how many characters the offending token has (0 without place)
    value   the value the evaluation reached
    index   the expression's index in a batch, else None

    >>> import evalo
    >>> try:
    ...     evalo.evaluate("2*(3+4")
    ... except evalo.EvaluationError as error:
    ...     print(error.name, error.text, error.code, error.offset, error.length)
    ...     print(error)
    Bracket Err.Bracket 2 2 1
    Err.Bracket in '2*(3+4' at 2
        2*(3+4
          ^
    """

    def __init__(self, code: int, expression: str, *, value: float = 0.0,
                 offset: int | None = None, length: int = 0,
                 index: int | None = None) -> None:
        self.code = code
        self.name = ERROR_NAMES.get(code, str(code))
        self.text = "Err." + self.name
        self.expression = expression
        self.value = value
        self.offset = offset
        self.length = length if offset is not None else 0
        self.index = index
        super().__init__(self._message())

    def _message(self) -> str:
        where = "" if self.index is None else f" (item {self.index})"
        head = f"{self.text}{where} in {self.expression[:_QUOTE_LIMIT]!r}"
        if len(self.expression) > _QUOTE_LIMIT:
            head = f"{self.text}{where} in an expression of {len(self.expression)} characters"
        if self.offset is None:
            return head
        start = max(0, self.offset - _QUOTE_LIMIT // 2)
        shown = self.expression[start:start + _QUOTE_LIMIT]
        before = self.expression[start:self.offset]
        end = min(self.offset + max(self.length, 1), start + _QUOTE_LIMIT)
        token = self.expression[self.offset:end]
        caret = " " * _display_width(before) + "^" * max(_display_width(token), 1)
        return f"{head} at {self.offset}\n    {shown}\n    {caret}"

    def __reduce__(self) -> tuple[Any, ...]:
        return (_rebuild, (self.code, self.expression, self.value, self.offset,
                           self.length, self.index))


def _rebuild(code: int, expression: str, value: float, offset: int | None, length: int,
             index: int | None) -> EvaluationError:
    return EvaluationError(code, expression, value=value, offset=offset,
                           length=length, index=index)


# Shown as evalo.EvaluationError, the name users catch.
EncodingError.__module__ = EvaluationError.__module__ = "evalo"
