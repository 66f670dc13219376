#!/usr/bin/env bash
# Compares the dynamic symbols that the shared library defines with the list of
# public operations: every public operation is exported, nothing else is.
set -euo pipefail
library=$1
map=$2
expected=$(sed -n 's/^ *\([A-Za-z_][A-Za-z0-9_]*\);$/\1/p' "$map" | sort)
actual=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TDBRW]$/ {print $3}' | sed 's/@.*//' | sort)
if [ "$expected" != "$actual" ]; then
  echo "exported symbols differ from the public interface:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "exports match: $(echo "$actual" | wc -l) symbols"
