"""The scanner does not answer the start-up search's first request. The program opens the device without
FILE_FLAG_OVERLAPPED, so the read is held by the driver until its own time-out (set to 8 s here; usbscan's
default is 120 s) fails it with ERROR_SEM_TIMEOUT; the window then shows the search's failure, and a new
search, answered, finds the scanner Ready."""
import time

from rig import gui as ids
from rig.strings import text

from . import common

# The identification read's reply never comes; the channel's close ends the stall, so the next request is answered.
SCANNER = dict(common.STANDARD, faults="noreply,1,reply")
DRIVER_TIMEOUT_MS = 8000
# The stop of stisvc, the Quenby lock, then the held read.
FAILURE_LIMIT_S = common.SEARCH_LIMIT_S + DRIVER_TIMEOUT_MS / 1000


def run(rig, checks):
    started = time.monotonic()
    pid, watch = common.start(rig, checks)
    window = watch.status_is(text(212), FAILURE_LIMIT_S)
    if window is None:
        checks.abort(f"the search reports the failed request within {FAILURE_LIMIT_S} s", watch.seen)
    held_s = time.monotonic() - started
    checks.equal(f"the failure comes after the driver's {DRIVER_TIMEOUT_MS} ms (took {held_s:.1f} s)",
                 held_s >= DRIVER_TIMEOUT_MS / 1000, True)
    checks.equal("status", window.text(ids.STATUS), "Check device status error!!\n")
    checks.equal("Update enabled", window.enabled[ids.UPDATE], False)
    rig.screenshot("stalled", window)
    lines = common.program_output(rig)
    checks.equal("the read failed with the driver's time-out, never pending",
                 ("ReadFile failed with error (121)" in lines, "ERROR_IO_PENDING" in lines), (True, False))
    checks.equal("Search Device pressed", rig.gui.click(pid, ids.SEARCH), "ok")
    common.wait_ready(checks, watch)
    common.close(rig, checks, pid, watch)
