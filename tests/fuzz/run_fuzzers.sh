#!/usr/bin/env bash
# Runs the fuzz targets for longer than ./test does, one after the other:
#   tests/fuzz/run_fuzzers.sh [seconds per target, default 600] [target...]
# New inputs collect in build/fuzz/long-run/<target>/ (the committed corpus stays
# as it is); crashing inputs are written there as crash-*, leak-*, timeout-*. Add
# each one, once fixed, to tests/fuzz/corpus/<corpus>/ so that ./test keeps it fixed.
# TICKORA_FUZZ_FILE_EVERY=8 puts only every 8th unreadable settings input through
# the files (all are still decided in memory): about four times as many inputs.
set -uo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-600}
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=(fuzz_settings_store fuzz_skin_image)

cmake --preset fuzz >/dev/null && cmake --build --preset fuzz >/dev/null || exit 1
status=0
for target in "${targets[@]}"; do
  case $target in
    fuzz_settings_store) corpus=settings ;;
    fuzz_skin_image) corpus=images ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
  esac
  out=build/fuzz/long-run/$target
  mkdir -p "$out/corpus"
  echo "== $target for ${seconds}s"
  nice -n 19 "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=512 \
    -timeout=60 -dict="tests/fuzz/$corpus.dict" -print_final_stats=1 -artifact_prefix="$out/" "$out/corpus" \
    "tests/fuzz/corpus/$corpus" 2>&1 | tee "$out/log" | grep -E '^(#[0-9]+ +DONE|==[0-9]+==|SUMMARY|stat::)' || true
  ls "$out"/crash-* "$out"/leak-* "$out"/timeout-* "$out"/oom-* 2>/dev/null && status=1
done
exit $status
