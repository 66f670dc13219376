#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs scripts/demo as CI does on a machine without a display: with the
# programs of an existing build, no package installation and a short sweep.
# It must list the whole simulated fleet and leave no lab behind.
#
#   demo_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

source_dir=$1 build=$2
output=$(mktemp)
trap 'rm -f "$output"' EXIT

fail() {
  echo "demo_test: $*" >&2
  cat "$output" >&2
  exit 1
}

lab_namespaces() {
  ip netns list 2>/dev/null | grep -c "^ql5lab-$1-" || true
}

env -u DISPLAY -u WAYLAND_DISPLAY "$source_dir/scripts/demo" --build-dir "$build" \
  --no-setup --no-build --wait 1 >"$output" 2>&1 &
demo=$!
status=0
wait "$demo" || status=$?
[ "$status" -eq 77 ] && { cat "$output"; exit 77; }
[ "$status" -eq 0 ] || fail "scripts/demo exited with $status"

# Fourteen converters, each once: the two networks do not share one.
rows=$(grep -cE '^[0-9.]+ +02:51:c5:3a:[0-9a-f]{2}:[0-9a-f]{2} ' "$output")
[ "$rows" -eq 14 ] || fail "expected 14 converters in the list, saw $rows"
# The fleet's duplicate address and foreign subnet are marked and explained.
grep -qE '^198\.51\.100\.22 +02:51:c5:3a:10:08 .* !$' "$output" ||
  fail "the converter with a duplicate address is not marked"
grep -q 'warning: 02:51:c5:3a:10:09 (192.0.2.40): IP address 192.0.2.40 is outside' "$output" ||
  fail "the converter in a foreign subnet is not explained"
grep -qE '^198\.51\.100\.21 +02:51:c5:3a:10:01 +Press line 1 +QL5 Converter +ws0 +Disabled' \
  "$output" || fail "the first converter is not listed as expected"
grep -qE '02:51:c5:3a:10:04 +Quality lab +QL5 Converter +ws0 +Enabled' "$output" ||
  fail "the DHCP converter is not listed as such"
grep -qE '02:51:c5:3a:20:05 +Loading bay +QL5 Converter Pro +ws1 ' "$output" ||
  fail "a converter of the second network is missing"
grep -q "No display here" "$output" || fail "no word on how to see the window"

# The lab script names its namespaces after its own process id, which is the
# demo's: none of them may outlive the demo.
[ "$(lab_namespaces "$demo")" -eq 0 ] || fail "the demo left lab namespaces behind"
exit 0
