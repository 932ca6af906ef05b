#!/usr/bin/env bash
# Runs dictserver_bench against a dictd serving FreeDict's Dutch-English database on
# 127.0.0.1 (Debian packages dictd, dict and dict-freedict-nld-eng).
#   bench/dictserver/run.sh [PRESET]    (release by default)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
preset="${1:-release}"
for p in dictd dict dict-freedict-nld-eng; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
    { echo "bench/dictserver/run.sh needs the Debian package $p" >&2; exit 2; }
done
cmake --preset "$preset" >/dev/null
cmake --build "build/$preset" --target dictserver_bench
port=26290
run="$(mktemp -d)"
chmod 755 "$run"  # dictd reads its configuration after giving up root
cat > "$run/dictd.conf" <<CONF
global {
  listen_to 127.0.0.1
  port $port
  pid_file $run/dictd.pid
}
database freedict-nld-eng {
  data  /usr/share/dictd/freedict-nld-eng.dict.dz
  index /usr/share/dictd/freedict-nld-eng.index
}
CONF
dictd -c "$run/dictd.conf" -d nodetach --locale C.UTF-8 2>/dev/null &
dictd_pid=$!
trap 'kill "$dictd_pid" 2>/dev/null || true; rm -rf "$run"' EXIT
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
"build/$preset/bench/dictserver_bench" "$port" freedict-nld-eng /usr/share/dictd/freedict-nld-eng.index
