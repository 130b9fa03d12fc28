#!/usr/bin/env bash
# Figure 5: the wall time of the native test suite as scripts/test runs it (the native test preset: two jobs,
# the Wine rig's scenarios left to their own preset; the sanitizer builds are not run), the sum of its tests'
# own times, and the slowest tests. Needs the native build (cmake --build --preset native).
set -euo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT

start=$(date +%s%N)
status=0
ctest --preset native >"$log" 2>&1 || status=$?
end=$(date +%s%N)

echo "5. The native test suite: ctest --preset native (2 jobs), load average $(cut -d' ' -f1-3 /proc/loadavg)"
grep -E "tests passed|tests failed" "$log" | sed 's/^/   /'
awk -v wall="$(( (end - start) / 1000000 ))" '
  / Test +#[0-9]+: / { for (i = 1; i <= NF; ++i) if ($i == "sec") { sum += $(i - 1); n++ } }
  END { printf "   wall time %.1f s for %d tests; the tests'"'"' own times add up to %.1f s\n", wall / 1000, n, sum }' "$log"
echo "   slowest:"
grep -E " Test +#[0-9]+: " "$log" | awk '{ for (i = 1; i <= NF; ++i) if ($i == "sec") print $(i - 1), $0 }' |
  sort -rn | head -5 | cut -d' ' -f2- | sed -E 's/^ *[0-9]+\/[0-9]+ +Test +#[0-9]+: /     /; s/ \.{2,}/ /'
exit "$status"
