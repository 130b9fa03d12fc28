#!/usr/bin/env python3
"""tools/gen_dialogs.py: what the simulated host's dialog templates are made from. It reads the controls as the
resource compiler makes them, resolves symbolic ids, refuses what it does not know, and the program's main
template holds every control the code names."""
import pathlib
import re
import subprocess
import sys
import tempfile
import unittest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
TOOLS = SOURCE / "tools"
sys.path.insert(0, str(TOOLS))

import gen_dialogs  # noqa: E402

HEADER = "#define IDD_MAIN 102\n#define IDC_LIST 1025\n#define IDC_GO 1000\n"


def script(*body, header=("CAPTION \"Main\"",), name="IDD_MAIN"):
    return "\n".join([f"{name} DIALOGEX 0, 0, 100, 50", *header, "BEGIN", *(f"    {b}" for b in body), "END", ""])


def parse(rc_text, header=HEADER):
    defines = {**gen_dialogs.parse_defines(rc_text), **gen_dialogs.parse_defines(header)}
    return gen_dialogs.parse_dialogs(rc_text, defines, "test.rc")


def seen(control):
    return (control.id, control.class_name, control.text, control.enabled, control.visible)


class Statements(unittest.TestCase):
    # (statement, (id, class, text, enabled, visible)): every kind starts visible, as the compilers make it.
    CASES = [
        ('LTEXT "Name:", IDC_GO, 1, 2, 3, 4', (1000, "Static", "Name:", True, True)),
        ('CTEXT "a", 7, 1, 2, 3, 4, SS_NOPREFIX', (7, "Static", "a", True, True)),
        ('RTEXT "a", 7, 1, 2, 3, 4, NOT WS_VISIBLE', (7, "Static", "a", True, False)),
        ('PUSHBUTTON "Go", IDC_GO, 1, 2, 3, 4, BS_MULTILINE | WS_DISABLED', (1000, "Button", "Go", False, True)),
        ('DEFPUSHBUTTON "OK", IDOK, 1, 2, 3, 4, WS_GROUP', (1, "Button", "OK", True, True)),
        ('PUSHBUTTON "Close", IDCANCEL, 1, 2, 3, 4', (2, "Button", "Close", True, True)),
        ('AUTOCHECKBOX "c", 5, 1, 2, 3, 4', (5, "Button", "c", True, True)),
        ('GROUPBOX "g", 5, 1, 2, 3, 4', (5, "Button", "g", True, True)),
        ('EDITTEXT 9, 1, 2, 3, 4, ES_AUTOHSCROLL | WS_DISABLED', (9, "Edit", "", False, True)),
        ('COMBOBOX 9, 1, 2, 3, 4, CBS_DROPDOWNLIST', (9, "ComboBox", "", True, True)),
        ('LISTBOX 9, 1, 2, 3, 4', (9, "ListBox", "", True, True)),
        ('ICON IDD_MAIN, IDC_STATIC, 1, 2, 21, 20', (-1, "Static", "", True, True)),
        ('CONTROL "", IDC_LIST, "SysListView32", LVS_REPORT | WS_BORDER | NOT WS_VISIBLE, 1, 2, 3, 4',
         (1025, "SysListView32", "", True, False)),
        ('CONTROL "x", 3, "button", BS_AUTOCHECKBOX | WS_TABSTOP, 1, 2, 3, 4', (3, "Button", "x", True, True)),
        ('CONTROL "x", 3, "Static", SS_LEFT | 0x08000000, 1, 2, 3, 4', (3, "Static", "x", False, True)),
        ('CONTROL "x", 3, "Static", SS_LEFT | NOT 0x10000000, 1, 2, 3, 4, WS_EX_STATICEDGE',
         (3, "Static", "x", True, False)),
        ('PUSHBUTTON "say ""hi""\\n", 3, 1, 2, 3, 4', (3, "Button", 'say "hi"\n', True, True)),
        ('PUSHBUTTON "a", 3, 1, 2, 3, 4, NOT WS_DISABLED', (3, "Button", "a", True, True)),
    ]

    def test_each_kind(self):
        rc = "#define IDC_STATIC (-1)\n" + script(*(statement for statement, _ in self.CASES))
        controls = parse(rc)[0].controls
        self.assertEqual(len(controls), len(self.CASES))
        for (statement, expected), control in zip(self.CASES, controls):
            with self.subTest(statement=statement):
                self.assertEqual(seen(control), expected)

    def test_statement_over_two_lines(self):
        rc = script('CONTROL "", IDC_LIST, "SysListView32", LVS_REPORT |', "NOT WS_VISIBLE, 1, 2, 3, 4 // the list")
        self.assertEqual([seen(c) for c in parse(rc)[0].controls], [(1025, "SysListView32", "", True, False)])

    def test_dialog_ids_and_captions(self):
        about = script('LTEXT "b", 2, 1, 2, 3, 4', name="100", header=(
            "STYLE DS_SETFONT | WS_POPUP", 'CAPTION "About ""it"""', 'FONT 8, "MS Shell Dlg", 0, 0, 0x1'))
        rc = "// DIALOG templates below\n" + script('LTEXT "a", 1, 1, 2, 3, 4') + about
        dialogs = parse(rc)
        self.assertEqual([(d.id, d.caption) for d in dialogs], [(102, "Main"), (100, 'About "it"')])


