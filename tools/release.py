#!/usr/bin/env python3
"""Cuts a release of FWUpdate.exe (docs/release.md): builds the x86 and x64 programs from clean build folders
with the maker's firmware images, signs them when a certificate is given, and writes one zip per architecture
(the program and a note for end users) and SHA256SUMS to dist/.

    scripts/release [--placeholder-images] [--arch x86|x64]... [--dist FOLDER]

Environment:
  FWU_FIRMWARE_DIR     the folder with the firmware images (src/res/firmware_images.txt names them); a
                       release without it is refused
  FWU_SIGN_PKCS12      a PKCS#12 file with the code-signing certificate and its key, and
  FWU_SIGN_PASSWORD    its password: both or neither; with them both programs are signed and verified
  FWU_SIGN_CA          optional: the certificate the signature must chain to, when not one the system trusts
  FWU_SIGN_TIMESTAMP   optional: an RFC 3161 time-stamp server's address
  SOURCE_DATE_EPOCH    the date written into the zips and the signatures; default: the commit's date

--placeholder-images builds a test release with the generated placeholder images instead: every file name,
the version resource's comments and the program's "-d" console say so.
"""
import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import check_firmware  # noqa: E402
import firmware_images  # noqa: E402
import pe_resources  # noqa: E402
import release_package  # noqa: E402
import release_sign  # noqa: E402

SOURCE = pathlib.Path(__file__).resolve().parents[1]
PRESETS = {"x86": "win32", "x64": "win64"}  # the CMake preset of each architecture's program
PLACEHOLDER_MARK = "-PLACEHOLDER-IMAGES"
# The version resource's comments of a placeholder build, from the header the resource script includes.
PLACEHOLDER_NOTICE = re.search(r'#define FWU_PLACEHOLDER_NOTICE\s*\\?\s*"([^"]*)"',
                               (SOURCE / "src" / "res" / "placeholder_notice.h").read_text()).group(1)

REFUSED = 2  # exit status of a refusal, before anything is built or written


class Refused(Exception):
    pass


def spoken_list(words):
    """'a, b and c'."""
    words = [str(word) for word in words]
    return words[0] if len(words) == 1 else ", ".join(words[:-1]) + " and " + words[-1]


def firmware_folder(placeholder):
    folder = os.environ.get("FWU_FIRMWARE_DIR", "")
    if placeholder:
        if folder:
            raise Refused(f"--placeholder-images and FWU_FIRMWARE_DIR={folder} both given: a release carries "
                          "either the maker's images or the placeholders; leave one out")
        return None, {}
    if not folder:
        images = firmware_images.read()
        raise Refused("a release carries the maker's firmware images: set FWU_FIRMWARE_DIR to the folder with "
                      f"{spoken_list(image.file for image in images)} "
                      f"({spoken_list(image.size for image in images)} bytes). "
                      "For a test release with placeholder images, which says so in every name, pass "
                      "--placeholder-images.")
    images, problems = check_firmware.read_images(folder)
    if problems:
        raise Refused(f"the firmware images in {folder} cannot be released:\n  " + "\n  ".join(problems))
    return pathlib.Path(folder).resolve(), images


def signing():
    """(PKCS#12 file, password, CA file or None, time-stamp server or None), or None for no signing."""
    pkcs12, password = os.environ.get("FWU_SIGN_PKCS12"), os.environ.get("FWU_SIGN_PASSWORD")
    if pkcs12 is None and password is None:
        return None
    if pkcs12 is None or password is None:
        raise Refused("signing needs both FWU_SIGN_PKCS12 and FWU_SIGN_PASSWORD (or neither, for an unsigned "
                      "release)")
    if not pathlib.Path(pkcs12).is_file():
        raise Refused(f"FWU_SIGN_PKCS12: {pkcs12} is not a file")
    ca_file = os.environ.get("FWU_SIGN_CA") or None
    if ca_file and not pathlib.Path(ca_file).is_file():
        raise Refused(f"FWU_SIGN_CA: {ca_file} is not a file")
    try:
        release_sign.tool()
    except release_sign.SigningError as missing:
        raise Refused(str(missing)) from None
    return pkcs12, password, ca_file, os.environ.get("FWU_SIGN_TIMESTAMP") or None


def source_date():
    given = os.environ.get("SOURCE_DATE_EPOCH")
    if given is not None:
        if not given.isdigit():
            raise Refused(f"SOURCE_DATE_EPOCH={given} is not a number of seconds")
        return int(given)
    found = subprocess.run(["git", "-C", str(SOURCE), "log", "-1", "--format=%ct"], capture_output=True,
                           text=True)
    if found.returncode != 0 or not found.stdout.strip().isdigit():
        raise Refused("no commit to take the date from: set SOURCE_DATE_EPOCH")
    return int(found.stdout.strip())


