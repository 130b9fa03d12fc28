#!/usr/bin/env python3
"""Generates the string tables of every language from src/res/strings/*.txt: a resource script for the
program and a C++ table for the simulated host. The text files are the one source of truth."""
import argparse
import pathlib
import re
import sys


def parse_table(path):
    langid = None
    entries = {}
    for number, line in enumerate(path.read_text(encoding="utf-8").split("\n"), 1):
        if not line or line.startswith("#"):
            continue
        if line.startswith("langid "):
            langid = int(line.split()[1], 16)
            continue
        ident, sep, text = line.partition("\t")
        if not sep or not ident.isdigit():
            sys.exit(f"{path}:{number}: expected 'id<TAB>text'")
        entries[int(ident)] = unescape(text, path, number)
    if langid is None:
        sys.exit(f"{path}: no langid line")
    return langid, entries


def unescape(text, path, number):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\":
            nxt = text[i + 1 : i + 2]
            if nxt == "n":
                out.append("\n")
            elif nxt == "\\":
                out.append("\\")
            else:
                sys.exit(f"{path}:{number}: unknown escape \\{nxt}")
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def rc_literal(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '""').replace("\n", "\\n") + '"'


def cpp_literal(text):
    out = []
    for ch in text:
        code = ord(ch)
        if ch == "\\":
            out.append("\\\\")
        elif ch == '"':
            out.append('\\"')
        elif ch == "\n":
            out.append("\\n")
        elif 0x20 <= code < 0x7F:
            out.append(ch)
        else:
            out.append(f"\\x{code:04X}\" L\"")
    return 'L"' + "".join(out) + '"'


def main():
    parser = argparse.ArgumentParser()
    # Every table file by name, so that the build's command changes, and the tables are made again, when a
    # language is removed.
    parser.add_argument("--tables", required=True, nargs="+", type=pathlib.Path)
    parser.add_argument("--rc", required=True)
    parser.add_argument("--cpp", required=True)
    args = parser.parse_args()

    tables = [parse_table(p) for p in sorted(args.tables, key=lambda path: path.name)]
    english = dict(tables)[0x0409]
    placeholder = re.compile(r"%[sdu%]")
    for langid, entries in tables:
        if sorted(entries) != sorted(english):
            sys.exit(f"table 0x{langid:04X}: ids differ from English")
        for ident, text in entries.items():
            if placeholder.findall(text) != placeholder.findall(english[ident]):
                sys.exit(f"table 0x{langid:04X}, id {ident}: placeholders differ from English")

    rc = ["// Generated from src/res/strings/*.txt. Do not edit.", "#pragma code_page(65001)", ""]
    for langid, entries in tables:
        rc.append(f"LANGUAGE 0x{langid & 0x3FF:02X}, 0x{langid >> 10:02X}")
        rc.append("STRINGTABLE")
        rc.append("BEGIN")
        for ident in sorted(entries):
            rc.append(f"    {ident}, {rc_literal(entries[ident])}")
        rc.append("END")
        rc.append("")
    pathlib.Path(args.rc).write_text("\n".join(rc), encoding="utf-8")

    cpp = ["// Generated from src/res/strings/*.txt. Do not edit.", '#include "simhost/string_tables.h"', "",
           "namespace simhost {", "", "const std::vector<StringTableEntry>& StringTables() {",
           "  static const std::vector<StringTableEntry> entries = {"]
    for langid, entries in tables:
        for ident in sorted(entries):
            cpp.append(f"      {{0x{langid:04X}, {ident}, {cpp_literal(entries[ident])}}},")
    cpp += ["  };", "  return entries;", "}", "", "const std::vector<LANGID>& StringTableLanguages() {",
            "  static const std::vector<LANGID> languages = {" + ", ".join(f"0x{langid:04X}" for langid, _ in tables)
            + "};", "  return languages;", "}", "", "}  // namespace simhost", ""]
    pathlib.Path(args.cpp).write_text("\n".join(cpp), encoding="utf-8")


if __name__ == "__main__":
    main()
