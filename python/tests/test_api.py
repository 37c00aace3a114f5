"""The module-level API: values, texts, batches, exceptions, threads."""

import ctypes
import doctest
import math
import unittest

import evalo
import evalo._errors
import evalo._evaluator
import evalo._functions
from support import bits, run_threads


# Expressions of every outcome, for comparing paths with one another.
MIXED = ["(1+2)*3.5-4/2", "1/0", "", "(1", "0/-5", "１２，０００＋５００", "1 2", "SIN30",
         "1,234.5*1.08", "√９", "1" * 600, "((((1))))", "2^0.5", "LN0", "-1E400"]


class ValuesAndTextsTest(unittest.TestCase):
    def test_rows(self):
        rows = [
            # expression, format, value, text
            ("(1+2)*3.5-4/2", "", 8.5, "8.5"),
            ("1/3", "", 1 / 3, "0.333333333333333"),
            ("1/3", "5.2", 0.33, "0.33"),
            ("0/-5", "", -0.0, "-0"),
            ("１２，０００＋５００", "", 12500.0, "12500"),
            ("1234567.891", "%n", 1234567.891, "1,234,567.89"),
            ("PI", "%.3f", math.pi, "3.142"),
            ("1+2=anything after", "", 3.0, "3"),
        ]
        for expression, format_text, value, text in rows:
            with self.subTest(expression=expression, format=format_text):
                self.assertEqual(bits(evalo.evaluate(expression, format_text)), bits(value))
                self.assertEqual(evalo.evaluate_text(expression, format=format_text), text)

    def test_the_format_applies_to_its_call_only(self):
        self.assertEqual(evalo.evaluate_text("1/3", "5.2"), "0.33")
        self.assertEqual(evalo.evaluate_text("1/3"), "0.333333333333333")


class ExceptionsTest(unittest.TestCase):
    def test_errors_raise_with_code_name_and_text(self):
        rows = [
            ("1/0", evalo.ERR_MATH, "Math"),
            ("(1+2", evalo.ERR_BRACKET, "Bracket"),
            ("", evalo.ERR_SYNTAX, "Syntax"),
            ("1+xyz", evalo.ERR_SYNTAX, "Syntax"),
            ("(" * 300 + "1", evalo.ERR_STACK, "Stack"),
        ]
        for expression, code, name in rows:
            for function in (evalo.evaluate, evalo.evaluate_text):
                with self.subTest(expression=expression[:20], function=function.__name__):
                    with self.assertRaises(evalo.EvaluationError) as caught:
                        function(expression)
                    error = caught.exception
                    self.assertIsInstance(error, ValueError)
                    self.assertEqual((error.code, error.name, error.text),
                                     (code, name, "Err." + name))
                    self.assertEqual(error.expression, expression)
                    self.assertIsNone(error.index)
                    self.assertTrue(str(error).startswith("Err." + name))

    def test_places_in_characters_of_the_python_string(self):
        rows = [
            # expression, offset, length, caret line
            ("1+2/(3-3)", 3, 1, "       ^"),
            ("1+LN0", 2, 2, "      ^^"),
            ("（１＋２）／０", 5, 1, "              ^^"),  # full-width: two columns each
            ("€+1", 0, 1, "    ^"),
            ("2*(3+4", 2, 1, "      ^"),
        ]
        for expression, offset, length, caret in rows:
            with self.subTest(expression=expression):
                with self.assertRaises(evalo.EvaluationError) as caught:
                    evalo.evaluate(expression)
                error = caught.exception
                self.assertEqual((error.offset, error.length), (offset, length))
                self.assertEqual(str(error).split("\n")[1:], ["    " + expression, caret])
                batch = evalo.evaluate_many(["1", expression], errors="return")[1]
                self.assertEqual((batch.index, batch.offset, batch.length), (1, offset, length))

    def test_errors_without_a_place(self):
        with self.assertRaises(evalo.EvaluationError) as caught:
            evalo.evaluate_text("2^40", "%d")
        self.assertEqual((caught.exception.offset, caught.exception.length), (None, 0))
        self.assertNotIn("\n", str(caught.exception))

    def test_format_error_raises_from_the_text_path_only(self):
        self.assertEqual(evalo.evaluate("2^40", "%d"), 2.0 ** 40)
        with self.assertRaises(evalo.EvaluationError) as caught:
            evalo.evaluate_text("2^40", "%d")
        self.assertEqual(caught.exception.code, evalo.ERR_FORMAT)

    def test_message_quotes_long_expressions_briefly(self):
        with self.assertRaises(evalo.EvaluationError) as caught:
            evalo.evaluate("1+" * 100)
        self.assertIn("an expression of 200 characters", str(caught.exception))


