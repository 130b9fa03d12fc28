#!/usr/bin/env python3
"""The checks a firmware image passes before a build embeds it: small files with the sizes faked where a case
needs no more, the generator's own placeholders at their real sizes, and the build's refusal.

    firmware_check_test.py --gen-firmware PATH   the native gen_firmware that writes the placeholders
"""
import argparse
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

from support import SOURCE, TOOLS, write_test_images

import check_firmware

GEN_FIRMWARE = None
PLACEHOLDERS = None  # the generator's images, made once
SMALL = ((501, 64), (504, 64), (505, 96))  # the real sizes are needed only where the content must be real


def small_folder(root, **replace):
    """Three small images that pass, with the named ones (fw501=...) replaced by given bytes, or removed."""
    folder = write_test_images(pathlib.Path(root) / "images", SMALL)
    for name, content in replace.items():
        path = folder / f"{name}.bin"
        path.unlink()
        if content == "folder":
            path.mkdir()
        elif content is not None:
            path.write_bytes(content)
    return folder


class ImageChecks(unittest.TestCase):
    # (case, replaced images, the one problem expected, or None when the images pass)
    CASES = [
        ("three good images", {}, None),
        ("an image missing", {"fw504": None}, "fw504.bin: missing"),
        ("a folder where an image should be", {"fw505": "folder"}, "fw505.bin: cannot be read"),
        ("one byte short", {"fw501": bytes(range(63))}, "fw501.bin: 63 bytes, the image has exactly 64"),
        ("one byte more", {"fw505": bytes(97)}, "fw505.bin: 97 bytes, the image has exactly 96"),
        ("the placeholder", {"fw501": check_firmware.placeholder_start(501, 64)},
         "fw501.bin: the generated placeholder of image 501"),
        ("another image's placeholder, renamed", {"fw505": check_firmware.placeholder_start(504, 96)},
         "fw505.bin: the generated placeholder of image 504"),
        ("zeros", {"fw504": bytes(64)}, "fw504.bin: every byte is 0x00"),
        ("an erased dump", {"fw504": b"\xff" * 64}, "fw504.bin: every byte is 0xFF"),
    ]

    def test_cases(self):
        for case, replace, expected in self.CASES:
            with self.subTest(case), tempfile.TemporaryDirectory() as root:
                taken, problems = check_firmware.read_images(small_folder(root, **replace), SMALL)
                if expected is None:
                    self.assertEqual(problems, [])
                    self.assertEqual(sorted(taken), ["fw501.bin", "fw504.bin", "fw505.bin"])
                else:
                    self.assertEqual(len(problems), 1, problems)
                    self.assertTrue(problems[0].startswith(expected), problems)
                    self.assertEqual(taken, {}, "no image is taken while one is refused")

    def test_the_generators_placeholders_are_refused(self):
        # The generator's real output, not the check's own idea of it: proves both make the same bytes.
        _, problems = check_firmware.read_images(PLACEHOLDERS)
        self.assertEqual(problems, [f"fw{n}.bin: the generated placeholder of image {n}, not the maker's firmware"
                                    for n in (501, 504, 505)])

    def test_the_command_copies_only_images_that_pass(self):
        check = [sys.executable, str(TOOLS / "check_firmware.py")]
        with tempfile.TemporaryDirectory() as root:
            good = write_test_images(pathlib.Path(root) / "good")
            bad = pathlib.Path(root) / "bad"
            shutil.copytree(good, bad)
            (bad / "fw505.bin").write_bytes(bytes(13633428))
            copied = pathlib.Path(root) / "copied"
            copied.mkdir()
            refused = subprocess.run(check + [str(bad), "--copy-to", str(copied)], capture_output=True, text=True)
            self.assertEqual(refused.returncode, 1, refused.stderr)
            self.assertIn("fw505.bin: every byte is 0x00", refused.stderr)
            self.assertEqual(list(copied.iterdir()), [])
            subprocess.run(check + [str(good), "--copy-to", str(copied)], check=True)
            for name in ("fw501.bin", "fw504.bin", "fw505.bin"):
                self.assertEqual((copied / name).read_bytes(), (good / name).read_bytes(), name)


class BuildChecks(unittest.TestCase):
    """The mingw build itself refuses images when it is configured and again when it takes them."""

    def configure(self, build, images):
        return subprocess.run(["cmake", "--preset", "win32", "-B", str(build), f"-DFWU_FIRMWARE_DIR={images}"],
                              cwd=SOURCE, capture_output=True, text=True)

    def test_configuring_refuses_a_placeholder(self):
        with tempfile.TemporaryDirectory() as root:
            images = write_test_images(pathlib.Path(root) / "images")
            shutil.copyfile(PLACEHOLDERS / "fw504.bin", images / "fw504.bin")
            done = self.configure(pathlib.Path(root) / "build", images)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn("fw504.bin: the generated placeholder of image 504", done.stderr)

    def test_an_image_changed_after_configuring_is_refused_when_taken(self):
        with tempfile.TemporaryDirectory() as root:
            build = pathlib.Path(root) / "build"
            images = write_test_images(pathlib.Path(root) / "images")
            configured = self.configure(build, images)
            self.assertEqual(configured.returncode, 0, configured.stderr)
            shutil.copyfile(PLACEHOLDERS / "fw501.bin", images / "fw501.bin")
            taken = subprocess.run(["cmake", "--build", str(build), "--target", "fwu_firmware"],
                                   capture_output=True, text=True)
            embedded = build / "gen" / "firmware" / "fw501.bin"
            self.assertNotEqual(taken.returncode, 0)
            self.assertIn("fw501.bin: the generated placeholder of image 501", taken.stdout + taken.stderr)
            self.assertFalse(embedded.exists(), "the refused image reached the build")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--gen-firmware", required=True)
    args, rest = parser.parse_known_args()
    GEN_FIRMWARE = args.gen_firmware
    with tempfile.TemporaryDirectory() as generated:
        PLACEHOLDERS = pathlib.Path(generated)
        subprocess.run([GEN_FIRMWARE, generated], check=True)
        unittest.main(argv=[sys.argv[0]] + rest)
