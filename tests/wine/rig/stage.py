"""The Wine test stage as a whole: every scenario that ran leaves a mark, so the stage can tell a run in which
no scenario ran (every build skipped) from one that passed."""
import pathlib

# CTest's SKIP_RETURN_CODE for the Wine tests: reported as skipped, with the reason the test printed.
SKIPPED = 77


def marks(work):
    return pathlib.Path(work) / "stage"


def clear(work):
    folder = marks(work)
    folder.mkdir(parents=True, exist_ok=True)
    for mark in folder.iterdir():
        mark.unlink()


def mark_ran(paths, scenario, passed):
    folder = marks(paths.work)
    folder.mkdir(parents=True, exist_ok=True)
    (folder / f"{paths.arch.name}.{scenario}").write_text("passed\n" if passed else "failed\n")


def ran(work):
    """{arch.scenario: 'passed' or 'failed'} of this stage."""
    folder = marks(work)
    if not folder.is_dir():
        return {}
    return {mark.name: mark.read_text().strip() for mark in sorted(folder.iterdir())}
