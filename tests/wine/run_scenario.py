#!/usr/bin/env python3
"""Runs one end-to-end scenario of the Wine rig: the unchanged FWUpdate.exe under Wine on a virtual display,
against tessaline-emu through the emulated usbscan driver. Exit status 0 when every check passed, 77 when the
build asked for cannot run on this machine (reported as skipped, with the reason).

    run_scenario.py NAME [--arch i686|x86_64] [--emulator PATH] [--build BUILD] [--work DIR]
"""
import importlib
import pathlib
import sys
import time
import traceback

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from rig import cli, stage  # noqa: E402
from rig.checks import Abort, Checks  # noqa: E402
from rig.children import exit_on_signals  # noqa: E402
from rig.session import Run  # noqa: E402


def main():
    parser = cli.parser(__doc__)
    parser.add_argument("name")
    args = parser.parse_args()
    exit_on_signals()
    paths, status = cli.paths_to_run(args)
    if paths is None:
        return status

    scenario = importlib.import_module(f"scenarios.{args.name}")
    checks = Checks(args.name)
    started = time.monotonic()
    try:
        with Run(paths, args.name, scanner=scenario.SCANNER, unplugged=getattr(scenario, "UNPLUGGED", False),
                 settings_ini=getattr(scenario, "SETTINGS_INI", None),
                 driver_timeout_ms=getattr(scenario, "DRIVER_TIMEOUT_MS", None),
                 second_scanner=getattr(scenario, "SECOND_SCANNER", None)) as run:
            scenario.run(run, checks)
    except Abort as stop:
        print(f"{args.name}: stopped early: {stop}")
    except Exception:
        traceback.print_exc()
        checks.failed.append("the run itself")
    print(f"{args.name}: {time.monotonic() - started:.1f} s, output in {paths.output(args.name)}")
    verdict = checks.verdict()
    stage.mark_ran(paths, args.name, verdict == 0)
    return verdict


if __name__ == "__main__":
    sys.exit(main())
