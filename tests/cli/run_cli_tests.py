#!/usr/bin/env python3
"""Runs the evalo command-line tool as users and scripts do.

usage: run_cli_tests.py PATH_TO_EVALO [TestGroup ...]
"""
import math
import os
import pty
import select
import signal
import struct
import subprocess
import sys
import time
import unittest

EVALO = None

# The example in full-width characters.
FULL_WIDTH_EXAMPLE = "（１＋２）＊ＳＩＮ３０"


def run(args, stdin=b"", locale="C", stdout=subprocess.PIPE):
    """Runs the tool; returns (exit status, stdout bytes, stderr text)."""
    env = dict(os.environ, LC_ALL=locale)
    proc = subprocess.run([EVALO, *args], input=stdin, stdout=stdout,
                          stderr=subprocess.PIPE, env=env, timeout=30)
    return proc.returncode, proc.stdout, proc.stderr.decode("utf-8", "replace")


def bits(value):
    return struct.pack(">d", value).hex()


def lines(output):
    text = output.decode("utf-8")
    assert text == "" or text.endswith("\n"), repr(text)
    return text.splitlines()


class Arguments(unittest.TestCase):
    def test_each_argument_answers_one_line(self):
        cases = [
            # arguments, output lines, exit status
            (["1+2", "2*3"], ["3", "6"], 0),
            (["1+2", "1+", "4"], ["3", "Err.Syntax", "4"], 1),
            (["1/0"], ["Err.Math"], 1),
            # The format may follow the expressions and applies to all.
            ([FULL_WIDTH_EXAMPLE, "-f", "5.2"], ["-2.96"], 0),
            (["2/3", "1/3", "--format=5.2"], ["0.67", "0.33"], 0),
            (["-f5.2", "2/3"], ["0.67"], 0),
            (["-f", "%x", "255", "-f", "%b"], ["11111111"], 0),
            # A dash and no letter is an expression, "--" ends the options.
            (["-5+3", "-.5*2", "-(1+1)", "--2"], ["-2", "-1", "-2", "2"], 0),
            (["--", "-5+3", "-PI", "-f"], ["-2", "-3.14159265358979", "Err.Syntax"], 1),
            ([""], ["Err.Syntax"], 1),
        ]
        for args, expected, status in cases:
            with self.subTest(args=args):
                rc, out, err = run(args)
                self.assertEqual(lines(out), expected)
                self.assertEqual(rc, status)
                self.assertEqual(err, "")

    def test_write_failure_is_a_failure(self):
        with open("/dev/full", "wb") as full:
            rc, _, err = run(["1+2"], stdout=full)
        self.assertEqual(rc, 1)
        self.assertIn("cannot write", err)


class UsageAndInformation(unittest.TestCase):
    def test_usage_errors_exit_2_without_evaluating(self):
        cases = [
            ["-PI"],                    # a dash and a letter is an option
            ["1", "--bogus"],
            ["1", "-f"],                # missing value
            ["--format"],
            ["--value=1", "1"],
            ["-hV"],
            ["--encoding", "no-such-charset", "1"],
            ["-f", "12345678", "1"],    # the library would keep only 7 bytes
            ["--value", "--bits", "1"],
            ["--max-line-bytes", "0"],
            ["--max-line-bytes=12k"],
            ["--max-line-bytes", "-5"],
            ["--max-line-bytes", "99999999999999999999999"],
        ]
        for args in cases:
            with self.subTest(args=args):
                rc, out, err = run(args)
                self.assertEqual(rc, 2)
                self.assertEqual(out, b"")
                self.assertIn("evalo: ", err)
                self.assertIn("--help", err)

    def test_help_and_version_go_to_stdout(self):
        for args in (["-h"], ["--help"], ["1+2", "--help", "--bogus"]):
            with self.subTest(args=args):
                rc, out, err = run(args)
                self.assertEqual((rc, err), (0, ""))
                self.assertTrue(out.startswith(b"usage: evalo [OPTIONS] [EXPR...]\n"))
                self.assertIn(b"Err.Encoding", out)
                self.assertIn(b"exit status", out)
        for args in (["-V"], ["--version"]):
            with self.subTest(args=args):
                rc, out, err = run(args)
                self.assertEqual((rc, err), (0, ""))
                self.assertEqual(lines(out), ["evalo 1.0.0", "library 1.00"])


