#!/usr/bin/env bash
# Figure 5: the wall time of the native test suite as scripts/test runs it (the native test preset: two jobs,
# the Wine rig's scenarios left to their own preset; the sanitizer builds are not run), the sum of its tests'
# own times, and the slowest tests. Needs the native build (cmake --build --preset native). On a machine that
# other work shares, `chrt -f 1 bench/suite_time.sh` (as root) keeps that work from counting.
set -euo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp)
trap 'rm -f "$log" "$log.times"' EXIT

start=$(date +%s%N)
status=0
ctest --preset native >"$log" 2>&1 || status=$?
end=$(date +%s%N)

# The processor time of everything ctest ran: the second line of `times` is this shell's children (run here,
# not in a pipeline, whose subshell would have children of its own).
times >"$log.times"
read -r cpu_user cpu_system < <(sed -n 2p "$log.times" | sed -E 's/([0-9]+)m([0-9.]+)s/\1 \2/g' |
  awk '{ printf "%.1f %.1f\n", $1 * 60 + $2, $3 * 60 + $4 }')

echo "5. The native test suite: ctest --preset native (2 jobs), load average $(cut -d' ' -f1-3 /proc/loadavg)"
grep -E "tests passed|tests failed" "$log" | sed 's/^/   /'
awk -v wall="$(( (end - start) / 1000000 ))" -v user="$cpu_user" -v sys="$cpu_system" '
  / Test +#[0-9]+: / { for (i = 1; i <= NF; ++i) if ($i == "sec") { sum += $(i - 1); n++ } }
  END {
    printf "   wall time %.1f s for %d tests; processor time %.1f s user + %.1f s system\n", wall / 1000, n, user, sys
    printf "   the tests'"'"' own times add up to %.1f s\n", sum
  }' "$log"
sed -n '/Label Time Summary/,/^$/p' "$log" | sed '/^$/d; s/^/   /'
echo "   slowest:"
grep -E " Test +#[0-9]+: " "$log" | awk '{ for (i = 1; i <= NF; ++i) if ($i == "sec") print $(i - 1), $0 }' |
  sort -rn | head -5 | cut -d' ' -f2- | sed -E 's/^ *[0-9]+\/[0-9]+ +Test +#[0-9]+: /     /; s/ \.{2,}/ /'
exit "$status"
