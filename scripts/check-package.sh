#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Builds the Debian package the way Debian builds its own, with dpkg-buildflags and every hardening feature
# (stack protector, _FORTIFY_SOURCE, full RELRO with BIND_NOW, PIE), and checks it as a Debian maintainer
# would: lintian (errors and warnings fail, notes are shown), appstreamcli validate, desktop-file-validate and
# hardening-check. Each tool's own output is in the log. The build folder is build-deb (PACKAGE_BUILD_DIR);
# the package is left in it, under pkg/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/deps.sh"
need_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_CHECK_PACKAGES[@]}"
build=${PACKAGE_BUILD_DIR:-$here/build-deb}
section() { printf '\n=== %s\n' "$*"; }

section "dpkg-buildflags (DEB_BUILD_MAINT_OPTIONS=hardening=+all)"
cd "$here" # the flags map this folder to "." in the debugging information
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
echo "CXXFLAGS: $cxxflags"
echo "LDFLAGS:  $ldflags"

section "build"
# Build type None: the optimisation and debugging flags are Debian's alone. Only the program and what it
# installs are built; the tests are scripts/test.sh's.
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
      -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j2 --target tankedosan
rm -rf "$build/pkg"
(cd "$build" && cpack -G DEB -B "$build/pkg" >/dev/null)
deb=$(ls "$build"/pkg/*.deb)
echo "$deb"
root=$build/pkg/root
dpkg -x "$deb" "$root"
failed=()

section "lintian $(lintian --version | cut -d' ' -f2)"
# Overridden tags are listed ("O:", each with its reason) but, like notes ("I:"), do not fail.
report=$(lintian --fail-on none --display-info --show-overrides "$deb" 2>&1) || failed+=(lintian)
echo "$report"
if grep -qE '^[EW]: ' <<<"$report"; then failed+=(lintian); else echo "lintian: no errors and no warnings"; fi

section "appstreamcli validate ($(appstreamcli --version | head -n1))"
appstreamcli validate --no-net --pedantic --explain "$root"/usr/share/metainfo/*.metainfo.xml || failed+=(appstreamcli)

section "desktop-file-validate"
for desktop in "$root"/usr/share/applications/*.desktop; do
  desktop-file-validate "$desktop" && echo "$(basename "$desktop"): no problems" || failed+=(desktop-file-validate)
done

section "hardening-check"
# Every report first. Two of its lines do not decide: Debian 12's dpkg-buildflags does not ask for control
# flow protection (-fcf-protection), and "Fortify Source functions" can only see a checked call where the
# compiler knows the size of the buffer; this program's memcpy, memmove and memset work on sizes known only
# at run time (Qt's containers), which the manual page of hardening-check names as a false alarm. That the
# code was compiled with _FORTIFY_SOURCE is checked in the build's flags instead.
# The executable and the window's library it loads.
binaries=("$root/usr/bin/tankedosan" "$root/usr/lib/tankedosan/window/libtankedosan-window.so"
          "$root/usr/lib/tankedosan/dbus/libtankedosan-dbus.so")
hardening-check --verbose "${binaries[@]}" || true
hardening-check --quiet --nofortify --nocfprotection "${binaries[@]}" || failed+=(hardening-check)
flags=$(cat "$build"/src/CMakeFiles/tankedosan*.dir/flags.make | grep '^CXX_FLAGS')
for flag in -D_FORTIFY_SOURCE=2 -O2 -fstack-protector-strong; do
  grep -q -- "$flag" <<<"$flags" && [ "$(grep -c -- "$flag" <<<"$flags")" -eq "$(wc -l <<<"$flags")" ] &&
    echo "every object of the program was compiled with $flag" || failed+=("$flag")
done

if [ ${#failed[@]} -ne 0 ]; then
  section "failed: ${failed[*]}"
  exit 1
fi
section "package checks passed: $(basename "$deb")"
