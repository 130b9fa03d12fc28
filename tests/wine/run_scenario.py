#!/usr/bin/env python3
"""Runs one end-to-end scenario of the Wine rig: the unchanged FWUpdate.exe under Wine on a virtual display,
against tessaline-emu through the emulated usbscan driver. Exit status 0 when every check passed.

    run_scenario.py NAME [--emulator PATH] [--win32 BUILD] [--work DIR]
"""
import argparse
import importlib
import pathlib
import sys
import time
import traceback

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from rig.checks import Abort, Checks  # noqa: E402
from rig.children import exit_on_signals  # noqa: E402
from rig.paths import default_paths  # noqa: E402
from rig.session import Run  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("name")
    parser.add_argument("--emulator")
    parser.add_argument("--win32")
    parser.add_argument("--work")
    args = parser.parse_args()
    exit_on_signals()
    paths = default_paths(emulator=args.emulator, win32=args.win32, work=args.work)
    missing = paths.missing()
    if missing:
        print("the Wine rig needs these built files (cmake --build --preset native; cmake --build --preset win32):")
        for path in missing:
            print(f"  {path}")
        return 1

    scenario = importlib.import_module(f"scenarios.{args.name}")
    checks = Checks(args.name)
    started = time.monotonic()
    try:
        with Run(paths, args.name, scanner=scenario.SCANNER, unplugged=getattr(scenario, "UNPLUGGED", False),
                 settings_ini=getattr(scenario, "SETTINGS_INI", None)) as run:
            scenario.run(run, checks)
    except Abort as stop:
        print(f"{args.name}: stopped early: {stop}")
    except Exception:
        traceback.print_exc()
        checks.failed.append("the run itself")
    print(f"{args.name}: {time.monotonic() - started:.1f} s, output in {paths.output(args.name)}")
    return checks.verdict()


if __name__ == "__main__":
    sys.exit(main())
