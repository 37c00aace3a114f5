#!/usr/bin/env python3
"""Writes expressions with format texts for the cross-platform comparison.

    generate_expressions.py [COUNT [SEED]] > cases.txt

Each line is a format text, a tab and an expression, as raw code page 932
bytes. The seed is fixed unless given: every run writes the same file. The mix aims at
where platforms could part: every keyword, numeric formats and patterns,
full-width forms, every kind of error, values at the ends of the double
range, sines near the 2^63 limit and powers that overflow.
"""
import random
import sys

SEED = 20261211

KEYWORDS = [
    b"\x83\xce", b"\x83\xae", b"PI",
    b"SIN", b"COS", b"TAN", b"ASIN", b"ACOS", b"ATAN",
    b"SINH", b"COSH", b"TANH", b"ASINH", b"ACOSH", b"ATANH",
    b"\x81\xe3", b"SQRT", b"LOG", b"LN", b"EXP", b"E",
    b"SIN\x83\xae", b"COS\x83\xae", b"TAN\x83\xae",
    b"DEGREE", b"RADIAN", b"FLOOR", b"CEIL", b"ABS", b"FRAC", b"ROUND",
]
CONSTANTS = KEYWORDS[:3]
FUNCTIONS = [k for k in KEYWORDS[3:] if k != b"E"]

FORMATS = [
    b"", b" ", b"1", b"3", b"5.2", b"2.5", b"14", b"14.14", b"15", b"0", b"-5",
    b".3", b"5.20", b"5.", b"5. ", b"1,000", b"10.0", b"\x82\x54",
    b"%d", b"%05d", b"%.4d", b"%u", b"%x", b"%08x", b"%b", b"%040b", b"%e", b"%.3e",
    b"%.18e", b"%.17E", b"%f", b"%.0f", b"%.2f", b"%.10f", b"%g", b"%.10g",
    b"%-12.3f", b"%n", b"%.5n", b"%m", b"%s", b"%%", b"abc%", b"%5", b"%0:d",
    b"%+5d", b"x%gy", b"%y", b"abc",
]

# Full-width code page 932 forms of the ASCII bytes that have one.
FULL_WIDTH = {
    b"(": b"\x81\x69", b")": b"\x81\x6a", b"[": b"\x81\x6d", b"]": b"\x81\x6e",
    b"{": b"\x81\x6f", b"}": b"\x81\x70", b"+": b"\x81\x7b", b"-": b"\x81\x7c",
    b"*": b"\x81\x96", b"/": b"\x81\x5e", b"^": b"\x81\x4f", b".": b"\x81\x44",
    b",": b"\x81\x43", b"=": b"\x81\x81",
}
for i in range(10):
    FULL_WIDTH[bytes([0x30 + i])] = bytes([0x82, 0x4F + i])
for i in range(26):
    FULL_WIDTH[bytes([0x41 + i])] = bytes([0x82, 0x60 + i])
    FULL_WIDTH[bytes([0x61 + i])] = bytes([0x82, 0x81 + i])

# Values where the arithmetic meets its limits.
EDGE_LITERALS = [
    b"0", b"0.5", b"1", b"2", b"10", b"0.1", b"1E308", b"1.7976931348623157E308",
    b"2.2250738585072014E-308", b"4.9406564584124654E-324", b"1E-310", b"1E-320",
    b"9223372036854775807", b"9223372036854775808", b"9.2233720368547748E18",
    b"9223372036854774784", b"2147483647", b"2147483648", b"2147483647.5",
    b"4294967295", b"11356", b"11357", b"709.78", b"710", b"745.13", b"5678.22249441322",
    b"1,234,567.891", b"0.0000000000000000000000000001", b"123456789012345678901234567890",
    b"3.14159265358979323846264338327950288", b"1.00000000000000011102230246251565",
]

# Whole expressions for the faults, the limits and the syntax errors.
FIXED = [
    b"1/0", b"0/0", b"LN0", b"LN(-1)", b"LOG0", b"SQRT(-1)", b"EXP710", b"EXP(-11356)",
    b"EXP(-11357)", b"EXP11356", b"ASIN2", b"ACOS(-1.5)", b"ACOSH0.5", b"ATANH1",
    b"ATANH(-1)", b"TAN(PI/2)", b"(-8)^0.5", b"(-8)^(1/3)", b"0^0", b"0^-1", b"10^309",
    b"2^1024", b"2^-1074", b"2^-1075", b"1.0000001^1E10", b"(-2)^1025", b"1E308*10",
    b"1E308+1E308", b"-1E308-1E308", b"1E-310*1", b"1E-300*1E-10", b"0/-5", b"-0",
    b"SIN(2^63)", b"SIN(2^63-1024)", b"COS(-(2^63-1024))", b"TAN9223372036854774784",
    b"SIN9223372036854775807", b"COS9223372036854775808", b"SIN1E300", b"SINH11357",
    b"COSH(-11357)", b"TANH5678.22249441322", b"TANH5678.2225", b"ASINH1E300",
    b"", b"=", b"1=2", b"1+", b"+", b"*2", b"1**2", b"(1", b"1)", b"((1)", b"[1)", b"{1]",
    b"SIN", b"SIN(", b"XYZ", b"1.2.3", b"1,23", b"1,2345", b",", b".", b"..", b"1 2",
    b"2 (3)", b"\x81\x40", b"\x82", b"\xff\xfe", b"1" + b"+1" * 200,
    b"(" * 300 + b"1" + b")" * 300, b"-" * 50 + b"1", b"9" * 400, b"0." + b"0" * 330 + b"5",
    b"1" + b",000" * 102,
]


