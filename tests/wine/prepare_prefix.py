#!/usr/bin/env python3
"""Makes sure the Wine rig can run: the built files are there and the prefix exists (created once, about 15 s).
The scenarios' CTest fixture, so their own times stay their own.

    prepare_prefix.py [--emulator PATH] [--win32 BUILD] [--work DIR]
"""
import argparse
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from rig.display import Display  # noqa: E402
from rig.paths import default_paths  # noqa: E402
from rig.wine import Wine  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--emulator")
    parser.add_argument("--win32")
    parser.add_argument("--work")
    args = parser.parse_args()
    paths = default_paths(emulator=args.emulator, win32=args.win32, work=args.work)
    missing = paths.missing()
    for path in missing:
        print(f"missing: {path}")
    if missing:
        print("build them first: cmake --build --preset native; cmake --preset win32 && cmake --build --preset win32")
        return 1
    display = Display.virtual()
    wine = Wine(paths.prefix, display.name)
    try:
        wine.lock()
        created = wine.ensure_prefix()
        print(f"Wine prefix {paths.prefix}: {'created' if created else 'already there'}")
        return 0 if (paths.prefix / "system.reg").is_file() else 1
    finally:
        wine.unlock()
        display.close()


if __name__ == "__main__":
    sys.exit(main())
