#!/usr/bin/env python3
"""Lists the conformance suite's cases for the build, as Wine's make_makefiles writes a test list: every
`void test_xxx(Context& t)` defined at the start of a line in a *_cases.cpp file is a case, named xxx. The
header it writes declares them and holds the table RunAll walks: files in the order of their names, the cases
of a file in the order they are defined. Anything else that starts like a case (a static one, another
signature, a name twice) is refused with its line rather than left out of the run."""
import argparse
import pathlib
import re
import sys

CASE = re.compile(r"void\s+test_(?P<name>\w+)\s*\(\s*Context\s*&\s*\w*\s*\)\s*\{")
# A line that looks like the start of a case definition or declaration, whatever its shape.
LOOKS_LIKE_CASE = re.compile(r"\s*(?:static\s+|inline\s+)*void\s+test_\w*\s*\(")


class Refusal(Exception):
    pass


def cases_of(path, text):
    """The names of the cases a file defines, in order."""
    names = []
    for number, line in enumerate(text.splitlines(), start=1):
        match = CASE.match(line)
        if match:
            names.append(match.group("name"))
        elif LOOKS_LIKE_CASE.match(line):
            raise Refusal(f"{path}:{number}: a case is defined as `void test_name(Context& t) {{` at the start of "
                          f"a line (test_ names are the cases'): {line.strip()}")
    if not names:
        raise Refusal(f"{path}: a *_cases.cpp file defines at least one case")
    return names


def case_list(files):
    """[(name, path)] in run order; files by name, cases in definition order."""
    listed = []
    seen = {}
    for path in sorted(files, key=lambda p: pathlib.Path(p).name):
        for name in cases_of(path, pathlib.Path(path).read_text(encoding="utf-8")):
            if name in seen:
                raise Refusal(f"{path}: test_{name} is defined in {seen[name]} already")
            seen[name] = path
            listed.append((name, path))
    return listed


def header(listed):
    lines = ["// Made by tests/conformance/gen_case_list.py from the *_cases.cpp files.", "#pragma once", "",
             "namespace conformance {", "", "struct Context;", ""]
    lines += [f"void test_{name}(Context& t);" for name, _ in listed]
    lines += ["", "struct Case {", "  const char* name;", "  void (*run)(Context&);", "};", "",
              "// In the order RunAll runs them.", "inline constexpr Case kCases[] = {"]
    lines += [f'    {{"{name}", test_{name}}},' for name, _ in listed]
    lines += ["};", "", "}  // namespace conformance", ""]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", required=True, help="the header to write")
    parser.add_argument("files", nargs="+", help="the *_cases.cpp files")
    args = parser.parse_args()
    try:
        text = header(case_list(args.files))
    except Refusal as refusal:
        print(f"gen_case_list: {refusal}", file=sys.stderr)
        return 1
    pathlib.Path(args.out).write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