class Value(unittest.TestCase):
    def test_value_prints_17_digits_and_errors_as_text(self):
        rc, out, _ = run(["--value", "0.1+0.2", "1/3", "2^10", "1+", "-0"])
        self.assertEqual(lines(out), ["0.30000000000000004", "0.33333333333333331",
                                      "1024", "Err.Syntax", "-0"])
        self.assertEqual(rc, 1)

    def test_value_is_rounded_by_a_numeric_format(self):
        rc, out, _ = run([FULL_WIDTH_EXAMPLE, "--value", "-f", "5.2"])
        self.assertEqual((rc, lines(out)), (0, ["-2.96"]))
        self.assertEqual(float(lines(out)[0]), -2.96)


class Bits(unittest.TestCase):
    def test_bits_code_and_text_of_each_input(self):
        cases = [
            # arguments, output lines
            (["1+2", "1/0", "0/-5", "1+", "PI"],
             [f"{bits(3.0)} 0 3", f"{bits(0.0)} -1 Err.Math", f"{bits(-0.0)} 0 -0",
              f"{bits(0.0)} 1 Err.Syntax", f"{bits(math.pi)} 0 3.14159265358979"]),
            # The value is rounded by a numeric format; a pattern that cannot
            # take the value reports the pattern's code with the value's bits.
            (["2/3", "-f", "5.2"], [f"{bits(0.67)} 0 0.67"]),
            (["-f", "%x", "255", "1e300"], [f"{bits(255.0)} 0 FF", f"{bits(1e300)} 5 Err.Format"]),
        ]
        for args, expected in cases:
            with self.subTest(args=args):
                rc, out, err = run(["--bits", *args])
                self.assertEqual(lines(out), expected)
                self.assertEqual(err, "")

    def test_fields_agree_with_the_other_modes(self):
        expressions = b"0.1+0.2\nSQRT2\n2^0.5\n1E-320/3\nLN0\n(1\n-(1/3)\n"
        _, text_out, _ = run([], stdin=expressions)
        _, value_out, _ = run(["--value"], stdin=expressions)
        _, bits_out, _ = run(["--bits"], stdin=expressions)
        for text, value, line in zip(lines(text_out), lines(value_out), lines(bits_out),
                                     strict=True):
            with self.subTest(line=line):
                hex_bits, code, shown = line.split(" ", 2)
                self.assertEqual(shown, text)
                self.assertEqual(code == "0", not text.startswith("Err."))
                if code == "0":
                    self.assertEqual(hex_bits, bits(float(value)))

    def test_raw_code_page_932_in_and_out(self):
        stdin = FULL_WIDTH_EXAMPLE.encode("cp932") + b"\n" + "１円".encode("cp932") + b"\n"
        rc, out, _ = run(["--bits", "--encoding", "cp932", "-f", "%.1f円".encode("cp932")],
                         stdin=stdin)
        self.assertEqual(out, f"{bits(-2.9640948723)} 0 -3.0".encode() + "円\n".encode("cp932")
                         + f"{bits(1.0)} 1 Err.Syntax\n".encode())
        self.assertEqual(rc, 1)

    def test_inputs_the_library_never_saw_have_dashes(self):
        rc, out, err = run(["--bits"], stdin=b"1\n2\x00\n")
        self.assertEqual(lines(out), [f"{bits(1.0)} 0 1", "- - Err.Encoding"])
        self.assertEqual(rc, 1)
        self.assertIn("line 2: contains a NUL byte", err)


