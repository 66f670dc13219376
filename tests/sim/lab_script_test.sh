#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks scripts/lab itself: what it gives the command, that it passes the
# command's exit code on, that it leaves no namespace or process behind,
# whether the command ends, fails or the lab is stopped by a signal, and that
# cleanup removes exactly the labs whose owner is gone.
#
#   tests/sim/lab_script_test.sh PATH_TO_scripts/lab

# The commands handed to 'sh -c' below are expanded by that shell, inside the
# lab, so they are single-quoted on purpose.
# shellcheck disable=SC2016
set -euo pipefail

lab=${1:?usage: lab_script_test.sh PATH_TO_LAB_SCRIPT}
work=$(mktemp -d)
made=()     # namespaces this test creates by hand
owners=()   # processes this test starts to own them
cleanup() {
  local ns pid
  for pid in "${owners[@]}"; do
    kill -KILL "$pid" 2>/dev/null || true
  done
  for ns in "${made[@]}"; do
    ip netns del "$ns" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
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
  local ns
  while read -r ns _; do
    case $ns in *"$1"*) echo "$ns" ;; esac
  done < <(ip netns list 2>/dev/null || true)
}

exists() {
  [ -n "$(namespaces_of "$1")" ]
}

# Waits up to five seconds for a file to be written.
await_file() {
  for _ in $(seq 1 100); do
    [ -s "$1" ] && return 0
    sleep 0.05
  done
  return 1
}

if [ "$EUID" -ne 0 ] || ! command -v ip >/dev/null 2>&1; then
  echo "lab_script_test: needs root and iproute2" >&2
  exit 77
fi

# 1. Variables, namespace and exit code of a one-link lab.
status=0
"$lab" run -- sh -c '
  env | grep "^QL5_LAB" | sort > "$0/env"
  ip -o -4 addr show > "$0/addresses"
  exit 3' "$work" || status=$?
[ "$status" -eq 3 ] || fail "exit code 3 came back as $status"
if [ -s "$work/env" ]; then
  ws=$(sed -n 's/^QL5_LAB_WS_NS=//p' "$work/env")
  c1=$(sed -n 's/^QL5_LAB_CONVERTER_NS_1=//p' "$work/env")
  grep -qx 'QL5_LAB=1' "$work/env" || fail "QL5_LAB is not 1"
  grep -qx 'QL5_LAB_LINKS=1' "$work/env" || fail "QL5_LAB_LINKS is not 1"
  grep -qx 'QL5_LAB_CONVERTER_IF=lab0' "$work/env" || fail "QL5_LAB_CONVERTER_IF is not lab0"
  grep -qx 'QL5_LAB_WS_ADDRESS_1=198.51.100.1' "$work/env" || fail "wrong workstation address"
  grep -qx 'QL5_LAB_CONVERTER_ADDRESS_1=198.51.100.2' "$work/env" || fail "wrong converter address"
  if grep -q '^QL5_LAB_CONVERTER_NS_2=' "$work/env"; then fail "a second link in a one-link lab"; fi
  grep -q 'ws0 .*inet 198.51.100.1/24' "$work/addresses" || fail "the command did not run in the workstation namespace"
  ! exists "${ws%-ws}" || fail "namespaces left after a normal run: $(namespaces_of "${ws%-ws}")"
  [ -n "$c1" ] || fail "no converter namespace named"
  # The name records the script's process id and that process's start time.
  [[ $ws =~ ^ql5lab-[0-9]+-[0-9]+-[0-9a-f]{8}-ws$ ]] || fail "unexpected namespace name $ws"
else
  fail "the command did not run"
fi

# 2. Two links: both workstation interfaces, each converter on its own link.
status=0
"$lab" run --links 2 -- sh -c '
  ip -o -4 addr show > "$0/addresses2"
  ip netns exec "$QL5_LAB_CONVERTER_NS_2" ip -o -4 addr show > "$0/converter2"' "$work" ||
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
if await_file "$work/started"; then
  read -r sleeper tag < "$work/started"
  kill -TERM "$runner"
  status=0
  wait "$runner" || status=$?
  [ "$status" -eq 143 ] || fail "SIGTERM gave exit code $status, not 143"
  ! exists "$tag" || fail "namespaces left after SIGTERM"
  ! running "$sleeper" || fail "a process of the lab outlived SIGTERM"
else
  fail "the signalled lab did not start"
  kill -TERM "$runner" 2>/dev/null || true
  wait "$runner" || true
fi

