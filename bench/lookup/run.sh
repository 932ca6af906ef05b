#!/usr/bin/env bash
# Benchmarks looking a word up from another program under Xvfb with a window manager:
# the time a "tkviewer --lookup" command takes to return with a viewer resident, the time
# from the command's start to the popup's answer (p95 of RUNS), and the answer of a cold
# start without a resident viewer. Prints each as a ratio to its goal (below 1 is met).
# Beside them, what the lookup must not cost the plain viewer: "tkviewer" started to its
# window on the screen (median and p95 of RUNS, firstmap.c), as a ratio to the start-up goal.
#   bench/lookup/run.sh [PRODUCT_DIR]   (default build/release/product, built first)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
product="${1:-}"
if [ -z "$product" ]; then
  (cd "$root" && cmake --preset release >/dev/null && cmake --build build/release --target tkviewer lexqapi)
  product="$root/build/release/product"
fi
runs="${RUNS:-20}"
work="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
# The product's folder as it is, with the viewer's registry, runtime folder and log here.
cp -r "$product" "$work/product"
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" TAALKIST_REGISTRY_DIR="$work/registry"
export TAALKIST_LOOKUP_LOG="$work/lookups.log" ASAN_OPTIONS=detect_leaks=0
unset WAYLAND_DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
pids+=($!)
read -r display <&3
export DISPLAY=":$display"
command -v openbox >/dev/null && { openbox >/dev/null 2>&1 & pids+=($!); sleep 0.5; }
viewer="$work/product/tkviewer"
now() { date +%s%3N; }
p95() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { i = int(NR * 0.95 + 0.999); print v[i] }'; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The plain viewer first, while no viewer is resident.
cc -O2 -o "$work/firstmap" "$root/bench/lookup/firstmap.c" -lX11
mapped=()
for i in $(seq "$runs"); do
  mapped+=($("$work/firstmap" "$viewer" | cut -d. -f1))
done
rm -f "$XDG_RUNTIME_DIR"/taalkist-lookup*
answers() { [ -f "$TAALKIST_LOOKUP_LOG" ] && wc -l < "$TAALKIST_LOOKUP_LOG" || echo 0; }
wait_answers() {  # wait_answers COUNT: the time of the COUNT-th answer
  until [ "$(answers)" -ge "$1" ]; do sleep 0.005; done
  sed -n "${1}p" "$TAALKIST_LOOKUP_LOG" | cut -f5
}

start=$(now)
"$viewer" --lookup fiets & pids+=($!)
cold=$(( $(wait_answers 1) - start ))

returns=() shown=() count=1
for i in $(seq "$runs"); do
  start=$(now)
  "$viewer" --lookup huis
  returned=$(now)
  count=$((count + 1))
  answered=$(wait_answers "$count")
  returns+=($((returned - start)))
  shown+=($((answered - start)))
done
ret=$(p95 "${returns[@]}")
ans=$(p95 "${shown[@]}")
awk -v r="$ret" -v a="$ans" -v c="$cold" -v n="$runs" -v m="$(median "${mapped[@]}")" \
    -v w="$(p95 "${mapped[@]}")" 'BEGIN {
  printf "command returns (resident, p95 of %d): %d ms, goal 30 ms, ratio %.2f\n", n, r, r / 30
  printf "popup answers (resident, p95 of %d):   %d ms, goal 60 ms, ratio %.2f\n", n, a, a / 60
  printf "popup answers (cold start):           %d ms, goal 250 ms, ratio %.2f\n", c, c / 250
  printf "plain viewer to its window (median, p95 of %d): %d, %d ms, start-up goal 300 ms, ratio %.2f\n", n, m, w, w / 300
}'