class StandardInput(unittest.TestCase):
    def test_batch_answers_every_line(self):
        # CR LF, a blank line, an error and a last line without LF.
        rc, out, err = run([], stdin=b"1+2\r\n\n1/0\n2^10")
        self.assertEqual(lines(out), ["3", "Err.Syntax", "Err.Math", "1024"])
        self.assertEqual((rc, err), (1, ""))

    def test_exit_status_of_batches(self):
        self.assertEqual(run([], stdin=b"1\n2\n")[0], 0)
        self.assertEqual(run([], stdin=b"")[:2], (0, b""))
        self.assertEqual(run(["-f", "%d"], stdin=b"1.5\n-2\n"), (0, b"1\n-2\n", ""))

    def test_very_long_line(self):
        line = "+".join(["1"] * 200000).encode() + b"\n2*3\n"
        rc, out, _ = run([], stdin=line)
        self.assertEqual((rc, lines(out)), (0, ["200000", "6"]))

    def test_each_answer_arrives_before_the_next_line_is_sent(self):
        proc = subprocess.Popen([EVALO], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                env=dict(os.environ, LC_ALL="C"))
        try:
            for expression, answer in ((b"1+2", b"3\n"), (b"2*4", b"8\n")):
                proc.stdin.write(expression + b"\n")
                proc.stdin.flush()
                ready, _, _ = select.select([proc.stdout], [], [], 10)
                self.assertTrue(ready, "no answer while the input is still open")
                self.assertEqual(proc.stdout.readline(), answer)
        finally:
            proc.stdin.close()
            proc.wait(timeout=10)
        self.assertEqual(proc.returncode, 0)


class Encodings(unittest.TestCase):
    def test_utf8_input_under_ascii_and_utf8_locales(self):
        cases = [
            ([FULL_WIDTH_EXAMPLE, "-f", "5.2"], ["-2.96"]),
            (["π/2", "√9", "２＾１０"], ["1.5707963267949", "3", "1024"]),
        ]
        for locale in ("C", "C.UTF-8"):
            for args, expected in cases:
                with self.subTest(locale=locale, args=args):
                    rc, out, err = run(args, locale=locale)
                    self.assertEqual((rc, lines(out), err), (0, expected, ""))

    def test_answers_are_converted_back(self):
        # The format text is converted too; its 円 comes back as UTF-8.
        rc, out, _ = run(["-f", "%.1f円", "3", "1+"])
        self.assertEqual((rc, lines(out)), (1, ["3.0円", "Err.Syntax"]))
        rc, out, _ = run(["--encoding", "cp932", "-f", "%.1f円".encode("cp932"), "3"])
        self.assertEqual((rc, out), (0, "3.0円\n".encode("cp932")))

    def test_cp932_passes_bytes_through(self):
        raw = FULL_WIDTH_EXAMPLE.encode("cp932") + b"\n" + "√9".encode("cp932") + b"\n"
        for name in ("cp932", "CP932"):
            with self.subTest(encoding=name):
                rc, out, err = run(["--encoding", name, "-f", "5.2"], stdin=raw)
                self.assertEqual((rc, out, err), (0, b"-2.96\n3\n", ""))
        rc, out, _ = run(["--encoding=cp932", FULL_WIDTH_EXAMPLE.encode("cp932")])
        self.assertEqual((rc, out), (0, b"-2.9640948723\n"))

    def test_other_character_sets_by_name(self):
        raw = FULL_WIDTH_EXAMPLE.encode("euc_jp") + b"\n"
        rc, out, _ = run(["--encoding", "EUC-JP"], stdin=raw)
        self.assertEqual((rc, out), (0, b"-2.9640948723\n"))


    def test_character_sets_that_change_ascii_are_usage_errors(self):
        for name in ("UTF-16", "utf-16le", "UTF-32", "UCS-2", "UCS-4", "UTF-7", "IBM037"):
            with self.subTest(encoding=name):
                rc, out, err = run(["--encoding", name], stdin=b"1+1\n")
                self.assertEqual((rc, out), (2, b""))
                self.assertIn(f"character set '{name}' is not ASCII-compatible", err)
        # Japanese character sets that move only the backslash and tilde,
        # or switch with escape sequences, keep every byte the tool needs.
        for name in ("SHIFT_JIS", "ISO-2022-JP"):
            with self.subTest(encoding=name):
                raw = FULL_WIDTH_EXAMPLE.encode(name.replace("-", "_").lower()) + b"\n"
                rc, out, _ = run(["--encoding", name, "-f", "5.2"], stdin=raw)
                self.assertEqual((rc, out), (0, b"-2.96\n"))


