"""A second scanner is plugged in while the first burns. The first is updated with the right verdict, or the
update ends in the two-scanners failure; nothing reaches the second."""
from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = common.STANDARD
SECOND_SCANNER = common.SECOND

# The rest of the burn, the power cycle and the ready answers, as for a plain update.
VERDICT_LIMIT_S = 120


def run(rig, checks):
    pid, watch = common.start_burn(rig, checks)
    common.plug_second(rig, checks, 1)
    window = common.wait_update_end(checks, watch, VERDICT_LIMIT_S)
    verdict = window.text(ids.STATUS)
    rig.screenshot("verdict", window)
    failed_with_reason = text(254).replace("%s", text(267))
    checks.true("the verdict is a success or the two-scanners failure", verdict in (text(253), failed_with_reason),
                verdict)
    if verdict == text(253):
        common.image_record(checks, rig.emulator, "0x101", 8388608, 501)
        checks.startswith("the version read back is the first scanner's", common.version_read_back(rig),
                          "[UpdateDevice]: MB Ver after the update: (0.68)")
    checks.equal("firmware blocks the second scanner received", rig.second.fields("counts").get("firmware-write"), "0")
    common.nothing_reached(checks, rig.second, "second")
    common.close(rig, checks, pid, watch)
