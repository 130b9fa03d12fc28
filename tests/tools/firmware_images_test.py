#!/usr/bin/env python3
"""tools/firmware_images.py: the firmware images' table's reader. It reads the program's table, refuses with
the line a table it does not know or that contradicts itself, refuses an id the table does not name, and writes
the C++ header and the resource script's lines that the build compiles."""
import pathlib
import subprocess
import sys
import tempfile
import unittest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
TOOLS = SOURCE / "tools"
sys.path.insert(0, str(TOOLS))

import firmware_images  # noqa: E402
from firmware_images import Image  # noqa: E402

GOOD = ["# id file size boot-loaders direct standard checksum",
        "501  fw501.bin  64  others  0x0004  0x0101  0x1",
        "",
        "504  fw504.bin  96  4,6     0x1001  0x1002  0xFFFFFFFFFFFFFFFF"]


def read(*lines):
    with tempfile.TemporaryDirectory() as folder:
        table = pathlib.Path(folder) / "table.txt"
        table.write_text("\n".join(lines) + "\n", encoding="utf-8")
        return firmware_images.read(table)


class Reading(unittest.TestCase):
    def test_a_good_table(self):
        self.assertEqual(read(*GOOD), (Image(501, "fw501.bin", 64, None, 0x0004, 0x0101, 1),
                                       Image(504, "fw504.bin", 96, (4, 6), 0x1001, 0x1002, (1 << 64) - 1)))

    def test_the_programs_table(self):
        images = firmware_images.read()
        self.assertEqual([image.id for image in images], [501, 504, 505])
        self.assertEqual(firmware_images.by_id(505).file, "fw505.bin")

    # (case, the table's lines, the start of the refusal after the file name)
    REFUSALS = [
        ("no image", ["# nothing"], ": no image"),
        ("a field missing", ["501 fw501.bin 64 others 0x0004 0x0101"], ":1: 6 fields, a line has 7"),
        ("a field more", ["501 fw501.bin 64 others 0x0004 0x0101 0x1 x"], ":1: 8 fields"),
        ("an id in hex", [GOOD[1].replace("501 ", "0x1F5 ", 1)], ":1: id '0x1F5' is not a decimal number"),
        ("an id past a resource id", [GOOD[1].replace("501 ", "65536 ", 1)], ":1: id '65536' is not a decimal"),
        ("id 0", [GOOD[1].replace("501 ", "0 ", 1)], ":1: id 0 is no resource id"),
        ("a file name with a folder", [GOOD[1].replace("fw501.bin", "a/fw501.bin")], ":1: file 'a/fw501.bin'"),
        ("a file name with a quote", [GOOD[1].replace("fw501.bin", 'fw"501.bin')], ":1: file 'fw\"501.bin'"),
        ("size 0", [GOOD[1].replace(" 64 ", " 0 ")], ":1: size 0"),
        ("a size past 32 bits", [GOOD[1].replace(" 64 ", " 4294967296 ")], ":1: size '4294967296'"),
        ("a boot loader past a byte", [GOOD[1], GOOD[3].replace("4,6", "4,256")], ":2: boot loader '256'"),
        ("an empty boot loader", [GOOD[1], GOOD[3].replace("4,6", "4,")], ":2: boot loader ''"),
        ("a code in decimal", [GOOD[1].replace("0x0004", "4")], ":1: direct code '4' is not a hex number"),
        ("a code past 16 bits", [GOOD[1].replace("0x0101", "0x10000")], ":1: standard code '0x10000'"),
        ("a checksum past 64 bits", [GOOD[1].replace(" 0x1", " 0x10000000000000000")],
         ":1: placeholder checksum '0x10000000000000000'"),
        ("an id twice", [GOOD[1], GOOD[3].replace("504 ", "501 ", 1)], ": id 501 named twice"),
        ("a file twice, whatever its case", [GOOD[1], GOOD[3].replace("fw504.bin", "FW501.bin")],
         ": file fw501.bin named twice, by image 501 and 504"),
        ("a code of two images", [GOOD[1], GOOD[3].replace("0x1002", "0x0101")],
         ": code 0x0101 named twice, by image 501 and 504"),
        ("one code on both paths", [GOOD[1], GOOD[3].replace("0x1002", "0x1001")],
         ": code 0x1001 named twice, by image 504 and 504"),
        ("a boot loader of two images", [GOOD[1], GOOD[3], "505 fw505.bin 8 6 0x1004 0x1005 0x2"],
         ": boot loader 6 named twice, by image 504 and 505"),
        ("no image for the other boot loaders", [GOOD[3]], ": 0 images marked others []"),
        ("two images for the other boot loaders", [GOOD[1], GOOD[3].replace("4,6", "others")],
         ": 2 images marked others [501, 504]"),
    ]

    def test_refusals(self):
        for case, lines, expected in self.REFUSALS:
            with self.subTest(case):
                with self.assertRaises(firmware_images.TableError) as refused:
                    read(*lines)
                self.assertIn("table.txt" + expected, str(refused.exception))

    def test_an_id_the_table_does_not_name_is_refused(self):
        for image_id in (0, 500, 502, 506, 501 + 65536):
            with self.subTest(image_id), self.assertRaises(KeyError):
                firmware_images.by_id(image_id)


