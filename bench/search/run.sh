#!/usr/bin/env bash
# Benchmarks patterns on headwords and full-text search on the bundled WordNet book (en)
# with its article index, and the same patterns on a gcide book beside dictd's match
# strategies on 127.0.0.1. Prints each figure with its goal and the ratio.
#   bench/search/run.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
for p in dict-wn dict-gcide dictd; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
    { echo "bench/search/run.sh needs the Debian package $p" >&2; exit 2; }
done
cmake --preset release >/dev/null
cmake --build build/release --target search_bench lexqc tk_data
out="$root/build/release/bench"
mkdir -p "$out"
if [ ! -s "$out/gcide.idx" ]; then
  echo "Compiling gcide (once)..."
  build/release/product/lexqc import-dictd /usr/share/dictd/gcide.index /usr/share/dictd/gcide.dict.dz "$out/gcide.src"
  build/release/product/lexqc build "$out/gcide.src" "$out/gcide.idx"
fi
# A gcide book of an older build has no article index yet.
[ -s "$out/gcide.fts" ] || build/release/product/lexqc index "$out/gcide.idx"

port=26281
run="$(mktemp -d)"
chmod 777 "$run"
cat > "$out/dictd-search.conf" <<CONF
global {
  listen_to 127.0.0.1
  port $port
  pid_file $run/dictd.pid
}
access { allow 127.0.0.1 }
database gcide {
  data  /usr/share/dictd/gcide.dict.dz
  index /usr/share/dictd/gcide.index
}
CONF
dictd -c "$out/dictd-search.conf" --pid-file "$run/dictd.pid" -L "$run/dictd.log"
trap 'kill "$(cat "$run/dictd.pid")" 2>/dev/null || true; rm -rf "$run"' EXIT
for _ in $(seq 50); do
  (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break
  sleep 0.1
done
"$out/search_bench" --book build/release/product/data/en.idx \
  --source build/release/data/sources/en.src --gcide "$out/gcide.idx" --dictd-port "$port"
