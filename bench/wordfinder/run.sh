#!/usr/bin/env bash
# Measures the word finder on the bundled books and on gcide's headwords: the share of
# inflected forms that reach their base form (bench/wordfinder/*.pairs, made by
# make_pairs.py), and the speed, memory and hit rate of "did you mean"; then the whole
# finder through the product's search library (type-ahead, the first miss's key reading,
# suggestions, the base-form fallback) on gcide, nl-en and en-nl. Prints ratios.
#   bench/wordfinder/run.sh [--misses]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
for p in dict-gcide hunspell-nl hunspell-en-us; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
    { echo "bench/wordfinder/run.sh needs the Debian package $p" >&2; exit 2; }
done

cmake --preset release >/dev/null
cmake --build build/release --target wordforms_eval suggest_bench finder_bench lexqapi lexqc tk_data
bench="$root/build/release/bench"
sources="$root/build/release/data/sources"
product="$root/build/release/product"
if [ ! -s "$bench/gcide.idx" ]; then
  echo "Compiling gcide (once, as bench/run.sh does)..."
  "$product/lexqc" import-dictd /usr/share/dictd/gcide.index /usr/share/dictd/gcide.dict.dz "$bench/gcide.src"
  "$product/lexqc" build "$bench/gcide.src" "$bench/gcide.idx"
fi

for book in nl-en en-nl; do
  lang="${book%%-*}"
  for dictionary in "" --no-hunspell; do
    "$bench/wordforms_eval" --book "$sources/$book.src" --lang "$lang" \
      --pairs "bench/wordfinder/$lang.pairs" --tables data/wordforms $dictionary "$@"
  done
done
"$bench/suggest_bench" --dictd /usr/share/dictd/gcide.index \
  --source "$sources/nl-en.src" --source "$sources/en-nl.src"
# Through the search library as the viewer runs it: gcide (an English book of its size)
# and the bundled books.
export LD_LIBRARY_PATH="$product${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
"$bench/finder_bench" --product "$product" --name en --idx "$bench/gcide.idx" \
  --pairs bench/wordfinder/en.pairs --goal-ms 30
"$bench/finder_bench" --product "$product" --name nl-en --pairs bench/wordfinder/nl.pairs --goal-ms 10
"$bench/finder_bench" --product "$product" --name en-nl --pairs bench/wordfinder/en.pairs --goal-ms 10
