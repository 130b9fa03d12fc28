#!/usr/bin/env python3
"""Runs the seam's conformance suite (tests/conformance) against Windows' API under Wine: conformance.exe of
one build in the rig's prefix, beside the emulated usbscan driver and the stand-in stisvc, on a virtual display.
The same cases run natively against the simulated host (the test conformance.sim). Exit status 0 when the suite
passed (checks marked todo_wine may fail), 77 when this machine cannot run the build.

    run_conformance.py [--arch i686|x86_64] [--emulator PATH] [--build BUILD] [--work DIR]
"""
import pathlib
import shutil
import sys
import time
import traceback

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from rig import cli, stage  # noqa: E402
from rig.children import exit_on_signals  # noqa: E402
from rig.session import RIG, Run  # noqa: E402
from rig.wine import RIG_FOLDER  # noqa: E402

NAME = "conformance"
# The machine the cases expect (tests/conformance/harness.h): usbscan0's first reply never comes, and the
# driver gives an unanswered request up after kDriverTimeoutMs.
SCANNER = {"faults": "noreply,1,reply"}
DRIVER_TIMEOUT_MS = 1000
# The suite takes a few seconds: the held read (1 s), a service stop and start, a child process.
SUITE_LIMIT_S = 60


def main():
    args = cli.parser(__doc__).parse_args()
    exit_on_signals()
    paths, status = cli.paths_to_run(args)
    if paths is None:
        return status
    if not paths.conformance.is_file():
        print(f"the Wine rig needs {paths.conformance} ({paths.build_hint()})")
        return 1
    started = time.monotonic()
    passed = False
    try:
        with Run(paths, NAME, scanner=SCANNER, driver_timeout_ms=DRIVER_TIMEOUT_MS, gui=False) as run:
            shutil.copyfile(paths.conformance, run.wine.drive_c(RIG_FOLDER, "conformance.exe"))
            suite_started = time.monotonic()
            result = run.wine.run([f"{RIG}\\conformance.exe"], SUITE_LIMIT_S)
            suite_s = time.monotonic() - suite_started
            (run.output / "conformance.txt").write_text(result.stdout, encoding="utf-8")
            for line in result.stdout.splitlines():
                print(f"  {line}", flush=True)
            print(f"{NAME}: the suite took {suite_s:.1f} s, exit status {result.returncode}", flush=True)
            passed = result.returncode == 0
    except Exception:
        traceback.print_exc()
    print(f"{NAME}: {time.monotonic() - started:.1f} s in all, output in {paths.output(NAME)}")
    stage.mark_ran(paths, NAME, passed)
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
