"""Where the rig finds what it runs, and where it keeps its prefix and what each run leaves behind."""
import dataclasses
import pathlib


@dataclasses.dataclass(frozen=True)
class Paths:
    source: pathlib.Path  # the repository
    emulator: pathlib.Path  # the native tessaline-emu
    win32: pathlib.Path  # the i686 build: FWUpdate.exe, the driver, the rig's Windows programs
    work: pathlib.Path  # the prefix and the runs' output, under build/

    @property
    def prefix(self):
        return self.work / "prefix"

    @property
    def fwupdate(self):
        return self.win32 / "src" / "FWUpdate.exe"

    @property
    def driver(self):
        return self.win32 / "emulator" / "wine_driver" / "tessaline_usbscan.sys"

    def program(self, name):
        return self.win32 / "tests" / "wine" / "programs" / f"{name}.exe"

    def missing(self):
        """The built files the rig needs and cannot find."""
        needed = [self.emulator, self.fwupdate, self.driver] + [
            self.program(name) for name in ("stisvc_standin", "rig_setup", "gui_driver")
        ]
        return [path for path in needed if not path.is_file()]

    def output(self, run_name):
        folder = self.work / "runs" / run_name
        folder.mkdir(parents=True, exist_ok=True)
        return folder


def default_paths(source=None, emulator=None, win32=None, work=None):
    source = pathlib.Path(source or pathlib.Path(__file__).resolve().parents[3])
    # Absolute: Wine refuses a relative prefix.
    return Paths(
        source=source,
        emulator=pathlib.Path(emulator or source / "build" / "native" / "emulator" / "tessaline-emu").resolve(),
        win32=pathlib.Path(win32 or source / "build" / "win32").resolve(),
        work=pathlib.Path(work or source / "build" / "wine-rig").resolve(),
    )
