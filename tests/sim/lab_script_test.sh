#!/usr/bin/env bash
# Checks scripts/lab itself: what it gives the command, that it passes the
# command's exit code on, and that it leaves no namespace or process behind,
# whether the command ends, fails or the lab is stopped by a signal.
#
#   tests/sim/lab_script_test.sh PATH_TO_scripts/lab
set -u
lab=${1:?usage: lab_script_test.sh PATH_TO_LAB_SCRIPT}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# A killed process may stay a zombie until it is reaped; that counts as gone.
running() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

namespaces_of() {
  ip netns list 2>/dev/null | awk '{print $1}' | grep -F -- "$1" || true
}

if [ "$EUID" -ne 0 ] || ! command -v ip >/dev/null 2>&1; then
  echo "lab_script_test: needs root and iproute2" >&2
  exit 77
fi

# 1. Variables, namespace and exit code of a one-link lab.
"$lab" run -- sh -c '
  env | grep "^QL5_LAB" | sort > "$0/env"
  ip -o -4 addr show > "$0/addresses"
  exit 3' "$work"
status=$?
[ "$status" -eq 3 ] || fail "exit code 3 came back as $status"
if [ -s "$work/env" ]; then
  ws=$(sed -n 's/^QL5_LAB_WS_NS=//p' "$work/env")
  c1=$(sed -n 's/^QL5_LAB_CONVERTER_NS_1=//p' "$work/env")
  grep -qx 'QL5_LAB=1' "$work/env" || fail "QL5_LAB is not 1"
  grep -qx 'QL5_LAB_LINKS=1' "$work/env" || fail "QL5_LAB_LINKS is not 1"
  grep -qx 'QL5_LAB_CONVERTER_IF=lab0' "$work/env" || fail "QL5_LAB_CONVERTER_IF is not lab0"
  grep -qx 'QL5_LAB_WS_ADDRESS_1=198.51.100.1' "$work/env" || fail "wrong workstation address"
  grep -qx 'QL5_LAB_CONVERTER_ADDRESS_1=198.51.100.2' "$work/env" || fail "wrong converter address"
  grep -q '^QL5_LAB_CONVERTER_NS_2=' "$work/env" && fail "a second link in a one-link lab"
  grep -q 'ws0 .*inet 198.51.100.1/24' "$work/addresses" || fail "the command did not run in the workstation namespace"
  [ -z "$(namespaces_of "${ws%-ws}")" ] || fail "namespaces left after a normal run: $(namespaces_of "${ws%-ws}")"
  [ -n "$c1" ] || fail "no converter namespace named"
else
  fail "the command did not run"
fi

# 2. Two links: both workstation interfaces, each converter on its own link.
"$lab" run --links 2 -- sh -c '
  ip -o -4 addr show > "$0/addresses2"
  ip netns exec "$QL5_LAB_CONVERTER_NS_2" ip -o -4 addr show > "$0/converter2"' "$work"
status=$?
[ "$status" -eq 0 ] || fail "two-link run ended with $status"
grep -q 'ws1 .*inet 203.0.113.1/24' "$work/addresses2" 2>/dev/null || fail "ws1 missing in a two-link lab"
grep -q 'lab0 .*inet 203.0.113.2/24' "$work/converter2" 2>/dev/null || fail "converter 2 has no lab0 address"

# 3. SIGTERM while the command and a process in a converter namespace run.
"$lab" run -- sh -c '
  ip netns exec "$QL5_LAB_CONVERTER_NS_1" sleep 300 &
  echo "$! ${QL5_LAB_WS_NS%-ws}" > "$0/started"
  wait' "$work" &
runner=$!
for _ in $(seq 1 100); do
  [ -s "$work/started" ] && break
  sleep 0.05
done
if [ -s "$work/started" ]; then
  read -r sleeper tag < "$work/started"
  kill -TERM "$runner"
  wait "$runner"
  status=$?
  [ "$status" -eq 143 ] || fail "SIGTERM gave exit code $status, not 143"
  [ -z "$(namespaces_of "$tag")" ] || fail "namespaces left after SIGTERM"
  running "$sleeper" && fail "a process of the lab outlived SIGTERM"
else
  fail "the signalled lab did not start"
  kill -TERM "$runner" 2>/dev/null
  wait "$runner"
fi

# 4. A lab whose script was killed outright is removed by cleanup, and by the
#    next run.
# Starts a lab, kills its script outright and prints the lab's tag.
kill_a_lab() {
  rm -f "$work/stale"
  # Its output must not hold the caller's pipe open while the sleep outlives it.
  "$lab" run -- sh -c 'echo "${QL5_LAB_WS_NS%-ws}" > "$0/stale"; exec sleep 300' "$work" >/dev/null &
  local runner=$!
  for _ in $(seq 1 100); do
    [ -s "$work/stale" ] && break
    sleep 0.05
  done
  kill -KILL "$runner"
  wait "$runner" 2>/dev/null
  cat "$work/stale" 2>/dev/null
}
for remover in cleanup run; do
  tag=$(kill_a_lab)
  if [ -z "$tag" ]; then
    fail "the lab to be killed did not start"
    continue
  fi
  [ -n "$(namespaces_of "$tag")" ] || fail "the killed lab left nothing to clean up"
  if [ "$remover" = cleanup ]; then
    "$lab" cleanup >/dev/null
  else
    "$lab" run -- true
  fi
  [ -z "$(namespaces_of "$tag")" ] || fail "$remover left $(namespaces_of "$tag")"
done

# 5. Without root the lab is skipped, not failed.
if command -v setpriv >/dev/null 2>&1 && setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
  copy="$work/lab"
  cp "$lab" "$copy"
  chmod 755 "$work" "$copy"
  setpriv --reuid=65534 --regid=65534 --clear-groups "$copy" run -- true 2>/dev/null
  status=$?
  [ "$status" -eq 77 ] || fail "an unprivileged run gave $status, not 77"
fi

if [ "$failures" -eq 0 ]; then
  echo "lab_script_test: all checks passed"
  exit 0
fi
echo "lab_script_test: $failures check(s) failed" >&2
exit 1
