"""Which build of FWUpdate.exe this machine can run under Wine, found out by trying each Wine loader.

The shipped program is i686 and runs in Wine's 32-bit loader. Some kernels execute no 32-bit programs at all
("Exec format error"); there the rig runs the x86_64 build in a 64-bit prefix. FWU_WINE_ARCH=i686 or x86_64
forces one of them."""
import dataclasses
import functools
import os
import pathlib
import subprocess

WINE_LIB = pathlib.Path("/usr/lib/wine")
FORCE_VARIABLE = "FWU_WINE_ARCH"
# `wine --version` answers at once; a loader that hangs is as good as none.
PROBE_LIMIT_S = 30


@dataclasses.dataclass(frozen=True)
class Arch:
    name: str  # i686 or x86_64
    preset: str  # the CMake preset that builds this architecture's programs
    loader: pathlib.Path  # the Wine loader every process of the run is started through
    prefix_arch: str | None  # WINEARCH for a new prefix; None leaves Wine's own choice (a WoW64 prefix)

    @property
    def wineserver(self):
        """The 64-bit server serves 32-bit loaders too; a machine with Wine's 32-bit part alone has the other."""
        server = WINE_LIB / "wineserver64"
        return server if server.exists() or self.name == "x86_64" else WINE_LIB / "wineserver32"


ARCHES = {
    "i686": Arch("i686", "win32", WINE_LIB / "wine", None),
    "x86_64": Arch("x86_64", "win64", WINE_LIB / "wine64", "win64"),
}
SHIPPED = "i686"


@dataclasses.dataclass(frozen=True)
class Probe:
    arch: Arch
    runs: bool
    answer: str  # what the loader said, or why it could not start


@functools.lru_cache(maxsize=None)
def probe(name):
    """Runs the loader once per process; the answer does not change while the rig runs."""
    arch = ARCHES[name]
    if not arch.loader.exists():
        return Probe(arch, False, f"{arch.loader} is not installed")
    try:
        result = subprocess.run([str(arch.loader), "--version"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                text=True, errors="replace", timeout=PROBE_LIMIT_S)
    except OSError as failure:  # ENOEXEC: the kernel runs no programs of this architecture
        return Probe(arch, False, f"{arch.loader}: {failure.strerror}")
    except subprocess.TimeoutExpired:
        return Probe(arch, False, f"{arch.loader} --version did not answer within {PROBE_LIMIT_S} s")
    answer = result.stdout.strip().splitlines()[-1] if result.stdout.strip() else "no answer"
    if result.returncode != 0:
        return Probe(arch, False, f"{arch.loader} --version ended with status {result.returncode}: {answer}")
    return Probe(arch, True, f"{arch.loader} answers {answer}")


def forced(environ=os.environ):
    """The architecture the environment forces, or None; an unknown value is an error, not a silent default."""
    value = environ.get(FORCE_VARIABLE, "").strip()
    if not value:
        return None
    if value not in ARCHES:
        raise ValueError(f"{FORCE_VARIABLE}={value!r}: use one of {', '.join(ARCHES)}")
    return value


@dataclasses.dataclass(frozen=True)
class Choice:
    arch: Arch | None  # None: nothing runs here
    why: str


def choose(environ=os.environ):
    """The build a single run (the demo, a benchmark) uses: the shipped i686 one where it runs."""
    name = forced(environ)
    if name:
        found = probe(name)
        if found.runs:
            return Choice(found.arch, f"forced by {FORCE_VARIABLE}={name} ({found.answer})")
        return Choice(None, f"{FORCE_VARIABLE}={name} forces a build this machine cannot run: {found.answer}")
    shipped = probe(SHIPPED)
    if shipped.runs:
        return Choice(shipped.arch, f"the shipped build: this machine runs 32-bit programs ({shipped.answer})")
    other = probe("x86_64")
    if other.runs:
        return Choice(other.arch, f"this machine runs no 32-bit programs ({shipped.answer}), so the x86_64 build "
                                  f"runs in a 64-bit prefix ({other.answer})")
    return Choice(None, f"Wine runs neither build here: {shipped.answer}; {other.answer}")


def skip_reason(name, environ=os.environ):
    """Why the Wine tests of one architecture do not run here, or None when they do. The test stage runs every
    architecture the machine can run, unless one is forced."""
    wanted = forced(environ)
    if wanted and wanted != name:
        return f"{FORCE_VARIABLE}={wanted} chose the other build"
    found = probe(name)
    return None if found.runs else f"this machine cannot run it: {found.answer}"


def describe(name, environ=os.environ):
    """The first line of a Wine test: which build runs and why."""
    reason = skip_reason(name, environ)
    arch = ARCHES[name]
    if reason:
        return f"Wine build {name} ({arch.preset}): skipped, {reason}"
    kind = "the shipped build" if name == SHIPPED else "the x86_64 build in a 64-bit prefix"
    return f"Wine build {name} ({arch.preset}), {kind}: {probe(name).answer}"


if __name__ == "__main__":
    # scripts/demo: the preset to build on stdout, the reason on standard error.
    import sys

    try:
        made = choose()
    except ValueError as wrong:
        sys.exit(str(wrong))
    if made.arch is None:
        sys.exit(made.why)
    print(f"Wine build {made.arch.name}: {made.why}", file=sys.stderr)
    print(made.arch.preset)