class BatchTest(unittest.TestCase):
    def test_batch_equals_one_by_one(self):
        for format_text in ("", "5.2", "%.3f", "%d"):
            with self.subTest(format=format_text):
                values = evalo.evaluate_many(MIXED, format_text, errors="return")
                texts = evalo.evaluate_text_many(MIXED, format_text, errors="return")
                with evalo.Evaluator() as single:
                    single.set_format(format_text)
                    for i, expression in enumerate(MIXED):
                        value = single.evaluate(expression)
                        code = single.error_code()
                        text = single.evaluate_text(expression)
                        text_code = single.error_code()
                        if code:
                            self.assertEqual((values[i].code, values[i].index), (code, i))
                            self.assertEqual(bits(values[i].value), bits(value))
                        else:
                            self.assertEqual(bits(values[i]), bits(value), expression)
                        if text_code:
                            self.assertEqual(texts[i].text, text)
                        else:
                            self.assertEqual(texts[i], text)

    def test_error_modes(self):
        expressions = ["1", "1/0", "2", "(1"]
        with self.assertRaises(evalo.EvaluationError) as caught:
            evalo.evaluate_many(expressions)
        self.assertEqual((caught.exception.index, caught.exception.code), (1, evalo.ERR_MATH))
        self.assertIn("item 1", str(caught.exception))
        nan = evalo.evaluate_many(expressions, errors="nan")
        self.assertEqual([nan[0], nan[2]], [1.0, 2.0])
        self.assertTrue(math.isnan(nan[1]) and math.isnan(nan[3]))
        returned = evalo.evaluate_many(expressions, errors="return")
        self.assertEqual([e.code for e in returned[1::2]], [evalo.ERR_MATH, evalo.ERR_BRACKET])
        self.assertEqual(evalo.evaluate_text_many(expressions, errors="text"),
                         ["1", "Err.Math", "2", "Err.Bracket"])
        with self.assertRaises(evalo.EvaluationError) as caught:
            evalo.evaluate_text_many(expressions)
        self.assertEqual(caught.exception.index, 1)
        for function, mode in ((evalo.evaluate_many, "text"), (evalo.evaluate_text_many, "nan")):
            with self.assertRaisesRegex(ValueError, "errors must be"):
                function(expressions, errors=mode)

    def test_a_million_items_keep_their_places(self):
        count = 1_000_000
        failing = set(range(7, count, 9973))
        expressions = ["1/0" if i in failing else f"{i}+0.5" for i in range(count)]
        results = evalo.evaluate_many(expressions, errors="return")
        self.assertEqual(len(results), count)
        wrong = [i for i, r in enumerate(results)
                 if (r.index != i if i in failing else r != i + 0.5)]
        self.assertEqual(wrong, [])
        texts = evalo.evaluate_text_many(expressions, errors="text")
        self.assertEqual(texts[:9], ["0.5", "1.5", "2.5", "3.5", "4.5", "5.5", "6.5",
                                     "Err.Math", "8.5"])
        self.assertEqual([i for i, t in enumerate(texts) if t == "Err.Math"], sorted(failing))

    def test_empty_results_and_inputs(self):
        self.assertEqual(evalo.evaluate_many([]), [])
        self.assertEqual(evalo.evaluate_text_many(iter([])), [])
        self.assertEqual(evalo.evaluate_many(e for e in ("1", "2")), [1.0, 2.0])
        # A pattern without % writes empty texts, also after the last non-empty one.
        self.assertEqual(evalo.evaluate_text_many(["1", "(1", "2", "3"], "x", errors="text"),
                         ["", "Err.Bracket", "", ""])


