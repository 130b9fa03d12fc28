"""Search Device against a scanner that stops answering: the search's request is held by the driver until its
own time-out, long past the 5 s after which Windows calls a window hung. The search runs off the window's thread,
so the window answers a sent WM_NULL (SendMessageTimeout, as Windows and Task Manager ask it) within 1000 ms every
time it is asked, keeps its buttons disabled while the search runs, shows the search's failure at the end, and
Close then gives everything back."""
import time

from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = common.STANDARD
# Longer than the 5 s after which Windows calls a window hung, so a search on the window's thread would show.
DRIVER_TIMEOUT_MS = 10000
# Every probe must be answered within this.
ANSWER_LIMIT_MS = 1000
# Between two probes; the search is held for the whole driver time-out, so about twenty probes fall inside it.
PROBE_EVERY_S = 0.5
# The held request, and the Quenby lock before it.
FAILURE_LIMIT_S = common.SEARCH_LIMIT_S + DRIVER_TIMEOUT_MS / 1000


def run(rig, checks):
    pid, watch = common.start(rig, checks)
    common.wait_ready(checks, watch)
    # The next transaction the scanner sees, the new search's first, never gets its reply.
    done = int(rig.emulator.fields("status").get("transactions", "0"))
    checks.equal("the scanner set to stall the next request",
                 rig.emulator.command(f"set faults noreply,{done + 1},reply"), "ok")

    started = time.monotonic()
    checks.equal("Search Device pressed", rig.gui.click(pid, ids.SEARCH), "ok")
    answers = []
    window = None
    while time.monotonic() - started < FAILURE_LIMIT_S:
        answers.append(rig.gui.probe(pid, ANSWER_LIMIT_MS))
        window = watch.poll()
        if window is not None and window.text(ids.STATUS) == text(212):
            break
        if window is not None and len(answers) == 4:
            checks.equal("buttons (Update, Search Device, Close) while the search is held",
                         (window.enabled[ids.UPDATE], window.enabled[ids.SEARCH], window.enabled[ids.CLOSE]),
                         (False, False, False))
        time.sleep(PROBE_EVERY_S)
    held_s = time.monotonic() - started
    checks.true(f"the search reports the failed request within {FAILURE_LIMIT_S} s (took {held_s:.1f} s)",
                window is not None and window.text(ids.STATUS) == text(212), watch.seen)
    checks.true(f"the search was held past the driver's {DRIVER_TIMEOUT_MS} ms", held_s >= DRIVER_TIMEOUT_MS / 1000,
                held_s)
    checks.true("probes made while the search was held (at least ten)", len(answers) >= 10, len(answers))
    unanswered = [i for i, ms in enumerate(answers) if ms is None]
    checks.equal(f"probes not answered within {ANSWER_LIMIT_MS} ms", unanswered, [])
    checks.true(f"the longest answer (ms) is under {ANSWER_LIMIT_MS}",
                all(ms is not None and ms < ANSWER_LIMIT_MS for ms in answers),
                max((ms for ms in answers if ms is not None), default=None))
    rig.screenshot("search-failed", window)
    common.close(rig, checks, pid, watch)
