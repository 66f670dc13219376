#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# The Ansible collection ql5.converters with Debian's own ansible-core, in a
# lab with two links and the simulator on both: ansible-doc renders every
# module and the inventory plugin; the inventory lists the fleet in its
# groups; a play sets three converters (3 changed), the same play again
# changes nothing and sends no command (the simulator's log is the evidence);
# check and diff mode send nothing and show before and after; a wrong password
# fails the task with the converter's message and leaves the password nowhere
# in the output; facts and a restart with its wait.
# Runs inside the lab (scripts/lab run --links 2).
#
#   ansible_lab_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

source_dir=$1 build=$2
here=$source_dir/tests/engines/ansible
command -v ansible-playbook >/dev/null || { echo "ansible-core is not installed (scripts/setup)"; exit 77; }
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait; rm -rf "$work"' EXIT
fail() {
  echo "ansible_lab_test: $*" >&2
  cat "$work/output" >&2 || true
  exit 1
}

# Ansible finds collections below an ansible_collections folder.
mkdir -p "$work/collections/ansible_collections"
ln -s "$source_dir/integrations/ansible/ql5" "$work/collections/ansible_collections/ql5"
export ANSIBLE_COLLECTIONS_PATH=$work/collections ANSIBLE_LOCAL_TEMP=$work/tmp
export ANSIBLE_CONFIG=$work/ansible.cfg ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0
export ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 ANSIBLE_LOCALHOST_WARNING=0
export ANSIBLE_INVENTORY_UNPARSED_FAILED=1 HOME=$work
export PATH=$build/tools/ql5ctl:$PATH
touch "$work/ansible.cfg"
cd "$here"

for n in 1 2; do
  ns_var="QL5_LAB_CONVERTER_NS_$n"
  ip netns exec "${!ns_var}" "$build/tools/ql5sim/ql5sim" --fleet "fleet-$n.json" \
    --interface lab0 --log "$work/received-$n.log" --ready-file "$work/ready-$n" &
  pids+=($!)
done
for n in 1 2; do
  for _ in $(seq 100); do [ -s "$work/ready-$n" ] && break; sleep 0.05; done
  [ -s "$work/ready-$n" ] || fail "simulator $n did not start"
done

# Commands (set-ip, dhcp, reboot) that network 1's converters received.
commands() {
  python3 -c 'import json, sys
print(sum(json.loads(l)["hex"][10:12] in ("03", "05", "07") for l in open(sys.argv[1])))' \
    "$work/received-1.log"
}
play() {
  ansible-playbook -i localhost, "$@" >"$work/output" 2>&1
}
# recap CHANGED FAILED: converters changed (loop items and single tasks), and
# tasks failed.
recap() {
  local changed
  changed=$(grep -cE '^changed: \[localhost\]' "$work/output" || true)
  [ "$changed" -eq "$1" ] || fail "expected $1 changed, saw $changed"
  grep -qE "^localhost +: ok=[0-9]+ +changed=[0-9]+ .*failed=$2 " "$work/output" ||
    fail "expected $2 failed tasks"
}

for plugin in "module converter" "module converter_reboot" "module converter_info" \
  "inventory discovery"; do
  read -r type name <<<"$plugin"
  ansible-doc -t "$type" "ql5.converters.$name" >"$work/output" 2>&1 ||
    fail "ansible-doc cannot render $name"
  grep -q "^EXAMPLES:" "$work/output" || fail "ansible-doc shows no examples for $name"
done

ansible-inventory -i site.ql5.yml --graph >"$work/output" 2>&1 || fail "ansible-inventory failed"
for group in ql5_network_ws0 ql5_network_ws1 ql5_product_QL5_Converter ql5_product_QL5_485_Gateway \
  needs_dhcp_check firmware_2_5_0; do
  grep -q "@$group:" "$work/output" || fail "no group $group"
done
[ "$(grep -c -- '--02-51-c5-22-' "$work/output")" -ge 4 ] || fail "not every converter is a host"
ansible-inventory -i site.ql5.yml --host 02-51-c5-22-10-01 >"$work/output" 2>&1 ||
  fail "ansible-inventory --host failed"
python3 - "$work/output" <<'PY' || fail "the host variables are not those of the listing"
import json, sys
# Converter text is marked unsafe (never templated), which the output shows.
host = {k: v["__ansible_unsafe"] if isinstance(v, dict) else v
        for k, v in json.load(open(sys.argv[1])).items()}
assert host["ansible_host"] == "198.51.100.51", host
assert host["ql5_local_address"] == "198.51.100.1" and host["ql5_interface"] == "ws0", host
assert host["ql5_name"] == "Press {{ 7 * 7 }}", host  # data, never a template
assert host["ql5_web"] == "http://198.51.100.51", host
assert host["ql5_serial_link_port"] == 4001 and host["ql5_warnings"] == [], host
PY

play set_three.yml -e password=secret || fail "the first play failed"
recap 3 0
[ "$(commands)" -eq 3 ] || fail "expected 3 commands, the simulator received $(commands)"
play set_three.yml -e password=secret || fail "the second play failed"
recap 0 0
[ "$(commands)" -eq 3 ] || fail "the second play sent a command"

play set_three.yml -e password=secret -e base=10 --check --diff || fail "check mode failed"
recap 3 0
grep -q -- '-    "ip": "198.51.100.61"' "$work/output" || fail "the diff lacks the address before"
grep -q -- '+    "ip": "198.51.100.71"' "$work/output" || fail "the diff lacks the address after"
[ "$(commands)" -eq 3 ] || fail "check mode sent a command"

wrong=Wrong-Pa55word-22
if play set_three.yml -e "password=$wrong" -e base=10 -v; then fail "a wrong password passed"; fi
recap 0 1
grep -q 'the converter refused the command: Password incorrect' "$work/output" ||
  fail "the task does not give the converter's message"
grep -q "$wrong" "$work/output" && fail "the password appears in the output"

before=$(commands)
play reboot_and_facts.yml -e password=secret || fail "the facts and restart play failed"
recap 2 0  # the check-mode restart reports what it would do
[ "$(commands)" -eq $((before + 1)) ] || fail "expected exactly one restart command"
exit 0
