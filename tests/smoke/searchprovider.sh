#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# The desktop's search as GNOME Shell and KRunner ask it, with Debian's own D-Bus client (gdbus) in the
# desktop's place: the package unpacked, its service started by D-Bus itself from the package's service file
# on a session bus of the test's own, a Klipper of the test's own for "Kopiera", and the windows a hit and a
# search open, under Xvfb.
#   searchprovider.sh <cpack> <build folder>
. "$(dirname "$0")/session.sh"
in_xvfb "$0" "$@"
cpack=$1 build=$2
scratch_folder
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
dpkg -x "$(ls "$scratch"/pkg/*.deb)" "$scratch/root"
share=$scratch/root/usr/share name=org.example.tankedosan.SearchProvider path=/org/example/tankedosan/SearchProvider

# The three files, each naming the others as the desktops look them up.
service=$share/dbus-1/services/$name.service
[ "$(grep '^Exec=' "$service")" = "Exec=/usr/bin/tankedosan --sokleverantor" ] || fail "the service file: $(cat "$service")"
ini=$share/gnome-shell/search-providers/org.example.tankedosan.search-provider.ini
for line in "BusName=$name" "ObjectPath=$path" "Version=2"; do grep -qx "$line" "$ini" || fail "$ini lacks $line"; done
[ -f "$share/applications/$(sed -n 's/^DesktopId=//p' "$ini")" ] || fail "the provider names no installed desktop entry"
runner=$share/krunner/dbusplugins/org.example.tankedosan.desktop
for line in X-Plasma-API=DBus "X-Plasma-DBusRunner-Service=$name" "X-Plasma-DBusRunner-Path=$path"; do
  grep -qx "$line" "$runner" || fail "$runner lacks $line"
done

# D-Bus starts the unpacked copy as it would start the installed one.
mkdir -p "$scratch/services"
sed "s|^Exec=/usr/bin/|Exec=$scratch/root/usr/bin/|" "$service" >"$scratch/services/$name.service"
cat >"$scratch/bus.xml" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <include>/usr/share/dbus-1/session.conf</include>
  <servicedir>$scratch/services</servicedir>
</busconfig>
EOF
export HOME=$scratch/home
unset XDG_DATA_HOME XDG_CONFIG_HOME QT_QPA_PLATFORM
user=$HOME/.local/share/Tankedosan
mkdir -p "$user"
# Windows-1252 with CR LF, UTF-8 with LF, and a text of fortune's with its index.
printf 'Hunden \xe4r m\xe4nniskans b\xe4sta v\xe4n\r\n\xc4rlig HUND varar l\xe4ngst\r\nKatten och hunden\r\n' >"$user/Citat.dat"
printf 'Hundar som sk\xc3\xa4ller biter inte\n\xc3\x85snan \xc3\xa4r envis\n' >"$user/Djur.dat"
printf 'Hunden sover\n  i solen.\n%%\nEn katt\n%%\n' >"$user/dikter"
strfile -s "$user/dikter"
printf '1\r\n' >"$user/nr.ini"
bus_pid=$(dbus-daemon --config-file="$scratch/bus.xml" --fork --print-address=3 --print-pid 3>"$scratch/address")
trap 'kill $bus_pid $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$scratch/address")

call() { gdbus call --session --dest "$name" --object-path "$path" --method "$@" 2>&1 || true; }
# expect WHAT WANT METHOD ARGS...: the reply is WANT.
expect() { local got; got=$(call "${@:3}"); [ "$got" = "$2" ] || fail "$1: got $got, not $2"; }
shell=org.gnome.Shell.SearchProvider2 kde=org.kde.krunner1

hund="['Citat/1', 'dikter/1', 'Djur/1', 'Citat/2', 'Citat/3']"
expect "hund, beginnings first" "($hund,)" $shell.GetInitialResultSet "['hund']"
expect "ÅÄÖ" "(['Citat/2'],)" $shell.GetInitialResultSet "['ÄRLIG']"
expect "a letter" "(@as [],)" $shell.GetInitialResultSet "['h']"
expect "narrowed" "(['Citat/3'],)" $shell.GetSubsearchResultSet "$hund" "['hund', 'katt']"
expect "metas" "([{'clipboardText': <'Hunden sover\\n  i solen.'>, 'description': <'dikter, nr 1'>, 'gicon': <'tankedosan'>, 'id': <'dikter/1'>, 'name': <'Hunden sover i solen.'>}, {'clipboardText': <'Ärlig HUND varar längst'>, 'description': <'Citat, nr 2'>, 'gicon': <'tankedosan'>, 'id': <'Citat/2'>, 'name': <'Ärlig HUND varar längst'>}],)" \
  $shell.GetResultMetas "['dikter/1', 'Citat/2', 'Saknas/1']"
