#!/usr/bin/env bash
# Installs the build into a temporary place and builds a small C program of
# someone else's against what was installed, with pkg-config and with CMake's
# find_package, then runs it and the installed ql5ctl.
#
#   install_test.sh prefix BUILD_DIR LIBDIR C_COMPILER [C_FLAG...]
#       cmake --install into a temporary prefix.
#   install_test.sh deb BUILD_DIR LIBDIR C_COMPILER [C_FLAG...]
#       cpack's Debian package, unpacked into a temporary root.
#
# C_FLAGs are given to every compile and link, so that a sanitizer build's
# library can be linked (it needs the sanitizer runtime too).
set -euo pipefail

mode=$1 build=$2 libdir=$3 cc=$4
shift 4
flags=("$@")
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "install_test: $*" >&2
  exit 1
}

case $mode in
  prefix)
    root=$work/prefix
    cmake --install "$build" --prefix "$root" >"$work/install.log" ||
      fail "cmake --install failed: $(cat "$work/install.log")"
    ;;
  deb)
    command -v dpkg-deb >/dev/null 2>&1 || { echo "install_test: no dpkg-deb" >&2; exit 77; }
    cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
      fail "cpack failed: $(cat "$work/cpack.log")"
    deb=$(ls "$work"/package/*.deb)
    dpkg-deb -f "$deb" Package Version Depends
    [ -n "$(dpkg-deb -f "$deb" Depends)" ] || fail "the package declares no dependencies"
    dpkg-deb -x "$deb" "$work/root"
    root=$work/root/usr
    ;;
  *)
    fail "unknown mode $mode"
    ;;
esac

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

# What every installation holds; the desktop utility only where it was built.
expected=(
  bin/ql5ctl bin/ql5sim
  include/ql5/discovery.h
  "$libdir/libql5discovery.so" "$libdir/libql5discovery.so.$library_major"
  "$libdir/libql5discovery.so.$library_version"
  "$libdir/pkgconfig/ql5discovery.pc"
  "$libdir/cmake/ql5discovery/ql5discoveryConfig.cmake"
  "$libdir/cmake/ql5discovery/ql5discoveryConfigVersion.cmake"
)
if [ -x "$build/ui/QL5Config" ]; then
  expected+=(bin/QL5Config share/applications/ql5config.desktop
             share/icons/hicolor/16x16/apps/ql5config.png
             share/icons/hicolor/32x32/apps/ql5config.png)
fi
for file in "${expected[@]}"; do
  [ -e "$root/$file" ] || fail "$file is missing from the installation"
done

# The installed ql5ctl finds the installed library by itself.
library=$(ldd "$root/bin/ql5ctl" | awk '/libql5discovery/ {print $3}')
case $(realpath "$library") in
  "$(realpath "$root")"/*) ;;
  *) fail "installed ql5ctl loads libql5discovery from '$library', not from the installation" ;;
esac
version=$("$root/bin/ql5ctl" --version) || fail "installed ql5ctl --version failed"
[[ $version =~ ^ql5ctl\ [0-9.]+$ ]] || fail "installed ql5ctl --version printed '$version'"

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
