#!/usr/bin/env bash
# A long fuzz campaign, for an idle machine: fuzz/run.sh in rounds, two targets at a time,
# until each target (all by default) has run RUNS executions. New inputs and the logs stay
# in DIR (DIR/NAME/, DIR/NAME.log, appended), so a campaign that was stopped goes on where
# it stopped; crashes go to fuzz/FOLDER/crashes as usual.
#   fuzz/campaign.sh DIR RUNS [TARGET...]      run
#   fuzz/campaign.sh DIR                       executions so far, per target
#   fuzz/campaign.sh --merge DIR [TARGET...]   add the inputs of DIR that reach code the
#                                              committed corpus does not (then commit them)
# FUZZ_ROUND=N executions per target and round (2,000,000 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A folder_of=()
while read -r name folder; do folder_of[$name]=$folder; done < <(fuzz/run.sh --list)

merge=0
if [ "${1:-}" = "--merge" ]; then
  merge=1
  shift
fi
dir="${1:?usage: fuzz/campaign.sh DIR [RUNS] [TARGET...]}"
shift
total=""
if [ $merge -eq 0 ] && [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  total="$1"
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${!folder_of[@]}")

count() {  # executions of a target in all finished rounds
  awk '/^stat::number_of_executed_units:/ { n += $2 } END { print n + 0 }' "$dir/$1.log" \
    2>/dev/null || echo 0
}
summary() {
  for target in "${targets[@]}"; do
    awk -v target="$target" '
      /^stat::number_of_executed_units:/ { runs += $2; rounds++ }
      /^stat::average_exec_per_sec:/ { speed = $2 }
      END { printf "%-14s %12d executions in %d rounds, last %d/s\n", target, runs, rounds, speed }
    ' "$dir/$target.log" 2>/dev/null || echo "$target: none yet"
    echo "               $(find "$dir/$target" -type f 2>/dev/null | wc -l) new inputs kept"
  done
}

if [ $merge -eq 1 ]; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz --target "${targets[@]/#/fuzz_}"
  for target in "${targets[@]}"; do
    [ -d "$dir/$target" ] || continue
    corpus="${folder_of[$target]}/corpus/$target"
    before=$(find "$corpus" -type f | wc -l)
    build/fuzz/fuzz/fuzz_$target -merge=1 "$corpus" "$dir/$target" 2>"$dir/$target.merge.log"
    echo "$target: $before inputs, now $(find "$corpus" -type f | wc -l)"
  done
  exit 0
fi
if [ -z "$total" ]; then
  summary
  exit 0
fi
mkdir -p "$dir"
while :; do
  pending=()
  for target in "${targets[@]}"; do
    [ "$(count "$target")" -lt "$total" ] && pending+=("$target")
  done
  [ ${#pending[@]} -gt 0 ] || break
  FUZZ_RUNS="${FUZZ_ROUND:-2000000}" FUZZ_KEEP="$dir" fuzz/run.sh 86400 "${pending[@]}" ||
    { echo "a fuzz target failed: see $dir/*.log and fuzz/*/crashes" >&2; exit 1; }
done
summary