class Refusals(unittest.TestCase):
    # (case, script, a text the refusal must hold)
    CASES = [
        ("unknown statement", script('SLIDER "a", 3, 1, 2, 3, 4'), "test.rc:4: unknown control statement SLIDER"),
        ("unknown id", script('LTEXT "a", IDC_NOWHERE, 1, 2, 3, 4'), "IDC_NOWHERE is defined neither"),
        ("unknown dialog id", script(name="IDD_OTHER"), "IDD_OTHER is defined neither"),
        ("named dialog", script(name='"MAIN"'), "string name"),
        ("old DIALOG", script().replace("DIALOGEX", "DIALOG"), "only DIALOGEX is read"),
        ("unknown header", script(header=("MENU IDR_MENU",)), "unknown dialog statement MENU"),
        ("visible both ways", script('LTEXT "a", 3, 1, 2, 3, 4, WS_VISIBLE | NOT WS_VISIBLE'),
         "WS_VISIBLE is both set and taken away"),
        ("disabled both ways", script('LTEXT "a", 3, 1, 2, 3, 4, NOT WS_DISABLED | 0x08000000'),
         "WS_DISABLED is both set and taken away"),
        ("style expression", script('LTEXT "a", 3, 1, 2, 3, 4, (WS_GROUP)'), "cannot read"),
        ("style arithmetic", script('LTEXT "a", 3, 1, 2, 3, 4, WS_GROUP + 1'), "cannot read"),
        ("lower-case style", script('LTEXT "a", 3, 1, 2, 3, 4, group'), "not a style name"),
        ("missing text", script("LTEXT 3, 1, 2, 3, 4"), "LTEXT takes 6 to 8 arguments"),
        ("class by name", script('CONTROL "", 3, WC_LISTVIEW, LVS_REPORT, 1, 2, 3, 4'), "the class is not a string"),
        ("unknown escape", script('LTEXT "a\\q", 3, 1, 2, 3, 4'), "unknown escape \\q"),
        ("unterminated text", script('LTEXT "a, 3, 1, 2, 3, 4'), "cannot read"),
        ("preprocessor", script('#ifdef X', 'LTEXT "a", 3, 1, 2, 3, 4', '#endif'), "preprocessor line"),
        ("no END", script('LTEXT "a", 3, 1, 2, 3, 4')[: -len("END\n")], "has no END"),
        ("twice", script() + script(name="102"), "dialog 102 is defined twice"),
        ("no dialog", "IDR_X ICON \"x.ico\"\n", "no DIALOGEX"),
    ]

    def test_refused_with_reason(self):
        for case, rc, reason in self.CASES:
            with self.subTest(case=case):
                with self.assertRaises(gen_dialogs.Refusal) as refused:
                    parse(rc)
                self.assertIn(reason, str(refused.exception))

    def test_command_line_fails_and_writes_nothing(self):
        with tempfile.TemporaryDirectory() as folder:
            root = pathlib.Path(folder)
            (root / "bad.rc").write_text(script('SLIDER "a", 3, 1, 2, 3, 4'), encoding="utf-8")
            (root / "resource.h").write_text(HEADER, encoding="utf-8")
            out = root / "table.cpp"
            run = subprocess.run([sys.executable, str(TOOLS / "gen_dialogs.py"), "--rc", str(root / "bad.rc"),
                                  "--header", str(root / "resource.h"), "--cpp", str(out)],
                                 capture_output=True, text=True)
            self.assertNotEqual(run.returncode, 0, run.stdout)
            self.assertIn("bad.rc:4: unknown control statement SLIDER", run.stderr)
            self.assertFalse(out.exists())


