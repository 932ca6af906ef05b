#!/usr/bin/env bash
# Measures the word finder on the bundled books and on gcide's headwords: the share of
# inflected forms that reach their base form (bench/wordfinder/*.pairs, made by
# make_pairs.py), and the speed, memory and hit rate of "did you mean". Prints ratios.
#   bench/wordfinder/run.sh [--misses]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
for p in dict-gcide hunspell-nl hunspell-en-us; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
    { echo "bench/wordfinder/run.sh needs the Debian package $p" >&2; exit 2; }
done

cmake --preset release >/dev/null
cmake --build build/release --target wordforms_eval suggest_bench tk_data
bench="$root/build/release/bench"
sources="$root/build/release/data/sources"

for book in nl-en en-nl; do
  lang="${book%%-*}"
  for dictionary in "" --no-hunspell; do
    "$bench/wordforms_eval" --book "$sources/$book.src" --lang "$lang" \
      --pairs "bench/wordfinder/$lang.pairs" --tables data/wordforms $dictionary "$@"
  done
done
"$bench/suggest_bench" --dictd /usr/share/dictd/gcide.index \
  --source "$sources/nl-en.src" --source "$sources/en-nl.src"