# 4. A lab whose script was killed outright is removed by cleanup, and by the
#    next run.
# Starts a lab, kills its script outright and prints the lab's tag.
kill_a_lab() {
  rm -f "$work/stale"
  # Its output must not hold the caller's pipe open while the sleep outlives it.
  "$lab" run -- sh -c 'echo "${QL5_LAB_WS_NS%-ws}" > "$0/stale"; exec sleep 300' "$work" >/dev/null &
  local runner=$!
  await_file "$work/stale" || true
  kill -KILL "$runner"
  wait "$runner" 2>/dev/null || true
  cat "$work/stale" 2>/dev/null || true
}
for remover in cleanup run; do
  tag=$(kill_a_lab)
  if [ -z "$tag" ]; then
    fail "the lab to be killed did not start"
    continue
  fi
  exists "$tag" || fail "the killed lab left nothing to clean up"
  if [ "$remover" = cleanup ]; then
    "$lab" cleanup >/dev/null
  else
    "$lab" run -- true
  fi
  ! exists "$tag" || fail "$remover left $(namespaces_of "$tag")"
done

# 5. Ownership is a process id together with that process's start time. The
#    owner here has "lab" in its command line, as the script itself does, so
#    only the start time can tell its own lab from one that a process with the
#    same id, long gone, left behind.
bash -c 'exec -a ql5lab-owner sleep 300' &
owner=$!
owners+=("$owner")
for _ in $(seq 1 100); do
  grep -q ql5lab-owner "/proc/$owner/cmdline" 2>/dev/null && break
  sleep 0.05
done
start=$(sed 's/.*) //' "/proc/$owner/stat" | cut -d' ' -f20)
own="ql5lab-$owner-$start-0000000a-ws"
reused="ql5lab-$owner-$((start - 1))-0000000b-ws"
legacy="ql5lab-$owner-0000000c-ws"
sleep 0 &
gone_pid=$!
wait "$gone_pid"
gone="ql5lab-$gone_pid-0000000d-ws"
for ns in "$own" "$reused" "$legacy" "$gone"; do
  made+=("$ns")
  ip netns add "$ns"
done
"$lab" cleanup > "$work/cleanup5"
exists "$own" || fail "cleanup removed a lab whose owner lives"
! exists "$reused" || fail "cleanup kept a lab whose owner's process id was reused"
# Labs of older copies of the script record no start time: kept while their
# process id is in use, removed once it is not.
exists "$legacy" || fail "cleanup removed an older lab whose process id is in use"
! exists "$gone" || fail "cleanup kept an older lab whose process is gone"
kill -KILL "$owner"
wait "$owner" 2>/dev/null || true
"$lab" cleanup > "$work/cleanup5b"
! exists "$own" || fail "cleanup kept a lab whose owner has ended"
! exists "$legacy" || fail "cleanup kept an older lab whose owner has ended"

# 6. A lab started through 'bash -s' has no "lab" in its command line; a
#    concurrent cleanup must leave it alone all the same.
rm -f "$work/piped" "$work/release"
bash -s -- run -- sh -c '
  echo "${QL5_LAB_WS_NS%-ws}" > "$0/piped"
  while [ ! -e "$0/release" ]; do sleep 0.05; done
  ip -o link show ws0 > /dev/null' "$work" < "$lab" &
runner=$!
if await_file "$work/piped"; then
  tag=$(cat "$work/piped")
  if grep -q lab "/proc/$runner/cmdline"; then
    echo "lab_script_test: note: the piped lab's command line holds \"lab\" by chance" >&2
  fi
  "$lab" cleanup > "$work/cleanup6"
  if grep -q "$tag" "$work/cleanup6"; then
    fail "cleanup removed the running lab started through bash -s"
  fi
  touch "$work/release"
  status=0
  wait "$runner" || status=$?
  # Old copies of the script, run by others on this machine, may remove such
  # a lab; only this script's cleanup is under test.
  [ "$status" -eq 0 ] || grep -q "$tag" "$work/cleanup6" ||
    echo "lab_script_test: note: the piped lab ended with $status, not removed by this cleanup" >&2
  ! exists "$tag" || fail "the piped lab left namespaces behind"
else
  fail "the lab started through bash -s did not start"
  touch "$work/release"
  wait "$runner" || true
fi

# 7. Without root the lab is skipped, not failed.
if command -v setpriv >/dev/null 2>&1 && setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
  copy="$work/lab"
  cp "$lab" "$copy"
  chmod 755 "$work" "$copy"
  status=0
  setpriv --reuid=65534 --regid=65534 --clear-groups "$copy" run -- true 2>/dev/null || status=$?
  [ "$status" -eq 77 ] || fail "an unprivileged run gave $status, not 77"
fi

if [ "$failures" -ne 0 ]; then
  echo "lab_script_test: $failures check(s) failed" >&2
  exit 1
fi
echo "lab_script_test: all checks passed"
