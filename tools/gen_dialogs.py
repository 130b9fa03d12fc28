#!/usr/bin/env python3
"""Generates the simulated host's dialog templates from the program's resource script: for each DIALOGEX, its
caption and, for each control, the id, the class Windows gives it, the text and whether it starts enabled and
visible. The script stays the one source of truth; anything in a dialog this reader does not know is refused
with its line, never guessed."""
import argparse
import pathlib
import re
import sys

from gen_strings import cpp_literal

WS_VISIBLE = 0x10000000
WS_DISABLED = 0x08000000

# The ids the Windows headers give the standard buttons, as the resource compiler sees them through windows.h.
WINDOWS_IDS = {"IDOK": 1, "IDCANCEL": 2, "IDABORT": 3, "IDRETRY": 4, "IDIGNORE": 5, "IDYES": 6, "IDNO": 7,
               "IDCLOSE": 8, "IDHELP": 9}

# Statement kinds: the class Windows creates and whether the statement starts with a text. Every kind, CONTROL
# included, starts as WS_CHILD | WS_VISIBLE in windres, wrc and rc alike; a style can only take that away with
# NOT WS_VISIBLE. So no kind starts hidden.
TEXT_STATEMENTS = {
    "LTEXT": "Static", "CTEXT": "Static", "RTEXT": "Static",
    "PUSHBUTTON": "Button", "DEFPUSHBUTTON": "Button", "CHECKBOX": "Button", "AUTOCHECKBOX": "Button",
    "RADIOBUTTON": "Button", "AUTORADIOBUTTON": "Button", "STATE3": "Button", "AUTO3STATE": "Button",
    "GROUPBOX": "Button",
}
PLAIN_STATEMENTS = {"EDITTEXT": "Edit", "LISTBOX": "ListBox", "COMBOBOX": "ComboBox", "SCROLLBAR": "ScrollBar"}
# CONTROL with one of these class names gets the predefined class (the compiler stores its ordinal).
PREDEFINED_CLASSES = {name.upper(): name for name in ("Button", "Static", "Edit", "ListBox", "ScrollBar", "ComboBox")}
HEADER_STATEMENTS = {"STYLE", "EXSTYLE", "CAPTION", "FONT"}

TOKEN = re.compile(r'\s*(?:(?P<string>L?"(?:[^"\\]|\\.|"")*")|(?P<number>-?(?:0[xX][0-9A-Fa-f]+|\d+)[lLuU]*)'
                   r'|(?P<name>[A-Za-z_]\w*)|(?P<punct>[,|]))')


class Refusal(Exception):
    pass


class Control:
    def __init__(self, ident, class_name, text, enabled, visible):
        self.id = ident
        self.class_name = class_name
        self.text = text
        self.enabled = enabled
        self.visible = visible

    def __repr__(self):
        return f"Control({self.id}, {self.class_name!r}, {self.text!r}, enabled={self.enabled}, visible={self.visible})"


class Dialog:
    def __init__(self, ident, line):
        self.id = ident
        self.line = line
        self.caption = ""
        self.controls = []


def parse_defines(text):
    """The plain integer defines of a header or script: NAME -> value."""
    defines = {}
    for match in re.finditer(r"^\s*#\s*define\s+(\w+)\s+\(?\s*(-?(?:0[xX][0-9A-Fa-f]+|\d+))\s*\)?\s*$", text, re.M):
        defines[match.group(1)] = int(match.group(2), 0)
    return defines


def tokenize(text, where):
    tokens = []
    pos = 0
    text = text.rstrip()
    while pos < len(text):
        match = TOKEN.match(text, pos)
        if not match or match.end() == pos:
            raise Refusal(f"{where}: cannot read {text[pos:].strip()!r}")
        kind = match.lastgroup
        tokens.append((kind, match.group(kind)))
        pos = match.end()
    return tokens


def unquote(literal, where):
    body = literal[2:-1] if literal.startswith("L") else literal[1:-1]
    escapes = {"n": "\n", "t": "\t", "\\": "\\", '"': '"'}
    out = []
    i = 0
    while i < len(body):
        c = body[i]
        if c == '"':  # a doubled quote stands for one
            out.append('"')
            i += 2
        elif c == "\\":
            nxt = body[i + 1 : i + 2]
            if nxt not in escapes:
                raise Refusal(f"{where}: unknown escape \\{nxt} in {literal}")
            out.append(escapes[nxt])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def split_arguments(tokens, where):
    """The comma-separated arguments of a statement, each a list of tokens."""
    arguments = [[]]
    for kind, value in tokens:
        if kind == "punct" and value == ",":
            arguments.append([])
        else:
            arguments[-1].append((kind, value))
    if any(not argument for argument in arguments):
        raise Refusal(f"{where}: an empty argument")
    return arguments