class BadInput(unittest.TestCase):
    def test_bad_line_fails_and_the_batch_continues(self):
        rc, out, err = run(["--encoding", "EUC-JP"], stdin=b"1+1\n\xff2\n2+2\n")
        self.assertEqual(lines(out), ["2", "Err.Encoding", "4"])
        self.assertEqual(rc, 1)
        self.assertIn("line 2: byte 1 is not valid EUC-JP", err)

    def test_messages_name_the_place_and_the_fault(self):
        cases = [
            # arguments, stdin, message on stderr
            (["1", b"1+\xff", "3"], b"", "argument 2: byte 3 is not valid EUC-JP"),
            (["1+ǎ".encode("euc_jp")], b"",
             "argument 1: the character at byte 3 has no code page 932 form"),
            ([b"2*\xa4"], b"", "argument 1: the input ends inside an incomplete EUC-JP"),
            ([], b"1\n2\x003\n", "line 2: contains a NUL byte"),
        ]
        for args, stdin, message in cases:
            with self.subTest(args=args, stdin=stdin):
                rc, out, err = run(["--encoding", "EUC-JP", *args], stdin=stdin)
                self.assertEqual(rc, 1)
                self.assertIn("Err.Encoding", lines(out))
                self.assertEqual(len(lines(out)), max(len(args), stdin.count(b"\n")))
                self.assertIn("evalo: " + message, err)

    def test_utf8_goes_to_the_library_unconverted(self):
        # What iconv would refuse is a word the library does not know.
        cases = [
            b"1+\xff",                                   # not UTF-8
            "1+€".encode(),                              # no code page 932 form
            b"2*\xe2\x82",                               # cut inside a character
            FULL_WIDTH_EXAMPLE.encode("cp932"),          # code page 932 bytes
        ]
        for locale in ("C", "C.UTF-8"):
            for stdin in cases:
                with self.subTest(locale=locale, stdin=stdin):
                    rc, out, err = run([], stdin=b"1\n" + stdin + b"\n", locale=locale)
                    self.assertEqual((rc, lines(out), err), (1, ["1", "Err.Syntax"], ""))

    def test_unconvertible_format_is_a_usage_error(self):
        rc, out, err = run(["--encoding", "EUC-JP", "-f", b"%\xff", "1"])
        self.assertEqual((rc, out), (2, b""))
        self.assertIn("format text", err)


