#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# `ql5ctl list --format prometheus` judged by Prometheus' own checker: with
# converters whose names carry quotes, backslashes, line feeds, terminal
# escapes and text that mimics a metric, `promtool check metrics` must accept
# the output, and every converter must be one ql5_converter_info series.
# Runs inside the lab (scripts/lab run --links 1).
#
#   prometheus_lab_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

source_dir=$1 build=$2
command -v promtool >/dev/null || { echo "promtool is not installed (scripts/setup)"; exit 77; }
work=$(mktemp -d)
sim=
trap '[ -z "$sim" ] || { kill "$sim" && wait "$sim"; } 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "prometheus_lab_test: $*" >&2
  cat "$work/metrics.prom" >&2 || true
  exit 1
}

ip netns exec "$QL5_LAB_CONVERTER_NS_1" "$build/tools/ql5sim/ql5sim" \
  --fleet "$source_dir/tests/engines/hostile_fleet.json" --interface lab0 \
  --ready-file "$work/ready" &
sim=$!
for _ in $(seq 100); do [ -s "$work/ready" ] && break; sleep 0.05; done
[ -s "$work/ready" ] || fail "the simulator did not start"

"$build/tools/ql5ctl/ql5ctl" list --wait 1 --format prometheus >"$work/metrics.prom"
promtool check metrics <"$work/metrics.prom" || fail "promtool rejects the output"
[ "$(grep -c '^ql5_converter_info{' "$work/metrics.prom")" -eq 2 ] ||
  fail "expected two ql5_converter_info series"
grep -qF 'name="Quote \" back\\slash\nnew line"' "$work/metrics.prom" ||
  fail "the hostile name is not escaped by the format's rules"
grep -q '^ql5_fake' "$work/metrics.prom" && fail "a converter's name made a metric of its own"
grep -qF 'ql5_converters{interface="ws0",local_address="198.51.100.1"} 2' "$work/metrics.prom" ||
  fail "the count of the network is missing"
grep -c '^ql5_converter_warning{.*warning="duplicate-ip"} 1$' "$work/metrics.prom" | grep -qx 2 ||
  fail "both converters with one address should carry the duplicate warning"

# The systemd service's own command, as systemd hands it to the shell ($$ is
# a dollar), writes the same listing to the collector's file through a
# temporary one that it renames.
unit=$build/packaging/ql5ctl-prometheus.service
command=$(sed -n "s/^ExecStart=\/bin\/sh -c '\(.*\)'$/\1/p" "$unit" | sed 's/\$\$/$/g')
[ -n "$command" ] || fail "no shell command in $unit"
command=${command//[^ ]*\/ql5ctl /$build/tools/ql5ctl/ql5ctl }
command=${command/--wait 5/--wait 1}
QL5_TEXTFILE=$work/ql5.prom sh -c "$command" || fail "the service's command failed: $command"
promtool check metrics <"$work/ql5.prom" || fail "promtool rejects the service's file"
[ "$(grep -c '^ql5_converter_info{' "$work/ql5.prom")" -eq 2 ] || fail "the service's file lacks converters"
[ ! -e "$work/ql5.prom.tmp" ] || fail "the service left its temporary file"
exit 0
