#!/bin/sh
# Tries the package's hardened unit under a real systemd: boots Debian 12 in a container
# (systemd-nspawn, its own network namespace) with the package installed, and there runs
# pv7100d@hall on a simulated projector on a pseudo-terminal and pv7100d@lab on one behind a
# TCP bridge, then checks PJLink on IPv4 and IPv6, hall on the system's mosquitto and its web
# page, the local socket as a user in the group
# dialout, the busy message naming the socket, the traffic log, the sandbox as the kernel sees
# it, and a device outside the unit's list refused. Prints what it saw; exits 0 when all held.
#   packaging/unit-check.sh [PACKAGE]      (as root; default build-deb/pv7100_*.deb)
# The system is made once in build-unit-check/os (debootstrap, about 200 MB) and kept.
set -eu
cd "$(dirname "$0")/.."
deb=$(realpath "${1:-$(ls build-deb/pv7100_*.deb)}")
os=$PWD/build-unit-check/os

missing=""
for p in debootstrap systemd-container; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi

# Without machined (no systemd on the host): no registration, no scope of its own.
nspawn() { systemd-nspawn --quiet --keep-unit --register=no -D "$os" "$@"; }
if [ ! -x "$os/usr/bin/python3" ]; then
  rm -rf "$os"
  mkdir -p "$os"
  debootstrap --variant=minbase --include=systemd,systemd-sysv,dbus,python3,logrotate bookworm \
    "$os"
  printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$os/etc/hosts"
  nspawn useradd --create-home --groups dialout alice
fi
cp "$deb" "$os/root/pv7100.deb"
nspawn sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
  apt-get install -qq -y --no-install-recommends logrotate mosquitto mosquitto-clients \
    >/dev/null && \
  DEBIAN_FRONTEND=noninteractive \
  apt-get install -qq -y --no-install-recommends --reinstall /root/pv7100.deb >/dev/null'

mkdir -p "$os/etc/pv7100"
cat >"$os/etc/pv7100/hall.conf" <<'EOF'
port = /run/sim-hall
name = Hall
log = /var/log/pv7100/hall.log
pjlink-controller-port = 4354
mqtt = 127.0.0.1
http = 127.0.0.1:8080
EOF
cat >"$os/etc/pv7100/lab.conf" <<'EOF'
port = tcp:localhost:4001
listen = [::1]:4352
name = Lab
EOF
cat >"$os/etc/pv7100/tun.conf" <<'EOF'
port = /dev/net/tun
listen = 127.0.0.1:4353
EOF
# A PJLink client: the greeting, then each request and its reply (lines end at CR).
cat >"$os/root/pjlink.py" <<'EOF'
import socket, sys
s = socket.create_connection((sys.argv[1], int(sys.argv[2])), timeout=5)
def line():
    out = b""
    while not out.endswith(b"\r"):
        out += s.recv(1)
    return out.decode().strip()
print(sys.argv[1], "greeting:", line())
for r in sys.argv[3:]:
    s.sendall(r.encode() + b"\r")
    print(r, "->", line())
EOF
# A PJLink controller on UDP 4354: a search broadcast to 4352 on loopback, where both daemons
# take searches, and hall's answer.
cat >"$os/root/search.py" <<'EOF'
import socket
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 4354))
s.settimeout(5)
s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
s.sendto(b"%2SRCH\r", ("127.255.255.255", 4352))
print("search ->", s.recv(64).decode().strip())
EOF
# A serial device server in miniature: TCP 127.0.0.1:4001 to the device and back, raw.
cat >"$os/root/bridge.py" <<'EOF'
import os, selectors, socket, sys, tty
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd)
conn, _ = socket.create_server(("127.0.0.1", 4001)).accept()
sel = selectors.DefaultSelector()
sel.register(fd, selectors.EVENT_READ)
sel.register(conn, selectors.EVENT_READ)
while True:
    for key, _ in sel.select():
        if key.fileobj is conn:
            data = conn.recv(4096)
            if not data:
                sys.exit(0)
            os.write(fd, data)
        else:
            conn.sendall(os.read(fd, 4096))
