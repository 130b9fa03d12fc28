"""The scenario's verdict: every check prints what it got, and a scenario that checked nothing fails."""


class Checks:
    def __init__(self, name):
        self.name = name
        self.passed = 0
        self.failed = []

    def _record(self, ok, what, got, expected=None):
        if ok:
            self.passed += 1
            print(f"  ok    {what}: got {got!r}", flush=True)
        else:
            self.failed.append(what)
            wanted = "" if expected is None else f", expected {expected!r}"
            print(f"  FAIL  {what}: got {got!r}{wanted}", flush=True)
        return ok

    def equal(self, what, got, expected):
        return self._record(got == expected, what, got, expected)

    def true(self, what, condition, got):
        return self._record(bool(condition), what, got)

    def startswith(self, what, got, prefix):
        return self._record(isinstance(got, str) and got.startswith(prefix), what, got, f"{prefix}...")

    def in_order(self, what, seen, wanted):
        """`wanted` are predicates over the texts seen; each must match a text after the previous match."""
        position = 0
        for describe, predicate in wanted:
            while position < len(seen) and not predicate(seen[position]):
                position += 1
            if position == len(seen):
                return self._record(False, f"{what}: {describe}", seen, "that text in this order")
            position += 1
        return self._record(True, what, seen)

    def abort(self, what, got):
        """A step the scenario cannot go on without did not happen."""
        self._record(False, what, got)
        raise Abort(what)

    def verdict(self):
        total = self.passed + len(self.failed)
        if total == 0:
            print(f"{self.name}: FAILED, no check was made", flush=True)
            return 1
        if self.failed:
            print(f"{self.name}: FAILED {len(self.failed)} of {total} checks: {'; '.join(self.failed)}", flush=True)
            return 1
        print(f"{self.name}: passed all {total} checks", flush=True)
        return 0


class Abort(Exception):
    """A step the scenario cannot go on without did not happen; the message says what was waited for."""

