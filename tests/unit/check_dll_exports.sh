#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks the Windows DLL's export table against the public interface:
#   check_dll_exports.sh OBJDUMP LIBRARY.dll EXPORTS_MAP
# The DLL must export exactly the names that the ELF version script lists
# (which check_exports.sh holds to the public interface on Linux), all by
# name and none of the C++ runtime linked into it.
set -euo pipefail
objdump=$1
library=$2
map=$3

expected=$(sed -n 's/^ *\([A-Za-z_][A-Za-z0-9_]*\);$/\1/p' "$map" | sort)
[ -n "$expected" ] || { echo "no names in $map" >&2; exit 1; }

# objdump -p prints the export table as lines "[ordinal] name" after the
# "[Ordinal/Name Pointer] Table" heading, up to the next blank line.
actual=$("$objdump" -p "$library" |
  awk '/\[Ordinal\/Name Pointer\] Table/ {table = 1; next}
       table && NF == 0 {table = 0}
       table && $1 ~ /^\[/ {print $NF}' | sort)
if [ "$expected" != "$actual" ]; then
  echo "exported names differ from the public interface:" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi
echo "exports match: $(wc -l <<<"$actual") names in $(basename "$library")"
