#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time over the saved
# corpus (new finds go to a scratch folder; crashes, and inputs slower than 10 s, are saved
# under fuzz/lexq/crashes).
#   fuzz/run.sh [SECONDS per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# An input holds at most 256 KiB, so 16 MiB of quarantine still spans dozens of inputs'
# frees; ASan's default of 256 MiB only churns through fresh pages (about 1.4x slower).
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16}"
status=0
for target in lexq_file lexq_block; do
  mkdir -p "$scratch/$target"
  echo "Fuzzing $target for ${seconds}s"
  build/fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="fuzz/lexq/crashes/$target-" \
    "$scratch/$target" fuzz/lexq/corpus/$target fuzz/lexq/corpus/seeds 2>"$scratch/$target.log" ||
    { status=1; tail -40 "$scratch/$target.log"; }
  grep -E '^stat::(number_of_executed_units|new_units_added)|cov:' "$scratch/$target.log" | tail -3
done
exit $status