class Explain(unittest.TestCase):
    def test_caret_under_the_token_at_fault(self):
        wide = "（１＋２）／０"
        cases = [
            # arguments, stderr bytes
            (["LN0"], b"LN0\n^^\n"),
            (["1+2/(3-3)"], b"1+2/(3-3)\n   ^\n"),
            ([wide], wide.encode() + b"\n" + b" " * 10 + b"^^\n"),
            (["--encoding", "cp932", wide.encode("cp932")],
             wide.encode("cp932") + b"\n" + b" " * 10 + b"^^\n"),
            (["--encoding", "EUC-JP", wide.encode("euc_jp")],
             wide.encode("euc_jp") + b"\n" + b" " * 10 + b"^^\n"),
            (["√９+π*ｘ"], "√９+π*ｘ".encode() + b"\n" + b" " * 6 + b"^^\n"),
            (["\t1+ 2)"], b"\t1+ 2)\n\t    ^\n"),    # tabs kept, so both lines align
            ([b"1+\xff*2"], b"1+\xff*2\n  ^\n"),
            ([""], b"\n^\n"),                        # the place where the text ends
            (["1+2", "(1"], b"(1\n^\n"),             # successes are not shown
            (["-f", "%x", "1e300"], b""),            # a pattern's fault has no place
        ]
        for args, expected in cases:
            with self.subTest(args=args):
                proc = subprocess.run([EVALO, "--explain", *args], stdout=subprocess.PIPE,
                                      stderr=subprocess.PIPE, env=dict(os.environ, LC_ALL="C"))
                self.assertEqual(proc.stderr, expected)
                _, plain_out, _ = run(args)
                self.assertEqual(proc.stdout, plain_out)

    def test_on_by_default_only_when_stderr_is_a_terminal(self):
        for args, expected in (([], b"LN0\r\n^^\r\n"), (["--no-explain"], b"")):
            with self.subTest(args=args):
                master, slave = pty.openpty()
                try:
                    proc = subprocess.run([EVALO, *args, "LN0"], stdout=subprocess.PIPE,
                                          stderr=slave, env=dict(os.environ, LC_ALL="C"),
                                          timeout=10)
                    os.close(slave)
                    slave = None
                    shown = b""
                    while select.select([master], [], [], 0.2)[0]:
                        try:
                            shown += os.read(master, 4096)
                        except OSError:
                            break
                finally:
                    os.close(master)
                    if slave is not None:
                        os.close(slave)
                self.assertEqual((proc.returncode, proc.stdout), (1, b"Err.Math\n"))
                self.assertEqual(shown, expected)


class Lookalikes(unittest.TestCase):
    def test_marks_typed_for_operators(self):
        expression = "１２×３ー６÷２‐１"   # 12*3-6/2-1
        for extra in ([], ["--encoding", "cp932"]):
            encoded = expression.encode("cp932" if extra else "utf-8")
            with self.subTest(extra=extra):
                self.assertEqual(run([*extra, encoded])[:2], (1, b"Err.Syntax\n"))
                self.assertEqual(run([*extra, "--lookalikes", encoded])[:2], (0, b"32\n"))


class BrokenPipe(unittest.TestCase):
    def test_closed_output_pipe_ends_the_tool_quietly(self):
        # Also when started with SIGPIPE ignored, as some shells and
        # services do: the tool resets it.
        for disposition in (signal.SIG_DFL, signal.SIG_IGN):
            with self.subTest(disposition=disposition):
                proc = subprocess.Popen(
                    [EVALO], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                    stderr=subprocess.PIPE, env=dict(os.environ, LC_ALL="C"),
                    preexec_fn=lambda: signal.signal(signal.SIGPIPE, disposition))
                proc.stdout.close()  # the reader is gone before any answer
                proc.stdin.write(b"1+1\n2+2\n")
                proc.stdin.close()
                self.assertEqual(proc.wait(timeout=10), -signal.SIGPIPE)
                self.assertEqual(proc.stderr.read(), b"")
                proc.stderr.close()


def over_long_batch(line_length, limit_args):
    return run(limit_args, stdin=b"1+1\n" + b"1" * line_length + b"\n2+2\n")