def number(argument, defines, where, what):
    if len(argument) != 1 or argument[0][0] not in ("number", "name"):
        raise Refusal(f"{where}: {what} is not a number or a name: {' '.join(v for _, v in argument)}")
    kind, value = argument[0]
    if kind == "number":
        return int(value.rstrip("lLuU"), 0)
    if value in defines:
        return defines[value]
    raise Refusal(f"{where}: {what} {value} is defined neither in the header nor in the script")


def string(argument, where, what):
    if len(argument) != 1 or argument[0][0] != "string":
        raise Refusal(f"{where}: {what} is not a string: {' '.join(v for _, v in argument)}")
    return unquote(argument[0][1], where)


def style_flags(argument, where):
    """(visible, enabled) after a style expression applied to a control that starts visible and enabled."""
    visible, enabled = True, True
    named = {"WS_VISIBLE": [], "WS_DISABLED": []}
    i = 0
    while i < len(argument):
        negated = argument[i] == ("name", "NOT")
        if negated:
            i += 1
        if i >= len(argument) or argument[i][0] not in ("name", "number"):
            raise Refusal(f"{where}: cannot read the style {' '.join(v for _, v in argument)}")
        kind, value = argument[i]
        if kind == "number":
            bits = int(value.rstrip("lLuU"), 0)
            for flag, name in ((WS_VISIBLE, "WS_VISIBLE"), (WS_DISABLED, "WS_DISABLED")):
                if bits & flag:
                    named[name].append(negated)
        elif value in named:
            named[value].append(negated)
        elif not re.fullmatch(r"[A-Z][A-Z0-9]*_[A-Z0-9_]+", value):
            raise Refusal(f"{where}: {value} is not a style name")
        i += 1
        if i < len(argument):
            if argument[i] != ("punct", "|"):
                raise Refusal(f"{where}: cannot read the style {' '.join(v for _, v in argument)}")
            i += 1
    for name, uses in named.items():
        # windres applies the terms left to right, wrc lets NOT win: the compilers disagree on a flag named both ways.
        if len(set(uses)) > 1:
            raise Refusal(f"{where}: {name} is both set and taken away")
    if named["WS_VISIBLE"]:
        visible = not named["WS_VISIBLE"][0]
    if named["WS_DISABLED"]:
        enabled = named["WS_DISABLED"][0]
    return visible, enabled


def parse_control(keyword, arguments, defines, where):
    def count(low, high):
        if not low <= len(arguments) <= high:
            raise Refusal(f"{where}: {keyword} takes {low} to {high} arguments, not {len(arguments)}")

    style = None
    if keyword == "CONTROL":
        count(8, 10)
        text_arg, id_arg, class_arg, style = arguments[0], arguments[1], arguments[2], arguments[3]
        # A text given as a number or a name is a resource (an icon or bitmap), not a text.
        text = string(text_arg, where, "the text") if text_arg[0][0] == "string" else ""
        if len(class_arg) != 1 or class_arg[0][0] != "string":
            raise Refusal(f"{where}: the class is not a string: {' '.join(v for _, v in class_arg)}")
        class_name = unquote(class_arg[0][1], where)
        class_name = PREDEFINED_CLASSES.get(class_name.upper(), class_name)
    elif keyword in TEXT_STATEMENTS:
        count(6, 8)
        text = string(arguments[0], where, "the text")
        id_arg, class_name = arguments[1], TEXT_STATEMENTS[keyword]
        style = arguments[6] if len(arguments) > 6 else None
    elif keyword in PLAIN_STATEMENTS:
        count(5, 7)
        text, id_arg, class_name = "", arguments[0], PLAIN_STATEMENTS[keyword]
        style = arguments[5] if len(arguments) > 5 else None
    elif keyword == "ICON":
        # ICON name, id, x, y [, width, height [, style [, extended style]]]: a static showing the icon.
        count(4, 8)
        text, id_arg, class_name = "", arguments[1], "Static"
        style = arguments[6] if len(arguments) > 6 else None
    else:
        raise Refusal(f"{where}: unknown control statement {keyword}")
    ident = number(id_arg, defines, where, "the id")
    visible, enabled = style_flags(style, where) if style is not None else (True, True)
    return Control(ident, class_name, text, enabled, visible)


