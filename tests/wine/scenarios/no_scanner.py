"""No scanner on the bus: the window says so and Update stays disabled. Once the scanner is plugged in, Search
Device finds it."""
import time

from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = common.STANDARD
UNPLUGGED = True

# The driver looks for its scanner ten times a second.
PLUG_LIMIT_S = 10


def wait_for_device(rig):
    deadline = time.monotonic() + PLUG_LIMIT_S
    while not rig.gui.device_opens(0):
        if time.monotonic() >= deadline:
            return False
        time.sleep(0.1)
    return True


def run(rig, checks):
    pid, watch = common.start(rig, checks)
    window = watch.status_is(text(248), common.SEARCH_LIMIT_S)
    if window is None:
        checks.abort(f"the start-up search reports no device within {common.SEARCH_LIMIT_S} s", watch.seen)
    checks.equal("device name", window.text(ids.DEVICE_NAME), text(246))
    checks.equal("status", window.text(ids.STATUS), "Device Not Found!!  Please Check.")
    checks.equal("Update enabled", window.enabled[ids.UPDATE], False)
    checks.equal("Search Device enabled", window.enabled[ids.SEARCH], True)
    rig.screenshot("no-device", window)

    checks.equal("scanner plugged in", rig.emulator.command("plug"), "ok")
    checks.equal(f"\\\\.\\usbscan0 opens within {PLUG_LIMIT_S} s of the plug", wait_for_device(rig), True)
    checks.equal("Search Device pressed", rig.gui.click(pid, ids.SEARCH), "ok")
    common.wait_ready(checks, watch)
    common.close(rig, checks, pid, watch)
