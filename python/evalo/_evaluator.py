"""Evaluator: one context of the library, used from Python."""

from __future__ import annotations

import ctypes
import os
import threading
from array import array
from typing import Any, Callable, Iterable, Iterator, Literal, Union, cast

from . import _library
from ._errors import ERROR_NAMES, OK, EncodingError, EvaluationError

ENCODING = "utf-8"
TEXT_SIZE = 52  # the longest result text with its NUL

# The options of evalo_create_with.
_UTF8 = 1
_LOOKALIKES = 2

ValueErrors = Literal["raise", "nan", "return"]
TextErrors = Literal["raise", "text", "return"]


def _encode(text: str, what: str) -> bytes:
    if not isinstance(text, str):
        raise TypeError(f"{what} must be str, not {type(text).__name__}")
    nul = text.find("\0")
    if nul >= 0:
        raise EncodingError(f"{what} {text[:60]!r} contains NUL at position {nul}; "
                            "the library would stop reading there")
    try:
        return text.encode(ENCODING)
    except UnicodeEncodeError as fault:  # only a lone surrogate gets here
        raise EncodingError(f"{what} {text[:60]!r} holds a lone surrogate "
                            f"at position {fault.start}") from fault


def _decode(raw: bytes | None) -> str:
    # A format text cut at 7 bytes may end inside a character; such stray
    # bytes show as U+FFFD rather than failing the call.
    return (raw or b"").decode(ENCODING, errors="replace")


def _characters(raw: bytes) -> int:
    """How many characters of the Python string these bytes came from."""
    return len(raw.decode(ENCODING, errors="replace"))


def _pack(texts: Iterable[str]) -> tuple[list[str], bytes]:
    """The expressions and their encoding, back to back with a NUL after
    each: one join and one encode for the whole batch."""
    items = texts if isinstance(texts, list) else list(texts)
    try:
        joined = "\0".join(items)
    except TypeError:
        for index, item in enumerate(items):
            if not isinstance(item, str):
                raise TypeError(
                    f"item {index} must be str, not {type(item).__name__}") from None
        raise
    if joined.count("\0") != len(items) - 1:
        for index, item in enumerate(items):
            if "\0" in item:
                _encode(item, f"item {index}")
    try:
        raw = joined.encode(ENCODING)
    except UnicodeEncodeError as fault:
        index = joined.count("\0", 0, fault.start)
        _encode(items[index], f"item {index}")
        raise  # not reached: the item raises on its own
    return items, raw + b"\0"


def _address(buffer: array[Any] | bytearray) -> int:
    if isinstance(buffer, array):
        return buffer.buffer_info()[0]
    return ctypes.addressof((ctypes.c_char * len(buffer)).from_buffer(buffer))


class _Outcome:
    """One evaluation's error, its place kept in bytes until asked for."""

    __slots__ = ("code", "raw", "byte_offset", "byte_length")

    def __init__(self, code: int = OK, raw: bytes = b"", byte_offset: int = -1,
                 byte_length: int = 0) -> None:
        self.code = code
        self.raw = raw
        self.byte_offset = byte_offset
        self.byte_length = byte_length

    def place(self) -> tuple[int | None, int]:
        """(offset, length) in characters, or (None, 0) without a place."""
        if self.byte_offset < 0:
            return None, 0
        offset = _characters(self.raw[:self.byte_offset])
        end = self.byte_offset + self.byte_length
        return offset, _characters(self.raw[self.byte_offset:end])

    def error(self, expression: str, value: float = 0.0,
              index: int | None = None) -> EvaluationError:
        offset, length = self.place()
        return EvaluationError(self.code, expression, value=value, offset=offset,
                               length=length, index=index)


_SUCCESS = _Outcome()


