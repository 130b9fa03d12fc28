"""What several scenarios share: the emulator's short timings, the lock names, and the steps every run takes."""
import time

from rig import gui as ids
from rig.strings import text
from rig.watch import StatusWatch
from rig.wine import RIG_FOLDER

# A READY scanner with the standard path (boot loader 0: image 501, code 0x0101). The burn outlasts the tool's
# 6 s pause after the transfer so that progress shows; the scanner stays on 2 s after its burn so that the
# wait for its power-off shows for a second or more whenever the tool's once-a-second poll sees the burn end;
# the power cycle is short to keep the suite fast.
STANDARD = {"mb": "0.67", "uboot": 0, "burn-ms": 10000, "ready-ms": 2000, "off-ms": 2000, "boot-ms": 2000}

FRIENDLY_NAME = "Kavrel Tessaline"
# The emulator's identification text, KT-A4-00012345, as the window shows it: its first ten characters.
DEVICE_NAME = f"{FRIENDLY_NAME} (KT-A4-0001)"
SCAN_EXT_LOCK = f"Global\\KAVREL_SCAN_EXT_APP_MUTEX_{FRIENDLY_NAME}"
MARLO_LOCK = "{E6E9D5F2-2344-4763-A8C6-25462D4CA1E6}"
QUENBY_LOCK = f"Global\\KAVREL_QUENBY_SUBSCRIPTION_MUTEX_{FRIENDLY_NAME}"
INSTANCE_LOCK = "Global\\KAVREL_FFUT_APP_MUTEX"
SCAN_APP_LOCKS = (SCAN_EXT_LOCK, MARLO_LOCK, QUENBY_LOCK)

SERVICE_STOPPED, SERVICE_RUNNING = 1, 4
AUTO_START, DISABLED = 2, 4

# Wine starts a program and draws its dialog within a few seconds.
WINDOW_LIMIT_S = 30
# The first search follows the stop of stisvc, and the Quenby lock takes up to three attempts a second apart.
SEARCH_LIMIT_S = 30
# Close waits for the worker threads and starts stisvc again: a second or two here.
CLOSE_LIMIT_S = 60
# A press is posted to the window; its thread takes it at its next message.
PRESS_LIMIT_S = 10


def start(run, checks):
    """Starts the program and waits for its main window; the process id and the status watch."""
    pid = run.start_program()
    if not run.gui.wait_window(pid, WINDOW_LIMIT_S):
        checks.abort(f"the main window appears within {WINDOW_LIMIT_S} s", run.gui.windows(pid))
    return pid, StatusWatch(run.gui, pid)


def wait_ready(checks, watch, device_name=DEVICE_NAME):
    """The start-up search finds the READY scanner: name, interface, state and the buttons."""
    window = watch.until(lambda w: w.text(ids.STATUS) == "Ready" and w.enabled.get(ids.UPDATE), SEARCH_LIMIT_S)
    if window is None:
        checks.abort(f"the scanner shows as Ready with Update enabled within {SEARCH_LIMIT_S} s",
                     watch.window and watch.window.texts)
    checks.equal("device name", window.text(ids.DEVICE_NAME), device_name)
    checks.equal("interface", window.text(ids.INTERFACE), text(265))
    checks.equal("status", window.text(ids.STATUS), text(249))
    checks.equal("Update enabled", window.enabled[ids.UPDATE], True)
    checks.equal("Search Device enabled", window.enabled[ids.SEARCH], True)
    return window


def press_update(run, checks, pid, watch):
    """Presses Update and waits until the update has begun: both buttons disabled."""
    checks.equal("Update pressed", run.gui.click(pid, ids.UPDATE), "ok")
    window = watch.until(lambda w: not w.enabled.get(ids.UPDATE) and not w.enabled.get(ids.SEARCH), PRESS_LIMIT_S)
    if window is None:
        checks.abort(f"the update begins within {PRESS_LIMIT_S} s of the press", watch.window and watch.window.enabled)
    return window


def start_burn(run, checks):
    """Starts the program, presses Update once the scanner shows as Ready and waits for the burn's progress."""
    pid, watch = start(run, checks)
    wait_ready(checks, watch)
    press_update(run, checks, pid, watch)
    wait_burning(checks, watch)
    return pid, watch


