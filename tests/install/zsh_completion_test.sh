#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks the zsh completion of ql5ctl as zsh runs it: compinit finds _ql5ctl
# in a folder of fpath and binds it to ql5ctl, and an interactive zsh (on a
# pseudo-terminal, through zsh/zpty) completes each line below to what the
# row expects when Tab is pressed at its end. MAC addresses come from a
# stand-in ql5ctl that records its calls, so nothing here searches a network.
#
#   zsh_completion_test.sh FUNCTIONS_DIR
#       FUNCTIONS_DIR/_ql5ctl is the file under test.
#
# Exits 77, which CTest reports as skipped, where zsh is not installed.
set -euo pipefail

command -v zsh >/dev/null 2>&1 || {
  echo "zsh_completion_test: zsh is not installed" >&2
  exit 77
}
functions_dir=$(cd "$1" && pwd)
[ -r "$functions_dir/_ql5ctl" ] || {
  echo "zsh_completion_test: no $functions_dir/_ql5ctl" >&2
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/home"
cat >"$work/bin/ql5ctl" <<EOF
#!/bin/sh
echo "\$*" >>"$work/calls.log"
echo 'ip,mac,name,product,interface,localAddress,dhcp,firmware,mask,gateway,dns,serialLinkPort'
echo '198.51.100.21,02:51:c5:00:00:01,Press line 1,QL5 Converter,ws0,198.51.100.1,Disabled,2.4.1,255.255.255.0,198.51.100.1,198.51.100.1,4001'
echo '198.51.100.22,02:51:c5:00:00:02,Dock scale,QL5 Converter,ws0,198.51.100.1,Enabled,2.4.1,255.255.255.0,198.51.100.1,198.51.100.1,4001'
EOF
chmod +x "$work/bin/ql5ctl"
: >"$work/calls.log"

# Each row: QL5CTL_COMPLETE_MACS ('-' for unset), the line typed, and the line
# after one Tab (zsh adds a space after a complete word).
cat >"$work/rows" <<'EOF'
-|ql5ctl s|ql5ctl set-ip 
-|ql5ctl reb|ql5ctl reboot 
-|ql5ctl --v|ql5ctl --version 
-|ql5ctl list --f|ql5ctl list --format=
-|ql5ctl list --format j|ql5ctl list --format json 
-|ql5ctl info --format=c|ql5ctl info --format=csv 
-|ql5ctl reboot --w|ql5ctl reboot --wait 
-|ql5ctl dhcp --p|ql5ctl dhcp --password-stdin 
-|ql5ctl info |ql5ctl info 
1|ql5ctl info |ql5ctl info 02:51:c5:00:00:0
1|ql5ctl reboot --wait 02:51:c5:00:00:02|ql5ctl reboot --wait 02:51:c5:00:00:02 
EOF

# The zsh side: one interactive zsh per row on a pseudo-terminal, whose Ctrl-X
# writes the edited line to a file; Tab then Ctrl-X is typed after the line.
cat >"$work/drive.zsh" <<'EOF'
zmodload zsh/zpty
work=$1 functions_dir=$2
failures=0
while IFS='|' read -r macs typed expected; do
  rm -f $work/line
  zpty -b shell env HOME=$work/home PATH=$work/bin:$PATH TERM=dumb zsh -f -i
  zpty -w shell "PS1='> '; fpath=($functions_dir \$fpath); autoload -Uz compinit; compinit -u -d $work/home/compdump"
  zpty -w shell "dump() { print -rn -- \"\$BUFFER\" >$work/line; BUFFER= }; zle -N dump; bindkey '^X' dump"
  zpty -w shell "print -r -- \"\$_comps[ql5ctl]\" >$work/registered"
  if [[ $macs == - ]]; then zpty -w shell 'unset QL5CTL_COMPLETE_MACS'
  else zpty -w shell "export QL5CTL_COMPLETE_MACS=$macs"; fi
  zpty -w -n shell "$typed"$'\t\x18'
  for i in {1..100}; do [[ -e $work/line ]] && break; sleep 0.05; done
  zpty -d shell
  got=$(<$work/line 2>/dev/null) || got='(no answer)'
  if [[ $(<$work/registered) != _ql5ctl ]]; then
    print -r -- "zsh_completion_test: compinit bound ql5ctl to '$(<$work/registered)', not _ql5ctl"
    (( failures++ ))
  fi
  if [[ $got != "$expected" ]]; then
    print -r -- "zsh_completion_test: QL5CTL_COMPLETE_MACS=$macs '$typed<Tab>' gives '$got', expected '$expected'"
    (( failures++ ))
  fi
done <$work/rows
exit $(( failures > 0 ))
EOF

status=0
zsh -f "$work/drive.zsh" "$work" "$functions_dir" || status=1
calls=$(cat "$work/calls.log")
[ "$calls" = "list --wait 1 --format csv"$'\n'"list --wait 1 --format csv" ] || {
  echo "zsh_completion_test: the stand-in was called as '${calls//$'\n'/; }'," \
    "expected once for each of the two rows that list MACs" >&2
  status=1
}
[ "$status" -eq 0 ] && echo "zsh_completion_test: $(wc -l <"$work/rows") lines completed as expected"
exit "$status"