class LongLines(unittest.TestCase):
    def test_lines_up_to_the_limit_are_evaluated(self):
        cases = [
            # input, answers
            (b"1+1+1\n", ["3"]),
            (b"1+1+11\n2+2\n", ["Err.Memory", "4"]),
            (b"1+1+1\r\n", ["Err.Memory"]),     # the CR counts
            (b"2+2\n1+1+11", ["4", "Err.Memory"]),  # a last line without LF
        ]
        for stdin, expected in cases:
            with self.subTest(stdin=stdin):
                rc, out, err = run(["--max-line-bytes", "5"], stdin=stdin)
                self.assertEqual(lines(out), expected)
                self.assertEqual(rc, 1 if "Err.Memory" in expected else 0)
                if rc:
                    self.assertIn("longer than 5 bytes (see --max-line-bytes)", err)

    def test_default_limit_is_8_mib(self):
        for length, middle in ((8 << 20, "Err.Math"), ((8 << 20) + 1, "Err.Memory")):
            with self.subTest(length=length):
                rc, out, err = over_long_batch(length, [])
                self.assertEqual((rc, lines(out)), (1, ["2", middle, "4"]))
                self.assertEqual("line 2: longer" in err, middle == "Err.Memory")

    def test_over_long_line_is_answered_before_it_ends(self):
        proc = subprocess.Popen([EVALO, "--max-line-bytes=1000"], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                env=dict(os.environ, LC_ALL="C"))
        try:
            proc.stdin.write(b"1" * 5000)
            proc.stdin.flush()
            ready, _, _ = select.select([proc.stdout], [], [], 10)
            self.assertTrue(ready, "no answer while the over-long line is still open")
            self.assertEqual(proc.stdout.readline(), b"Err.Memory\n")
            proc.stdin.write(b"1" * 5000 + b"\n2+2\n")
            proc.stdin.flush()
            self.assertEqual(proc.stdout.readline(), b"4\n")
        finally:
            proc.stdin.close()
            proc.wait(timeout=10)
            proc.stdout.close()
        self.assertEqual(proc.returncode, 1)


def run_in_shell(script, limit_kib):
    """Runs a shell pipeline with the tool as $EVALO under ulimit -v."""
    proc = subprocess.run(["sh", "-c", f"ulimit -v {limit_kib}; {script}"],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120,
                          env=dict(os.environ, LC_ALL="C", EVALO=EVALO))
    return proc.returncode, proc.stdout, proc.stderr.decode("utf-8", "replace")


