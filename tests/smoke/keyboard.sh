#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# The real program on a real X display used by the keyboard alone, as by someone who cannot use a mouse: key
# events go to whichever window has the focus, and after each step the window expected must be the active one.
# It steps through a collection, searches and takes a hit, adds, removes and imports a line in the editor, saves,
# closes every window by its keys and quits from the menu; then the collection file must hold exactly those lines.
# A small window manager runs beside it, as focus on a desktop comes from one; KEYBOARD_NO_WM=1 leaves it out.
#   keyboard.sh <tankedosan executable> <folder with the sample data>
. "$(dirname "$0")/session.sh"
in_xvfb "$0" "$@"
# The Swedish layout, as our users type: å, ä and ö are keys of their own. On another layout xdotool lends a key
# to each for the moment it is typed, and a loaded program may read the key before it learns the loan (ä lost).
setxkbmap se || fail "setxkbmap se"
for tool in openbox xclip iconv; do command -v $tool >/dev/null || fail "$tool is missing (scripts/test.sh installs it)"; done
program_folder "$1" "$2" 1
cd "$folder" # the import window starts in the folder the program was started from

# The window with the focus, and its place and size.
focused() { xdotool getactivewindow "$@" 2>/dev/null; }
if [ -z "${KEYBOARD_NO_WM:-}" ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  waits 5 xdotool get_desktop >/dev/null 2>&1 || fail "openbox did not come up" # ready once it names a desktop
else
  focused() { xdotool getwindowfocus "$@" 2>/dev/null; }
fi
active() { focused getwindowname; }
active_geometry() { focused getwindowgeometry --shell | sed -n 's/^[XYWIDTHEG]*=//p'; }

# keys WINDOW KEY...: the keys to the focused window, then WINDOW (a caption) must be the active one.
keys() {
  local want=$1
  shift
  [ $# -eq 0 ] || { xdotool key --delay 80 "$@" && sleep 0.3; }
  settles "after '$*' the active window" "$want" active
}
# copied TEXT: "Kopiera" (Alt+K) puts the proverb the main window shows, which must be TEXT, on the clipboard.
copied() { xdotool key alt+k && settles "the proverb shown" "$1" xclip -o -selection clipboard; }
# centred [OVER]: the active window stands centred over the window captioned OVER, as Qt places a box over its
# window, or on the screen, where the program places each of its windows.
centred() {
  local x y w h px=0 py=0 pw ph
  read -r -d '' x y w h < <(active_geometry) || true
  if [ $# -eq 0 ]; then read -r pw ph < <(xdotool getdisplaygeometry); else
    read -r -d '' px py pw ph < <(xdotool search --name "^$1\$" getwindowgeometry --shell | sed -n 's/^[XYWIDTHEG]*=//p') || true
  fi
  local dx=$((x + w / 2 - px - pw / 2)) dy=$((y + h / 2 - py - ph / 2))
  # A window manager moves a window down by its title bar.
  [ "${dx#-}" -le 32 ] && [ "${dy#-}" -le 48 ] || fail "'$(active)' at $x,$y ${w}x$h is not centred over ${1:-the screen}"
}
typed() { xdotool type --delay 40 "$1"; }
tabs() { for _ in $(seq 1 "$1"); do echo Tab; done; }
# line N of FILE as the display shows it
line() { sed -n "${1}p" "$2" | tr -d '\r' | iconv -f WINDOWS-1252 -t UTF-8; }
# holds LINE...: the collection's file holds exactly these lines, each in Windows-1252 and ending in CR LF
holds() {
  cmp -s <(LC_ALL=C sort Citat.dat) <(printf '%s\r\n' "$@" | LC_ALL=C sort) ||
    fail "Citat.dat differs from what was saved: $(diff <(LC_ALL=C sort Citat.dat | od -c) \
      <(printf '%s\r\n' "$@" | LC_ALL=C sort | od -c) | head -n 6)"
}
readarray -t lines < <(tr -d '\r' < Citat.dat)
count=${#lines[@]}
main="Tankedosan -  $count st"

opens "$folder/tankedosan" "$main" # keys alone from here
keys "$main"

# Stepping: "Förra" from the first wraps to the last, "Nästa" back; a full round of Tab lands on "Nästa" again.
keys "$main" alt+f
copied "$(line "$count" Citat.dat)"
keys "$main" alt+n alt+n
copied "$(line 2 Citat.dat)"
keys "$main" $(tabs 10) Return
copied "$(line 3 Citat.dat)"
# The desktop's keys on a button: Page Down and Right step on, Left back; Ctrl+C copies what "Kopiera" does.
keys "$main" Next Right Left
xdotool key ctrl+c && settles "the proverb Ctrl+C copies" "$(line 4 Citat.dat)" xclip -o -selection clipboard

# The search window opens on its text box, where a round of Tab comes back to; Enter searches, "OK" takes the
# hits, which become the list shown. Escape keeps the window (its results may be unsaved), "Avbryt" closes it.
keys Sökning F3
centred
keys Sökning $(tabs 8)
typed kockar
keys Sökning Return
keys "Tankedosan - sökresultat - 1 st" alt+o
keys "Tankedosan - sökresultat - 1 st" alt+n
copied "$(line "$(grep -an kockar Citat.dat | cut -d: -f1)" Citat.dat)"
keys Sökning F3 Escape
keys "Tankedosan - sökresultat - 1 st" alt+v

# The editor (Redigera > Redigera ordspråk-listan) opens on its add box, where a round of Tab comes back to; a
# line is added by Enter, another found (the find box) and removed (Radera markerad, asked first); "Spara" saves.
added='Tyst i klassen, sa läraren på måndag.'
keys "Redigera ordspråk" alt+r r
keys "Redigera ordspråk" $(tabs 14)
typed "$added"
keys "Redigera ordspråk" Return Tab Tab
typed 'Borta bra'
keys "Radera?" alt+r
centred "Redigera ordspråk"
keys "Redigera ordspråk" Return
keys "Redigera ordspråk" alt+s
kept=("${lines[@]:1}" "$(iconv -f UTF-8 -t WINDOWS-1252 <<<"$added")")
[ "${lines[0]}" = "$(printf 'Borta bra men hemma b\xe4st.')" ] || fail "the sample collection has changed"
holds "${kept[@]}"

# The import window, from the editor: a pattern (Filtyper, and a round of Tab back to it), the file chosen in its
# list, one of its lines marked in the list of lines and added; Escape closes it, back to the editor; saved again.
printf 'Hellre en fågel i handen, sa grävlingen.\nBättre sent än aldrig, sa grävlingen.\n' > nya.txt
keys "Importera från textfil" alt+i
keys "Importera från textfil" alt+f $(tabs 11) # the encoding's box too: help.txt, read first, is no UTF-8
typed nya.txt
keys "Importera från textfil" Return Tab Tab Tab Down $(tabs 5) Down alt+l
keys "Redigera ordspråk" Escape
keys "Redigera ordspråk" alt+s
kept+=("$(printf 'B\xe4ttre sent \xe4n aldrig, sa gr\xe4vlingen.')")
holds "${kept[@]}"

# Escape keeps the editor open (it may hold unsaved work); "Stäng" closes it, and the main window has the
# focus again, its caption with the new count; Arkiv > Avsluta ends the program.
keys "Redigera ordspråk" Escape
keys "Tankedosan -  $((count + 1)) st" alt+n
xdotool key --delay 200 alt+a a
ends "after Arkiv > Avsluta"
holds "${kept[@]}"
[ "$(cat nr.ini)" = $'1\r' ] || fail "nr.ini holds '$(od -c nr.ini)'"
echo "keyboard test passed"
