#!/usr/bin/env python3
"""Prints the rows of kCodePage932Forms (evaluator/utf8.cpp).

A UTF-8 text must evaluate exactly as its code page 932 form would. Most
characters only need to be known as "not ASCII"; the table lists the ones
whose code page 932 form matters:
  - the full-width signs, digits and Latin letters that become ASCII, and
    the look-alikes that may (the marks listed below);
  - pi, capital pi and the root sign, which are keywords;
  - every character whose trail byte is "[", "]", "^", "{" or "}", since the
    scanner ends a word at such a trail byte.
The conversion is glibc's iconv "CP932" (UTF-8 to CP932), run here once; the
library itself has no iconv. Usage: make_cp932_forms.py > rows.txt
"""
import subprocess

MAPPED = set(range(0x824F, 0x8259)) | set(range(0x8260, 0x827A)) | set(range(0x8281, 0x829B))
MAPPED |= {0x8169, 0x816A, 0x816D, 0x816E, 0x816F, 0x8170, 0x817B, 0x817C, 0x8196, 0x815E,
           0x814F, 0x8144, 0x8143, 0x8181}
KEYWORD_CHARACTERS = {0x83CE, 0x83AE, 0x81E3}
LOOKALIKES = {0x817E, 0x8180, 0x815B, 0x815D, 0x8140}
SPLITTING_TRAILS = {0x5B, 0x5D, 0x5E, 0x7B, 0x7D}

code_points = [c for c in range(0x80, 0x110000) if not 0xD800 <= c <= 0xDFFF]
text = "\n".join(chr(c) for c in code_points) + "\n"
out = subprocess.run(["iconv", "-c", "-f", "UTF-8", "-t", "CP932"], input=text.encode(),
                     capture_output=True, check=False).stdout
lines = out.split(b"\n")
assert len(lines) == len(code_points) + 1
rows = []
for c, form in zip(code_points, lines):
    if len(form) != 2:
        continue
    code = form[0] << 8 | form[1]
    if code in MAPPED or code in KEYWORD_CHARACTERS or code in LOOKALIKES or form[1] in SPLITTING_TRAILS:
        rows.append((c, code))
for i in range(0, len(rows), 6):
    print("    " + " ".join("{0x%04X, 0x%04X}," % r for r in rows[i:i + 6]))
print("// %d rows" % len(rows))
