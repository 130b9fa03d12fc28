"""Where the rig finds what it runs, and where it keeps its prefixes and what each run leaves behind."""
import dataclasses
import pathlib

from .machine import Arch


@dataclasses.dataclass(frozen=True)
class Paths:
    source: pathlib.Path  # the repository
    emulator: pathlib.Path  # the native tessaline-emu
    arch: Arch  # the architecture of the Windows programs and of the prefix
    build: pathlib.Path  # that architecture's mingw build: FWUpdate.exe, the driver, the rig's Windows programs
    work: pathlib.Path  # the prefixes and the runs' output, under build/

    @property
    def prefix(self):
        """One prefix per architecture: a 64-bit prefix made by the 32-bit loader hosts 32-bit drivers, one
        made by the 64-bit loader alone does not."""
        return self.work / f"prefix-{self.arch.name}"

    @property
    def fwupdate(self):
        return self.build / "src" / "FWUpdate.exe"

    @property
    def driver(self):
        return self.build / "emulator" / "wine_driver" / "tessaline_usbscan.sys"

    @property
    def conformance(self):
        """The seam's conformance suite built for Windows (tests/conformance)."""
        return self.build / "tests" / "conformance" / "conformance.exe"

    def program(self, name):
        return self.build / "tests" / "wine" / "programs" / f"{name}.exe"

    def missing(self):
        """The built files the rig needs and cannot find."""
        needed = [self.emulator, self.fwupdate, self.driver] + [
            self.program(name) for name in ("stisvc_standin", "rig_setup", "gui_driver")
        ]
        return [path for path in needed if not path.is_file()]

    def build_hint(self):
        preset = self.arch.preset
        return f"cmake --build --preset native; cmake --preset {preset} && cmake --build --preset {preset}"

    def output(self, run_name):
        folder = self.work / "runs" / self.arch.name / run_name
        folder.mkdir(parents=True, exist_ok=True)
        return folder


def default_paths(arch, source=None, emulator=None, build=None, work=None):
    source = pathlib.Path(source or pathlib.Path(__file__).resolve().parents[3])
    # Absolute: Wine refuses a relative prefix.
    return Paths(
        source=source,
        emulator=pathlib.Path(emulator or source / "build" / "native" / "emulator" / "tessaline-emu").resolve(),
        arch=arch,
        build=pathlib.Path(build or source / "build" / arch.preset).resolve(),
        work=pathlib.Path(work or source / "build" / "wine-rig").resolve(),
    )