class Evaluator:
    """One evaluation context of the library: its own format text, error
    and result buffer, so evaluators never disturb each other, nor C code in
    the same process that uses the library's process-wide functions.

    library: the path of a shared library to use instead of the default
    (EVALO_LIBRARY's, else the one inside this package, else the system's).
    lookalikes: also read the marks typed for operators in a full-width
    input mode: "×" as "*", "÷" as "/", "ー" and "‐" as "-", the full-width
    space as a blank.

    An Evaluator may be shared between threads: each call holds the
    evaluator's lock, and error_code(), error_text(), error_offset() and
    error_length() report the calling thread's own last evaluation.

    >>> with Evaluator() as calc:
    ...     calc.set_format("5.2")
    ...     calc.evaluate_text("（１＋２）＊ＳＩＮ３０")
    ...     calc.evaluate("1+2/(3-3)"), calc.error_text(), calc.error_offset()
    '5.2'
    '-2.96'
    (1.0, 'Err.Math', 3)
    >>> with Evaluator(lookalikes=True) as calc:
    ...     calc.evaluate("１２×３ー６")
    30.0
    """

    def __init__(self, library: str | os.PathLike[str] | None = None, *,
                 lookalikes: bool = False) -> None:
        self._lib = _library.load(library)
        handle = self._lib.evalo_create_with(_UTF8 | (_LOOKALIKES if lookalikes else 0))
        if not handle:
            raise MemoryError("evalo_create_with could not allocate a context")
        self._ctx: ctypes.c_void_p | None = ctypes.c_void_p(handle)
        self._lock = threading.Lock()
        self._last = threading.local()
        self._format = ""

    def close(self) -> None:
        """Frees the context; the evaluator cannot be used afterwards."""
        with self._lock:
            if self._ctx is not None:
                self._lib.evalo_destroy(self._ctx)
                self._ctx = None

    def __enter__(self) -> "Evaluator":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __del__(self) -> None:
        # Partly constructed or already closed evaluators have nothing to free.
        if getattr(self, "_ctx", None) is not None:
            self.close()

    def _context(self) -> ctypes.c_void_p:
        if self._ctx is None:
            raise ValueError("the evaluator is closed")
        return self._ctx

    def set_format(self, text: str) -> str:
        """Sets the format text ("", "N", "N.M" or a pattern with %) and
        returns the text as stored (at most 7 bytes are kept)."""
        raw = _encode(text, "format text")
        with self._lock:
            stored = _decode(self._lib.evalo_set_format(self._context(), raw))
            self._format = text
        return stored

    def evaluate(self, expression: str) -> float:
        """The value of the expression, rounded by a numeric format text.
        After an error: the value the evaluation reached; see error_code()."""
        return cast(float, self._call(expression, self._lib.evalo_evaluate)[0])

    def evaluate_text(self, expression: str) -> str:
        """The result as text, or the error text ("Err.Syntax", ...)."""
        return _decode(self._call(expression, self._lib.evalo_evaluate_text)[0])

    def _call(self, expression: str, function: Callable[..., Any]) -> tuple[Any, _Outcome]:
        """(result, outcome) of one evaluation by function, remembered as
        this thread's last."""
        raw = _encode(expression, "expression")
        with self._lock:
            ctx = self._context()
            result = function(ctx, raw)
            outcome = self._outcome(ctx, raw)
        self._last.outcome = outcome
        return result, outcome

    def _outcome(self, ctx: ctypes.c_void_p, raw: bytes) -> _Outcome:
        # Called under the lock, right after the evaluation.
        code = self._lib.evalo_error(ctx)
        if code == OK:
            return _SUCCESS
        return _Outcome(code, raw, self._lib.evalo_error_offset(ctx),
                        self._lib.evalo_error_length(ctx))

    def _checked(self, expression: str, function: Callable[..., Any]) -> Any:
        """The result of function on the expression, or its EvaluationError
        raised. The thread's last error is left alone: this serves callers
        that never ask for it, on the path where every call counts."""
        raw = _encode(expression, "expression")
        with self._lock:
            ctx = self._ctx
            if ctx is None:
                raise ValueError("the evaluator is closed")
            result = function(ctx, raw)
            if self._lib.evalo_error(ctx) == OK:
                return result
            outcome = self._outcome(ctx, raw)
        raise outcome.error(expression, result if isinstance(result, float) else 0.0)

    def _last_outcome(self) -> _Outcome:
        return getattr(self._last, "outcome", _SUCCESS)

    def error_code(self) -> int:
        """The error code of this thread's last evaluation (0: success)."""
        return self._last_outcome().code

    def error_text(self) -> str:
        """The error text of this thread's last evaluation ("" for none)."""
        code = self.error_code()
        return "" if code == OK else "Err." + ERROR_NAMES.get(code, str(code))

    def error_offset(self) -> int | None:
        """Where this thread's last evaluation failed, in characters of its
        expression; None after a success or an error without a place."""
        return self._last_outcome().place()[0]

    def error_length(self) -> int:
        """How many characters the token at fault has (0 without a place)."""
        return self._last_outcome().place()[1]

    def version(self) -> str:
        """The library's version text."""
        return _decode(self._lib.evalo_version())

    def _failures(self, items: list[str], codes: array[int], values: list[Any] | None,
                  function: Callable[..., Any]) -> Iterator[tuple[int, EvaluationError]]:
        """(index, EvaluationError) of each failed item, in order. The batch
        reports codes only; each failure is evaluated once more, alone, by
        function, for the place of its error."""
        for index, code in enumerate(codes):
            if code == OK:
                continue
            raw = _encode(items[index], "expression")
            with self._lock:
                ctx = self._context()
                function(ctx, raw)
                outcome = self._outcome(ctx, raw)
            value = values[index] if values is not None else 0.0
            if outcome.code != code:  # never seen: evaluation is deterministic
                outcome = _Outcome(code)
            yield index, outcome.error(items[index], value, index)

    def evaluate_many(self, expressions: Iterable[str], *,
                      errors: ValueErrors = "raise") -> list[Union[float, EvaluationError]]:
        """The values of many expressions, in one call into the library.

        errors: "raise" raises the EvaluationError of the first expression
        that fails; "nan" gives NaN in its place; "return" gives the
        EvaluationError object in its place.

        >>> with Evaluator() as calc:
        ...     calc.evaluate_many(["1+2", "2^10", "１２，０００＋５００"])
        ...     calc.evaluate_many(["1+2", "1/0"], errors="nan")
        [3.0, 1024.0, 12500.0]
        [3.0, nan]
        """
        if errors not in ("raise", "nan", "return"):
            raise ValueError(f"errors must be 'raise', 'nan' or 'return', not {errors!r}")
        items, raw = _pack(expressions)
        count = len(items)
        values = array("d", bytes(8 * count))
        codes = array("i", bytes(4 * count))
        if count:
            with self._lock:
                self._lib.evalo_evaluate_many(self._context(), raw, len(raw), count,
                                              _address(values), _address(codes))
        results: list[Any] = values.tolist()
        if codes.count(OK) == count:
            return results
        if errors == "nan":
            for index, code in enumerate(codes):
                if code != OK:
                    results[index] = float("nan")
            return results
        for index, error in self._failures(items, codes, results, self._lib.evalo_evaluate):
            if errors == "raise":
                raise error
            results[index] = error
        return results

    def evaluate_text_many(self, expressions: Iterable[str], *,
                           errors: TextErrors = "raise") -> list[Union[str, EvaluationError]]:
        """The result texts of many expressions, in one call into the library.

        errors: "raise" raises the EvaluationError of the first expression
        that fails; "text" gives the error text ("Err.Math", ...) in its
        place; "return" gives the EvaluationError object in its place.

        >>> with Evaluator() as calc:
        ...     calc.set_format("%.2f")
        ...     calc.evaluate_text_many(["PI", "1/0"], errors="text")
        '%.2f'
        ['3.14', 'Err.Math']
        """
        if errors not in ("raise", "text", "return"):
            raise ValueError(f"errors must be 'raise', 'text' or 'return', not {errors!r}")
        items, raw = _pack(expressions)
        count = len(items)
        if not count:
            return []
        texts = bytearray(TEXT_SIZE * count)
        codes = array("i", bytes(4 * count))
        with self._lock:
            self._lib.evalo_evaluate_text_many(self._context(), raw, len(raw), count,
                                               _address(texts), len(texts), _address(codes))
        # The texts lie back to back, each with its NUL, then zeros: any
        # results after the last non-empty one are empty texts.
        used = texts.rstrip(b"\0")
        results: list[Any] = _decode(bytes(used)).split("\0") if used else []
        results.extend([""] * (count - len(results)))
        if errors == "text" or codes.count(OK) == count:
            return results
        for index, error in self._failures(items, codes, None,
                                           self._lib.evalo_evaluate_text):
            if errors == "raise":
                raise error
            results[index] = error
        return results
