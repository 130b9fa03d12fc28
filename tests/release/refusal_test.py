#!/usr/bin/env python3
"""scripts/release refuses, before it builds or writes anything, a release it cannot make as asked: no firmware
images, images that fail their checks, both images and the placeholder flag, half a signing setting, a
source date that is no number. It runs with a PATH without cmake, so a refusal that went missing fails here
at once instead of building."""
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

from support import SOURCE, release_env, write_test_images

REFUSED = 2


class Refusals(unittest.TestCase):
    def setUp(self):
        self.root = pathlib.Path(tempfile.mkdtemp(prefix="fwu-refusal-"))
        self.addCleanup(shutil.rmtree, self.root)
        self.bin = self.root / "bin"  # what scripts/release needs to start, python and git; no cmake
        self.bin.mkdir()
        for program in ("bash", "dirname", "python3", "git"):
            found = shutil.which(program)
            if found:
                os.symlink(found, self.bin / program)
        self.dist = self.root / "dist"
        self.good = write_test_images(self.root / "good")
        self.short = self.root / "short"
        shutil.copytree(self.good, self.short)
        with open(self.short / "fw505.bin", "r+b") as image:
            image.truncate(13633427)
        (self.root / "p12").write_bytes(b"not really a certificate")

    # (case, release settings, flags, texts the refusal must name)
    def cases(self):
        images = {"FWU_FIRMWARE_DIR": self.good, "SOURCE_DATE_EPOCH": 1700000000}
        return [
            ("no images", {}, [], ["FWU_FIRMWARE_DIR", "fw501.bin, fw504.bin and fw505.bin", "--placeholder-images"]),
            ("an empty images setting", {"FWU_FIRMWARE_DIR": ""}, [], ["FWU_FIRMWARE_DIR"]),
            ("a folder without images", {"FWU_FIRMWARE_DIR": self.root / "bin"}, [],
             ["fw501.bin: missing", "fw504.bin: missing", "fw505.bin: missing"]),
            ("an image a byte short", {"FWU_FIRMWARE_DIR": self.short}, [],
             ["fw505.bin: 13633427 bytes, the image has exactly 13633428"]),
            ("images and the placeholder flag", images, ["--placeholder-images"], ["both given"]),
            ("a certificate without its password", dict(images, FWU_SIGN_PKCS12=self.root / "p12"), [],
             ["FWU_SIGN_PKCS12 and FWU_SIGN_PASSWORD"]),
            ("a password without a certificate", dict(images, FWU_SIGN_PASSWORD="x"), [],
             ["FWU_SIGN_PKCS12 and FWU_SIGN_PASSWORD"]),
            ("a certificate that is not there",
             dict(images, FWU_SIGN_PKCS12=self.root / "none.p12", FWU_SIGN_PASSWORD="x"), [],
             ["none.p12 is not a file"]),
            ("a source date that is no number", dict(images, SOURCE_DATE_EPOCH="yesterday"), [],
             ["SOURCE_DATE_EPOCH=yesterday"]),
        ]

    def test_refusals(self):
        for case, settings, flags, texts in self.cases():
            with self.subTest(case):
                env = release_env(**settings)
                env["PATH"] = str(self.bin)
                done = subprocess.run([str(SOURCE / "scripts" / "release"), "--dist", str(self.dist), *flags],
                                      env=env, capture_output=True, text=True, timeout=60)
                self.assertEqual(done.returncode, REFUSED, done.stdout + done.stderr)
                self.assertTrue(done.stderr.startswith("release refused: "), done.stderr)
                for text in texts:
                    self.assertIn(text, done.stderr)
                self.assertFalse(self.dist.exists() and any(self.dist.iterdir()), "the refusal wrote to dist")


if __name__ == "__main__":
    unittest.main(argv=sys.argv)
