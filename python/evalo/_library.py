"""Finding and loading the shared library, and the C prototypes."""

from __future__ import annotations

import ctypes
import ctypes.util
import os
import threading
from pathlib import Path

SONAME = "libevalo.so.1"
LIBRARY_VARIABLE = "EVALO_LIBRARY"

_INSTALL_HINT = (
    "install the package with its own library (pip install --no-build-isolation ./python "
    "from the source tree), install libevalo.so.1 of version 1.1 or later, or set "
    f"{LIBRARY_VARIABLE} to the library's path")

_c_ctx = ctypes.c_void_p
_c_text = ctypes.c_char_p
_c_size = ctypes.c_size_t
_c_address = ctypes.c_void_p

# restype c_char_p copies a text into a bytes object the moment the call
# returns, before the next call can rewrite the library's buffer.
_PROTOTYPES = (
    ("evalo_create_with", _c_ctx, (ctypes.c_uint,)),
    ("evalo_destroy", None, (_c_ctx,)),
    ("evalo_set_format", _c_text, (_c_ctx, _c_text)),
    ("evalo_evaluate", ctypes.c_double, (_c_ctx, _c_text)),
    ("evalo_evaluate_text", _c_text, (_c_ctx, _c_text)),
    ("evalo_error", ctypes.c_int, (_c_ctx,)),
    ("evalo_error_text", _c_text, (_c_ctx,)),
    ("evalo_error_offset", ctypes.c_long, (_c_ctx,)),
    ("evalo_error_length", ctypes.c_long, (_c_ctx,)),
    ("evalo_version", _c_text, ()),
    ("evalo_evaluate_many", _c_size,
     (_c_ctx, _c_text, _c_size, _c_size, _c_address, _c_address)),
    ("evalo_evaluate_text_many", _c_size,
     (_c_ctx, _c_text, _c_size, _c_size, _c_address, _c_size, _c_address)),
)

_loaded: dict[str, ctypes.CDLL] = {}
_loaded_lock = threading.Lock()


def default_path() -> str:
    """The library to load: the path the environment names, else the copy
    inside this package, else the system's."""
    named = os.environ.get(LIBRARY_VARIABLE)
    if named:
        return named
    bundled = Path(__file__).with_name(SONAME)
    if bundled.exists():
        return str(bundled)
    return ctypes.util.find_library("evalo") or SONAME


def _bind(library: ctypes.CDLL, path: str) -> ctypes.CDLL:
    for symbol, restype, argtypes in _PROTOTYPES:
        try:
            function = getattr(library, symbol)
        except AttributeError:
            raise ImportError(
                f"evalo: {path} is too old: it lacks {symbol}(); {_INSTALL_HINT}",
                path=path) from None
        function.restype = restype
        function.argtypes = argtypes
    version = library.evalo_version().decode("ascii", "replace")
    if not version.startswith("1."):
        raise ImportError(
            f"evalo: {path} has version {version}, this package needs 1.x; {_INSTALL_HINT}",
            path=path)
    return library


def load(path: str | os.PathLike[str] | None = None) -> ctypes.CDLL:
    """The library at path, or the default one; raises ImportError naming
    the file tried when it is missing or unusable."""
    name = os.fspath(path) if path is not None else default_path()
    with _loaded_lock:
        library = _loaded.get(name)
        if library is None:
            try:
                library = ctypes.CDLL(name)
            except OSError as fault:
                raise ImportError(
                    f"evalo: cannot load {name} ({fault}); {_INSTALL_HINT}", path=name) from fault
            library = _loaded[name] = _bind(library, name)
        return library