class MemoryPressure(unittest.TestCase):
    def test_300_mb_line_in_a_batch_under_a_memory_limit(self):
        batch = ("{ printf '1+1\\n'; head -c 300000000 /dev/zero | tr '\\0' 1; "
                 "printf '\\n2+2\\n'; } | \"$EVALO\" ")
        for limit_args, message in (("", "line 2: longer than 8388608 bytes"),
                                    ("--max-line-bytes 1000000000",
                                     "line 2: not enough memory to read it")):
            with self.subTest(limit_args=limit_args):
                rc, out, err = run_in_shell(batch + limit_args, 400000)
                self.assertEqual(lines(out), ["2", "Err.Memory", "4"])
                self.assertEqual(rc, 1)
                self.assertIn(message, err)
                self.assertNotIn("terminate", err)

    def test_zero_bytes_without_end_of_line(self):
        rc, out, err = run_in_shell('head -c 50M /dev/zero | "$EVALO"', 200000)
        self.assertEqual((rc, lines(out)), (1, ["Err.Memory"]))
        self.assertIn("line 1: longer than", err)

    def test_endless_line_is_answered_and_skipped_in_bounded_memory(self):
        with open("/dev/zero", "rb") as zero:
            proc = subprocess.Popen([EVALO], stdin=zero, stdout=subprocess.PIPE,
                                    stderr=subprocess.DEVNULL, env=dict(os.environ, LC_ALL="C"))
        try:
            ready, _, _ = select.select([proc.stdout], [], [], 20)
            self.assertTrue(ready)
            self.assertEqual(proc.stdout.readline(), b"Err.Memory\n")
            read_bytes = 0
            deadline = time.monotonic() + 30
            while read_bytes < 500_000_000 and time.monotonic() < deadline:
                time.sleep(0.1)
                with open(f"/proc/{proc.pid}/io") as io:
                    read_bytes = int(io.readline().split()[1])  # rchar
            with open(f"/proc/{proc.pid}/status") as status:
                peak_kib = next(int(line.split()[1]) for line in status
                                if line.startswith("VmHWM:"))
            self.assertIsNone(proc.poll())
        finally:
            proc.kill()
            proc.wait(timeout=10)
            proc.stdout.close()
        self.assertGreaterEqual(read_bytes, 500_000_000)
        self.assertLess(peak_kib, 64 * 1024)

    def test_each_large_allocation_failing_in_turn(self):
        # A 1.2 MB line and allocations from 1 MiB on: the line is read,
        # converted and copied by the library (whose own shortage is its
        # Err.Memory), each needing one or two such allocations. Failing each
        # in turn must answer that line alone with Err.Memory; once the count
        # passes them all, the line is evaluated.
        line = b"+".join([b"1"] * 600000)
        env = dict(os.environ, LC_ALL="C", EVALO_LARGE_ALLOCATION_BYTES=str(1 << 20),
                   LD_PRELOAD=os.environ["EVALO_FAIL_ALLOCATION_LIBRARY"])
        for encoding in ("UTF-8", "EUC-JP"):
            failed_at = []
            for number in range(20):
                proc = subprocess.run(
                    [EVALO, "--encoding", encoding], input=b"1+1\n" + line + b"\n2+2\n",
                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30,
                    env=dict(env, EVALO_FAIL_LARGE_ALLOCATION=str(number)))
                err = proc.stderr.decode()
                place = f"{encoding}, allocation {number}"
                self.assertNotIn("terminate", err, place)
                answers = lines(proc.stdout)
                self.assertEqual(len(answers), 3, place)
                self.assertEqual((answers[0], answers[2]), ("2", "4"), place)
                if answers[1] == "600000":
                    self.assertEqual((proc.returncode, err), (0, ""))
                    break
                self.assertEqual((answers[1], proc.returncode), ("Err.Memory", 1), place)
                failed_at.append(number)
            self.assertEqual(answers[1], "600000", f"{encoding}: more than 20 allocations")
            self.assertGreaterEqual(len(failed_at), 2, encoding)


class Terminal(unittest.TestCase):
    def run_on_terminal(self, stdout_is_terminal):
        master, slave = pty.openpty()
        try:
            proc = subprocess.Popen(
                [EVALO], stdin=slave,
                stdout=slave if stdout_is_terminal else subprocess.PIPE,
                stderr=subprocess.DEVNULL, env=dict(os.environ, LC_ALL="C"))
            os.close(slave)
            slave = None
            os.write(master, b"1+2\n\x04")  # a line, then end of input
            captured = b""
            while proc.poll() is None or select.select([master], [], [], 0)[0]:
                if select.select([master], [], [], 1)[0]:
                    try:
                        captured += os.read(master, 4096)
                    except OSError:  # the terminal closed with the process
                        break
            piped = proc.stdout.read() if proc.stdout else b""
            proc.wait(timeout=10)
            return proc.returncode, captured, piped
        finally:
            os.close(master)
            if slave is not None:
                os.close(slave)

    def test_prompt_only_when_both_ends_are_terminals(self):
        rc, captured, _ = self.run_on_terminal(stdout_is_terminal=True)
        self.assertEqual(rc, 0)
        self.assertIn(b"> ", captured)
        self.assertIn(b"3\r\n", captured)
        rc, captured, piped = self.run_on_terminal(stdout_is_terminal=False)
        self.assertEqual((rc, piped), (0, b"3\n"))
        self.assertNotIn(b"> ", captured)


if __name__ == "__main__":
    EVALO = sys.argv[1]
    unittest.main(argv=[sys.argv[0], "-v", *sys.argv[2:]])