expect "Match" "([('Citat/3', 'Katten och hunden', 'tankedosan', 30, 0.5, {'actions': <['kopiera']>, 'subtext': <'Citat, nr 3'>})],)" \
  $kde.Match "katt HUND"
expect "Actions" "([('kopiera', 'Kopiera', 'edit-copy')],)" $kde.Actions
# Changed between two calls: read again, at its numbers of now.
printf 'Hund i ny rad\n' | cat - "$user/Djur.dat" >"$scratch/Djur" && mv "$scratch/Djur" "$user/Djur.dat"
expect "changed" "(['Citat/1', 'dikter/1', 'Djur/1', 'Djur/2', 'Citat/2', 'Citat/3'],)" $shell.GetSubsearchResultSet "$hund" "['hund']"

# "Kopiera" gives the proverb to Klipper.
/usr/bin/python3 - "$scratch/copied" <<'EOF' &
import sys
from gi.repository import Gio, GLib
node = Gio.DBusNodeInfo.new_for_xml('<node><interface name="org.kde.klipper.klipper"><method name="setClipboardContents">'
                                    '<arg type="s" direction="in"/></method></interface></node>')
def called(connection, sender, path, interface, method, args, invocation):
    open(sys.argv[1], 'w').write(args[0])
    invocation.return_value(None)
    GLib.timeout_add(100, loop.quit)
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
bus.register_object('/klipper', node.interfaces[0], called)
Gio.bus_own_name_on_connection(bus, 'org.kde.klipper', Gio.BusNameOwnerFlags.NONE, None, None)
loop = GLib.MainLoop()
GLib.timeout_add(15000, loop.quit)
loop.run()
EOF
waits 5 gdbus call --session --dest org.freedesktop.DBus --object-path / --method org.freedesktop.DBus.GetNameOwner \
  org.kde.klipper >/dev/null 2>&1 || fail "the test's Klipper did not come up"
expect "Run kopiera" "()" $kde.Run "dikter/1" "kopiera"
settles "what Klipper holds" "$(printf 'Hunden sover\n  i solen.')" cat "$scratch/copied"

# A hit opens the window at its proverb: its caption counts the collection, and the number it closes on is that
# of the hit.
expect "ActivateResult" "()" $shell.ActivateResult "Djur/2" "['hund']" 0
settles "the window of the hit" "Tankedosan -  3 st" xdotool search --onlyvisible --name "^Tankedosan - " getwindowname
waits 5 xdotool search --onlyvisible --name "^Tankedosan - " windowfocus --sync 2>/dev/null || fail "no focus"
xdotool key --delay 100 alt+a && sleep 0.3 && xdotool key --delay 100 Up Return
settles "the number the window closed on" "$(printf '2\r')" cat "$user/nr.ini"
# LaunchSearch opens the window's search with the terms searched.
expect "LaunchSearch" "()" $shell.LaunchSearch "['katt', 'hund']" 0
settles "the search window" "Sökning" xdotool search --onlyvisible --name "^Sökning\$" getwindowname

# An empty folder finds nothing; the service ends by itself a minute after the last call.
rm "$user"/*.dat
expect "empty folder" "(@as [],)" $shell.GetInitialResultSet "['hund']"
owned() { gdbus call --session --dest org.freedesktop.DBus --object-path / --method org.freedesktop.DBus.NameHasOwner "$name"; }
[ "$(owned)" = "(true,)" ] || fail "the service is not running"
sleep 55
[ "$(owned)" = "(true,)" ] || fail "the service ended before a minute had gone"
waits 15 eval '[ "$(owned)" = "(false,)" ]' || fail "the service still runs a minute after the last call"
echo "searchprovider: every call answered as the desktops expect"