def without_comment(line):
    """The line up to a // outside a string."""
    quoted = False
    for i, c in enumerate(line):
        if c == '"':
            quoted = not quoted  # a doubled quote flips twice
        elif not quoted and line.startswith("//", i):
            return line[:i]
    return line


def statements(lines, first):
    """The statements of a dialog's lines, a line ending in ',' or '|' going on in the next: (line number, text)."""
    pending, start = "", first
    for offset, line in enumerate(lines):
        stripped = without_comment(line).strip()
        if not stripped:
            continue
        if not pending:
            start = first + offset
        pending = f"{pending} {stripped}" if pending else stripped
        if not pending.endswith((",", "|")):
            yield start, pending
            pending = ""
    if pending:
        yield start, pending


def parse_dialogs(rc_text, defines, rc_name="fwupdate.rc"):
    defines = {**WINDOWS_IDS, **defines}
    lines = rc_text.split("\n")
    dialogs = []
    i = 0
    while i < len(lines):
        head = re.match(r"\s*(\S+)\s+(DIALOGEX|DIALOG)\b", without_comment(lines[i]))
        if not head:
            i += 1
            continue
        where = f"{rc_name}:{i + 1}"
        if head.group(2) == "DIALOG":
            raise Refusal(f"{where}: {head.group(1)} is a DIALOG; only DIALOGEX is read")
        if head.group(1).startswith('"'):
            raise Refusal(f"{where}: dialog {head.group(1)} has a string name; only numbered ones are read")
        dialog = Dialog(number(tokenize(head.group(1), where), defines, where, "the dialog id"), i + 1)
        if any(other.id == dialog.id for other in dialogs):
            raise Refusal(f"{where}: dialog {dialog.id} is defined twice")
        i += 1
        # The header, up to BEGIN.
        while i < len(lines) and without_comment(lines[i]).strip() != "BEGIN":
            where = f"{rc_name}:{i + 1}"
            words = without_comment(lines[i]).split(None, 1)
            if words and words[0] not in HEADER_STATEMENTS:
                raise Refusal(f"{where}: unknown dialog statement {words[0]}")
            if words and words[0] == "CAPTION":
                dialog.caption = string(split_arguments(tokenize(words[1], where), where)[0], where, "the caption")
            i += 1
        body_start = i + 1
        while i < len(lines) and without_comment(lines[i]).strip() != "END":
            i += 1
        if i == len(lines):
            raise Refusal(f"{rc_name}:{dialog.line}: dialog {dialog.id} has no END")
        for number_, text in statements(lines[body_start:i], body_start + 1):
            where = f"{rc_name}:{number_}"
            if text.startswith("#"):
                raise Refusal(f"{where}: a preprocessor line inside a dialog")
            keyword, _, rest = text.partition(" ")
            arguments = split_arguments(tokenize(rest, where), where)
            dialog.controls.append(parse_control(keyword, arguments, defines, where))
        dialogs.append(dialog)
        i += 1
    if not dialogs:
        raise Refusal(f"{rc_name}: no DIALOGEX")
    return dialogs


def write_cpp(dialogs):
    out = ["// Generated from src/res/fwupdate.rc and src/res/resource.h by tools/gen_dialogs.py. Do not edit.",
           '#include "simhost/dialog_templates.h"', "", "namespace simhost {", "",
           "const std::vector<DialogTemplate>& DialogTemplates() {",
           "  static const std::vector<DialogTemplate> templates = {"]
    for dialog in dialogs:
        out.append(f"      {{{dialog.id}, {cpp_literal(dialog.caption)}, {{")
        for c in dialog.controls:
            out.append(f"          {{{c.id}, {cpp_literal(c.class_name)}, {cpp_literal(c.text)}, "
                       f"{str(c.enabled).lower()}, {str(c.visible).lower()}}},")
        out.append("      }},")
    out += ["  };", "  return templates;", "}", "", "}  // namespace simhost", ""]
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rc", required=True, type=pathlib.Path)
    parser.add_argument("--header", required=True, type=pathlib.Path)
    parser.add_argument("--cpp", required=True, type=pathlib.Path)
    args = parser.parse_args()
    rc_text = args.rc.read_text(encoding="utf-8")
    try:
        # The script's own defines (IDC_STATIC) count too; the header wins, as it is included first.
        defines = {**parse_defines(rc_text), **parse_defines(args.header.read_text(encoding="utf-8"))}
        dialogs = parse_dialogs(rc_text, defines, args.rc.name)
    except Refusal as refusal:
        sys.exit(f"gen_dialogs: {refusal}")
    args.cpp.write_text(write_cpp(dialogs), encoding="utf-8")


if __name__ == "__main__":
    main()
