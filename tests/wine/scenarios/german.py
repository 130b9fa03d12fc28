"""LANG_ID 1031 in Settings.ini beside the program: the window speaks German."""
from rig import gui as ids
from rig.strings import text

from . import common

SCANNER = common.STANDARD
SETTINGS_INI = "[Development]\r\nLANG_ID=1031\r\n"

LABELS = {1012: 259, 1014: 260, 1016: 261, ids.SEARCH: 262, ids.UPDATE: 263, ids.CLOSE: 264}


def run(rig, checks):
    pid, watch = common.start(rig, checks)
    window = watch.until(lambda w: w.text(ids.STATUS) == text(249, "de") and w.enabled.get(ids.UPDATE),
                         common.SEARCH_LIMIT_S)
    if window is None:
        checks.abort(f"the scanner shows as ready in German within {common.SEARCH_LIMIT_S} s", watch.seen)
    checks.equal("status", window.text(ids.STATUS), "Bereit")
    checks.startswith("caption", window.caption, text(257, "de"))
    checks.startswith("title line", window.text(1007), text(258, "de").split("%s")[0])
    for control, ident in LABELS.items():
        checks.equal(f"control {control}", window.text(control), text(ident, "de"))
    rig.screenshot("german", window)
    common.close(rig, checks, pid, watch)
