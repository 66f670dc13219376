#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks the bash completion of ql5ctl as bash-completion runs it: the file is
# found where bash-completion looks for it, 'complete -p ql5ctl' names its
# function, and the function, given COMP_WORDS and COMP_CWORD as bash sets
# them for a command line, offers what each row below expects. MAC addresses
# come from a stand-in ql5ctl that records its calls, so nothing here searches
# a network.
#
#   completion_test.sh DATA_DIR
#       DATA_DIR/bash-completion/completions/ql5ctl is the file under test:
#       DATA_DIR is the share folder of an installation.
#   completion_test.sh --file FILE
#       FILE is the file under test (the source tree's completions/bash/ql5ctl).
#
# Exits 77, which CTest reports as skipped, where bash-completion is missing.
set -euo pipefail

framework=/usr/share/bash-completion/bash_completion
if [ ! -r "$framework" ]; then
  echo "completion_test: bash-completion is not installed ($framework)" >&2
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case ${1-} in
  --file)
    data=$work/share
    mkdir -p "$data/bash-completion/completions"
    cp "$2" "$data/bash-completion/completions/ql5ctl"
    ;;
  "")
    echo "usage: completion_test.sh DATA_DIR | --file FILE" >&2
    exit 2
    ;;
  *) data=$1 ;;
esac
[ -r "$data/bash-completion/completions/ql5ctl" ] || {
  echo "completion_test: no $data/bash-completion/completions/ql5ctl" >&2
  exit 1
}

# The stand-in ql5ctl: it answers 'list --format csv' with two converters, one
# of them heard on two networks, and writes each call into calls.log.
mkdir -p "$work/bin" "$work/home"
cat >"$work/bin/ql5ctl" <<EOF
#!/bin/sh
echo "\$*" >>"$work/calls.log"
echo 'ip,mac,name,product,interface,localAddress,dhcp,firmware,mask,gateway,dns,serialLinkPort'
echo '198.51.100.21,02:51:c5:00:00:01,"Press, line 1",QL5 Converter,ws0,198.51.100.1,Disabled,2.4.1,255.255.255.0,198.51.100.1,198.51.100.1,4001'
echo '203.0.113.21,02:51:c5:00:00:01,"Press, line 1",QL5 Converter,ws1,203.0.113.1,Disabled,2.4.1,255.255.255.0,203.0.113.1,203.0.113.1,4001'
echo '198.51.100.22,02:51:c5:00:00:02,Dock scale,QL5 Converter,ws0,198.51.100.1,Enabled,2.4.1,255.255.255.0,198.51.100.1,198.51.100.1,4001'
EOF
chmod +x "$work/bin/ql5ctl"
: >"$work/calls.log"

failures=0
fail() {
  echo "completion_test: $*" >&2
  failures=$((failures + 1))
}

# bash-completion is written for interactive shells, which run without -e,
# -u and pipefail; so are the completion functions it loads.
set +euo pipefail
export PATH="$work/bin:$PATH" HOME=$work/home XDG_DATA_HOME=$work/home/.local/share
export BASH_COMPLETION_USER_DIR=$work/home/none XDG_DATA_DIRS=$data
unset QL5CTL_COMPLETE_MACS
# shellcheck source=/dev/null
source "$framework"

# Loaded on demand, as when ql5ctl is first completed in a new shell.
complete -r ql5ctl 2>/dev/null
_completion_loader ql5ctl
registered=$(complete -p ql5ctl 2>&1)
[ "$registered" = "complete -F _ql5ctl ql5ctl" ] ||
  fail "bash-completion did not load the file from $data: 'complete -p ql5ctl' says '$registered'"

# Sets COMP_WORDS, COMP_CWORD, COMP_LINE and COMP_POINT as bash does for the
# line with the cursor at its end: words split at blanks, and ':' and '='
# (from COMP_WORDBREAKS) as words of their own. Then calls the function that
# 'complete -p' names and prints COMPREPLY sorted, on one line.
complete_line() {
  local line=$1 word='' char i
  COMP_WORDS=()
  for ((i = 0; i < ${#line}; i++)); do
    char=${line:i:1}
    case $char in
      ' ') [ -z "$word" ] || COMP_WORDS+=("$word"); word='' ;;
      : | =) [ -z "$word" ] || COMP_WORDS+=("$word"); COMP_WORDS+=("$char"); word='' ;;
      *) word+=$char ;;
    esac
  done
  if [ -n "$word" ] || [ "${line: -1}" = ' ' ]; then
    COMP_WORDS+=("$word")
  fi
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  local function
  function=$(complete -p ql5ctl | sed -n 's/.* -F \([^ ]*\) .*/\1/p')
  "$function" ql5ctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ' -
}

