#!/usr/bin/env python3
"""A seed of sim_runner replays exactly: two runs of it print the same world, the same event trace with its
virtual times, the same verdict and the same virtual end. Its worlds touch nothing that keeps real time (the
simulated sockets do, and no caller in the tool selects the socket link; docs/reliability.md)."""
import subprocess
import sys
import unittest

RUNNER = None
# Spread over the slices CTest runs, including worlds that update, refuse an update and hang on a user.
SEEDS = [1, 2, 3, 7, 42, 99, 404, 1234, 2024, 2999]


class Replay(unittest.TestCase):
    def run_seed(self, seed):
        # Bytes: some worlds' scanners report identifications that are no valid UTF-8.
        run = subprocess.run([RUNNER, "--seed", str(seed)], capture_output=True, timeout=120)
        self.assertIn(f"seed {seed}: ".encode(), run.stdout, run.stderr)
        return run.stdout.decode("utf-8", "backslashreplace")

    def test_same_seed_same_run(self):
        for seed in SEEDS:
            with self.subTest(seed=seed):
                first, second = self.run_seed(seed), self.run_seed(seed)
                if first != second:
                    differ = next(i for i, (a, b) in enumerate(zip(first.split("\n"), second.split("\n"))) if a != b)
                    self.fail(f"seed {seed} differs from line {differ + 1}:\n  {first.split(chr(10))[differ]}\n"
                              f"  {second.split(chr(10))[differ]}")

    def test_different_seeds_differ(self):
        # Guards the comparison above: a runner that ignored its seed would replay "exactly" too.
        self.assertNotEqual(self.run_seed(SEEDS[0]), self.run_seed(SEEDS[1]))


if __name__ == "__main__":
    RUNNER = sys.argv.pop(1)
    unittest.main()
