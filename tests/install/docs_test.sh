#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks that the manual page and the shell completions of ql5ctl keep up with
# the program: every command in the usage of 'ql5ctl --help' has its
# subsection in ql5ctl(1) and is completed by bash and zsh, and every option
# and output format that the usage gives a command is described in that
# command's subsection and offered for that command by both completions.
#
#   docs_test.sh QL5CTL SOURCE_DIR
#
# ql5ctl --help touches no network, but it runs in a network namespace of its
# own all the same (unshare), as every run of ql5ctl here does; where that is
# not allowed (not root) the test exits 77, which CTest reports as skipped.
set -euo pipefail

ql5ctl=$1 source=$2
man_page=$source/docs/man/ql5ctl.1.scd
bash_completion=$source/completions/bash/ql5ctl
zsh_completion=$source/completions/zsh/_ql5ctl

if ! help=$(unshare --net -- "$ql5ctl" --help 2>&1); then
  echo "docs_test: cannot run ql5ctl in a network namespace of its own: $help" >&2
  exit 77
fi

failures=0
fail() {
  echo "docs_test: $*" >&2
  failures=$((failures + 1))
}

# The usage lines: "usage: ql5ctl list [--wait SECONDS] ..." and the indented
# ones after it, up to the first empty line.
usage=$(printf '%s\n' "$help" | sed -n '/^usage: /,/^$/p' | sed -e 's/^usage: //' -e 's/^ *//')
commands=$(printf '%s\n' "$usage" | awk '$1 == "ql5ctl" && $2 !~ /^-/ { print $2 }')
[ -n "$commands" ] || fail "no commands found in the usage of ql5ctl --help"

# The lines of one "## COMMAND" subsection of the manual page.
man_subsection() {
  awk -v name="## $1" '$0 == name { inside = 1; next } /^#/ { inside = 0 } inside' "$man_page"
}

# The body of one command's branch of the zsh completion's case statement.
zsh_branch() {
  awk -v name="        $1)" '$0 == name { inside = 1; next } inside && /;;/ { exit } inside' \
    "$zsh_completion"
}

# bash: the command list and each command's options, from the file itself.
# shellcheck source=/dev/null
bash_commands=$(bash -c 'complete() { :; }; source "$1"; echo "$_ql5ctl_commands"' _ "$bash_completion")
bash_options() {
  bash -c 'complete() { :; }; source "$1"; _ql5ctl_options "$2"' _ "$bash_completion" "$1"
}

for command in $commands; do
  line=$(printf '%s\n' "$usage" | awk -v c="$command" '$1 == "ql5ctl" && $2 == c')
  options=$(printf '%s\n' "$line" | grep -o -- '--[a-z][a-z-]*' | sort -u || true)
  formats=$(printf '%s\n' "$line" | sed -n 's/.*--format \([a-z|]*\).*/\1/p' | tr '|' ' ')
  subsection=$(man_subsection "$command")
  branch=$(zsh_branch "$command")

  [ -n "$subsection" ] || fail "ql5ctl(1) has no subsection '## $command'"
  [[ " $bash_commands " == *" $command "* ]] || fail "bash completion lacks the command $command"
  grep -q -- "'$command:" "$zsh_completion" || fail "zsh completion lacks the command $command"
  [ -n "$branch" ] || fail "zsh completion has no branch for $command"

  offered=" $(bash_options "$command") "
  for option in $options; do
    grep -q -- "^\*$option\*" <<<"$subsection" ||
      fail "ql5ctl(1) does not describe $option under '## $command'"
    [[ $offered == *" $option "* ]] || fail "bash completion does not offer $option for $command"
    grep -q -F -e "'${option}[" -e "'$option=" <<<"$branch" || fail "zsh completion does not offer $option for $command"
  done
  for format in $formats; do
    grep -q -- "\*$format\*" <<<"$subsection" ||
      fail "ql5ctl(1) does not name the format $format under '## $command'"
    grep -q -- "$format" "$bash_completion" || fail "bash completion does not offer the format $format"
    grep -q -- "$format" "$zsh_completion" || fail "zsh completion does not offer the format $format"
  done
done

# Options of ql5ctl itself: --help and --version.
for option in $(printf '%s\n' "$usage" | awk '$1 == "ql5ctl" && $2 ~ /^-/' | grep -o -- '--[a-z-]*'); do
  grep -q -- "\*$option\*" "$man_page" || fail "ql5ctl(1) does not describe $option"
done

if [ "$failures" -ne 0 ]; then
  echo "docs_test: $failures places where the documentation lags behind ql5ctl --help" >&2
  exit 1
fi
echo "docs_test: ql5ctl(1) and both completions cover the usage of ql5ctl --help:" "${commands//$'\n'/ }"
