#!/usr/bin/env bash
# Benchmarks the search library on a dictionary compiled from Debian's dict-gcide and
# compares it with dictd serving the same data on 127.0.0.1, then the same source compiled
# as a UTF-8 book against the Windows-1252 one. Prints ratios to floors and goals.
#   bench/run.sh [extra lexq_bench flags]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
for p in dict-gcide dictd libbenchmark-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
    { echo "bench/run.sh needs the Debian package $p" >&2; exit 2; }
done

cmake --preset release >/dev/null
cmake --build build/release --target lexqc lexq_bench lexq_utf8_bench lexqapi
out="$root/build/release/bench"
mkdir -p "$out"
if [ ! -s "$out/gcide.idx" ]; then
  echo "Compiling gcide (once)..."
  build/release/product/lexqc import-dictd /usr/share/dictd/gcide.index /usr/share/dictd/gcide.dict.dz "$out/gcide.src"
  build/release/product/lexqc build "$out/gcide.src" "$out/gcide.idx" ${LEXQC_FLAGS:-}
fi
if [ ! -s "$out/gcide-utf8.idx" ]; then
  build/release/product/lexqc build "$out/gcide.src" "$out/gcide-utf8.idx" --utf8 >/dev/null
fi

port=26280
# dictd drops its privileges: its pid and log files go to a folder anyone may write.
run="$(mktemp -d)"
chmod 777 "$run"
cat > "$out/dictd.conf" <<CONF
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
dictd -c "$out/dictd.conf" --pid-file "$run/dictd.pid" -L "$run/dictd.log"
trap 'kill "$(cat "$run/dictd.pid")" 2>/dev/null || true; rm -rf "$run"' EXIT
for _ in $(seq 50); do
  (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break
  sleep 0.1
done

"$out/lexq_bench" --dict "$out/gcide.idx" --words /usr/share/dictd/gcide.index \
  --dictd-port "$port" --benchmark_min_time=0.5 "$@"

cut -f1 /usr/share/dictd/gcide.index | grep -v '^00-*database' >"$out/gcide.words"
"$out/lexq_utf8_bench" --utf8 "$out/gcide-utf8.idx" --cp1252 "$out/gcide.idx" \
  --words "$out/gcide.words"
