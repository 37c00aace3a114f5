"""evalo for Python: evaluates calculator-style arithmetic expressions.

    import evalo

    calc = evalo.Evaluator()                       # loads libevalo.so.1
    calc.set_format("5.2")
    calc.evaluate_text("（１＋２）＊ＳＩＮ３０")    # '-2.96'
    calc.evaluate("1/0")                           # 0.0
    calc.error_code(), calc.error_text()           # (-1, 'Err.Math')

Texts go in and come out as str; the library reads and writes code page 932,
and the conversion happens here. A text that code page 932 cannot hold raises
EncodingError before anything reaches the library.

Each Evaluator owns a context of the library: its own format text, error and
result buffer. Evaluators therefore never disturb each other, nor C code in
the same process that uses the library's process-wide functions.

An Evaluator may be shared between threads. ctypes releases the interpreter
lock during each call, so an evaluation and the reading of its error are done
as one step under the evaluator's lock, and error_code() and error_text()
report the calling thread's own last evaluation on that evaluator.
"""

import ctypes
import os
import threading

__all__ = ["Evaluator", "EncodingError", "SONAME", "ENCODING", "OK",
           "ERR_SYNTAX", "ERR_BRACKET", "ERR_STACK", "ERR_MEMORY",
           "ERR_FORMAT", "ERR_MATH"]

SONAME = "libevalo.so.1"
ENCODING = "cp932"

# The error codes of evalo.h.
OK = 0
ERR_SYNTAX = 1
ERR_BRACKET = 2
ERR_STACK = 3
ERR_MEMORY = 4
ERR_FORMAT = 5
ERR_MATH = -1


class EncodingError(ValueError):
    """A text the library cannot be given: a character outside code page 932,
    or a NUL character (the library would stop reading there)."""


def _encode(text, what):
    if not isinstance(text, str):
        raise TypeError(f"{what} must be str, not {type(text).__name__}")
    nul = text.find("\0")
    if nul >= 0:
        raise EncodingError(f"{what} {text!r} contains NUL at position {nul}")
    try:
        return text.encode(ENCODING)
    except UnicodeEncodeError as fault:
        bad = text[fault.start:fault.end]
        raise EncodingError(
            f"{what} {text!r} cannot be written in code page 932: "
            f"{bad!r} at position {fault.start}") from fault


def _decode(raw):
    # A format text cut at 7 bytes may end inside a double-byte character;
    # such a stray byte shows as U+FFFD rather than failing the call.
    return (raw or b"").decode(ENCODING, errors="replace")


_c_ctx = ctypes.c_void_p
_c_text = ctypes.c_char_p

# restype c_char_p copies the text into a bytes object the moment the call
# returns, before the next call can rewrite the library's buffer.
_PROTOTYPES = (
    ("evalo_create", _c_ctx, ()),
    ("evalo_destroy", None, (_c_ctx,)),
    ("evalo_set_format", _c_text, (_c_ctx, _c_text)),
    ("evalo_evaluate", ctypes.c_double, (_c_ctx, _c_text)),
    ("evalo_evaluate_text", _c_text, (_c_ctx, _c_text)),
    ("evalo_error", ctypes.c_int, (_c_ctx,)),
    ("evalo_error_text", _c_text, (_c_ctx,)),
    ("version", _c_text, ()),
)

_libraries = {}
_libraries_lock = threading.Lock()

# version() writes the library's one process-wide buffer; Python callers take
# turns on it.
_process_state_lock = threading.Lock()


def _load(library):
    name = SONAME if library is None else os.fspath(library)
    with _libraries_lock:
        lib = _libraries.get(name)
        if lib is None:
            lib = ctypes.CDLL(name)
            for symbol, restype, argtypes in _PROTOTYPES:
                function = getattr(lib, symbol)
                function.restype = restype
                function.argtypes = argtypes
            _libraries[name] = lib
        return lib


class Evaluator:
    """One evaluation context of the library.

    library: the path of the shared library, or None to load it by its SONAME
    (libevalo.so.1) through the usual search path.
    """

    def __init__(self, library=None):
        self._lib = _load(library)
        handle = self._lib.evalo_create()
        if not handle:
            raise MemoryError("evalo_create could not allocate a context")
        self._ctx = _c_ctx(handle)
        self._lock = threading.Lock()
        self._last = threading.local()

    def close(self):
        """Frees the context; the evaluator cannot be used afterwards."""
        with self._lock:
            if self._ctx is not None:
                self._lib.evalo_destroy(self._ctx)
                self._ctx = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        # Partly constructed or already closed evaluators have nothing to free.
        if getattr(self, "_ctx", None) is not None:
            self.close()

    def _context(self):
        if self._ctx is None:
            raise ValueError("the evaluator is closed")
        return self._ctx

    def set_format(self, text):
        """Sets the format text ("", "N", "N.M" or a pattern with %) and
        returns the text as stored (at most 7 bytes are kept)."""
        raw = _encode(text, "format text")
        with self._lock:
            return _decode(self._lib.evalo_set_format(self._context(), raw))

    def evaluate(self, expression):
        """The value of the expression, rounded by a numeric format text.
        After an error: the value the evaluation reached; see error_code()."""
        raw = _encode(expression, "expression")
        with self._lock:
            ctx = self._context()
            value = self._lib.evalo_evaluate(ctx, raw)
            self._remember_error(ctx)
        return value

    def evaluate_text(self, expression):
        """The result as text, or the error text ("Err.Syntax", ...)."""
        raw = _encode(expression, "expression")
        with self._lock:
            ctx = self._context()
            text = self._lib.evalo_evaluate_text(ctx, raw)
            self._remember_error(ctx)
        return _decode(text)

    def _remember_error(self, ctx):
        code = self._lib.evalo_error(ctx)
        self._last.error = (code, _decode(self._lib.evalo_error_text(ctx)))

    def error_code(self):
        """The error code of this thread's last evaluation (0: success)."""
        return getattr(self._last, "error", (0, ""))[0]

    def error_text(self):
        """The error text of this thread's last evaluation ("" for none)."""
        return getattr(self._last, "error", (0, ""))[1]

    def version(self):
        """The library's version text."""
        with _process_state_lock:
            return _decode(self._lib.version())
