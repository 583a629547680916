#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Starts the real program under Xvfb on a session bus of its own with the accessibility bus running, and lets
# atspi.py read every window over AT-SPI as a screen reader does.
#   atspi.sh <tankedosan executable> <folder with the sample data>
. "$(dirname "$0")/session.sh"
in_xvfb "$0" "$@"
on_own_bus "$0" "$@"
accessibility_on
program_folder "$1" "$2" 3
opens "$folder/tankedosan" "Tankedosan -  $(tr -cd '\r' <"$folder/Citat.dat" | wc -c) st"
/usr/bin/python3 "$here/atspi.py" "$folder" || fail "the screen reader's view, above"
ends "from Arkiv > Avsluta"
echo "accessibility test passed"