class ProgramScript(unittest.TestCase):
    """The program's own resource script, as the build reads it."""

    @classmethod
    def setUpClass(cls):
        rc = (SOURCE / "src/res/fwupdate.rc").read_text(encoding="utf-8")
        cls.header = gen_dialogs.parse_defines((SOURCE / "src/res/resource.h").read_text(encoding="utf-8"))
        cls.dialogs = {d.id: d for d in gen_dialogs.parse_dialogs(rc, {**gen_dialogs.parse_defines(rc), **cls.header})}
        cls.main = cls.dialogs[cls.header["IDD_FWUPDATE_DIALOG"]]

    def test_main_template_holds_every_control_the_code_names(self):
        named = set()
        for path in (SOURCE / "src").rglob("*"):
            if path.suffix in (".cpp", ".h") and "res" not in path.relative_to(SOURCE / "src").parts:
                named |= set(re.findall(r"\bIDC_[A-Z0-9_]+\b", path.read_text(encoding="utf-8")))
        self.assertGreater(len(named), 5, "the code names no controls: the search is broken")
        ids = [c.id for c in self.main.controls]
        for name in sorted(named | {"IDCANCEL"}):
            with self.subTest(name=name):
                value = self.header.get(name, gen_dialogs.WINDOWS_IDS.get(name))
                self.assertEqual(ids.count(value), 1, f"{name} = {value}; the template's ids: {ids}")

    def test_main_template_start_state(self):
        controls = {c.id: c for c in self.main.controls}
        lists = [c.id for c in self.main.controls if c.class_name == "SysListView32"]
        self.assertEqual(lists, [self.header["IDC_DEVICE_LIST"]], "the window model finds the list by its class")
        self.assertFalse(controls[self.header["IDC_DEVICE_LIST"]].visible)
        self.assertFalse(controls[self.header["IDC_UPDATE"]].enabled)
        self.assertEqual(self.main.caption, "Firmware Update Tool")
        hidden = [c.id for c in self.main.controls if not c.visible]
        disabled = [c.id for c in self.main.controls if not c.enabled]
        self.assertEqual((hidden, disabled), ([self.header["IDC_DEVICE_LIST"]], [self.header["IDC_UPDATE"]]))

    def test_about_box(self):
        about = self.dialogs[self.header["IDD_ABOUTBOX"]]
        self.assertEqual([(c.id, c.class_name) for c in about.controls],
                         [(-1, "Static"), (self.header["IDC_ABOUT_VERSION"], "Static"),
                          (self.header["IDC_ABOUT_DETAIL"], "Static"), (1, "Button")])


if __name__ == "__main__":
    unittest.main()