def number(rng):
    roll = rng.random()
    if roll < 0.25:
        return str(rng.randint(0, 100)).encode()
    if roll < 0.5:
        return f"{rng.uniform(0, 1000):.{rng.randint(1, 8)}f}".encode()
    if roll < 0.6:
        return rng.choice(EDGE_LITERALS)
    if roll < 0.7:
        return str(rng.getrandbits(rng.randint(20, 70))).encode()
    if roll < 0.8:
        mantissa = f"{rng.uniform(1, 10):.{rng.randint(0, 16)}f}".encode()
        limit = 330 if rng.random() < 0.3 else 30
        return mantissa + b"E" + str(rng.randint(-limit, limit)).encode()
    if roll < 0.85:
        return f"{rng.randint(1, 999)},{rng.randint(0, 999):03d},{rng.randint(0, 999):03d}".encode()
    if roll < 0.9:
        return b"." + str(rng.randint(0, 99999)).encode()
    return rng.choice(CONSTANTS)


def term(rng, depth):
    roll = rng.random()
    if depth <= 0 or roll < 0.35:
        return number(rng)
    if roll < 0.65:
        function = rng.choice(FUNCTIONS)
        argument = term(rng, depth - 1)
        # A word runs on through letters: a function name before another
        # word would make one unknown word.
        if rng.random() < 0.6 or not argument[:1].isdigit() and argument[:1] not in (b".", b"-"):
            return function + b"(" + expression(rng, depth - 1) + b")"
        return function + argument
    if roll < 0.75:
        return b"-" + term(rng, depth - 1)
    opening, closing = rng.choice([(b"(", b")"), (b"[", b"]"), (b"{", b"}")])
    return opening + expression(rng, depth - 1) + closing


def expression(rng, depth):
    parts = [term(rng, depth)]
    for _ in range(rng.randint(0, 3)):
        parts.append(rng.choice([b"+", b"-", b"*", b"/"] * 3 + [b"^"]))
        parts.append(term(rng, depth))
    return b"".join(parts)


def sine_near_limit(rng):
    """Arguments within a few thousand units of 2^63, on both sides."""
    function = rng.choice([b"SIN", b"COS", b"TAN"])
    offset = rng.randint(-4096, 4096)
    sign = b"-" if rng.random() < 0.3 else b""
    return function + b"(" + sign + str(2**63 + offset).encode() + b")"


def overflowing_power(rng):
    base = rng.choice([b"2", b"10", b"1.5", b"0.5", b"(-2)", b"1.0001", b"0.999", b"1E100", b"1E-100"])
    exponent = rng.choice([b"1023", b"1024", b"1075", b"-1074", b"-1075", b"4000", b"-4000", b"16384",
                           b"0.5", b"1E10", str(rng.randint(-20000, 20000)).encode()])
    return base + b"^" + exponent


def mangle(rng, text):
    """Full-width forms, lower case, blanks and stray bytes, at random."""
    out = []
    full_width = rng.random() < 0.3
    lower = rng.random() < 0.2
    for i in range(len(text)):
        byte = text[i:i + 1]
        if lower and byte.isalpha():
            byte = byte.lower()
        if full_width and byte in FULL_WIDTH and rng.random() < 0.5:
            byte = FULL_WIDTH[byte]
        out.append(byte)
    if rng.random() < 0.05:
        out.insert(rng.randint(0, len(out)), rng.choice([b" ", b"\x81\x40", b"#", b"=", b"\x82"]))
    return b"".join(out)


def case(rng):
    roll = rng.random()
    if roll < 0.05:
        text = rng.choice(FIXED)
    elif roll < 0.1:
        text = sine_near_limit(rng)
    elif roll < 0.15:
        text = overflowing_power(rng)
    elif roll < 0.2:
        text = rng.choice(KEYWORDS) + number(rng)
    else:
        text = expression(rng, rng.randint(0, 3))
    return rng.choice(FORMATS), mangle(rng, text)


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 100000
    rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else SEED)
    out = sys.stdout.buffer
    # Every fixed case under every format first, then the random ones.
    for text in FIXED:
        for format_text in FORMATS:
            out.write(format_text + b"\t" + text + b"\n")
    for _ in range(count):
        format_text, text = case(rng)
        out.write(format_text + b"\t" + text + b"\n")


if __name__ == "__main__":
    main()
