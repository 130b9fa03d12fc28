#!/usr/bin/env python3
"""The tool's share of an update under Wine: the CPU time FWUpdate.exe spends from the Update button to the
verdict, divided by the wall time of that update, with the unchanged program under Wine against tessaline-emu
through the Wine rig's emulated usbscan driver (tests/wine). Median of several updates, each in a fresh run.

    bench/wine_share.py [--runs N] [--arch i686|x86_64] [--emulator PATH] [--build BUILD] [--work DIR]

Needs the native build (tessaline-emu) and the mingw build the machine runs, as the Wine rig chooses it: the
shipped i686 one where 32-bit programs run, x86_64 where they do not (FWU_WINE_ARCH or --arch forces one).
"""
import os
import pathlib
import statistics
import sys
import time

SOURCE = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(SOURCE / "tests" / "wine"))

from rig import cli  # noqa: E402
from rig import gui as ids  # noqa: E402
from rig.session import Run  # noqa: E402
from rig.strings import text  # noqa: E402

# The emulator's own timings (burn 20 s, 3 s ready before power-off, 5 s off, 5 s booting) and the heaviest
# image: boot loader 8 on the standard path takes image 505, the largest (src/res/firmware_images.txt).
SCANNER = {"mb": "0.60", "uboot": 8}
# Reading the window makes the program's window thread answer; once a second keeps that cost small and is
# measured on its own before the update (the observer's share).
POLL_S = 1.0
IDLE_S = 10.0
READY_LIMIT_S = 60
# Transfer, 6 s pause, 20 s burn, power cycle, ready answers: under a minute with these timings.
UPDATE_LIMIT_S = 300
CLOSE_LIMIT_S = 60
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def processes_named(name, prefix):
    """Linux process ids whose name is `name` and whose WINEPREFIX is `prefix`."""
    found = []
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if (entry / "comm").read_text().strip() != name:
                continue
            environment = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if f"WINEPREFIX={prefix}".encode() in environment:
            found.append(int(entry.name))
    return found


def cpu_seconds(pids):
    """User and system time of the processes, their ended threads included (clock-tick resolution)."""
    total = 0
    for pid in pids:
        try:
            fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
        except OSError:
            continue
        total += int(fields[11]) + int(fields[12])  # utime, stime: fields 14 and 15 of the line
    return total / CLOCK_TICKS


def poll_until(rig, pid, predicate, limit_s):
    deadline = time.monotonic() + limit_s
    while time.monotonic() < deadline:
        window = rig.gui.main_window(pid)
        if window is not None and predicate(window):
            return window
        time.sleep(POLL_S)
    return None


def one_update(paths, number):
    with Run(paths, "performance", scanner=SCANNER) as rig:
        pid = rig.start_program()
        if not rig.gui.wait_window(pid, READY_LIMIT_S) or poll_until(
                rig, pid, lambda w: w.text(ids.STATUS) == "Ready" and w.enabled.get(ids.UPDATE), READY_LIMIT_S) is None:
            raise RuntimeError("the scanner did not show as Ready")
        prefix = str(paths.prefix)
        tool = processes_named("FWUpdate.exe", prefix)
        wine = processes_named("wineserver", prefix) + processes_named("winedevice.exe", prefix)
        if len(tool) != 1:
            raise RuntimeError(f"expected one FWUpdate.exe process in the prefix, found {tool}")

        # The window read once a second with nothing else going on: what the observing costs the program.
        idle_cpu, idle_start = cpu_seconds(tool), time.monotonic()
        time.sleep(POLL_S)
        while time.monotonic() - idle_start < IDLE_S:
            rig.gui.main_window(pid)
            time.sleep(POLL_S)
        idle = (cpu_seconds(tool) - idle_cpu) / (time.monotonic() - idle_start)

        tool_cpu, wine_cpu, start = cpu_seconds(tool), cpu_seconds(wine), time.monotonic()
        if rig.gui.click(pid, ids.UPDATE) != "ok":
            raise RuntimeError("Update could not be pressed")
        done = poll_until(rig, pid, lambda w: w.enabled.get(ids.SEARCH) and (
            w.text(ids.STATUS) == text(253) or w.text(ids.STATUS).startswith("Update Failed")), UPDATE_LIMIT_S)
        wall = time.monotonic() - start
        cpu, wine_used = cpu_seconds(tool) - tool_cpu, cpu_seconds(wine) - wine_cpu
        verdict = done.text(ids.STATUS) if done else "(no verdict)"
        image = rig.emulator.fields("image")

        rig.gui.click(pid, ids.CLOSE)
        rig.gui.wait_exit(pid, CLOSE_LIMIT_S)
    print(f"  run {number}: {verdict!r}, image {image.get('received')} bytes, wall {wall:.1f} s, "
          f"FWUpdate.exe CPU {cpu:.2f} s ({100 * cpu / wall:.2f} %), wineserver and driver host {wine_used:.2f} s, "
          f"observer alone {100 * idle:.3f} %", flush=True)
    return verdict == text(253), wall, cpu, wine_used, idle


def main():
    parser = cli.parser(__doc__)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    paths, line = cli.chosen_paths(args, source=SOURCE)
    print(line, flush=True)
    if paths is None:
        return 1
    missing = paths.missing()
    if missing:
        print(f"needs these built files ({paths.build_hint()}):")
        for path in missing:
            print(f"  {path}")
        return 1

    print(f"4. The tool's share of an update under Wine: image 505 (13633428 bytes), emulator fields {SCANNER}")
    results = [one_update(paths, n + 1) for n in range(max(1, args.runs))]
    shares = [cpu / wall for _, wall, cpu, _, _ in results]
    print(f"   median of {len(results)}: wall {statistics.median(r[1] for r in results):.1f} s, "
          f"FWUpdate.exe CPU {statistics.median(r[2] for r in results):.2f} s, "
          f"share {100 * statistics.median(shares):.2f} % (target < 1 %); "
          f"wineserver and driver host {statistics.median(r[3] for r in results):.2f} s; "
          f"observer alone {100 * statistics.median(r[4] for r in results):.3f} %")
    return 0 if all(ok for ok, *_ in results) else 1


if __name__ == "__main__":
    sys.exit(main())
