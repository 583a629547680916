#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Installs the program into a scratch root and runs that copy on Wayland: weston's headless compositor (drawn
# by pixman, so screenshots can be taken), no X display, a private session bus with the accessibility bus on
# it, and wayland.py driving every window and box. SHOTS=FOLDER keeps a screenshot of each.
#   wayland.sh <build folder>
. "$(dirname "$0")/session.sh"
unset DISPLAY XDG_DATA_HOME XDG_CONFIG_HOME
on_own_bus "$0" "$@"
scratch_folder
cmake --install "$1" --prefix "$scratch/usr" >/dev/null
export XDG_RUNTIME_DIR=$scratch/run HOME=$scratch/home WAYLAND_DISPLAY=tankedosan-$$ QT_QPA_PLATFORM=wayland
# The headless compositor has no seat, and Qt 6.4's Wayland text input then reads a keyboard that is not
# there as soon as a text box draws its cursor; a desktop always has a seat. No input method, then.
export QT_IM_MODULE=none
mkdir -m 700 "$XDG_RUNTIME_DIR" && mkdir "$HOME"
accessibility_on
printf '[core]\nidle-time=0\n[shell]\npanel-position=none\nlocking=false\nanimation=none\n' >"$scratch/weston.ini"
# --debug lets weston-debug read the scene graph and weston-screenshooter take pictures; the log holds every
# request of the program from its first, which tells each window's parent.
weston --backend=headless-backend.so --use-pixman --width=1280 --height=900 --socket="$WAYLAND_DISPLAY" \
       --debug --logger-scopes=log,proto -c "$scratch/weston.ini" --log="$scratch/weston.log" &
waits 10 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || { cat "$scratch/weston.log"; fail "weston did not start"; }
/usr/bin/python3 "$here/wayland.py" "$scratch/usr/bin/tankedosan" "$scratch/weston.log" ${SHOTS:+"$(realpath "$SHOTS")"} ||
  { grep -v '\[proto\]' "$scratch/weston.log" | tail -n 20; exit 1; }
[ -f "$HOME/.local/share/Tankedosan/nr.ini" ] || fail "nr.ini was not written on closing"
