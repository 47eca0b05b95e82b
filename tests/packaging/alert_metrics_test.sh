#!/bin/sh
# Every pv7100_ metric the alerting rules read is one that pv7100d serves: the daemon on
# pv7100-sim, its /metrics read until it has a sample of each name in the rules.
#   alert_metrics_test.sh RULES PV7100-SIM PV7100D
set -eu
rules=$1 sim=$2 daemon=$3
dir=$(mktemp -d)
trap 'kill $(cat "$dir"/pids) 2>/dev/null; rm -rf "$dir"' EXIT
trap 'exit 1' INT TERM
"$sim" --link "$dir/line" >/dev/null &
echo $! >>"$dir/pids"
while [ ! -e "$dir/line" ]; do sleep 0.1; done
free() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
port=$(free)
"$daemon" --port "$dir/line" --socket "$dir/d.sock" --listen "127.0.0.1:$(free)" \
  --http "127.0.0.1:$port" --detail-poll-interval 1000 2>"$dir/log" &
echo $! >>"$dir/pids"
names=$(grep -o 'pv7100_[a-z_]*' "$rules" | sort -u)
end=$(($(date +%s) + 20))
while [ "$(date +%s)" -lt "$end" ]; do
  python3 -c "import urllib.request, sys; sys.stdout.write(urllib.request.urlopen(
    'http://127.0.0.1:$port/metrics', timeout=2).read().decode())" >"$dir/metrics" 2>/dev/null ||
    true
  missing=""
  for name in $names; do
    grep -q "^$name[ {]" "$dir/metrics" || missing="$missing $name"
  done
  [ -n "$missing" ] || { echo "all served:" $names; exit 0; }
  sleep 0.5
done
echo "the rules read metrics pv7100d does not serve:$missing" >&2
exit 1
