#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# QL5Config as a screen reader meets it: on the desktop's accessibility bus
# (AT-SPI, in a D-Bus session of its own on a virtual X display), the list,
# the filter box and its clear button have their names, and a row with a
# warning carries the warning as its description. Runs in the lab, against
# two simulated converters that report one address.
#
#   tests/ui/atspi_lab_test.sh BUILD_DIR     (inside scripts/lab run)
set -euo pipefail

build=$(realpath "${1:?usage: atspi_lab_test.sh BUILD_DIR}")
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "atspi: $*" >&2
  exit 1
}

# Debian's pyatspi is for Debian's Python, not for one that PATH may prefer.
python=/usr/bin/python3
for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "atspi: $tool is missing; run scripts/setup" >&2; exit 77; }
done
"$python" -c 'import pyatspi' 2>/dev/null || { echo "atspi: python3-pyatspi is missing" >&2; exit 77; }

cat >"$work/fleet.json" <<'JSON'
{"converters": [
  {"mac": "02:51:c5:35:00:01", "ip": "198.51.100.31", "mask": "255.255.255.0",
   "gateway": "0.0.0.0", "name": "Kiln"},
  {"mac": "02:51:c5:35:00:02", "ip": "198.51.100.31", "mask": "255.255.255.0",
   "gateway": "0.0.0.0", "name": "Dryer"}
]}
JSON
ip netns exec "$QL5_LAB_CONVERTER_NS_1" "$build/tools/ql5sim/ql5sim" \
  --fleet "$work/fleet.json" --interface "$QL5_LAB_CONVERTER_IF" \
  --ready-file "$work/sim.ready" 2>"$work/sim.err" &
pids+=($!)
for _ in $(seq 1 50); do [ -s "$work/sim.ready" ] && break; sleep 0.1; done
[ -s "$work/sim.ready" ] || fail "the simulator did not start: $(cat "$work/sim.err")"

exec 4>"$work/display"
Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp 2>"$work/xvfb.err" &
pids+=($!)
exec 4>&-
for _ in $(seq 1 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.err")"
DISPLAY=:$(cat "$work/display")
export DISPLAY LANGUAGE=en

# The bus, the program and the reader share one D-Bus session, which ends
# with them. The inner script takes its paths as arguments.
# shellcheck disable=SC2016
dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$1/ui/QL5Config" 2>/dev/null &
  app=$!
  status=0
  timeout 60 "$2" "$3" || status=$?
  kill "$app" 2>/dev/null || true
  exit "$status"
' atspi "$build" "$python" "$here/atspi_reader.py" 2> >(grep -v "fd limit" >&2)
