#!/usr/bin/env bash
# Runs the Linux end-to-end tests N times (default 10) beside two busy loops, as
# a loaded CI machine would, and prints how many runs passed:
#   tests/stress.sh [N]
# A run passes when every test of both end-to-end programs (the clock in Xvfb,
# the clock on headless sway and weston) passes. Not part of ./test. It builds
# what it runs (the linux preset) and starts an Xvfb of its own; the busy loops
# and the Xvfb are ended by their pids when it ends.
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/setup-machine.sh
runs=${1:-10}
programs=(tickora_linux_clock_tests tickora_wayland_clock_tests)

scratch=$(mktemp -d /tmp/tickora-stress.XXXXXX)
busy=()
cleanup() {
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null; done
  stop_xvfb
  rm -rf "$scratch"
}
trap cleanup EXIT

if ! { cmake --preset linux && cmake --build --preset linux --target "${programs[@]}"; } \
  >"$scratch/build.log" 2>&1; then
  tail -n 40 "$scratch/build.log"
  exit 1
fi
start_xvfb "$scratch" || exit 1
# The loops run at the lowest normal priority. The clock runs at idle priority,
# by design below all normal work: loops at the default priority would stop it
# outright (on two cores it would get a few thousandths of a CPU), as they would
# any idle-priority program. At nice 19 they still take about five sixths of
# the CPU from it and share it with everything else, so the clock draws, saves
# and answers late, which is what the tests must hold against.
for _ in 1 2; do
  nice -n 19 bash -c 'while :; do :; done' &
  busy+=($!)
done

passed=0
for run in $(seq 1 "$runs"); do
  ok=1
  for program in "${programs[@]}"; do
    if ! "build/linux/tests/$program" >"$scratch/$program.log" 2>&1; then
      ok=0
      echo "run $run: $program failed:"
      grep -E '^\[  FAILED  \]|Failure|error:' "$scratch/$program.log" | head -n 20
    fi
  done
  passed=$((passed + ok))
  echo "run $run: $([[ $ok -eq 1 ]] && echo passed || echo failed)"
done
echo "$passed of $runs runs passed"
[[ $passed -eq $runs ]]
