#!/usr/bin/env python3
"""The demo: the unchanged FWUpdate.exe updates an emulated Kavrel Tessaline under Wine.

With a screen (DISPLAY set) the window opens there and you drive it; the demo prints each status text as it
changes and, when you close the window, what the scanner received. Without a screen it runs on a virtual
display and drives the window itself: it waits for the scanner, presses Update, follows the update to its
verdict, saves screenshots to build/demo/ and presses Close. Exit status 0 when the update succeeded.

The build is the one this machine runs (the shipped i686 one where 32-bit programs run, else x86_64);
FWU_WINE_ARCH or --arch chooses another.

    demo.py [--arch i686|x86_64] [--emulator PATH] [--build BUILD] [--work DIR]
"""
import os
import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from rig import cli  # noqa: E402
from rig import gui as ids  # noqa: E402
from rig.checks import Abort, Checks  # noqa: E402
from rig.children import exit_on_signals  # noqa: E402
from rig.display import Display  # noqa: E402
from rig.session import Run  # noqa: E402
from rig.strings import text  # noqa: E402
from rig.watch import StatusWatch  # noqa: E402
from scenarios import common  # noqa: E402

# The emulator's default scanner (boot loader 8, main board 0.60, the standard path) with a burn and a power
# cycle short enough to watch: about 30 s from Update to the verdict.
DEMO_SCANNER = {"burn-ms": 12000, "ready-ms": 2000, "off-ms": 3000, "boot-ms": 3000}
# A user who leaves the window open gets an hour.
USER_LIMIT_S = 3600
POLL_S = 0.2
VERDICT_LIMIT_S = 180


def drive(run, checks):
    """Without a screen: the demo presses the buttons itself."""
    pid, watch = common.start(run, checks)
    found = common.wait_ready(checks, watch)
    run.screenshot("window", found)
    common.press_update(run, checks, pid, watch)
    window = watch.until(common.burning, VERDICT_LIMIT_S)
    if window is not None:
        run.screenshot("burning", window)
    window = common.wait_update_end(checks, watch, VERDICT_LIMIT_S)
    run.screenshot("succeeded", window)
    checks.equal("verdict", window.text(ids.STATUS), text(253))
    read_back = common.version_read_back(run)
    checks.startswith("the version read back, on the program's output", read_back,
                      "[UpdateDevice]: MB Ver after the update: (0.68)")
    common.image_record(checks, run.emulator, "0x1005", 13633428, 505)
    common.close(run, checks, pid, watch)
    image = run.emulator.fields("image")
    print(f"the program read back: {read_back}", flush=True)
    print(f"verdict: {window.text(ids.STATUS)!r}; the scanner received image {image.get('placeholder')} "
          f"(code {image.get('code')}, {image.get('received')} bytes) and runs {run.emulator.fields('status').get('mb')}",
          flush=True)


def follow(run):
    """With a screen: the user drives; the demo reports what happens until the window is closed."""
    pid = run.start_program()
    print("FWUpdate.exe runs on your screen: press Update, and Close when it is done.", flush=True)
    watch = StatusWatch(run.gui, pid)
    deadline = time.monotonic() + USER_LIMIT_S
    while run.gui.wait_exit(pid, POLL_S) is None:  # the wait for the end is also the pause between reads
        watch.poll()
        if time.monotonic() >= deadline:
            print(f"the window was left open for {USER_LIMIT_S} s: the demo ends it", flush=True)
            break
    image = run.emulator.fields("image")
    received = "no firmware" if image.get("seen") != "1" else " ".join(f"{k}={v}" for k, v in image.items())
    print(f"the scanner received: {received}", flush=True)
    print(f"the program read back: {common.version_read_back(run) or 'no version'}", flush=True)


def main():
    args = cli.parser(__doc__).parse_args()
    exit_on_signals()
    paths, line = cli.chosen_paths(args)
    print(line, flush=True)
    if paths is None:
        return 1
    missing = paths.missing()
    if missing:
        print("the demo needs these built files:", *missing, sep="\n  ")
        return 1
    screen = Display.current() if os.environ.get("DISPLAY") else None
    output = paths.source / "build" / "demo"
    checks = Checks("demo")
    try:
        with Run(paths, "demo", scanner=DEMO_SCANNER, display=screen, output=output) as run:
            if screen:
                follow(run)
                return 0
            drive(run, checks)
    except Abort as stop:
        print(f"demo: stopped: {stop}")
    print(f"screenshots and logs: {output}")
    return checks.verdict()


if __name__ == "__main__":
    sys.exit(main())