EOF
cat >"$os/root/check.sh" <<'EOF'
set -u
echo "== systemd $(systemctl --version | head -1 | cut -d' ' -f2): $(systemctl is-system-running --wait)"
systemd-analyze verify --man=no /lib/systemd/system/pv7100d@hall.service && echo "verify: clean"
systemd-analyze security pv7100d@hall.service | tail -1
for name in hall lab; do
  systemd-run --quiet --unit=sim-$name /usr/bin/pv7100-sim --link /run/sim-$name
done
sleep 1
# A pseudo-terminal is its opener's: give it to the group of serial devices, as udev does those.
for name in hall lab; do
  chgrp dialout "$(readlink /run/sim-$name)" && chmod 0660 "$(readlink /run/sim-$name)"
done
systemd-run --quiet --unit=bridge python3 /root/bridge.py /run/sim-lab
sleep 1
systemctl start pv7100d@hall pv7100d@lab
sleep 2
echo "== hall: $(systemctl is-active pv7100d@hall), lab: $(systemctl is-active pv7100d@lab)"
python3 /root/pjlink.py 127.0.0.1 4352 "%1NAME ?" "%1POWR ?" "%1POWR 1" "%1POWR ?" "%1LAMP ?"
python3 /root/pjlink.py ::1 4352 "%1NAME ?" "%1POWR ?" "%1INPT ?"
echo "== a PJLink search on UDP (the MAC read through netlink):"
python3 /root/search.py
echo "== hall on MQTT (the system's mosquitto) and on the web:"
mosquitto_sub -t pv7100/hall/availability -t pv7100/hall/state -C 2 -W 5 -v
python3 -c 'import urllib.request; print("web:", urllib.request.urlopen("http://127.0.0.1:8080/api/state", timeout=5).read().decode())'
echo "== as alice (group dialout), through the socket:"
ls -l /run/pv7100/
runuser -u alice -- pv7100ctl --port unix:/run/pv7100/hall.sock status state
echo "== as alice, on the device the daemon holds:"
runuser -u alice -- pv7100ctl --port /run/sim-hall status state
ls -l /run/lock/
echo "== the traffic log:"
ls -ld /var/log/pv7100
tail -2 /var/log/pv7100/hall.log
echo "== the package's logrotate, which reloads the instances:"
logrotate -f /etc/logrotate.d/pv7100 && ls /var/log/pv7100/
python3 /root/pjlink.py 127.0.0.1 4352 "%1POWR ?" >/dev/null
journalctl -b -u pv7100d@hall -o cat | grep 'SIGHUP'
echo "rotated log: $(grep -c PJLINK /var/log/pv7100/hall.log) PJLink lines"
pid=$(systemctl show -p MainPID --value pv7100d@hall)
echo "== pv7100d@hall as the kernel sees it:"
grep -E '^(Uid|Groups|CapEff|CapBnd|NoNewPrivs|Seccomp):' "/proc/$pid/status"
echo "== a device outside the list (/dev/net/tun, mode 0666):"
mkdir -p /dev/net
[ -e /dev/net/tun ] || mknod -m 0666 /dev/net/tun c 10 200
systemctl start pv7100d@tun
sleep 1
journalctl -b -u pv7100d@tun -o cat | grep 'cannot open'
echo "== the power schedules (timers):"
# As installed: what an earlier run set is taken back (the system is kept between runs).
systemctl disable --quiet --now pv7100-power-off@hall.timer
systemctl revert pv7100-power-off@hall.timer >/dev/null
for unit in pv7100-power-on@hall.service pv7100-power-off@hall.service; do
  systemd-analyze security "$unit" | tail -1
done
systemd-analyze verify --man=no pv7100-power-on@hall.service pv7100-power-off@hall.service &&
  echo "verify power services: clean"
echo "as shipped: $(systemctl is-enabled pv7100-power-off@hall.timer)"
# No calendar shipped: the timer will not start without one.
systemctl start pv7100-power-off@hall.timer 2>&1
journalctl -b -u pv7100-power-off@hall.timer -o cat | grep 'lacks'
# The calendar as a user sets it, through systemctl edit, the editor writing the drop-in: the
# power-off due in 15 s (a time already past when the timer starts would never come).
due=$(($(date +%s) + 15))
printf '[Timer]\nOnCalendar=%s\n' "$(date -d "@$due" '+%Y-%m-%d %H:%M:%S')" >/root/off.conf
script -qec 'SYSTEMD_EDITOR="cp /root/off.conf" systemctl edit pv7100-power-off@hall.timer' \
  /dev/null
