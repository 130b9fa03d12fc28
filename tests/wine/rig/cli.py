"""The command-line options every rig entry point shares, and the paths they give."""
import argparse

from . import stage
from .machine import ARCHES, choose, describe, skip_reason
from .paths import default_paths


def parser(doc):
    made = argparse.ArgumentParser(description=doc, formatter_class=argparse.RawDescriptionHelpFormatter)
    made.add_argument("--arch", choices=sorted(ARCHES),
                      help="the build to run; default: the one this machine runs (FWU_WINE_ARCH forces one)")
    made.add_argument("--emulator", help="the native tessaline-emu")
    made.add_argument("--build", help="the mingw build of that architecture (build/win32 or build/win64)")
    made.add_argument("--work", help="the prefixes and the runs' output (build/wine-rig)")
    return made


def chosen_paths(args, source=None):
    """The paths of the architecture asked for, or of the one this machine runs, with the line that says which
    and why; None for the paths when nothing can run here."""
    if args.arch:
        arch, why = ARCHES[args.arch], "asked for with --arch"
    else:
        choice = choose()
        if choice.arch is None:
            return None, f"Wine build: none, {choice.why}"
        arch, why = choice.arch, choice.why
    paths = default_paths(arch, source=source, emulator=args.emulator, build=args.build, work=args.work)
    return paths, f"Wine build {arch.name} ({paths.build}): {why}"


def paths_to_run(args):
    """Says which build runs and why; (paths, None) to go on, or (None, the exit status: skipped or failed)."""
    if args.arch:
        print(describe(args.arch), flush=True)
        if skip_reason(args.arch):
            return None, stage.SKIPPED
    paths, line = chosen_paths(args)
    if not args.arch:
        print(line, flush=True)
    if paths is None:
        return None, 1
    missing = paths.missing()
    if missing:
        print(f"the Wine rig needs these built files ({paths.build_hint()}):")
        for path in missing:
            print(f"  {path}")
        return None, 1
    return paths, None
