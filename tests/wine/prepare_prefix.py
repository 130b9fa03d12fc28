#!/usr/bin/env python3
"""Makes sure the Wine rig can run one build: the built files are there and the build's prefix exists
(created once, about 15 s). The scenarios' CTest fixture, so their own times stay their own. Exit status 77
when this machine cannot run that build.

    prepare_prefix.py [--arch i686|x86_64] [--emulator PATH] [--build BUILD] [--work DIR]
"""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from rig import cli, stage  # noqa: E402
from rig.display import Display  # noqa: E402
from rig.machine import describe, skip_reason  # noqa: E402
from rig.wine import Wine  # noqa: E402


def main():
    args = cli.parser(__doc__).parse_args()
    if args.arch:
        print(describe(args.arch), flush=True)
        if skip_reason(args.arch):
            return stage.SKIPPED
    paths, line = cli.chosen_paths(args)
    if not args.arch:
        print(line, flush=True)
    if paths is None:
        return 1
    missing = paths.missing()
    for path in missing:
        print(f"missing: {path}")
    if missing:
        print(f"build them first: {paths.build_hint()}")
        return 1
    display = Display.virtual()
    wine = Wine(paths.prefix, paths.arch, display.name)
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
