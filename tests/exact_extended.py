#!/usr/bin/env python3
"""Expected bits of the inexact edge cases in test_extended.cpp, from exact
rational arithmetic: each result rounded to the 80-bit format (64-bit
significand, nearest, ties to even, gradual underflow)."""
from fractions import Fraction as F
import math

BIAS = 16383


def value(se, sig):
    field = se & 0x7FFF
    unit = 1 - BIAS - 63 if field == 0 else field - BIAS - 63
    return (-1 if se & 0x8000 else 1) * F(sig) * F(2) ** unit


def to_extended(x):
    sign = 0x8000 if x < 0 else 0
    x = abs(x)
    if x == 0:
        return sign, 0
    e = x.numerator.bit_length() - x.denominator.bit_length()
    while F(2) ** e > x:
        e -= 1
    while F(2) ** (e + 1) <= x:
        e += 1
    field = e + BIAS
    q = x / F(2) ** ((1 - BIAS if field <= 0 else e) - 63)
    n, r = divmod(q.numerator, q.denominator)
    if 2 * r > q.denominator or (2 * r == q.denominator and n % 2):
        n += 1
    if field <= 0:
        field = 1 if n >= 2 ** 63 else 0
    elif n == 2 ** 64:
        n, field = n // 2, field + 1
    return (sign | 0x7FFF, 2 ** 63) if field >= 0x7FFF else (sign | field, n)


def sqrt_extended(x):
    # ⌊√x · 2^k⌋ / 2^k plus a nudge below its last bit when inexact: enough
    # to round √x correctly, since √ of these values never ties.
    k = 20000
    n = x.numerator * 4 ** k // x.denominator
    s = math.isqrt(n)
    exact = s * s == n and x.numerator * 4 ** k % x.denominator == 0
    return to_extended(F(s, 2 ** k) + (0 if exact else F(1, 2 ** (k + 8))))


def show(name, bits):
    print(f"{name}: {{0x{bits[1]:016X}, 0x{bits[0]:04X}}}")


one, three = value(0x3FFF, 2 ** 63), value(0x4000, 3 << 62)
show("OneThird", to_extended(one / three))
show("QuotientJustOverATie", to_extended(one / value(0x3FFE, 2 ** 64 - 1)))
show("SubnormalQuotient", to_extended(value(0x0001, 2 ** 63) / three))
show("SquareRootOfTwo", sqrt_extended(F(2)))
show("SquareRootOfSmallestSubnormal", sqrt_extended(value(0, 1)))
show("SquareRootOfLargest", sqrt_extended(value(0x7FFE, 2 ** 64 - 1)))
