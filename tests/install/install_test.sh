#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the build into a temporary place and checks what a user and a
# programmer find there: a small C program of someone else's builds against
# the installed library with pkg-config and with CMake's find_package and
# runs, the example of ql5discovery(3) compiles, the installed ql5ctl finds
# its library, `man ql5ctl` shows the installed page, the shell completions
# load from where bash-completion and zsh look, and the desktop entry and
# AppStream file validate.
#
#   install_test.sh prefix BUILD_DIR LIBDIR C_COMPILER [C_FLAG...]
#       cmake --install into a temporary prefix.
#   install_test.sh deb PACKAGE_DIR LIBDIR C_COMPILER [C_FLAG...]
#       the Debian packages in PACKAGE_DIR (scripts/package makes them): the
#       -dev package unpacked over the library package for the C program,
#       then the programs' packages beside them; each package must hold its
#       own part of the installation.
#
# C_FLAGs are given to every compile and link, so that a sanitizer build's
# library can be linked (it needs the sanitizer runtime too). Nothing here
# touches a network: ql5ctl is only asked for its version.
set -euo pipefail

mode=$1 from=$2 libdir=$3 cc=$4
shift 4
flags=("$@")
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "install_test: $*" >&2
  exit 1
}

# The package whose name matches the extended regular expression; the
# library package's name carries the soname's major number.
package_file() {
  local deb found=()
  for deb in "$from"/*.deb; do
    [[ $(dpkg-deb -f "$deb" Package) =~ ^$1$ ]] && found+=("$deb")
  done
  [ ${#found[@]} -eq 1 ] || fail "expected one package named $1 in $from, found ${#found[@]}"
  echo "${found[0]}"
}

case $mode in
  prefix)
    root=$work/prefix
    cmake --install "$from" --prefix "$root" >"$work/install.log" ||
      fail "cmake --install failed: $(cat "$work/install.log")"
    ;;
  deb)
    command -v dpkg-deb >/dev/null 2>&1 || { echo "install_test: no dpkg-deb" >&2; exit 77; }
    library_deb=$(package_file 'libql5discovery[0-9]+')
    dev_deb=$(package_file libql5discovery-dev)
    for deb in "$library_deb" "$dev_deb"; do
      dpkg-deb -f "$deb" Package Version Depends
      dpkg-deb -x "$deb" "$work/root"
    done
    root=$work/root/usr
    ;;
  *)
    fail "unknown mode $mode"
    ;;
esac

# --- The library, for programmers ---------------------------------------------

# The library's own version, from the installed header: the soname, the
# pkg-config file and the CMake package must carry it (not the project's).
header=$root/include/ql5/discovery.h
[ -f "$header" ] || fail "include/ql5/discovery.h is missing from the installation"
version_part() {
  sed -n "s/^#define QL5_DISCOVERY_VERSION_$1 \([0-9][0-9]*\)\$/\1/p" "$header"
}
library_major=$(version_part MAJOR)
library_version=$library_major.$(version_part MINOR).$(version_part PATCH)
[[ $library_version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] ||
  fail "the installed header gives no version ($library_version)"

for file in "$libdir/libql5discovery.so" "$libdir/libql5discovery.so.$library_major" \
  "$libdir/libql5discovery.so.$library_version" "$libdir/pkgconfig/ql5discovery.pc" \
  "$libdir/cmake/ql5discovery/ql5discoveryConfig.cmake" \
  "$libdir/cmake/ql5discovery/ql5discoveryConfigVersion.cmake"; do
  [ -e "$root/$file" ] || fail "$file is missing from the installation"
done

# pkg-config, as a Makefile would use it.
export PKG_CONFIG_PATH=$root/$libdir/pkgconfig
pc_version=$(pkg-config --modversion ql5discovery)
[ "$pc_version" = "$library_version" ] ||
  fail "pkg-config gives version $pc_version, the library is $library_version"
pc_flags=$(pkg-config --cflags --libs ql5discovery)
pc_libdir=$(pkg-config --variable=libdir ql5discovery)
# shellcheck disable=SC2086
"$cc" -std=c99 -Wall -Wextra -Wpedantic -Werror "${flags[@]}" "$here/consumer/consumer.c" \
  $pc_flags -Wl,-rpath,"$pc_libdir" -o "$work/consumer-pkgconfig" ||
  fail "the consumer does not build with pkg-config ($pc_flags)"
"$work/consumer-pkgconfig" || fail "the consumer built with pkg-config failed ($?)"

# CMake's find_package.
cmake -S "$here/consumer" -B "$work/consumer-build" -G Ninja \
  -DCMAKE_PREFIX_PATH="$root" -DCMAKE_C_COMPILER="$cc" \
  -DQL5_LIBRARY_MAJOR="$library_major" \
  -DCMAKE_C_FLAGS="-Wall -Wextra -Wpedantic -Werror ${flags[*]}" \
  -DCMAKE_EXE_LINKER_FLAGS="${flags[*]}" >"$work/consumer-configure.log" 2>&1 ||
  fail "find_package(ql5discovery) failed: $(tail -20 "$work/consumer-configure.log")"
cmake --build "$work/consumer-build" >"$work/consumer-build.log" 2>&1 ||
  fail "the consumer does not build with CMake: $(tail -20 "$work/consumer-build.log")"
"$work/consumer-build/consumer" || fail "the consumer built with CMake failed ($?)"

# A program that asks for the next major version must not find this one.
if cmake -S "$here/consumer" -B "$work/consumer-too-new" -G Ninja \
  -DCMAKE_PREFIX_PATH="$root" -DCMAKE_C_COMPILER="$cc" \
  -DQL5_LIBRARY_MAJOR="$((library_major + 1))" >"$work/consumer-too-new.log" 2>&1; then
  fail "find_package(ql5discovery $((library_major + 1))) accepted version $library_version"
fi

# The example program of ql5discovery(3) builds as printed (it is not run:
# it would search the networks).
awk '/^# EXAMPLE/ { inside = 1; next }
     inside && /^```/ { if (code) exit; code = 1; next }
     code { gsub(/\\\\/, "\\"); print }' "$source_dir/docs/man/ql5discovery.3.scd" >"$work/example.c"
[ -s "$work/example.c" ] || fail "no example program found in ql5discovery.3.scd"
# shellcheck disable=SC2086
"$cc" -Wall -Wextra -Werror "${flags[@]}" "$work/example.c" $pc_flags -o "$work/example" ||
  fail "the example of ql5discovery(3) does not build"

# --- The programs and what comes with them ------------------------------------

if [ "$mode" = deb ]; then
  for name in ql5ctl ql5sim ql5config ql5-ansible-collection; do
    deb=$(package_file "$name")
    dpkg-deb -f "$deb" Package Version Depends
    dpkg-deb -x "$deb" "$work/root"
  done

  # Each package holds its own part: a file in the wrong package would go
  # unnoticed when they are unpacked together.
  multiarch=${libdir#lib/}
  collection=usr/share/ansible/collections/ansible_collections/ql5/converters
  holds=(
    "$library_deb|usr/lib/$multiarch/libql5discovery.so.$library_major"
    "$library_deb|usr/lib/$multiarch/libql5discovery.so.$library_version"
    "$dev_deb|usr/include/ql5/discovery.h"
    "$dev_deb|usr/lib/$multiarch/libql5discovery.so"
    "$dev_deb|usr/lib/$multiarch/pkgconfig/ql5discovery.pc"
    "$dev_deb|usr/lib/$multiarch/cmake/ql5discovery/ql5discoveryConfig.cmake"
    "$dev_deb|usr/share/man/man3/ql5discovery.3.gz"
    "$(package_file ql5ctl)|usr/bin/ql5ctl"
    "$(package_file ql5ctl)|usr/share/man/man1/ql5ctl.1.gz"
    "$(package_file ql5ctl)|usr/share/bash-completion/completions/ql5ctl"
    "$(package_file ql5ctl)|usr/share/zsh/vendor-completions/_ql5ctl"
    "$(package_file ql5ctl)|lib/systemd/system/ql5ctl-prometheus.service"
    "$(package_file ql5ctl)|lib/systemd/system/ql5ctl-prometheus.timer"
    "$(package_file ql5-ansible-collection)|$collection/galaxy.yml"
    "$(package_file ql5-ansible-collection)|$collection/plugins/inventory/discovery.py"
    "$(package_file ql5-ansible-collection)|$collection/plugins/modules/converter.py"
    "$(package_file ql5sim)|usr/bin/ql5sim"
    "$(package_file ql5sim)|usr/share/man/man1/ql5sim.1.gz"
    "$(package_file ql5sim)|usr/share/doc/ql5sim/README.md.gz"
    "$(package_file ql5config)|usr/bin/QL5Config"
    "$(package_file ql5config)|usr/share/man/man1/QL5Config.1.gz"
    "$(package_file ql5config)|usr/share/applications/ql5config.desktop"
    "$(package_file ql5config)|usr/share/icons/hicolor/scalable/apps/ql5config.svg"
    "$(package_file ql5config)|usr/share/metainfo/invalid.example.ql5config.metainfo.xml"
  )
  for row in "${holds[@]}"; do
    deb=${row%%|*} file=${row#*|}
    contents=$(dpkg-deb -c "$deb")
    [[ $contents == *" ./$file"* ]] || fail "$(basename "$deb") does not hold /$file"
  done
  # The library package holds the library alone: no link for the linker, no
  # header, no pkg-config file (those are the -dev package's).
  library_contents=$(dpkg-deb -c "$library_deb")
  for unwanted in "libql5discovery.so " include/ pkgconfig/ cmake/; do
    [[ $library_contents != *"$unwanted"* ]] ||
      fail "$(basename "$library_deb") holds $unwanted, which belongs in the -dev package"
  done
  man_suffix=.gz
  zsh_dir=$root/share/zsh/vendor-completions
  # Installed from a package the programs find the library in the system's
  # library folder, which here is the unpacked one.
  export LD_LIBRARY_PATH=$root/$libdir
else
  man_suffix=
  zsh_dir=$root/share/zsh/site-functions
fi

# What every installation holds; the desktop utility only where it was built.
expected=(
  bin/ql5ctl bin/ql5sim
  "share/man/man1/ql5ctl.1$man_suffix" "share/man/man1/ql5sim.1$man_suffix"
  "share/man/man3/ql5discovery.3$man_suffix"
  share/bash-completion/completions/ql5ctl
  share/ansible/collections/ansible_collections/ql5/converters/galaxy.yml
)
with_ui=0
if [ "$mode" = deb ] || [ -x "$from/ui/QL5Config" ]; then
  with_ui=1
  expected+=(bin/QL5Config "share/man/man1/QL5Config.1$man_suffix"
             share/applications/ql5config.desktop
             share/icons/hicolor/16x16/apps/ql5config.png
             share/icons/hicolor/32x32/apps/ql5config.png
             share/icons/hicolor/scalable/apps/ql5config.svg
             share/metainfo/invalid.example.ql5config.metainfo.xml)
fi
for file in "${expected[@]}" "${zsh_dir#"$root"/}/_ql5ctl"; do
  [ -e "$root/$file" ] || fail "$file is missing from the installation"
done

# The Prometheus service runs the packaged ql5ctl (an installation under
# another prefix names the prefix it was configured for).
if [ "$mode" = deb ]; then
  grep -q "^ExecStart=.*[ ']/usr/bin/ql5ctl list --format prometheus " \
    "$root/../lib/systemd/system/ql5ctl-prometheus.service" ||
    fail "ql5ctl-prometheus.service does not run /usr/bin/ql5ctl"
else
  [ -f "$root/lib/systemd/system/ql5ctl-prometheus.timer" ] ||
    fail "lib/systemd/system/ql5ctl-prometheus.timer is missing from the installation"
fi

# The installed ql5ctl finds the installed library by itself.
library=$(ldd "$root/bin/ql5ctl" | awk '/libql5discovery/ {print $3}')
case $(realpath "$library") in
  "$(realpath "$root")"/*) ;;
  *) fail "installed ql5ctl loads libql5discovery from '$library', not from the installation" ;;
esac
version=$("$root/bin/ql5ctl" --version) || fail "installed ql5ctl --version failed"
[[ $version =~ ^ql5ctl\ [0-9.]+$ ]] || fail "installed ql5ctl --version printed '$version'"

# `man ql5ctl` finds the installed page by name and shows it without a
# complaint from man or groff; so do the other pages.
pages=(ql5ctl ql5sim "3 ql5discovery")
[ "$with_ui" -eq 0 ] || pages+=(QL5Config)
for page in "${pages[@]}"; do
  # shellcheck disable=SC2086
  page_path=$(MANPATH=$root/share/man man -w $page) || fail "man -w $page finds no page"
  case $page_path in "$root"/*) ;; *) fail "man $page shows $page_path, not the installed page" ;; esac
  # shellcheck disable=SC2086
  shown=$(MANPATH=$root/share/man LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings $page 2>&1 >/dev/null) ||
    fail "man $page failed"
  [ -z "$shown" ] || fail "man $page warns: $shown"
done
text=$(MANPATH=$root/share/man LC_ALL=C.UTF-8 MANWIDTH=80 man ql5ctl 2>/dev/null)
[[ $text == *"ql5ctl - find and configure QL5 serial-to-network converters"* ]] ||
  fail "man ql5ctl does not show ql5ctl's page"

# The completions load from where their shells look.
run_check() {
  local status=0
  "$@" || status=$?
  [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || fail "$(basename "$1") failed on the installation"
}
run_check "$here/completion_test.sh" "$root/share"
run_check "$here/zsh_completion_test.sh" "$zsh_dir"

# The desktop entry and the AppStream file as desktops and software centres
# read them.
if [ "$with_ui" -eq 1 ]; then
  desktop-file-validate "$root/share/applications/ql5config.desktop" ||
    fail "desktop-file-validate rejects the installed desktop entry"
  appstreamcli validate --no-net --pedantic \
    "$root/share/metainfo/invalid.example.ql5config.metainfo.xml" ||
    fail "appstreamcli rejects the installed AppStream file"
fi
echo "install_test: $mode installation checked"
