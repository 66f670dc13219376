#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# The Windows ql5ctl.exe asks for a password on the console without echo:
#   console_password_test.sh QL5CTL_EXE
# Runs inside the lab, under `scripts/wine-exec --serve` (a Wine prefix and
# server of this namespace). ql5ctl.exe gets a console on a pseudo-terminal
# made by script(1), which writes it to a file as it goes; the password is typed once the prompt shows. The typed
# password must not appear on the console, and ql5ctl must have taken it and
# gone on to look for the converter (which nobody answers: exit code 4).
set -euo pipefail

ctl=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
readonly password=hunter7-quiet

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkfifo "$scratch/keys"
: >"$scratch/console"

# Keys: typed only once the prompt is on the console, ended with the Enter
# key's carriage return, as a terminal sends it.
(
  exec 3>"$scratch/keys"
  for _ in $(seq 1 600); do
    if grep -q 'Password for' "$scratch/console"; then
      sleep 0.5
      printf '%s\r' "$password" >&3
      break
    fi
    sleep 0.1
  done
  # The console stays open until ql5ctl has finished.
  sleep 30
) &
typist=$!

status=0
timeout 90 script -qfec "$root/scripts/wine-exec $ctl reboot 02:51:c5:7e:57:01" \
  "$scratch/console" <"$scratch/keys" >/dev/null 2>&1 || status=$?
kill "$typist" 2>/dev/null || true

# script(1) reports the program's own exit code with -e.
if ! grep -q 'Password for 02:51:c5:7e:57:01' "$scratch/console"; then
  echo "no prompt on the console:" >&2
  cat -v "$scratch/console" >&2
  exit 1
fi
# Wine's console draws each character between cursor codes; the codes are
# dropped before the check, so that an echoed password is found however it
# was drawn.
shown=$(sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$scratch/console" | tr -d '\r\n')
if grep -q "$password" <<<"$shown"; then
  echo "the password was echoed:" >&2
  cat -v "$scratch/console" >&2
  exit 1
fi
if [ "$status" -ne 4 ]; then
  echo "ql5ctl.exe ended with $status, not 4 (no converter answered):" >&2
  cat -v "$scratch/console" >&2
  exit 1
fi
echo "console password prompt: no echo, password taken"
