"""Evaluator: one context of the library, used from Python."""

from __future__ import annotations

import ctypes
import os
import threading
from array import array
from typing import Iterable, Literal, Union

from . import _library
from ._errors import ERROR_NAMES, OK, EncodingError, EvaluationError

ENCODING = "cp932"
TEXT_SIZE = 52  # the longest result text with its NUL

ValueErrors = Literal["raise", "nan", "return"]
TextErrors = Literal["raise", "text", "return"]


def _encode(text: str, what: str) -> bytes:
    if not isinstance(text, str):
        raise TypeError(f"{what} must be str, not {type(text).__name__}")
    nul = text.find("\0")
    if nul >= 0:
        raise EncodingError(f"{what} {text[:60]!r} contains NUL at position {nul}")
    return _encode_checked(text, what, text)


def _encode_checked(text: str, what: str, joined: str) -> bytes:
    try:
        return joined.encode("ascii") if joined.isascii() else joined.encode(ENCODING)
    except UnicodeEncodeError as fault:
        bad = joined[fault.start:fault.end]
        start = joined.rfind("\0", 0, fault.start) + 1
        raise EncodingError(
            f"{what} {text[:60]!r} cannot be written in code page 932: "
            f"{bad!r} at position {fault.start - start}") from fault


def _decode(raw: bytes | None) -> str:
    # A format text cut at 7 bytes may end inside a double-byte character;
    # such a stray byte shows as U+FFFD rather than failing the call.
    return (raw or b"").decode(ENCODING, errors="replace")


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
        raw = joined.encode("ascii") if joined.isascii() else joined.encode(ENCODING)
    except UnicodeEncodeError as fault:
        index = joined.count("\0", 0, fault.start)
        raise _encode_error(items[index], f"item {index}") from fault
    return items, raw + b"\0"


def _encode_error(text: str, what: str) -> EncodingError:
    try:
        _encode(text, what)
    except EncodingError as error:
        return error
    raise AssertionError("the text encodes on its own")  # pragma: no cover


def _address(buffer: array | bytearray) -> int:
    if isinstance(buffer, array):
        return buffer.buffer_info()[0]
    return ctypes.addressof((ctypes.c_char * len(buffer)).from_buffer(buffer))


class Evaluator:
    """One evaluation context of the library: its own format text, error
    and result buffer, so evaluators never disturb each other, nor C code in
    the same process that uses the library's process-wide functions.

    library: the path of a shared library to use instead of the default
    (the one inside this package, else EVALO_LIBRARY's, else the system's).

    An Evaluator may be shared between threads: each call holds the
    evaluator's lock, and error_code() and error_text() report the calling
    thread's own last evaluation.

    >>> with Evaluator() as calc:
    ...     calc.set_format("5.2")
    ...     calc.evaluate_text("（１＋２）＊ＳＩＮ３０")
    ...     calc.evaluate("1/0"), calc.error_code(), calc.error_text()
    '5.2'
    '-2.96'
    (0.0, -1, 'Err.Math')
    """

    def __init__(self, library: str | os.PathLike[str] | None = None) -> None:
        self._lib = _library.load(library)
        handle = self._lib.evalo_create()
        if not handle:
            raise MemoryError("evalo_create could not allocate a context")
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

    def _use_format(self, text: str) -> None:
        # Setting the same format again would cost a call per evaluation.
        if text != self._format:
            self.set_format(text)

    def evaluate(self, expression: str) -> float:
        """The value of the expression, rounded by a numeric format text.
        After an error: the value the evaluation reached; see error_code()."""
        return self._call(expression, self._lib.evalo_evaluate)[0]

    def evaluate_text(self, expression: str) -> str:
        """The result as text, or the error text ("Err.Syntax", ...)."""
        return _decode(self._call(expression, self._lib.evalo_evaluate_text)[0])

    def _call(self, expression: str, function) -> tuple:
        """(result, code) of one evaluation by function, remembered as this
        thread's last."""
        raw = _encode(expression, "expression")
        with self._lock:
            ctx = self._context()
            result = function(ctx, raw)
            code = self._last.code = self._lib.evalo_error(ctx)
        return result, code

    def _checked(self, expression: str, function):
        result, code = self._call(expression, function)
        if code != OK:
            value = result if isinstance(result, float) else 0.0
            raise self._error(code, expression, None, value)
        return result

    def _error(self, code: int, expression: str, index: int | None,
               value: float = 0.0) -> EvaluationError:
        return EvaluationError(code, expression, value=value, index=index)

    def error_code(self) -> int:
        """The error code of this thread's last evaluation (0: success)."""
        return getattr(self._last, "code", OK)

    def error_text(self) -> str:
        """The error text of this thread's last evaluation ("" for none)."""
        code = self.error_code()
        return "" if code == OK else "Err." + ERROR_NAMES.get(code, str(code))

    def version(self) -> str:
        """The library's version text."""
        return _decode(self._lib.evalo_version())

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
                ctx = self._context()
                self._lib.evalo_evaluate_many(ctx, raw, len(raw), count,
                                              _address(values), _address(codes))
                self._last.code = codes[-1]
        results: list = values.tolist()
        if codes.count(OK) == count:
            return results
        for index, code in enumerate(codes):
            if code == OK:
                continue
            if errors == "nan":
                results[index] = float("nan")
                continue
            error = self._error(code, items[index], index, results[index])
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
            ctx = self._context()
            self._lib.evalo_evaluate_text_many(ctx, raw, len(raw), count, _address(texts),
                                               len(texts), _address(codes))
            self._last.code = codes[-1]
        # The texts lie back to back, each with its NUL, then zeros: any
        # results after the last non-empty one are empty texts.
        used = texts.rstrip(b"\0")
        results: list = _decode(bytes(used)).split("\0") if used else []
        results.extend([""] * (count - len(results)))
        if errors == "text" or codes.count(OK) == count:
            return results
        for index, code in enumerate(codes):
            if code == OK:
                continue
            error = self._error(code, items[index], index)
            if errors == "raise":
                raise error
            results[index] = error
        return results