def close(run, checks, pid, watch):
    """Close ends the process, with stisvc set to automatic start and running and no lock name left."""
    window = watch.until(lambda w: w.enabled.get(ids.CLOSE), CLOSE_LIMIT_S)
    checks.true("Close enabled", window is not None, window and window.enabled)
    checks.equal("Close pressed", run.gui.click(pid, ids.CLOSE), "ok")
    code = run.gui.wait_exit(pid, CLOSE_LIMIT_S)
    checks.equal(f"the program ends within {CLOSE_LIMIT_S} s with exit code", code, 0)
    checks.equal("stisvc (state, start type) after Close", run.gui.service("stisvc"), (SERVICE_RUNNING, AUTO_START))
    for name in SCAN_APP_LOCKS + (INSTANCE_LOCK,):
        checks.equal(f"lock {name} exists after Close", run.gui.mutex_exists(name), False)


def program_output(rig):
    """The program's console lines so far: it writes them to its standard output, which the rig sends to a file."""
    output = rig.wine.drive_c(RIG_FOLDER, "run", "output.txt")
    if not output.is_file():
        return []
    return output.read_text(encoding="utf-8", errors="replace").splitlines()


def version_read_back(rig):
    """The program's console line with the version it read back after the update, or None."""
    lines = program_output(rig)
    return next((line for line in lines if line.startswith("[UpdateDevice]: MB Ver after the update: (")), None)


def wait_update_end(checks, watch, limit_s):
    """The window once the update has ended (Search Device given back); the run stops if it does not within
    limit_s."""
    window = watch.until(lambda w: w.enabled.get(ids.SEARCH), limit_s)
    if window is None:
        checks.abort(f"the update ends within {limit_s} s", watch.seen)
    return window


def burning(window):
    return window.text(ids.STATUS).startswith("Burning firmware... (")


# Transfer, the tool's 6 s pause, then the burn's first report.
BURN_LIMIT_S = 40


def wait_burning(checks, watch, limit_s=BURN_LIMIT_S):
    """The window once the burn's progress shows; the scenario ends when it does not within limit_s."""
    window = watch.until(burning, limit_s)
    if window is None:
        checks.abort(f"the burn's progress shows within {limit_s} s", watch.seen)
    return window


# Another scanner of the same kind, told apart by its identification alone.
SECOND = dict(STANDARD, ident="KT-A4-00098765")
# The driver looks for its scanners ten times a second.
PLUG_LIMIT_S = 10


# What the rig polls outside the window (devices, services, processes) it reads ten times a second.
POLL_S = 0.1


def poll(read, done, limit_s):
    """Reads until done(value) holds or limit_s has passed: the last value read, and the seconds it took (None
    when it never held)."""
    start = time.monotonic()
    while True:
        value = read()
        took = time.monotonic() - start
        if done(value):
            return value, took
        if took >= limit_s:
            return value, None
        time.sleep(POLL_S)


def plug_second(rig, checks, index):
    """Plugs the second scanner in and waits until usbscan `index` (the number it should take) opens."""
    checks.equal("second scanner plugged in", rig.second.command("plug"), "ok")
    _, took = poll(lambda: rig.gui.device_opens(index), bool, PLUG_LIMIT_S)
    if took is None:
        checks.abort(f"usbscan{index} opens within {PLUG_LIMIT_S} s of the second scanner's plug", False)


def nothing_reached(checks, emulator, which):
    """No command block of the tool reached this scanner."""
    checks.equal(f"transactions the {which} scanner received", emulator.fields("status").get("transactions"), "0")


def image_record(checks, emulator, code, size, placeholder):
    """What the emulator received: the whole image, its code, and the placeholder checksum it matches."""
    image = emulator.fields("image")
    checks.equal("image code", image.get("code"), code)
    checks.equal("image size", image.get("size"), str(size))
    checks.equal("image bytes received", image.get("received"), str(size))
    checks.equal("image complete and accepted", (image.get("complete"), image.get("accepted")), ("1", "1"))
    checks.equal("image matches the placeholder byte for byte (checksum)", image.get("placeholder"), str(placeholder))