class BadInputTest(unittest.TestCase):
    def test_non_text_is_a_type_error(self):
        for bad in (None, b"1+2", 12, 1.5):
            with self.subTest(bad=bad):
                for function in (evalo.evaluate, evalo.evaluate_text):
                    with self.assertRaisesRegex(TypeError, "must be str"):
                        function(bad)
                with self.assertRaisesRegex(TypeError, "format text must be str"):
                    evalo.evaluate("1", bad)
                for function in (evalo.evaluate_many, evalo.evaluate_text_many):
                    with self.assertRaisesRegex(TypeError, "item 2 must be str"):
                        function(["1", "2", bad])

    def test_nul_and_lone_surrogates_name_the_place(self):
        rows = [
            (["1\x002"], "item 0 .* NUL at position 1"),
            (["1", "2", "3+4\x00"], "item 2 .* NUL at position 3"),
            (["1", "x\ud800"], "item 1 .* surrogate at position 1"),
        ]
        for expressions, message in rows:
            with self.subTest(expressions=expressions):
                with self.assertRaisesRegex(evalo.EncodingError, message.split(" .* ")[1]):
                    evalo.evaluate(expressions[-1])
                for function in (evalo.evaluate_many, evalo.evaluate_text_many):
                    with self.assertRaisesRegex(evalo.EncodingError, message):
                        function(expressions)
        self.assertTrue(issubclass(evalo.EncodingError, ValueError))

    def test_fifty_megabytes(self):
        self.assertEqual(evalo.evaluate(" " * 50_000_000 + "7"), 7.0)
        self.assertEqual(evalo.evaluate("1+" * 25_000_000 + "1"), 25_000_001.0)
        self.assertEqual(evalo.evaluate_many(["1" * 50_000_000, "2"], errors="nan")[1], 2.0)

    def test_use_after_close(self):
        calc = evalo.Evaluator()
        calc.close()
        for call in (lambda: calc.evaluate("1"), lambda: calc.evaluate_many(["1"]),
                     lambda: calc.evaluate_text_many(["1"]), lambda: calc.set_format("")):
            with self.assertRaisesRegex(ValueError, "closed"):
                call()


class ThreadsTest(unittest.TestCase):
    def test_module_functions_from_many_threads(self):
        cases = [("1/3", "5.2", "0.33"), ("1/3", "", "0.333333333333333"),
                 ("PI", "%.2f", "3.14"), ("2^10", "%x", "400")]
        mismatches = []

        def run(expression, format_text, text):
            for _ in range(500):
                seen = (evalo.evaluate_text(expression, format_text),
                        evalo.evaluate_text_many([expression] * 3, format_text))
                if seen != (text, [text] * 3):
                    mismatches.append((expression, format_text, seen))
                    return
                try:
                    evalo.evaluate("1/0", format_text)
                    mismatches.append("no error")
                except evalo.EvaluationError as error:
                    if error.code != evalo.ERR_MATH:
                        mismatches.append(error)

        run_threads(run, cases * 2)
        self.assertEqual(mismatches, [])


class ProcessStateTest(unittest.TestCase):
    def test_the_binding_leaves_the_process_wide_state_alone(self):
        library = evalo._library.load()
        library.evalo.restype = ctypes.c_double
        library.evalo.argtypes = [ctypes.c_char_p]
        library.errors.restype = ctypes.c_char_p
        library.error.restype = ctypes.c_int
        library.format.restype = ctypes.c_char_p
        library.format.argtypes = [ctypes.c_char_p]
        library.format(b"5.2")
        library.evalo(b"1/0")
        self.assertEqual(library.errors(), b"Err.Math")

        evalo.evaluate("1/3", "7.1")
        evalo.evaluate_text("1+2", "%d")
        evalo.evaluate_many(["1", "(1"], errors="return")
        evalo.evaluate_text_many(["1", "1/0"], "%.1f", errors="text")
        self.assertRaises(evalo.EvaluationError, evalo.evaluate, "1+")
        evalo.library_version()
        with evalo.Evaluator() as calc:
            calc.set_format("%n")
            calc.evaluate("2^3")
            calc.version()

        self.assertEqual((library.error(), library.errors()), (evalo.ERR_MATH, b"Err.Math"))
        library.evalos.restype = ctypes.c_char_p
        self.assertEqual(library.evalos(b"1/3"), b"0.33")  # the process-wide format stays


def load_tests(loader, tests, ignore):
    for module in (evalo, evalo._errors, evalo._evaluator, evalo._functions):
        tests.addTests(doctest.DocTestSuite(module))
    return tests


if __name__ == "__main__":
    unittest.main()
