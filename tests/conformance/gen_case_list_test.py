#!/usr/bin/env python3
"""tests/conformance/gen_case_list.py: every case defined in a *_cases.cpp file is in the list, once, in file
then definition order, and whatever starts like a case but is not one is refused with its line."""
import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import gen_case_list  # noqa: E402

SUITE = pathlib.Path(__file__).resolve().parent


class Lists(unittest.TestCase):
    def listed(self, files):
        with tempfile.TemporaryDirectory() as folder:
            paths = []
            for name, text in files.items():
                path = pathlib.Path(folder) / name
                path.write_text(text, encoding="utf-8")
                paths.append(str(path))
            return [name for name, _ in gen_case_list.case_list(paths)]

    def test_files_by_name_then_definition_order(self):
        files = {
            "window_cases.cpp": "void test_b(Context& t) {\n}\nvoid test_a(Context& t) {\n}\n",
            "alpha_cases.cpp": "namespace conformance {\nvoid test_z(Context& t) {\n  ok(1, \"\");\n}\n}\n",
        }
        self.assertEqual(self.listed(files), ["z", "b", "a"])

    def test_definition_shapes_that_are_cases(self):
        # (line, name): the spacing a definition may have.
        cases = [
            ("void test_plain(Context& t) {", "plain"),
            ("void test_spaced(Context &t) {", "spaced"),
            ("void test_unnamed(Context&) {", "unnamed"),
            ("void  test_wide ( Context & t )  {", "wide"),
        ]
        for line, name in cases:
            with self.subTest(line=line):
                self.assertEqual(self.listed({"a_cases.cpp": line + "\n}\n"}), [name])

    def test_lines_that_are_not_cases(self):
        # Helpers and calls do not start like a definition of a case.
        text = ("void Close(Context& t) {\n}\n"
                "  test_inner(t);\n"
                "// void test_in_a_comment(Context& t) {\n"
                "void test_real(Context& t) {\n  helper_test_x();\n}\n")
        self.assertEqual(self.listed({"a_cases.cpp": text}), ["real"])

    def test_refusals(self):
        # (what, files, words the refusal names)
        cases = [
            ("a static case", {"a_cases.cpp": "void test_a(Context& t) {}\nstatic void test_b(Context& t) {\n}\n"},
             "a_cases.cpp:2"),
            ("another signature", {"a_cases.cpp": "void test_a(Context& t, int n) {\n}\n"}, "a_cases.cpp:1"),
            ("a declaration", {"a_cases.cpp": "void test_a(Context& t);\nvoid test_b(Context& t) {\n}\n"},
             "a_cases.cpp:1"),
            ("a definition on two lines", {"a_cases.cpp": "void test_a(Context& t)\n{\n}\n"}, "a_cases.cpp:1"),
            ("a name twice", {"a_cases.cpp": "void test_a(Context& t) {\n}\n",
                              "b_cases.cpp": "void test_a(Context& t) {\n}\n"}, "test_a is defined in"),
            ("a file without a case", {"a_cases.cpp": "void test_a(Context& t) {\n}\n", "b_cases.cpp": "int x;\n"},
             "b_cases.cpp: a *_cases.cpp file defines at least one case"),
        ]
        for what, files, words in cases:
            with self.subTest(what=what):
                with self.assertRaises(gen_case_list.Refusal) as refused:
                    self.listed(files)
                self.assertIn(words, str(refused.exception))

    def test_the_suites_own_cases(self):
        # Every case the suite's files define is listed; a case with its definition's shape broken is not lost.
        files = sorted(SUITE.glob("*_cases.cpp"))
        defined = sum(text.count("\nvoid test_") for text in (f.read_text(encoding="utf-8") for f in files))
        self.assertEqual(len(gen_case_list.case_list([str(f) for f in files])), defined)
        self.assertGreater(defined, 0)

    def test_the_header_declares_and_lists_each_case(self):
        text = gen_case_list.header([("a", "x_cases.cpp"), ("b", "x_cases.cpp")])
        self.assertIn("void test_a(Context& t);\nvoid test_b(Context& t);\n", text)
        self.assertIn('    {"a", test_a},\n    {"b", test_b},\n};', text)


if __name__ == "__main__":
    unittest.main()
