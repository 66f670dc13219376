#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks the shared library's exports against the public interface:
#   check_exports.sh LIBRARY EXPORTS_MAP
# The library must define exactly the public functions below, each
# bound to the symbol version QL5_<major>, where <major> is the number in the
# library's soname; the version script must list the same names.
set -euo pipefail
library=$1
map=$2

expected=$(sort <<'NAMES'
OpenContext
CloseContext
GetStatusCode
GetStatusText
GetDeviceCount
ReadDevices
ReadDevicesFrom
GetReplySource
SetDeviceSource
StartDiscovery
StopDiscovery
QueryDevice
RebootDevice
ConfigureStatic
ConfigureDhcp
QueryDeviceAt
RebootDeviceAt
ConfigureStaticAt
ConfigureDhcpAt
GetDroppedCount
GetSweepAddresses
ListLocalAddresses
SetSweepHosts
Ql5CreateMessageWindow
Ql5DestroyMessageWindow
Ql5IsMessageWindow
Ql5PostWindowMessage
NAMES
)

fail() {
  echo "$*" >&2
  exit 1
}

listed=$(sed -n 's/^ *\([A-Za-z_][A-Za-z0-9_]*\);$/\1/p' "$map" | sort)
if [ "$expected" != "$listed" ]; then
  echo "the version script differs from the public interface:" >&2
  diff <(echo "$expected") <(echo "$listed") >&2 || true
  exit 1
fi

soname=$(objdump -p "$library" | awk '$1 == "SONAME" {print $2}')
major=${soname##*.so.}
case $major in
  '' | *[!0-9]*) fail "cannot read the major version from the soname '$soname'" ;;
esac

symbols=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TDBRW]$/ {print $3}')
actual=$(awk '{ sub(/@.*/, ""); print }' <<<"$symbols" | sort)
if [ "$expected" != "$actual" ]; then
  echo "exported symbols differ from the public interface:" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi
unversioned=$(grep -v "@@QL5_${major}\$" <<<"$symbols" || true)
[ -z "$unversioned" ] || fail "not bound to QL5_${major} (soname $soname): $unversioned"

echo "exports match: $(wc -l <<<"$actual") symbols, version QL5_${major}, soname $soname"
