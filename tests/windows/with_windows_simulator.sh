#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs a lab test program against the Windows simulator ql5sim.exe:
#   with_windows_simulator.sh QL5SIM_EXE COMMAND [ARGS...]
# Runs inside the lab (scripts/lab run), in the workstation namespace.
# Converter namespace 1 gets a Wine prefix and a server of its own for the
# whole run (scripts/wine-exec --serve there), so that each simulator that a
# test starts takes a fraction of a second instead of the seconds of a fresh
# prefix and server. COMMAND runs back in the workstation namespace, with the
# WINEPREFIX it was given (if any) and QL5SIM_COMMAND naming ql5sim.exe in the
# converter namespace's prefix; a stop reaches ql5sim.exe as Ctrl+C
# (scripts/wine-exec --ctrl-c). The server, and with it anything left in that
# prefix, is stopped when COMMAND ends.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
readonly root

if [ "${1:-}" = --in-converter-namespace ]; then
  # Second step, under the converter namespace's own server: back to the
  # workstation namespace.
  shift
  workstation_prefix=$1 simulator=$2
  shift 2
  launcher="env WINEPREFIX=$WINEPREFIX $root/scripts/wine-exec --ctrl-c $simulator"
  if [ -n "$workstation_prefix" ]; then
    exec ip netns exec "$QL5_LAB_WS_NS" env WINEPREFIX="$workstation_prefix" \
      QL5SIM_COMMAND="$launcher" "$@"
  fi
  exec ip netns exec "$QL5_LAB_WS_NS" env -u WINEPREFIX QL5SIM_COMMAND="$launcher" "$@"
fi

[ $# -ge 2 ] || {
  sed -n '3,4p' "$0" | sed 's/^# //' >&2
  exit 2
}
simulator=$1
shift
exec ip netns exec "$QL5_LAB_CONVERTER_NS_1" "$root/scripts/wine-exec" --serve \
  "$0" --in-converter-namespace "${WINEPREFIX:-}" "$simulator" "$@"
