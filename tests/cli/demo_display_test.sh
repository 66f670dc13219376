#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs scripts/demo as a user with a desktop does, on a virtual X display
# (Xvfb), with the programs of an existing build: QL5Config's window must open
# without a warning and list the whole demo fleet, and closing it must end the
# demo and remove its lab. The rows are read from a picture of the window with OCR
# (tesseract), compared loosely: letter case, spaces and the look-alike
# characters 1/l/I and 0/O do not count.
#
#   demo_display_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

source_dir=$1 build=$2
here=$(cd "$(dirname "$0")" && pwd)
# In a sanitizer build the leak checker runs when QL5Config ends; libraries of
# the desktop (D-Bus) keep allocations to the end on purpose.
export LSAN_OPTIONS="suppressions=$here/display_lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
work=$(mktemp -d)
xvfb='' demo=''
cleanup() {
  if [ -n "$demo" ]; then kill -TERM "$demo" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill -TERM "$xvfb" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "demo_display_test: $*" >&2
  echo "--- scripts/demo said:" >&2
  cat "$work/demo.log" >&2 2>/dev/null || true
  if [ -s "$work/text" ]; then
    echo "--- the window read:" >&2
    cat "$work/text" >&2
  fi
  if [ -s "$work/window.png" ]; then
    cp "$work/window.png" "$PWD/demo_display_test.png" 2>/dev/null &&
      echo "--- picture of the window: $PWD/demo_display_test.png" >&2
  fi
  exit 1
}

# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for() {
  local tenths=$1
  shift
  for ((i = 0; i < tenths; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Lower case without spaces, with look-alike characters made alike.
normalise() {
  tr -d ' \t' | tr '[:upper:]' '[:lower:]' | tr 'il|o' '1110'
}

if [ "$EUID" -ne 0 ]; then
  echo "demo_display_test: needs root for the network lab" >&2
  exit 77
fi
for tool in Xvfb xdotool import convert tesseract unshare; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing; scripts/setup installs it"
done

# The demo fleet's names, from the files the demo loads.
mapfile -t names < <(sed -n 's/.*"name": *"\([^"]*\)".*/\1/p' \
  "$source_dir"/scripts/demo-fleet/network-*.json)
[ ${#names[@]} -eq 14 ] || fail "expected 14 converters in scripts/demo-fleet, found ${#names[@]}"

# The X server gets a network namespace of its own without any interface:
# clients reach it through its socket file only.
exec 4>"$work/display"
unshare --net Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp 2>"$work/xvfb.log" &
xvfb=$!
exec 4>&-
wait_for 100 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=":$(cat "$work/display")"
export DISPLAY

env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$source_dir/scripts/demo" --build-dir "$build" \
  --no-setup --no-build >"$work/demo.log" 2>&1 &
demo=$!

window=
for _ in $(seq 1 300); do
  window=$(xdotool search --onlyvisible --name '^QL5Config$' 2>/dev/null) || true
  [ -n "$window" ] && break
  kill -0 "$demo" 2>/dev/null || break
  sleep 0.1
done
window=${window%%$'\n'*}
[ -n "$window" ] || fail "no window titled QL5Config appeared"

# The list fills within a second; the picture is taken again until every name
# is read or 30 seconds have passed. Text is found by its contrast with the
# row behind it, so that the selected row, light on dark, reads as the others.
missing=("${names[@]}")
deadline=$((SECONDS + 30))
while [ ${#missing[@]} -gt 0 ] && [ "$SECONDS" -lt "$deadline" ]; do
  sleep 1
  import -window "$window" "$work/window.png" 2>/dev/null || continue
  convert "$work/window.png" -colorspace Gray \( +clone -statistic median 9x9 \) \
    -compose difference -composite -negate -normalize -resize 300% "$work/contrast.png"
  tesseract "$work/contrast.png" - --psm 6 >"$work/text" 2>/dev/null || continue
  read_text=$(normalise <"$work/text")
  still=()
  for name in "${missing[@]}"; do
    [[ $read_text == *"$(normalise <<<"$name")"* ]] || still+=("$name")
  done
  missing=("${still[@]}")
done
[ ${#missing[@]} -eq 0 ] || fail "the window does not list: ${missing[*]}"

# Closing the window ends the demo, which removes its lab.
xdotool windowfocus --sync "$window" key Escape
status=0
for _ in $(seq 1 150); do
  kill -0 "$demo" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$demo" 2>/dev/null; then
  fail "the demo did not end when its window was closed"
fi
wait "$demo" || status=$?
pid=$demo
demo=
[ "$status" -eq 0 ] || fail "scripts/demo exited with $status"
grep -q "Opening QL5Config" "$work/demo.log" || fail "the demo did not say it opened QL5Config"
# Nothing alarming on a first run: Qt finds a runtime folder of the user's own.
if grep -q "QStandardPaths" "$work/demo.log"; then
  fail "QL5Config warned about its runtime folder"
fi
if grep -q "ql5ctl list" "$work/demo.log"; then
  fail "the demo listed the fleet with ql5ctl although there was a display"
fi
# The lab script runs as the demo's own process (the demo execs it), and its
# namespaces are named after that process.
leftover=$(ip netns list 2>/dev/null | grep -c "^ql5lab-$pid-" || true)
[ "$leftover" -eq 0 ] || fail "the demo left $leftover lab namespace(s) behind"
echo "demo_display_test: QL5Config listed all ${#names[@]} converters"
