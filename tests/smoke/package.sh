#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Makes the Debian package, unpacks it into a scratch root and starts it under Xvfb for a user with an empty
# home: the first start seeds the user's folder from the samples, the second keeps the user's own Citat.dat.
#   package.sh <cpack> <build folder> <folder with the sample data> <version>
. "$(dirname "$0")/session.sh"
in_xvfb "$0" "$@"
cpack=$1 build=$2 data=$3 version=$4
scratch_folder
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/pkg/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins; do
  grep -qE "(^|, )$lib( |,|\$)" <<<"$depends" || fail "the package does not depend on $lib"
done
dpkg -x "$deb" "$scratch/root"
root=$scratch/root/usr
for f in bin/tankedosan share/tankedosan/Citat.dat share/tankedosan/Djur.dat share/tankedosan/help.txt \
         share/tankedosan/help-shipped.sha256 share/applications/org.example.tankedosan.desktop \
         share/metainfo/org.example.tankedosan.metainfo.xml share/icons/hicolor/scalable/apps/tankedosan.svg \
         share/man/man1/tankedosan.1.gz share/man/sv/man1/tankedosan.1.gz share/doc/tankedosan/copyright \
         share/doc/tankedosan/changelog.Debian.gz share/lintian/overrides/tankedosan \
         share/bash-completion/completions/tankedosan share/doc/tankedosan/examples/tankedosan-dagens.desktop; do
  [ -f "$root/$f" ] || fail "the package lacks $f"
done
# The proverb of the day at login is each user's choice: nothing in the system-wide autostart.
[ ! -e "$scratch/root/etc/xdg/autostart" ] || fail "the package starts something at every login"
for size in 16 32 48 128 256; do
  png=$root/share/icons/hicolor/${size}x${size}/apps/tankedosan.png
  [ -f "$png" ] || fail "the package lacks the ${size} px icon"
  # A PNG's width and height stand big-endian at bytes 16 to 23.
  [ "$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] ||
    fail "the ${size} px icon has another size"
done
grep -qE '(^|, )qt6-wayland(,|$)' <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "the package does not recommend qt6-wayland"
grep -qx 'Categories=Utility;' "$root/share/applications/org.example.tankedosan.desktop" || fail "the desktop entry's category"
exe=$root/bin/tankedosan

export HOME=$scratch/home
unset XDG_DATA_HOME XDG_CONFIG_HOME QT_QPA_PLATFORM
mkdir -p "$HOME"
user=$HOME/.local/share/Tankedosan

# --version needs no display and names the folder in use, the user's own, without creating it.
expected=$(printf 'Tankedosan %s\nMapp: %s' "$version" "$user")
[ "$(env -u DISPLAY "$exe" --version)" = "$expected" ] || fail "--version printed '$(env -u DISPLAY "$exe" --version)'"
[ ! -e "$user" ] || fail "--version created $user"

start_and_close "$exe" "$(tr -cd '\r' < "$data/Citat.dat" | wc -c)"
for f in Citat.dat Djur.dat help.txt; do
  cmp -s "$data/$f" "$user/$f" || fail "the first start did not copy $f into $user"
done
[ -f "$user/nr.ini" ] || fail "nr.ini was not written into the user's folder"
[ "$(ls "$root/bin")" = tankedosan ] || fail "the program wrote beside its installed executable"
# The terminal reads the same folder, without a display.
[ "$(env -u DISPLAY "$exe" --samlingar | cut -f1 | tr '\n' ' ')" = "Citat Djur " ] || fail "--samlingar printed '$(env -u DISPLAY "$exe" --samlingar)'"

# The user's own Citat.dat stays as it is on the next start, and a deleted sample stays away.
printf 'Egen rad ett\r\nEgen rad två\r\nEgen rad tre\r\n' > "$user/Citat.dat"
rm "$user/Djur.dat"
start_and_close "$exe" 3
[ "$(tr -cd '\r' < "$user/Citat.dat" | wc -c)" -eq 3 ] || fail "the user's Citat.dat was replaced"
[ ! -e "$user/Djur.dat" ] || fail "a sample the user deleted came back"
echo "package test passed"
