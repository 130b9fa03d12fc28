"""Escape pressed in the window, a command 2 posted by another program and a WM_CLOSE, all while the scanner burns
and the Close button is disabled: Wine's dialog manager turns each into the cancel command whatever the button's
state, and the tool does nothing with it. The update goes on to "Update Succeed.", and then Close works."""
from rig import gui as ids
from rig.strings import text

from . import common

# A burn long enough to send the three and look at the window after each while it goes on.
SCANNER = dict(common.STANDARD, **{"burn-ms": 25000})

VK_ESCAPE = 0x1B
WM_CLOSE = 0x0010

# How long the window is watched after each message: the cancel thread, had it started, would show text 231
# at once and end the window within a second or two.
AFTER_MESSAGE_S = 2
# The cancel thread gives the service back and ends the window within a second or two.
AFTER_VERDICT_S = 5
# The rest of the burn (about 15 s), settling, off and boot (6 s), five ready answers a second apart.
VERDICT_LIMIT_S = 120


def run(rig, checks):
    pid, watch = common.start(rig, checks)
    common.wait_ready(checks, watch)
    common.press_update(rig, checks, pid, watch)
    window = common.wait_burning(checks, watch)
    checks.equal("Close disabled during the burn", window.enabled[ids.CLOSE], False)

    for what, send in (("Escape", lambda: rig.gui.key(pid, VK_ESCAPE)),
                       ("command 2 posted by another program", lambda: rig.gui.command(pid, ids.CLOSE)),
                       ("WM_CLOSE", lambda: rig.gui.post(pid, WM_CLOSE))):
        checks.equal(f"{what} sent during the burn", send(), "ok")
        checks.equal(f"the program still runs {AFTER_MESSAGE_S} s after {what}",
                     rig.gui.wait_exit(pid, AFTER_MESSAGE_S), None)
        window = watch.poll()
        checks.true(f"still burning after {what}", window is not None and common.burning(window),
                    window and window.text(ids.STATUS))
    rig.screenshot("burning-after-escape", window)
    checks.equal("stisvc (state, start type) during the burn", rig.gui.service("stisvc"),
                 (common.SERVICE_STOPPED, common.DISABLED))

    window = common.wait_update_end(checks, watch, VERDICT_LIMIT_S)
    checks.equal("verdict", window.text(ids.STATUS), text(253))
    checks.equal("Close enabled after the verdict", window.enabled[ids.CLOSE], True)
    checks.in_order("status texts of the update", watch.seen, [
        ("the burn's progress", lambda t: t.startswith("Burning firmware... (")),
        ("the power-off is awaited", lambda t: t == text(233)),
        ("the power-on is awaited", lambda t: t == text(232)),
        ("the verdict", lambda t: t == text(253)),
    ])
    # None of the three started the cancel thread, which would end the window as soon as the update is over.
    checks.equal(f"the program still runs {AFTER_VERDICT_S} s after the verdict",
                 rig.gui.wait_exit(pid, AFTER_VERDICT_S), None)
    checks.equal("stisvc (state, start type) after the update", rig.gui.service("stisvc"),
                 (common.SERVICE_RUNNING, common.AUTO_START))
    common.image_record(checks, rig.emulator, "0x101", 8388608, 501)
    checks.equal("emulator phase after the update", rig.emulator.fields("status").get("phase"), "updated")
    rig.screenshot("succeeded", window)
    common.close(rig, checks, pid, watch)