systemctl enable --now pv7100-power-off@hall.timer 2>&1
echo "enabled at $(date +%T), due at $(date -d "@$due" +%T)"
systemctl cat pv7100-power-off@hall.timer | grep OnCalendar
systemctl list-timers --no-pager 'pv7100-power-*' | head -2
systemd-analyze verify --man=no pv7100-power-off@hall.timer && echo "verify timer: clean"
systemctl show -p Persistent pv7100-power-off@hall.timer
sleep $((due + 3 - $(date +%s)))
echo "looked at $(date +%T)"
grep -F 'TX C 0 1 CR' /var/log/pv7100/hall.log
SYSTEMD_COLORS=0 systemctl status --no-pager --lines=3 pv7100-power-off@hall.service
# Switched on while it cools down: refused, and the unit fails with pv7100ctl's message.
systemctl start pv7100-power-on@hall.service
echo "power-on while cooling down: $(systemctl is-failed pv7100-power-on@hall.service)"
journalctl -b -u pv7100-power-on@hall.service -o cat | grep 'pv7100ctl'
systemctl disable --quiet --now pv7100-power-off@hall.timer
systemctl stop pv7100d@hall pv7100d@lab pv7100d@tun
echo "== stopped: $(journalctl -b -u pv7100d@hall -o cat | grep 'stopped')"
EOF

echo "Booting Debian 12 in $os"
setsid systemd-nspawn --quiet --keep-unit --register=no --private-network --console=passive \
  -D "$os" --boot >build-unit-check/boot.log 2>&1 &
container=$!
init=""
for _ in $(seq 50); do
  init=$(pgrep -P "$container" -x systemd || true)
  [ -z "$init" ] || [ ! -S "/proc/$init/root/run/systemd/private" ] || break
  sleep 0.2
done
[ -n "$init" ] || { echo "the container did not boot: build-unit-check/boot.log" >&2; exit 1; }
inside() { timeout 120 nsenter -t "$init" -a "$@"; }
inside sh /root/check.sh 2>&1 | tee build-unit-check/check.log
inside systemctl poweroff || true
wait "$container" || true

# What must hold.
status=0
for expected in "verify: clean" "hall: active, lab: active" "%1NAME ? -> %1NAME=Hall" \
  "%1POWR 1 -> %1POWR=OK" "%1NAME ? -> %1NAME=Lab" "search -> %2ACKN=00:00:00:00:00:00" \
  "state: " \
  "Reach the projector through the daemon's socket instead: --port unix:/run/pv7100/hall.sock" \
  "RX " "CapEff:	0000000000000000" "CapBnd:	0000000000000000" "NoNewPrivs:	1" \
  "Seccomp:	2" "cannot open /dev/net/tun: Permission denied" "port closed, stopped" \
  "hall.log.1" "SIGHUP: reopened the log file /var/log/pv7100/hall.log" "rotated log: 3 PJLink" \
  "pv7100/hall/availability online" 'pv7100/hall/state {"power": ' 'web: {"power": ' \
  "verify power services: clean" "verify timer: clean" "as shipped: disabled" \
  "lacks value setting" "Persistent=no" "TX C 0 1 CR" "status=0/SUCCESS" \
  "Finished pv7100-power-off@hall.service - Switch the QUIVA PV7100 projector hall off." \
  "power-on while cooling down: failed" "pv7100ctl: the projector refused C00"; do
  grep -qF -- "$expected" build-unit-check/check.log || {
    echo "missing: $expected" >&2
    status=1
  }
done
# Every service the package ships is exposed at most 2.0 (systemd-analyze security).
exposures=$(grep -c 'Overall exposure level for .*: \([01]\.[0-9]\|2\.0\) ' build-unit-check/check.log)
[ "$exposures" -eq 3 ] || {
  echo "missing: 3 services exposed at most 2.0 (found $exposures)" >&2
  status=1
}
[ "$status" -ne 0 ] || echo "The hardened unit runs: all held."
exit "$status"