def note_uncommitted_changes():
    status = subprocess.run(["git", "-C", str(SOURCE), "status", "--porcelain", "--untracked-files=no"],
                            capture_output=True, text=True)
    if status.returncode == 0 and status.stdout.strip():
        print("release: note: the working tree has changes that are not committed; this release is not that of "
              "a commit", flush=True)


def build(preset, folder, firmware, epoch):
    """The program of one preset, built in `folder` from nothing."""
    shutil.rmtree(folder, ignore_errors=True)
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(epoch))
    subprocess.run(["cmake", "--preset", preset, "-B", str(folder), f"-DFWU_FIRMWARE_DIR={firmware or ''}"],
                   cwd=SOURCE, env=env, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(folder), "--target", "FWUpdate"], cwd=SOURCE, env=env, check=True)
    return folder / "src" / "FWUpdate.exe"


def check_program(program, images):
    """What the built program says it is and carries, checked against what the release asked for. Returns its
    version."""
    data = program.read_bytes()
    version, texts = pe_resources.read_version(data) or (None, {})
    if not version or texts.get("FileVersion") != version or texts.get("ProductVersion") != version:
        raise RuntimeError(f"{program}: the version resource disagrees with itself: {version}, {texts}")
    placeholder = not images
    if texts.get("Comments") != (PLACEHOLDER_NOTICE if placeholder else None):
        raise RuntimeError(f"{program}: its comments ({texts.get('Comments', 'none')!r}) do not match a "
                           f"{'placeholder' if placeholder else 'real'} release")
    for image_id, _ in check_firmware.IMAGES:
        carried = pe_resources.find_resource(data, "BINARY", image_id)
        name = check_firmware.image_name(image_id)
        wrong = (carried is None or check_firmware.placeholder_of(carried) != image_id if placeholder
                 else carried != images[name])
        if wrong:
            raise RuntimeError(f"{program}: image {image_id} is not the one the release was given")
    return version


def make(arches, firmware, images, signer, epoch, dist):
    """Builds, checks, signs and packs each architecture, then puts the release into `dist`."""
    note_uncommitted_changes()
    print(f"release: {' and '.join(arches)}, "
          f"{'placeholder images' if firmware is None else f'firmware images from {firmware}'}, "
          f"{'signed' if signer else 'unsigned'}, source date {epoch}", flush=True)
    mark = PLACEHOLDER_MARK if firmware is None else ""
    dist.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix=".release-", dir=dist) as staging:
        staging = pathlib.Path(staging)
        zips, versions = [], set()
        for arch in arches:
            program = build(PRESETS[arch], SOURCE / "build" / "release" / PRESETS[arch], firmware, epoch)
            version = check_program(program, images)
            versions.add(version)
            if signer:
                pkcs12, password, ca_file, timestamp = signer
                signed = staging / f"{arch}.exe"
                release_sign.sign(program, signed, pkcs12, password, epoch, timestamp)
                release_sign.verify(signed, ca_file)
                program = signed
            zip_path = staging / f"FWUpdate-{version}-{arch}{mark}.zip"
            program_name = f"FWUpdate{mark}.exe"
            release_package.write_zip(zip_path, [
                (program_name, program.read_bytes()),
                (f"README{mark}.txt", release_package.note(version, arch, program_name, firmware is None)),
            ], epoch)
            zips.append(zip_path)
        if len(versions) != 1:
            raise RuntimeError(f"the programs disagree on their version: {sorted(versions)}")
        release_package.write_sums(staging / f"SHA256SUMS{mark}", zips)

        # Only now, with everything made, dist/ takes the new files in place of an earlier release's.
        for old in list(dist.glob("FWUpdate-*.zip")) + list(dist.glob("SHA256SUMS*")):
            old.unlink()
        for made in zips + [staging / f"SHA256SUMS{mark}"]:
            made.replace(dist / made.name)
    print((dist / f"SHA256SUMS{mark}").read_text(), end="")
    print(f"release: written to {dist}")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--placeholder-images", action="store_true",
                        help="a test release with the generated placeholder images, named so")
    parser.add_argument("--arch", action="append", choices=sorted(PRESETS),
                        help="only this architecture (repeatable); default: both")
    parser.add_argument("--dist", default=str(SOURCE / "dist"), help="where the release goes (dist/)")
    args = parser.parse_args()
    arches = sorted(set(args.arch or PRESETS), key=list(PRESETS).index)
    try:
        firmware, images = firmware_folder(args.placeholder_images)
        signer = signing()
        epoch = source_date()
    except Refused as refusal:
        print(f"release refused: {refusal}", file=sys.stderr)
        return REFUSED

    try:
        return make(arches, firmware, images, signer, epoch, pathlib.Path(args.dist).resolve())
    except (RuntimeError, subprocess.CalledProcessError) as failure:
        print(f"release failed: {failure}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
