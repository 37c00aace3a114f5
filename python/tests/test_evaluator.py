"""Evaluator: one context held explicitly."""

import sys
import unittest

import evalo
from support import bits, run_threads



class EvaluatorTest(unittest.TestCase):
    def setUp(self):
        self.calc = evalo.Evaluator()
        self.addCleanup(self.calc.close)

    def test_evaluations(self):
        rows = [
            # expression, value, text
            ("(1+2)*3.5-4/2", 8.5, "8.5"),
            ("2^3^2", 64.0, "64"),
            ("1,234.5+0.5", 1235.0, "1235"),
            ("0/-5", -0.0, "-0"),
            ("1/3", 1 / 3, "0.333333333333333"),
            ("1+2=whatever follows", 3.0, "3"),
        ]
        for expression, value, text in rows:
            with self.subTest(expression=expression):
                self.assertEqual(bits(self.calc.evaluate(expression)), bits(value))
                self.assertEqual(self.calc.error_code(), evalo.OK)
                self.assertEqual(self.calc.error_text(), "")
                self.assertEqual(self.calc.evaluate_text(expression), text)
                self.assertEqual(self.calc.error_code(), evalo.OK)

    def test_errors(self):
        rows = [
            ("1/0", evalo.ERR_MATH, "Err.Math"),
            ("(1+2", evalo.ERR_BRACKET, "Err.Bracket"),
            ("", evalo.ERR_SYNTAX, "Err.Syntax"),
            ("2(3+4)", evalo.ERR_BRACKET, "Err.Bracket"),
        ]
        for expression, code, text in rows:
            with self.subTest(expression=expression):
                self.calc.evaluate(expression)
                self.assertEqual((self.calc.error_code(), self.calc.error_text()), (code, text))
                self.assertEqual(self.calc.evaluate_text(expression), text)
                self.assertEqual((self.calc.error_code(), self.calc.error_text()), (code, text))
                # The next success clears the error.
                self.assertEqual(self.calc.evaluate("1"), 1.0)
                self.assertEqual((self.calc.error_code(), self.calc.error_text()), (0, ""))

    def test_formats(self):
        self.assertEqual(self.calc.set_format("5.2"), "5.2")
        self.assertEqual(self.calc.evaluate_text("1/3"), "0.33")
        self.assertEqual(bits(self.calc.evaluate("1/3")), bits(0.33))
        self.assertEqual(self.calc.evaluate_text("(1+2)*SIN30"), "-2.96")
        self.assertEqual(self.calc.set_format("%.3f"), "%.3f")
        self.assertEqual(self.calc.evaluate_text("PI"), "3.142")
        # Only 7 bytes are kept.
        self.assertEqual(self.calc.set_format("%012.3f"), "%012.3f")
        self.assertEqual(self.calc.set_format("%0123.3f"), "%0123.3")
        self.assertEqual(self.calc.set_format(""), "")
        self.assertEqual(self.calc.evaluate_text("1/4"), "0.25")

    def test_full_width_input(self):
        rows = [
            ("（１＋２）＊３", "", "9"),
            ("（１＋２）＊ＳＩＮ３０", "5.2", "-2.96"),
            ("√９", "", "3"),
            ("π/2", "", "1.5707963267949"),
        ]
        for expression, format_text, text in rows:
            with self.subTest(expression=expression):
                self.calc.set_format(format_text)
                self.assertEqual(self.calc.evaluate_text(expression), text)
                self.assertEqual(self.calc.error_code(), evalo.OK)

    def test_characters_without_a_meaning_are_syntax_errors_at_their_place(self):
        rows = [
            # expression, offset, length in characters
            ("1+\N{GRINNING FACE}", 2, 1),
            ("\N{EURO SIGN}5", 0, 1),
            ("（１＋２）＊ｘ", 6, 1),
        ]
        for expression, offset, length in rows:
            with self.subTest(expression=expression):
                self.calc.evaluate(expression)
                self.assertEqual(self.calc.error_code(), evalo.ERR_SYNTAX)
                self.assertEqual((self.calc.error_offset(), self.calc.error_length()),
                                 (offset, length))
        self.calc.evaluate("1")
        self.assertEqual((self.calc.error_offset(), self.calc.error_length()), (None, 0))

    def test_texts_the_library_cannot_take_are_refused(self):
        with self.assertRaisesRegex(evalo.EncodingError, "NUL at position 1"):
            self.calc.evaluate("1\x002")
        with self.assertRaisesRegex(evalo.EncodingError, "surrogate at position 2"):
            self.calc.evaluate_text("1+\ud800")
        with self.assertRaisesRegex(evalo.EncodingError, "format text"):
            self.calc.set_format("%.2f\x00")
        with self.assertRaises(TypeError):
            self.calc.evaluate(b"1+2")

    def test_lookalikes_only_when_asked(self):
        with evalo.Evaluator(lookalikes=True) as lenient:
            self.assertEqual(lenient.evaluate("１２×３ー６÷２"), 33.0)
        self.calc.evaluate("１２×３")
        self.assertEqual((self.calc.error_code(), self.calc.error_offset()),
                         (evalo.ERR_SYNTAX, 2))

    def test_version(self):
        self.assertEqual(self.calc.version(), "1.00")
        self.assertEqual(evalo.library_version(), "1.00")

    def test_closed_evaluator_refuses_calls(self):
        self.calc.close()
        with self.assertRaisesRegex(ValueError, "closed"):
            self.calc.evaluate("1")
        self.calc.close()  # closing twice is harmless


