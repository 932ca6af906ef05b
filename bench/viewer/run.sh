#!/usr/bin/env bash
# Measures the viewer's speed on this machine, on Qt's offscreen platform and under a real
# X server (xvfb-run): start-up to the main window's first paint (in-process marks and whole
# processes), Enter to the rendered page for random words of the installed dictionaries,
# the dictionary switch, and the copy command's selection query. Prints each figure beside
# its goal.
#   bench/viewer/run.sh [--runs N] [--searches N] [--switches N] [--seed N]
# BUILD_DIR names the optimised build folder (default build/release).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
command -v xvfb-run >/dev/null || { echo "bench/viewer/run.sh needs xvfb-run (Debian xvfb)" >&2; exit 2; }

build="${BUILD_DIR:-build/release}"
[ -f "$build/CMakeCache.txt" ] || cmake --preset release -B "$build" >/dev/null
cmake --build "$build" -j2 --target tkviewer_bench allbooks_bench
product="$root/$build/product"
bench="$root/$build/bench/tkviewer_bench"
allbooks="$root/$build/bench/allbooks_bench"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The viewer records its last dictionary in the registry: keep that out of the user's own.
mkdir -p "$work/registry"
export TAALKIST_REGISTRY_DIR="$work/registry"
# The search library finds crypt.so (for enciphered books) beside the program or here.
export LD_LIBRARY_PATH="$product${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

# Word lists: the keywords of the sources the installed dictionaries were compiled from.
words=()
for book in $(tr -d '\r' < "$product/data/dict.cfg" | sed -n '/^\[dictionaries\]/,/^\[/s/=.*//p'); do
  src="$build/data/sources/$book.src"
  [ -s "$src" ] || src="data/samples/$book.src"
  [ -s "$src" ] || continue
  tr -d '\r' < "$src" | sed -n 's/^kw: *//p' > "$work/$book.words"
  echo "$book: $(wc -l < "$work/$book.words") keywords from $src"
  words+=(--words "$book=$work/$book.words")
done

echo "Machine: $(nproc) CPUs, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
echo "Load:   $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine shows in the figures)"
books=()
for spec in "${words[@]}"; do
  case "$spec" in *=*) books+=("${spec%%=*}") ;; esac
done
# Start-up as from a menu (the last used or first dictionary), then once per dictionary as
# a new window starts it: books with speech load the speech engine as well.
measure() {
  "$bench" --product "$product" startup "$@"
  for book in "${books[@]}"; do
    "$bench" --product "$product" startup --book "$book" "$@"
  done
  "$bench" --product "$product" ui "${words[@]}" "$@"
  # Every book at once: Enter to blocks and page, a slowed book, start-up with the choice.
  "$allbooks" --product "$product" ui "${words[@]}"
  "$allbooks" --product "$product" startup
}
echo
echo "== Qt platform offscreen"
QT_QPA_PLATFORM=offscreen measure "$@"
echo
echo "== Qt platform xcb under Xvfb"
export bench allbooks product
words_text="$(printf '%q ' "${words[@]}")"
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  bash -c "words=($words_text); books=($(printf '%q ' "${books[@]}")); $(declare -f measure); measure \"\$@\"" measure "$@"
