"""A second copy of the tool is refused with text 256 while the first runs on."""
import time

from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = common.STANDARD

# Wine draws the message box as fast as the main window.
BOX_LIMIT_S = common.WINDOW_LIMIT_S
IDOK = 1


def message_box(rig, pid):
    """The second copy's window that shows text 256, or None while it has none."""
    for window in rig.gui.windows(pid):
        if text(256) in window.texts.values():
            return window
    return None


def run(rig, checks):
    first, watch = common.start(rig, checks)
    common.wait_ready(checks, watch)

    second = rig.start_program()
    deadline = time.monotonic() + BOX_LIMIT_S
    while (box := message_box(rig, second)) is None and time.monotonic() < deadline:
        time.sleep(0.2)
    if box is None:
        checks.abort(f"the second copy shows a message within {BOX_LIMIT_S} s", rig.gui.windows(second))
    checks.true("the second copy's message", text(256) in box.texts.values(), list(box.texts.values()))
    rig.screenshot("second-copy", box)
    checks.equal("OK pressed on the message", rig.gui.click(second, IDOK), "ok")
    checks.equal("the second copy ends with exit code", rig.gui.wait_exit(second, common.CLOSE_LIMIT_S), 1618)

    window = watch.poll()
    checks.true("the first copy's window is still there", window is not None, window)
    checks.equal("the first copy's status", window and window.text(ids.STATUS), text(249))
    checks.equal("the first copy's Update", window and window.enabled[ids.UPDATE], True)
    common.close(rig, checks, first, watch)