class SharingTest(unittest.TestCase):
    def test_evaluators_keep_their_own_format_and_error(self):
        with evalo.Evaluator() as rounded, evalo.Evaluator() as plain:
            rounded.set_format("5.2")
            rounded.evaluate("1/0")
            self.assertEqual(plain.evaluate_text("1/3"), "0.333333333333333")
            self.assertEqual(plain.error_code(), evalo.OK)
            self.assertEqual(rounded.error_code(), evalo.ERR_MATH)
            self.assertEqual(rounded.evaluate_text("1/3"), "0.33")

    def test_threads_sharing_an_evaluator_read_their_own_errors(self):
        calc = evalo.Evaluator()
        self.addCleanup(calc.close)
        cases = [("1/0", evalo.ERR_MATH, "Err.Math"),
                 ("(1", evalo.ERR_BRACKET, "Err.Bracket"),
                 ("7*6", evalo.OK, ""),
                 ("1 2", evalo.ERR_SYNTAX, "Err.Syntax")]
        mismatches = []

        def run(expression, code, text):
            for _ in range(2000):
                calc.evaluate(expression)
                seen = (calc.error_code(), calc.error_text())
                if seen != (code, text):
                    mismatches.append((expression, seen))
                    return

        # Switch threads as often as possible, so that another thread runs
        # between an evaluation and the reading of its error.
        self.addCleanup(sys.setswitchinterval, sys.getswitchinterval())
        sys.setswitchinterval(1e-6)
        run_threads(run, cases)
        self.assertEqual(mismatches, [])


class LoadingTest(unittest.TestCase):
    def test_a_path_given_is_loaded(self):
        with evalo.Evaluator(evalo._library.default_path()) as calc:
            self.assertEqual(calc.evaluate("2^10"), 1024.0)

    def test_missing_or_foreign_library_raises_import_error(self):
        rows = [
            ("/nonexistent/libevalo.so.1", "cannot load /nonexistent/libevalo.so.1"),
            ("libm.so.6", "libm.so.6 is too old: it lacks evalo_create"),
        ]
        for path, message in rows:
            with self.subTest(path=path):
                with self.assertRaisesRegex(ImportError, message) as caught:
                    evalo.Evaluator(path)
                self.assertIn("pip install", str(caught.exception))
                self.assertEqual(caught.exception.path, path)


if __name__ == "__main__":
    unittest.main()
