#!/usr/bin/env python3
"""Which Wine build the rig picks, for each kind of machine, with the loaders' answers faked."""
import pathlib
import sys
import tempfile
import unittest
from unittest import mock

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from rig import machine, stage  # noqa: E402
from rig.paths import default_paths  # noqa: E402

RUNS = "answers wine-8.0"
NOEXEC = "/usr/lib/wine/wine: Exec format error"


def machine_that(i686, x86_64):
    """A probe for a machine whose loaders run or fail as given."""
    answers = {"i686": i686, "x86_64": x86_64}

    def probe(name):
        return machine.Probe(machine.ARCHES[name], answers[name] == RUNS, answers[name])

    return mock.patch.object(machine, "probe", side_effect=probe)


class Choice(unittest.TestCase):
    # (what the machine runs, FWU_WINE_ARCH, the build chosen or None, a text the reason must hold)
    CASES = [
        ((RUNS, RUNS), "", "i686", "the shipped build"),
        ((NOEXEC, RUNS), "", "x86_64", "runs no 32-bit programs (" + NOEXEC),
        ((NOEXEC, "not installed"), "", None, "neither build"),
        ((RUNS, RUNS), "x86_64", "x86_64", "forced by FWU_WINE_ARCH=x86_64"),
        ((RUNS, RUNS), "i686", "i686", "forced by FWU_WINE_ARCH=i686"),
        ((NOEXEC, RUNS), "i686", None, "forces a build this machine cannot run: " + NOEXEC),
    ]

    def test_choice(self):
        for runs, force, expected, why in self.CASES:
            with self.subTest(runs=runs, force=force), machine_that(*runs):
                made = machine.choose({"FWU_WINE_ARCH": force})
                self.assertEqual(made.arch.name if made.arch else None, expected, made.why)
                self.assertIn(why, made.why)

    def test_unknown_forced_value_is_refused(self):
        with machine_that(RUNS, RUNS), self.assertRaisesRegex(ValueError, "use one of i686, x86_64"):
            machine.choose({"FWU_WINE_ARCH": "win32"})


class Stage(unittest.TestCase):
    """The test stage runs every build the machine runs and says why it skips the others."""

    # (what the machine runs, FWU_WINE_ARCH, {build: None when it runs, else a text of its skip reason})
    CASES = [
        ((RUNS, RUNS), "", {"i686": None, "x86_64": None}),
        ((NOEXEC, RUNS), "", {"i686": NOEXEC, "x86_64": None}),
        ((RUNS, RUNS), "x86_64", {"i686": "chose the other build", "x86_64": None}),
        ((RUNS, RUNS), "i686", {"i686": None, "x86_64": "chose the other build"}),
    ]

    def test_skip_reasons(self):
        for runs, force, expected in self.CASES:
            for name, reason in expected.items():
                with self.subTest(runs=runs, force=force, build=name), machine_that(*runs):
                    got = machine.skip_reason(name, {"FWU_WINE_ARCH": force})
                    if reason is None:
                        self.assertIsNone(got)
                    else:
                        self.assertIn(reason, got or "")

    def test_marks_tell_a_stage_that_ran_nothing(self):
        with tempfile.TemporaryDirectory() as work:
            stage.clear(work)
            self.assertEqual(stage.ran(work), {})
            paths = default_paths(machine.ARCHES["x86_64"], work=work)
            stage.mark_ran(paths, "burn_error", False)
            self.assertEqual(stage.ran(work), {"x86_64.burn_error": "failed"})
            stage.clear(work)
            self.assertEqual(stage.ran(work), {})


class Layout(unittest.TestCase):
    def test_each_build_has_its_own_prefix_and_programs(self):
        found = {name: default_paths(arch, source="/src") for name, arch in machine.ARCHES.items()}
        self.assertEqual(found["i686"].fwupdate, pathlib.Path("/src/build/win32/src/FWUpdate.exe"))
        self.assertEqual(found["x86_64"].fwupdate, pathlib.Path("/src/build/win64/src/FWUpdate.exe"))
        self.assertNotEqual(found["i686"].prefix, found["x86_64"].prefix)
        self.assertEqual(machine.ARCHES["x86_64"].prefix_arch, "win64")


if __name__ == "__main__":
    unittest.main()