# Each row: the environment value of QL5CTL_COMPLETE_MACS ('-' for unset),
# the line, and what bash is offered to put in place of the word at the end
# (after its last ':', since bash splits there).
rows=(
  "-|ql5ctl s|set-ip"
  "-|ql5ctl l|list"
  "-|ql5ctl |--help --version apply dhcp info list reboot set-ip"
  "-|ql5ctl --v|--version"
  "-|ql5ctl list --|--format --help --host --lost-after --wait --watch"
  "-|ql5ctl dhcp --v|--verify --verify=strict"
  "-|ql5ctl apply plan.csv --format |json table"
  "-|ql5ctl list --format |csv json prometheus table"
  "-|ql5ctl list --format=j|json"
  "-|ql5ctl info --format c|csv"
  "-|ql5ctl info 02:51:c5:00:00:01 --format |csv json table"
  "-|ql5ctl list --wait |"
  "-|ql5ctl reboot --|--help --host --interface --password-stdin --wait"
  "-|ql5ctl info --i|--interface"
  "-|ql5ctl list --i|"
  "-|ql5ctl set-ip 02:51:c5:00:00:01 --p|--password-stdin"
  "-|ql5ctl dhcp --w|"
  "-|ql5ctl frobnicate --|"
  "-|ql5ctl info |"
  "0|ql5ctl info |"
  "soon|ql5ctl info |"
  "1|ql5ctl info |02:51:c5:00:00:01 02:51:c5:00:00:02"
  "1|ql5ctl reboot --wait 02:51:c5:00:00:0|01 02"
  "1|ql5ctl dhcp --password-stdin 02:51:c5:00:00:02|02"
  "1|ql5ctl set-ip 02:51:c5:00:00:01 |"
  "1|ql5ctl reboot 02:51:c5:00:00:01 --password-stdin |"
  "1|ql5ctl list |"
)
for row in "${rows[@]}"; do
  IFS='|' read -r macs line expected <<<"$row"
  if [ "$macs" = - ]; then unset QL5CTL_COMPLETE_MACS; else export QL5CTL_COMPLETE_MACS=$macs; fi
  got=$(complete_line "$line")
  [ "$got" = "$expected" ] ||
    fail "QL5CTL_COMPLETE_MACS=$macs '$line<Tab>' offers '$got', expected '$expected'"
done

# Each row ran in a subshell, as in a new shell: the stand-in was called once
# for each of the three rows that asked for MACs where a MAC goes, and for no
# other row.
calls=$(sort -u "$work/calls.log")
[ "$calls" = "list --wait 1 --format csv" ] ||
  fail "the stand-in ql5ctl was called as '$calls', expected only 'list --wait 1 --format csv'"
asked=$(wc -l <"$work/calls.log")
[ "$asked" -eq 3 ] || fail "the stand-in ql5ctl was called $asked times for the 3 rows that list MACs"

# Within one shell the list is kept: two Tabs in a row call ql5ctl once.
: >"$work/calls.log"
export QL5CTL_COMPLETE_MACS=0.5
first=$(complete_line "ql5ctl info " >/dev/null; complete_line "ql5ctl info 02:51:c5:00:00:0")
[ "$first" = "01 02" ] || fail "the second Tab in one shell offers '$first', expected '01 02'"
[ "$(cat "$work/calls.log")" = "list --wait 0.5 --format csv" ] ||
  fail "two Tabs in one shell called the stand-in as '$(paste -sd ';' "$work/calls.log")'"

if [ "$failures" -ne 0 ]; then
  echo "completion_test: $failures failures" >&2
  exit 1
fi
echo "completion_test: ${#rows[@]} lines completed as expected, MACs listed only when asked"
