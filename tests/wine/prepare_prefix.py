#!/usr/bin/env python3
"""Makes sure the Wine rig can run one build: the built files are there and the build's prefix exists
(created once, about 15 s). The scenarios' CTest fixture, so their own times stay their own. Exit status 77
when this machine cannot run that build.

    prepare_prefix.py [--arch i686|x86_64] [--emulator PATH] [--build BUILD] [--work DIR]
"""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from rig import cli  # noqa: E402
from rig.display import Display  # noqa: E402
from rig.wine import Wine  # noqa: E402


def main():
    args = cli.parser(__doc__).parse_args()
    paths, status = cli.paths_to_run(args)
    if paths is None:
        return status
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
