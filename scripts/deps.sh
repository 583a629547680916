# SPDX-License-Identifier: LicenseRef-Tankedosan
# Sourced by the project's scripts: installs the Debian packages that are missing, and nothing else.

# What scripts/check-package.sh checks the Debian package with (hardening-check is in devscripts).
PACKAGE_CHECK_PACKAGES=(lintian appstream desktop-file-utils devscripts)

need_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# librsvg2-bin renders the icons; dpkg-dev brings dpkg-shlibdeps, which gives the package its dependencies;
# qt6-translations-l10n holds Qt's own Swedish texts, which the program and its tests use.
BUILD_PACKAGES=(cmake make g++ qt6-base-dev libgl-dev qt6-qpa-plugins fonts-dejavu-core librsvg2-bin dpkg-dev
                qt6-translations-l10n)

# The program on Wayland, in GNOME's own styles, through the accessibility bus and under a window manager
# (openbox; xclip reads the clipboard; setxkbmap sets a Swedish keyboard), as GNOME, a screen reader and a keyboard user meet it.
# gdbus (libglib2.0-bin) asks the desktop's search as GNOME Shell and KRunner do, python3-gi stands in for Klipper,
# and gnome-shell itself searches through it once, headless.
DESKTOP_TEST_PACKAGES=(weston qt6-wayland adwaita-qt6 at-spi2-core python3-pyatspi dbus openbox xclip x11-xkb-utils
                       libglib2.0-bin python3-gi gnome-shell)

# scripts/fuzz.sh: clang 14, and libFuzzer's runtime for it (libclang_rt.fuzzer, with the sanitizers' runtimes).
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
