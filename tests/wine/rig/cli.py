"""The command-line options every rig entry point shares, and the paths they give."""
import argparse

from .machine import ARCHES, choose
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
