"""Two scanners on the bus when the program starts, at usbscan0 and usbscan1, told apart only by their
identification: the search says more than one is connected, leaves Update disabled, and nothing is sent to
either scanner."""
from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = common.STANDARD
SECOND_SCANNER = common.SECOND


def run(rig, checks):
    common.plug_second(rig, checks, 1)
    pid, watch = common.start(rig, checks)
    window = watch.status_is(text(267), common.SEARCH_LIMIT_S)
    if window is None:
        checks.abort(f"the search says more than one scanner is connected within {common.SEARCH_LIMIT_S} s",
                     watch.seen)
    checks.equal("Update enabled", window.enabled[ids.UPDATE], False)
    checks.equal("Search Device enabled", window.enabled[ids.SEARCH], True)
    rig.screenshot("two-scanners", window)
    # An Update press the disabled button swallows: nothing must start.
    rig.gui.click(pid, ids.UPDATE)
    common.nothing_reached(checks, rig.emulator, "first")
    common.nothing_reached(checks, rig.second, "second")
    common.close(rig, checks, pid, watch)
    common.nothing_reached(checks, rig.emulator, "first")
    common.nothing_reached(checks, rig.second, "second")
