#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs both at once for a bounded time over
# the saved corpus (new finds go to a scratch folder; crashes, and inputs slower than
# 10 s, are saved under fuzz/lexq/crashes).
#   fuzz/run.sh [SECONDS per target]
# FUZZ_RUNS=N ends each target after N executions instead (SECONDS still bounds it);
# FUZZ_KEEP=DIR keeps the new inputs (DIR/<target>/) and the logs (DIR/<target>.log,
# appended) for a long campaign's corpus to be merged later (fuzz/campaign.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
if [ -n "${FUZZ_KEEP:-}" ]; then
  out="$FUZZ_KEEP"
  mkdir -p "$out"
else
  out="$(mktemp -d)"
  trap 'rm -rf "$out"' EXIT
fi
runs=()
[ -n "${FUZZ_RUNS:-}" ] && runs=(-runs="$FUZZ_RUNS")
# An input holds at most 256 KiB, so 16 MiB of quarantine still spans dozens of inputs'
# frees; ASan's default of 256 MiB only churns through fresh pages (about 1.4x slower).
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16}"
targets=(lexq_file lexq_block)
pids=()
for target in "${targets[@]}"; do
  mkdir -p "$out/$target"
  echo "Fuzzing $target for ${FUZZ_RUNS:+$FUZZ_RUNS runs within }${seconds}s"
  build/fuzz/fuzz/fuzz_$target -max_total_time="$seconds" "${runs[@]}" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="fuzz/lexq/crashes/$target-" \
    "$out/$target" fuzz/lexq/corpus/$target fuzz/lexq/corpus/seeds 2>>"$out/$target.log" &
  pids+=($!)
done
status=0
for i in "${!targets[@]}"; do
  target="${targets[$i]}"
  if ! wait "${pids[$i]}"; then
    status=1
    tail -40 "$out/$target.log"
  fi
  echo "$target:"
  grep -E '^stat::(number_of_executed_units|new_units_added)|cov:' "$out/$target.log" | tail -3
done
exit $status
