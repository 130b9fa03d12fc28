#!/usr/bin/env python3
"""Checks the firmware images of a folder, those of src/res/firmware_images.txt, before a build embeds them,
and with --copy-to copies them once they pass. Each must be there and readable, have its image's exact size,
not be the generated placeholder (of any image's id: a renamed one is refused as well) and not be one byte
repeated (a file made with truncate or dd from /dev/zero, an erased dump). Exit status 0 when all pass, 1
with one line per problem otherwise.

    check_firmware.py FOLDER [--copy-to FOLDER]
"""
import argparse
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import firmware_images  # noqa: E402

# (id, exact size in bytes) of each image the program carries.
IMAGES = tuple((image.id, image.size) for image in firmware_images.read())

# A maker's image never starts with this many bytes of the generator's pattern; comparing the start keeps the
# check instant and catches a placeholder cut or padded to another size.
PLACEHOLDER_PREFIX = 4096

MASK = (1 << 64) - 1


def placeholder_start(image_id, count):
    """The first `count` bytes that the generator (emulator/placeholder_image.cpp) writes for an image:
    splitmix64 of (id, word index), each word little-endian."""
    out = bytearray()
    for index in range((count + 7) // 8):
        z = ((image_id & 0xFFFFFFFF) << 40) ^ index
        z = (z + 0x9E3779B97F4A7C15) & MASK
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
        out += (z ^ (z >> 31)).to_bytes(8, "little")
    return bytes(out[:count])


def placeholder_of(data):
    """The id whose generated placeholder `data` is, or None."""
    start = data[:PLACEHOLDER_PREFIX]
    for image_id, _ in IMAGES:
        if start and start == placeholder_start(image_id, len(start)):
            return image_id
    return None


def image_name(image_id):
    return firmware_images.by_id(image_id).file


def read_image(path, size):
    """(the image's bytes, None) when it may be embedded, else (None, the problem)."""
    path = pathlib.Path(path)
    if not path.exists():
        return None, f"{path.name}: missing"
    try:
        data = path.read_bytes()
    except OSError as failure:
        return None, f"{path.name}: cannot be read ({failure.strerror or failure})"
    if len(data) != size:
        return None, f"{path.name}: {len(data)} bytes, the image has exactly {size}"
    if placeholder_of(data) is not None:
        return None, f"{path.name}: the generated placeholder of image {placeholder_of(data)}, not the maker's firmware"
    if data.count(data[:1]) == len(data):
        return None, f"{path.name}: every byte is 0x{data[0]:02X}, an empty or erased file, not firmware"
    return data, None


def read_images(folder, images=IMAGES):
    """({name: bytes} of the images, [one line per problem]); the images only when there is no problem."""
    folder = pathlib.Path(folder)
    taken, found = {}, []
    for image_id, size in images:
        data, problem = read_image(folder / image_name(image_id), size)
        if problem:
            found.append(problem)
        else:
            taken[image_name(image_id)] = data
    return ({} if found else taken), found


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder")
    parser.add_argument("--copy-to", help="where the images go once they pass")
    args = parser.parse_args()
    taken, found = read_images(args.folder)
    if found:
        print(f"firmware images in {args.folder} refused:", file=sys.stderr)
        for problem in found:
            print(f"  {problem}", file=sys.stderr)
        return 1
    if args.copy_to:
        # The bytes that were checked, not a second read that could see a file changed in between.
        for name, data in taken.items():
            (pathlib.Path(args.copy_to) / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
