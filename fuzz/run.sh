#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs them, two at a time, for a bounded time
# over their saved corpora. A target is a folder fuzz/FOLDER/corpus/NAME (the program
# fuzz_NAME); FOLDER/corpus/seeds is read as well when there is one, and FOLDER/NAME.options
# and FOLDER/NAME.dict add libFuzzer flags and a dictionary. New finds go to a scratch
# folder; crashes, and inputs slower than the time limit, are saved as
# fuzz/FOLDER/crashes/NAME-*.
#   fuzz/run.sh [SECONDS] [TARGET...]   each target (all by default) for SECONDS (60)
#   fuzz/run.sh --total SECONDS         every target, within about SECONDS of wall time
#   fuzz/run.sh --list                  the targets and their folders
# FUZZ_JOBS=N runs N at a time; FUZZ_RUNS=N ends each target after N executions instead
# (the time still bounds it); FUZZ_KEEP=DIR keeps the new inputs (DIR/NAME/) and the logs
# (DIR/NAME.log, appended) for a campaign (fuzz/campaign.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${FUZZ_JOBS:-2}"
total=""
if [ "${1:-}" = "--total" ]; then
  total="$2"
  shift 2
fi
seconds="${1:-60}"
[ $# -gt 0 ] && shift

declare -A folder_of=()
all=()
for corpus in fuzz/*/corpus/*/; do
  corpus="${corpus%/}"
  name="${corpus##*/}"
  [ "$name" = seeds ] && continue
  folder_of[$name]="${corpus%/corpus/*}"
  all+=("$name")
done
if [ "$seconds" = "--list" ]; then
  for target in "${all[@]}"; do echo "$target ${folder_of[$target]}"; done
  exit 0
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
for target in "${targets[@]}"; do
  [ -n "${folder_of[$target]:-}" ] || { echo "no fuzz target $target" >&2; exit 2; }
done
if [ -n "$total" ]; then
  # Rounds of $jobs targets share the time; a target gets at least 10 s.
  rounds=$(((${#targets[@]} + jobs - 1) / jobs))
  seconds=$((total / rounds))
  [ "$seconds" -ge 10 ] || seconds=10
fi

# One build at a time: campaigns of a target per core run this script side by side.
mkdir -p build
(
  flock 9
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz --target "${targets[@]/#/fuzz_}"
) 9>build/.fuzz-build.lock
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

fuzz_one() {
  local target=$1 folder="${folder_of[$1]}" flags=()
  [ -f "$folder/$target.options" ] && read -r -d '' -a flags < <(grep -v '^#' "$folder/$target.options") || true
  [ -f "$folder/$target.dict" ] && flags+=(-dict="$folder/$target.dict")
  local corpora=("$folder/corpus/$target")
  [ -d "$folder/corpus/seeds" ] && corpora+=("$folder/corpus/seeds")
  mkdir -p "$out/$target" "$folder/crashes"
  build/fuzz/fuzz/fuzz_$target -max_total_time="$seconds" "${runs[@]}" -timeout=10 "${flags[@]}" \
    -print_final_stats=1 -artifact_prefix="$folder/crashes/$target-" \
    "$out/$target" "${corpora[@]}" 2>>"$out/$target.log"
}

status=0
report() {  # report TARGET EXIT-STATUS
  if [ "$2" -ne 0 ]; then
    status=1
    tail -40 "$out/$1.log"
  fi
  awk -v target="$1" '
    /^stat::number_of_executed_units:/ { runs = $2 }
    /^stat::average_exec_per_sec:/ { speed = $2 }
    /^stat::new_units_added:/ { added = $2 }
    / cov: / { for (i = 1; i < NF; i++) if ($i == "cov:") cov = $(i + 1) }
    END { printf "%s: %d runs (%d/s), %d new inputs, %d edges\n", target, runs, speed, added, cov }
  ' "$out/$1.log"
}
echo "Fuzzing ${#targets[@]} targets, $jobs at a time, ${FUZZ_RUNS:+$FUZZ_RUNS runs within }${seconds}s each"
declare -A running=()
for target in "${targets[@]}"; do
  while [ ${#running[@]} -ge "$jobs" ]; do
    finished=0
    wait -n -p finished "${!running[@]}" && code=0 || code=$?
    report "${running[$finished]}" "$code"
    unset "running[$finished]"
  done
  fuzz_one "$target" &
  running[$!]=$target
done
for pid in "${!running[@]}"; do
  wait "$pid" && code=0 || code=$?
  report "${running[$pid]}" "$code"
done
exit $status
