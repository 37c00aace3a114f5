"""Helpers shared by the Python tests."""

import struct
import threading


def bits(value):
    """The bit pattern of a double: compares signed zeros and NaNs exactly."""
    return struct.unpack("<Q", struct.pack("<d", value))[0]


def run_threads(target, argument_tuples):
    """Runs target once per tuple, each in its own thread, and waits."""
    threads = [threading.Thread(target=target, args=args) for args in argument_tuples]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
