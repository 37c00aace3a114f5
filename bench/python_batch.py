#!/usr/bin/env python3
"""Per-item cost of the Python package: evaluate_many against one call per
item and against the library's own batch loop in C, in the same run.

    bench/python_batch.py [LIBRARY]      # default: build/libevalo.so.1

The library's own time is evalo_evaluate_many called once, through ctypes,
on a buffer packed beforehand: the C loop with nothing of Python in it.
Each figure is the median of the repetitions, the three paths interleaved
so that drift in the machine's load touches all of them alike. Times are
the thread's CPU time: on a shared machine the wall clock also counts the
time other processes held the core.
"""

import ctypes
import os
import statistics
import sys
import time
from array import array
from pathlib import Path

top = Path(__file__).resolve().parent.parent
os.environ.setdefault("EVALO_LIBRARY", sys.argv[1] if len(sys.argv) > 1
                      else str(top / "build" / "libevalo.so.1"))
sys.path.insert(0, str(top / "python"))
import evalo  # noqa: E402
from evalo import _evaluator  # noqa: E402

ITEMS = 1_000_000
SINGLE_ITEMS = 100_000  # the per-call path is slow: a tenth of the items
REPETITIONS = 5

WORKLOADS = {
    "typical": ["(1+2)*3.5-4/2"],
    "column": ["１２，０００＋５００", "1,234.5*1.08", "980*1.1", "(1500-200)/3"],
}


def per_item_ns(run, count):
    start = time.thread_time_ns()
    run()
    return (time.thread_time_ns() - start) / count


def measure(name, pattern):
    expressions = (pattern * (ITEMS // len(pattern) + 1))[:ITEMS]
    calc = evalo.Evaluator()
    _, packed = _evaluator._pack(expressions)
    values = array("d", bytes(8 * ITEMS))
    codes = array("i", bytes(4 * ITEMS))
    library = calc._lib

    def in_c():
        library.evalo_evaluate_many(calc._ctx, packed, len(packed), ITEMS,
                                    values.buffer_info()[0], codes.buffer_info()[0])

    def batch():
        evalo.evaluate_many(expressions)

    def single():
        for expression in expressions[:SINGLE_ITEMS]:
            evalo.evaluate(expression)

    expected = evalo.evaluate_many(expressions[:len(pattern)])
    assert [evalo.evaluate(e) for e in pattern] == expected
    times = {"C batch": [], "evaluate_many": [], "evaluate per call": []}
    for _ in range(REPETITIONS):
        times["C batch"].append(per_item_ns(in_c, ITEMS))
        times["evaluate_many"].append(per_item_ns(batch, ITEMS))
        times["evaluate per call"].append(per_item_ns(single, SINGLE_ITEMS))
    print(f"{name}: {pattern}")
    for path, samples in times.items():
        print(f"  {path:18} {statistics.median(samples):8.1f} ns/item "
              f"(min {min(samples):.1f}, max {max(samples):.1f})")


def main():
    print(f"Python {sys.version.split()[0]}, library {os.environ['EVALO_LIBRARY']}, "
          f"{ITEMS} items, CPU time, median of {REPETITIONS}, "
          f"load average {os.getloadavg()[0]:.1f}")
    for name, pattern in WORKLOADS.items():
        measure(name, pattern)


if __name__ == "__main__":
    main()
