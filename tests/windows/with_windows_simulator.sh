#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs a lab test program against the Windows simulator ql5sim.exe:
#   with_windows_simulator.sh QL5SIM_EXE COMMAND [ARGS...]
# Runs inside the lab (scripts/lab run), in the workstation namespace.
# Every converter namespace of the lab gets a Wine prefix and a server of its
# own for the whole run (scripts/wine-exec --serve there), so that each
# simulator that a test starts takes a fraction of a second instead of the
# seconds of a fresh prefix and server. COMMAND runs back in the workstation
# namespace, with the WINEPREFIX it was given (if any) and QL5SIM_COMMAND
# naming this script's launch step, which runs ql5sim.exe in the prefix of the
# namespace that it is started in; a stop reaches ql5sim.exe as Ctrl+C
# (scripts/wine-exec --ctrl-c). The servers, and with them anything left in
# their prefixes, are stopped when COMMAND ends.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
readonly root
readonly links=${QL5_LAB_LINKS:-1}

# Serves converter namespace $1 and those after it, then runs the rest back
# in the workstation namespace.
serve_from() {
  local link=$1 namespace
  shift
  if [ "$link" -le "$links" ]; then
    namespace=QL5_LAB_CONVERTER_NS_$link
    exec ip netns exec "${!namespace}" "$root/scripts/wine-exec" --serve \
      "$0" --serving "$link" "$@"
  fi
  local simulator=$1
  shift
  local launcher="$0 --launch $simulator"
  if [ -n "${QL5_WINDOWS_SIM_WS_PREFIX:-}" ]; then
    exec ip netns exec "$QL5_LAB_WS_NS" env WINEPREFIX="$QL5_WINDOWS_SIM_WS_PREFIX" \
      QL5SIM_COMMAND="$launcher" "$@"
  fi
  exec ip netns exec "$QL5_LAB_WS_NS" env -u WINEPREFIX QL5SIM_COMMAND="$launcher" "$@"
}

case ${1:-} in
  --serving)
    # Under converter namespace $2's own server: remember its prefix.
    export "QL5_WINDOWS_SIM_PREFIX_$2=$WINEPREFIX"
    link=$2
    shift 2
    serve_from $((link + 1)) "$@"
    ;;
  --launch)
    # Started by a test in a converter namespace: that namespace's prefix.
    simulator=$2
    shift 2
    here=$(ip netns identify)
    for ((link = 1; link <= links; link++)); do
      namespace=QL5_LAB_CONVERTER_NS_$link prefix=QL5_WINDOWS_SIM_PREFIX_$link
      if [ "${!namespace}" = "$here" ]; then
        exec env WINEPREFIX="${!prefix}" "$root/scripts/wine-exec" --ctrl-c "$simulator" "$@"
      fi
    done
    echo "with_windows_simulator.sh: no Wine server serves namespace '$here'" >&2
    exit 1
    ;;
esac

[ $# -ge 2 ] || {
  sed -n '3,4p' "$0" | sed 's/^# //' >&2
  exit 2
}
export QL5_WINDOWS_SIM_WS_PREFIX=${WINEPREFIX:-}
serve_from 1 "$@"
