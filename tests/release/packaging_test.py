#!/usr/bin/env python3
"""The release's files follow from their inputs alone: zips written at different moments, from different
folders, are the same bytes; SHA256SUMS is what sha256sum checks; the end users' note is complete."""
import os
import pathlib
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile
from unittest import mock

import support  # noqa: F401 - puts tools/ on the path

import release_package

EPOCH = 1700000000  # 2023-11-14 22:13:20 UTC


class Zips(unittest.TestCase):
    ENTRIES = [("FWUpdate.exe", b"MZ" + bytes(range(256)) * 64), ("README.txt", b"a note\r\n")]

    def test_the_same_entries_make_the_same_bytes(self):
        with tempfile.TemporaryDirectory() as one, tempfile.TemporaryDirectory() as two:
            first = pathlib.Path(one) / "a.zip"
            release_package.write_zip(first, self.ENTRIES, EPOCH)
            # Another day, another umask: a clock or the writer's permissions that leaked in would show.
            later = time.time() + 86400 * 400
            old_umask = os.umask(0o077)
            self.addCleanup(os.umask, old_umask)
            second = pathlib.Path(two) / "b.zip"
            with mock.patch("time.time", return_value=later), \
                    mock.patch("time.localtime", return_value=time.gmtime(later)):
                release_package.write_zip(second, [(name, bytes(data)) for name, data in self.ENTRIES], EPOCH)
            self.assertEqual(first.read_bytes(), second.read_bytes())

    def test_entries_carry_the_source_date_and_fixed_attributes(self):
        # (source date, the date the entries carry)
        cases = [(EPOCH, (2023, 11, 14, 22, 13, 20)), (0, (1980, 1, 1, 0, 0, 0))]
        for epoch, date in cases:
            with self.subTest(epoch=epoch), tempfile.TemporaryDirectory() as folder:
                path = pathlib.Path(folder) / "a.zip"
                release_package.write_zip(path, self.ENTRIES, epoch)
                with zipfile.ZipFile(path) as archive:
                    infos = archive.infolist()
                    self.assertEqual([info.filename for info in infos], ["FWUpdate.exe", "README.txt"])
                    for info in infos:
                        self.assertEqual(info.date_time, date)
                        self.assertEqual((info.create_system, info.external_attr), (0, 0x20))
                        self.assertEqual(info.compress_type, zipfile.ZIP_DEFLATED)
                    self.assertEqual(archive.read("FWUpdate.exe"), self.ENTRIES[0][1])
                    self.assertEqual(archive.comment, b"")


class Sums(unittest.TestCase):
    def test_sha256sum_checks_them(self):
        with tempfile.TemporaryDirectory() as folder:
            folder = pathlib.Path(folder)
            files = [folder / "FWUpdate-1-x86.zip", folder / "FWUpdate-1-x64.zip"]
            for n, path in enumerate(files):
                path.write_bytes(bytes([n]) * 1000)
            release_package.write_sums(folder / "SHA256SUMS", files)
            lines = (folder / "SHA256SUMS").read_text().splitlines()
            self.assertEqual([line.split("  ")[1] for line in lines], ["FWUpdate-1-x64.zip", "FWUpdate-1-x86.zip"])
            checked = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=folder, capture_output=True, text=True)
            self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
            files[0].write_bytes(b"changed")
            checked = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=folder, capture_output=True, text=True)
            self.assertNotEqual(checked.returncode, 0, "a changed zip still checked")


class Note(unittest.TestCase):
    def test_the_note(self):
        # (architecture, program, placeholder, texts it must hold)
        cases = [
            ("x86", "FWUpdate.exe", False, ["FWUpdate 0.0.68.0", "32-bit and 64-bit Windows", "Administrator rights",
                                             "Windows Vista, 7, 8, 8.1 or 10", "IF AN UPDATE FAILS",
                                             "Start FWUpdate.exe.", "\"FWUpdate.exe -d\""]),
            ("x64", "FWUpdate.exe", False, ["64-bit Windows only"]),
            ("x86", "FWUpdate-PLACEHOLDER-IMAGES.exe", True, ["TEST BUILD - DO NOT USE ON A SCANNER",
                                                               "Start FWUpdate-PLACEHOLDER-IMAGES.exe."]),
        ]
        for arch, program, placeholder, texts in cases:
            with self.subTest(arch=arch, placeholder=placeholder):
                text = release_package.note("0.0.68.0", arch, program, placeholder).decode("utf-8")
                for wanted in texts:
                    self.assertIn(wanted, text.replace("\r\n", " ").replace("   ", " "))
                self.assertEqual("TEST BUILD" in text, placeholder)
                self.assertNotIn("$", text, "a field of the template was left unfilled")
                self.assertEqual(text.count("\n"), text.count("\r\n"), "a line ends without CR")
                self.assertTrue(text.isascii())


if __name__ == "__main__":
    unittest.main(argv=sys.argv)
