#!/usr/bin/env bash
# A long fuzz campaign: fuzz/run.sh in rounds of ROUND executions per target until the
# two targets have run TOTAL executions together. New inputs and the logs stay in DIR, to
# be merged into fuzz/lexq/corpus afterwards; crashes go to fuzz/lexq/crashes as usual.
#   fuzz/campaign.sh DIR TOTAL [ROUND]   run (ROUND: 2000000 by default)
#   fuzz/campaign.sh DIR                 print the executions finished so far
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$1"
total="${2:-}"
round="${3:-2000000}"
# Every finished round of a target ends its log with its execution count.
count() {
  cat "$dir"/*.log 2>/dev/null |
    awk '/^stat::number_of_executed_units:/ { n += $2 } END { print n + 0 }'
}
if [ -z "$total" ]; then
  echo "$(count) executions finished"
  exit 0
fi
mkdir -p "$dir"
while [ "$(count)" -lt "$total" ]; do
  FUZZ_RUNS="$round" FUZZ_KEEP="$dir" fuzz/run.sh 86400 ||
    { echo "a fuzz target failed: see $dir/*.log and fuzz/lexq/crashes" >&2; exit 1; }
done
echo "$(count) executions finished"
