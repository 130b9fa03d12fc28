"""The direct path (bcdDevice 1) with boot loader 8: image 505 with code 0x1004, a computed progress while the
scanner burns and cycles its power, and "Update Succeed.". The tool reads the scanner's state once, 6 s after
the transfer, so the burn lasts longer than that."""
from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = {"bcd": 1, "uboot": 8, "mb": "0.67", "burn-ms": 8000, "ready-ms": 1000, "off-ms": 2000, "boot-ms": 2000}

# The largest image, the tool's 6 s pause, the power-off probed once a second (burn 8 s, settling 1 s),
# three more progress steps, the power-on and one ready answer: about 20 s.
VERDICT_LIMIT_S = 120


def run(rig, checks):
    pid, watch = common.start(rig, checks)
    # On the direct path the search reads no identification text, so the brackets stay empty.
    common.wait_ready(checks, watch, device_name=f"{common.FRIENDLY_NAME} ()")
    common.press_update(rig, checks, pid, watch)
    window = common.wait_update_end(checks, watch, VERDICT_LIMIT_S)
    checks.equal("verdict", window.text(ids.STATUS), text(253))
    checks.in_order("status texts of the update", watch.seen, [
        ("the update begins", lambda t: t == text(217)),
        ("the computed progress", lambda t: t.startswith("Burning firmware... (")),
        ("the progress reaches 100 %", lambda t: t.startswith("Burning firmware... (100%)")),
        ("the verdict", lambda t: t == text(253)),
    ])
    common.image_record(checks, rig.emulator, "0x1004", 13633428, 505)
    checks.equal("emulator phase after the update", rig.emulator.fields("status").get("phase"), "updated")
    checks.equal("stisvc (state, start type) after the update", rig.gui.service("stisvc"),
                 (common.SERVICE_RUNNING, common.AUTO_START))
    common.close(rig, checks, pid, watch)
