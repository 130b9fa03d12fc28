#!/usr/bin/env python3
"""A release from end to end, each in a copy of the source in a temporary folder that is removed afterwards:

1. scripts/release with three test images of the right sizes and a throwaway certificate and CA: both zips and
   SHA256SUMS, named with the version the programs carry; the programs carry exactly those images, no time
   stamp, and signatures that verify against that CA and not against another; the release's own verification
   refuses another CA and a SHA-1 digest.
2. The x86 release once more, in a second copy at another path: its program and its zip are the same bytes.
3. A signed placeholder release of the build this machine runs under Wine: named so in every file, in the
   version resource's comments and in its "-d" text, and its signed program updates the emulated scanner
   under Wine (update_standard).

Exit status 77 (skipped) when everything else passed but this machine runs neither build under Wine.

    release_build_test.py [--emulator PATH] [--rig-build DIR]
"""
import argparse
import hashlib
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

from support import PASSWORD, SOURCE, make_signing_certificate, release_env, write_test_images

import check_firmware
import pe_resources
import release_sign

SKIPPED = 77
RT_MANIFEST = 24
ARGS = None
WORK = None  # the temporary folder, with what setUpClass made
# The one place the version is written.
VERSION = re.search(r"project\(FWUpdate VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text()).group(1)
NOTICE = "[Build] Test build with placeholder firmware images"
SOURCE_DATE = 1700000000


def copy_source(destination):
    """The files of the working tree as git sees them (committed or not, ignored ones left out)."""
    listed = subprocess.run(["git", "-C", str(SOURCE), "ls-files", "-z", "-co", "--exclude-standard"],
                            capture_output=True, check=True).stdout.decode().split("\0")
    for name in filter(None, listed):
        source = SOURCE / name
        if source.is_file():
            (destination / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(source, destination / name)
    return destination


def release(copy, dist, *flags, **settings):
    """scripts/release of one copy; its output in a log beside dist, its last lines shown when it fails."""
    log = dist.with_suffix(".log")
    started = time.monotonic()
    with open(log, "w") as output:
        done = subprocess.run([str(copy / "scripts" / "release"), "--dist", str(dist), *flags],
                              env=release_env(SOURCE_DATE_EPOCH=SOURCE_DATE, **settings), stdout=output,
                              stderr=subprocess.STDOUT)
    print(f"release {' '.join(flags) or '(both)'} in {copy}: {time.monotonic() - started:.0f} s", flush=True)
    if done.returncode != 0:
        raise AssertionError(f"scripts/release failed ({done.returncode}):\n" +
                             "\n".join(log.read_text().splitlines()[-40:]))
    return dist


def unzip(path):
    with zipfile.ZipFile(path) as archive:
        return {info.filename: archive.read(info) for info in archive.infolist()}


def pe_time_stamp(program):
    header = struct.unpack_from("<I", program, 0x3C)[0]
    return struct.unpack_from("<I", program, header + 8)[0]


def osslsigncode(*args):
    return subprocess.run(["osslsigncode", *args], capture_output=True, text=True)


def authenticode_digest(program_path):
    report = osslsigncode("verify", "-in", str(program_path)).stdout
    return re.search(r"Current message digest\s*:\s*([0-9A-F]+)", report).group(1)


def wine_build():
    """(release architecture, rig architecture, rig build folder) of the build this machine runs, or the reason
    it runs none."""
    chosen = subprocess.run([sys.executable, str(SOURCE / "tests" / "wine" / "rig" / "machine.py")],
                            capture_output=True, text=True)
    if chosen.returncode != 0:
        return chosen.stderr.strip()
    preset = chosen.stdout.strip()
    release_arch, rig_arch = {"win32": ("x86", "i686"), "win64": ("x64", "x86_64")}[preset]
    return release_arch, rig_arch, pathlib.Path(ARGS.rig_build or SOURCE / "build" / preset)


class Release(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.images = write_test_images(WORK / "images")
        cls.pkcs12, cls.ca, cls.other_ca = make_signing_certificate(WORK / "pki")
        signing = {"FWU_SIGN_PKCS12": cls.pkcs12, "FWU_SIGN_PASSWORD": PASSWORD, "FWU_SIGN_CA": cls.ca}
        cls.one = copy_source(WORK / "one" / "FWUpdate")
        cls.two = copy_source(WORK / "two" / "another" / "path" / "FWUpdate")
        cls.dist = release(cls.one, WORK / "dist", FWU_FIRMWARE_DIR=cls.images, **signing)
        cls.program_one = (cls.one / "build" / "release" / "win32" / "src" / "FWUpdate.exe").read_bytes()
        cls.again = release(cls.two, WORK / "again", "--arch", "x86", FWU_FIRMWARE_DIR=cls.images, **signing)
        cls.program_two = (cls.two / "build" / "release" / "win32" / "src" / "FWUpdate.exe").read_bytes()
        cls.wine = wine_build()
        test_arch = cls.wine[0] if isinstance(cls.wine, tuple) else "x86"
        cls.test_dist = release(cls.two, WORK / "placeholder", "--placeholder-images", "--arch", test_arch,
                                **signing)
        cls.test_arch = test_arch

    def zip_name(self, arch, mark=""):
        return f"FWUpdate-{VERSION}-{arch}{mark}.zip"

    def test_the_release_is_two_zips_and_their_sums(self):
        names = sorted(path.name for path in self.dist.iterdir())
        self.assertEqual(names, sorted([self.zip_name("x64"), self.zip_name("x86"), "SHA256SUMS"]))
        expected = "".join(f"{hashlib.sha256((self.dist / name).read_bytes()).hexdigest()}  {name}\n"
                           for name in sorted([self.zip_name("x64"), self.zip_name("x86")]))
        self.assertEqual((self.dist / "SHA256SUMS").read_text(), expected)
        for arch in ("x86", "x64"):
            entries = unzip(self.dist / self.zip_name(arch))
            self.assertEqual(list(entries), ["FWUpdate.exe", "README.txt"], arch)
            note = entries["README.txt"].decode()
            self.assertIn(f"FWUpdate {VERSION}", note)
            self.assertNotIn("TEST BUILD", note)

    def test_the_programs_say_what_the_names_say_and_carry_the_images(self):
        for arch in ("x86", "x64"):
            program = unzip(self.dist / self.zip_name(arch))["FWUpdate.exe"]
            version, texts = pe_resources.read_version(program)
            self.assertEqual((version, texts["FileVersion"], texts["ProductVersion"]), (VERSION,) * 3, arch)
            self.assertNotIn("Comments", texts, arch)
            self.assertNotIn(NOTICE.encode("utf-16-le"), program, arch)
            for image_id, _ in check_firmware.IMAGES:
                name = check_firmware.image_name(image_id)
                self.assertEqual(pe_resources.find_resource(program, "BINARY", image_id),
                                 (self.images / name).read_bytes(), f"{arch} {name}")
            self.assertEqual(pe_time_stamp(program), 0, f"{arch}: a time stamp in the PE header")
            # Windows refuses to start a program whose manifest names another architecture's common controls.
            manifest = pe_resources.find_resource(program, RT_MANIFEST, 1).decode()
            wanted = {"x86": "x86", "x64": "amd64"}[arch]
            self.assertIn(f'processorArchitecture="{wanted}"', manifest, arch)
            self.assertNotIn("@", manifest, f"{arch}: a manifest the build did not fill in")

    def test_the_signatures_verify_against_their_ca_only(self):
        for arch in ("x86", "x64"):
            program = WORK / f"signed-{arch}.exe"
            program.write_bytes(unzip(self.dist / self.zip_name(arch))["FWUpdate.exe"])
            verified = osslsigncode("verify", "-in", str(program), "-CAfile", str(self.ca))
            self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)
            self.assertRegex(verified.stdout, r"Message digest algorithm\s*:\s*SHA256")
            self.assertIn("Signature verification: ok", verified.stdout)
            refused = osslsigncode("verify", "-in", str(program), "-CAfile", str(self.other_ca))
            self.assertNotEqual(refused.returncode, 0, f"{arch}: verified against a CA that signed nothing")

    def test_the_releases_own_verification_refuses_what_it_cannot_trust(self):
        # (case, how the program is signed, the CA the release trusts, the refusal)
        unsigned = WORK / "unsigned.exe"
        unsigned.write_bytes(self.program_one)
        cases = [
            ("another CA", ["-pkcs12", str(self.pkcs12), "-pass", PASSWORD, "-h", "sha256"], self.other_ca,
             "does not verify"),
            ("a SHA-1 digest", ["-pkcs12", str(self.pkcs12), "-pass", PASSWORD, "-h", "sha1"], self.ca,
             "not made with SHA-256"),
        ]
        for case, how, ca_file, refusal in cases:
            with self.subTest(case):
                signed = WORK / "refused.exe"
                signed.unlink(missing_ok=True)
                made = osslsigncode("sign", *how, "-in", str(unsigned), "-out", str(signed))
                self.assertEqual(made.returncode, 0, made.stdout + made.stderr)
                with self.assertRaisesRegex(release_sign.SigningError, refusal):
                    release_sign.verify(signed, ca_file)

    def test_a_second_build_elsewhere_is_the_same_bytes(self):
        self.assertEqual(hashlib.sha256(self.program_one).hexdigest(), hashlib.sha256(self.program_two).hexdigest(),
                         "the unsigned x86 programs differ")
        zip_name = self.zip_name("x86")
        self.assertEqual((self.dist / zip_name).read_bytes(), (self.again / zip_name).read_bytes(),
                         "the signed x86 zips differ")

    def test_a_rebuild_signed_by_someone_else_has_the_same_authenticode_digest(self):
        # What docs/release.md tells an administrator who rebuilds: the digest, not the file, compares.
        own = WORK / "own.exe"
        own.write_bytes(self.program_two)
        resigned = WORK / "resigned.exe"
        pki = self.pkcs12.parent
        signed = osslsigncode("sign", "-certs", str(pki / "other-ca.pem"), "-key", str(pki / "other-ca.key"),
                              "-h", "sha256", "-in", str(own), "-out", str(resigned))
        self.assertEqual(signed.returncode, 0, signed.stdout + signed.stderr)
        released = WORK / "released.exe"
        released.write_bytes(unzip(self.dist / self.zip_name("x86"))["FWUpdate.exe"])
        self.assertEqual(authenticode_digest(resigned), authenticode_digest(released))

    def test_a_placeholder_release_says_so_everywhere(self):
        mark = "-PLACEHOLDER-IMAGES"
        zip_name = self.zip_name(self.test_arch, mark)
        self.assertEqual(sorted(path.name for path in self.test_dist.iterdir()),
                         sorted([zip_name, f"SHA256SUMS{mark}"]))
        entries = unzip(self.test_dist / zip_name)
        self.assertEqual(list(entries), [f"FWUpdate{mark}.exe", f"README{mark}.txt"])
        program = entries[f"FWUpdate{mark}.exe"]
        _, texts = pe_resources.read_version(program)
        self.assertTrue(texts.get("Comments", "").startswith("Test build with placeholder firmware images"), texts)
        self.assertIn(NOTICE.encode("utf-16-le"), program, "the -d console's notice")
        self.assertTrue(entries[f"README{mark}.txt"].startswith(b"TEST BUILD - DO NOT USE ON A SCANNER"))
        for image_id, _ in check_firmware.IMAGES:
            carried = pe_resources.find_resource(program, "BINARY", image_id)
            self.assertEqual(check_firmware.placeholder_of(carried), image_id)

    def test_the_signed_program_updates_the_scanner_under_wine(self):
        if not isinstance(self.wine, tuple):
            self.skipTest(f"this machine runs neither build under Wine: {self.wine}")
        release_arch, rig_arch, rig_build = self.wine
        mark = "-PLACEHOLDER-IMAGES"
        program = unzip(self.test_dist / self.zip_name(release_arch, mark))[f"FWUpdate{mark}.exe"]
        # The rig's layout of a build: the signed program in place of the built one, the rest of that build.
        build = WORK / "rig-build"
        (build / "src").mkdir(parents=True)
        (build / "src" / "FWUpdate.exe").write_bytes(program)
        driver = pathlib.Path("emulator") / "wine_driver" / "tessaline_usbscan.sys"
        needed = [driver] + [pathlib.Path("tests") / "wine" / "programs" / f"{name}.exe"
                             for name in ("stisvc_standin", "rig_setup", "gui_driver")]
        for part in needed:
            self.assertTrue((rig_build / part).is_file(), f"{rig_build / part} is not built (scripts/test builds it)")
            (build / part).parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(rig_build / part, build / part)
        command = [sys.executable, str(SOURCE / "tests" / "wine" / "run_scenario.py"), "update_standard",
                   "--arch", rig_arch, "--build", str(build)]
        if ARGS.emulator:
            command += ["--emulator", ARGS.emulator]
        done = subprocess.run(command, capture_output=True, text=True, timeout=600)
        print(done.stdout, done.stderr, sep="", flush=True)
        if done.returncode == SKIPPED:
            self.skipTest("the Wine rig skipped the scenario")
        self.assertEqual(done.returncode, 0, "update_standard with the signed program")


def main():
    global ARGS, WORK
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--emulator", help="tessaline-emu (default: build/native's)")
    parser.add_argument("--rig-build", help="the mingw build with the Wine rig's programs (default: the preset's)")
    ARGS, rest = parser.parse_known_args()
    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="fwu-release-test-") as folder:
        WORK = pathlib.Path(folder)
        result = unittest.main(argv=[sys.argv[0], "-v"] + rest, exit=False).result
    print(f"release tests: {time.monotonic() - started:.0f} s")
    if not result.wasSuccessful():
        return 1
    return SKIPPED if result.skipped else 0


if __name__ == "__main__":
    sys.exit(main())
