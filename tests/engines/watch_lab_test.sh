#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# `ql5ctl list --watch` as the event stream a log pipeline reads, in a lab with
# two links: a converter on ws0 is "found"; ws1 gets its address only while
# the watch runs, and the converter behind it is then found with "interface"
# "ws1"; a converter that stops answering is "lost" after --lost-after rounds;
# an interface that loses its address is dropped without an error. Every line
# is one JSON object with "event" and an RFC 3339 UTC "time".
# Runs inside the lab (scripts/lab run --links 2).
#
#   watch_lab_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

build=$2
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait; rm -rf "$work"' EXIT
fail() {
  echo "watch_lab_test: $*" >&2
  cat "$work/events" "$work/stderr" >&2 || true
  exit 1
}

# Starts a simulator with one converter in converter namespace N.
simulate() {
  local n=$1 mac=$2 ip=$3
  local ns_var="QL5_LAB_CONVERTER_NS_$n"
  printf '{"converters": [{"mac": "%s", "ip": "%s", "mask": "255.255.255.0", "name": "Watch %s"}]}\n' \
    "$mac" "$ip" "$n" >"$work/fleet$n.json"
  ip netns exec "${!ns_var}" "$build/tools/ql5sim/ql5sim" --fleet "$work/fleet$n.json" \
    --interface lab0 --ready-file "$work/ready$n" &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/ready$n" ] && return; sleep 0.05; done
  fail "simulator $n did not start"
}

# Waits up to 10 s for a line of the events that matches the pattern.
expect_event() {
  for _ in $(seq 100); do grep -qE "$1" "$work/events" && return; sleep 0.1; done
  fail "no event like $1"
}

ip addr del "$QL5_LAB_WS_ADDRESS_2/24" dev "$QL5_LAB_WS_IF_2"
simulate 1 02:51:c5:22:01:01 198.51.100.41
simulate 2 02:51:c5:22:02:01 203.0.113.41
"$build/tools/ql5ctl/ql5ctl" list --watch --wait 0.5 --lost-after 2 >"$work/events" 2>"$work/stderr" &
watch=$!
pids+=("$watch")

expect_event '"event": "found", .*"mac": "02:51:c5:22:01:01".*"interface": "ws0"'
ip addr add "$QL5_LAB_WS_ADDRESS_2/24" dev "$QL5_LAB_WS_IF_2"
expect_event '"event": "found", .*"mac": "02:51:c5:22:02:01".*"interface": "ws1"'
kill "${pids[0]}"
expect_event '"event": "lost", .*"mac": "02:51:c5:22:01:01"'
ip addr del "$QL5_LAB_WS_ADDRESS_2/24" dev "$QL5_LAB_WS_IF_2"
expect_event '"event": "lost", .*"mac": "02:51:c5:22:02:01"'
sleep 1
kill -0 "$watch" 2>/dev/null || fail "the watch ended when an interface went away"
kill -TERM "$watch"
status=0
wait "$watch" || status=$?
[ "$status" -eq 0 ] || fail "the watch exited with $status on SIGTERM"
[ ! -s "$work/stderr" ] || fail "the watch complained"

python3 - "$work/events" <<'PY' || fail "a line is not an event"
import json, re, sys
for line in open(sys.argv[1]):
    event = json.loads(line)
    assert event["event"] in ("found", "changed", "lost"), line
    assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z", event["time"]), line
    assert ("changed" in event) == (event["event"] == "changed"), line
PY
exit 0