class Writing(unittest.TestCase):
    def test_the_header(self):
        header = firmware_images.header(read(*GOOD))
        for line in ['    {501, "fw501.bin", 64, 0x0004, 0x0101, 0x0000000000000001ULL},',
                     '    {504, "fw504.bin", 96, 0x1001, 0x1002, 0xFFFFFFFFFFFFFFFFULL},',
                     "inline constexpr std::array<BootLoaderImage, 2> kBootLoaderImages{{\n    {4, 504},\n    {6, 504},\n}};",
                     "inline constexpr uint16_t kOtherBootLoadersImage = 501;"]:
            self.assertIn(line, header)

    def test_the_resource_lines(self):
        lines = firmware_images.rc_lines(read(*GOOD), "firmware").splitlines()
        self.assertEqual([line for line in lines if not line.startswith("//")],
                         ['501 BINARY "firmware/fw501.bin"', '504 BINARY "firmware/fw504.bin"'])

    def test_the_command_writes_only_what_changed_and_prints_the_names(self):
        with tempfile.TemporaryDirectory() as folder:
            folder = pathlib.Path(folder)
            command = [sys.executable, str(TOOLS / "firmware_images.py"), "--header", str(folder / "h.h"),
                       "--rc", str(folder / "f.rc"), "--rc-folder", "firmware"]
            done = subprocess.run(command, capture_output=True, text=True, check=True)
            self.assertEqual(done.stdout, "fw501.bin;fw504.bin;fw505.bin\n")
            (folder / "h.h").write_text(firmware_images.header(firmware_images.read()))  # the same text again
            before = (folder / "h.h").stat().st_mtime_ns
            (folder / "f.rc").write_text("stale")
            subprocess.run(command, capture_output=True, check=True)
            self.assertEqual((folder / "h.h").stat().st_mtime_ns, before, "an unchanged header was written again")
            self.assertIn('505 BINARY "firmware/fw505.bin"', (folder / "f.rc").read_text())

    def test_the_command_refuses_a_bad_table(self):
        with tempfile.TemporaryDirectory() as folder:
            table = pathlib.Path(folder) / "table.txt"
            table.write_text("501 fw501.bin 64 4 0x0004 0x0101 0x1\n")
            done = subprocess.run([sys.executable, str(TOOLS / "firmware_images.py"), str(table), "--header",
                                   f"{folder}/h.h", "--rc", f"{folder}/f.rc", "--rc-folder", "firmware"],
                                  capture_output=True, text=True)
            self.assertEqual(done.returncode, 1)
            self.assertIn("0 images marked others", done.stderr)
            self.assertFalse((pathlib.Path(folder) / "h.h").exists())


if __name__ == "__main__":
    unittest.main()
