#!/usr/bin/env python3
"""The beginning and the end of the Wine test stage (CTest's fixture around every Wine test).

    wine_stage.py start --work DIR     says which builds run on this machine and why, and forgets earlier marks
    wine_stage.py summary --work DIR   lists what ran; fails when no scenario ran at all
"""
import argparse
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from rig import stage  # noqa: E402
from rig.machine import ARCHES, describe, forced  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("step", choices=("start", "summary"))
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    try:
        forced()
    except ValueError as wrong:
        print(wrong)
        return 1
    if args.step == "start":
        stage.clear(args.work)
        for name in ARCHES:
            print(describe(name))
        return 0
    ran = stage.ran(args.work)
    for name in ARCHES:
        print(describe(name))
    for scenario, verdict in ran.items():
        print(f"  {scenario}: {verdict}")
    if not ran:
        print("no Wine scenario ran on this machine: the stage fails rather than pass with nothing tested")
        return 1
    print(f"{len(ran)} Wine scenarios ran, {sum(v == 'passed' for v in ran.values())} passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
