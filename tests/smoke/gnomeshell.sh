#!/usr/bin/env bash
# SPDX-License-Identifier: LicenseRef-Tankedosan
# One real search through GNOME Shell itself, headless (no GPU, no display), on a session bus of its own: the
# shell finds the provider by its file, has D-Bus start the program, types "hund" into its overview and then
# "hund vän", and shows our hits. GNOME Shell 43 runs the script that SHELL_PERF_MODULE names and then ends,
# which drives it here without its unsafe mode.
#   gnomeshell.sh <tankedosan executable> <folder with the desktop files>
set -euo pipefail
if [ "${1:-}" = --inner ]; then
  s=$2
  # The shell sees systemd's seats and asks logind on the system bus, which this bus stands in for.
  export DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
  dbus-monitor --session "interface='org.gnome.Shell.SearchProvider2'" >"$s/monitor.log" 2>&1 &
  sleep 1
  GJS_PATH=$s/js SHELL_PERF_MODULE=search RESULT=$s/result.txt \
    timeout 120 gnome-shell --headless --no-x11 --virtual-monitor 1280x800 >"$s/shell.log" 2>&1 || true
  exit 0
fi
command -v gnome-shell >/dev/null || { echo "FAIL: gnome-shell is one of the test packages"; exit 1; }
exe=$1 desktop=$2
s=$(mktemp -d)
trap 'rm -rf "$s"' EXIT
mkdir -p "$s"/{mapp,bin,run,home,js/perf} "$s"/xdg/{applications,gnome-shell/search-providers,dbus-1/services}
chmod 700 "$s/run"
printf 'Hunden är människans bästa vän\r\nTala är silver\r\nDen hund som skäller biter inte\r\n' >"$s/mapp/Citat.dat"
# GLib leaves out a desktop entry whose program is not on the path, and the shell its provider with it.
ln -s "$exe" "$s/bin/tankedosan"
cp "$desktop/org.example.tankedosan.desktop" "$s/xdg/applications/"
cp "$desktop/org.example.tankedosan.search-provider.ini" "$s/xdg/gnome-shell/search-providers/"
sed "s|^Exec=.*|Exec=$exe --mapp $s/mapp --sokleverantor|" "$desktop/org.example.tankedosan.SearchProvider.service.in" \
  >"$s/xdg/dbus-1/services/org.example.tankedosan.SearchProvider.service"
cat >"$s/js/perf/search.js" <<'EOF'
/* exported run, METRICS */
const { GLib } = imports.gi;
const Main = imports.ui.main;
const Scripting = imports.ui.scripting;
var METRICS = {};
async function run() {
    const lines = [];
    try {
        await Scripting.sleep(1000);
        Main.overview.show();
        await Scripting.sleep(1000);
        const view = Main.overview._overview._controls._searchController._searchResults;
        const ours = view._providers.find(p => p.appInfo?.get_id() === 'org.example.tankedosan.desktop');
        for (const terms of ['hund', 'hund vän']) {
            Main.overview.searchEntry.set_text(terms);
            for (let i = 0; i < 80 && (view.searchInProgress || !ours.display.getFirstResult()); i++)
                await Scripting.sleep(250);
            for (const child of ours.display._content.get_children())
                lines.push(`${terms}: ${child.metaInfo.id} ${child.metaInfo.name} (${child.metaInfo.description})`);
        }
    } catch (e) {
        lines.push(`error: ${e}`);
    } finally {
        GLib.file_set_contents(GLib.getenv('RESULT'), `${lines.join('\n')}\n`);
    }
}
EOF
(cd "$s" && env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME="$s/home" XDG_CONFIG_HOME="$s/home/.config" XDG_CACHE_HOME="$s/home/.cache" \
   XDG_DATA_HOME="$s/home/.local/share" XDG_RUNTIME_DIR="$s/run" XDG_DATA_DIRS="$s/xdg:/usr/share" \
   XDG_SESSION_TYPE=wayland GSETTINGS_BACKEND=memory PATH="$s/bin:$PATH" dbus-run-session -- "$0" --inner "$s")
expected="hund: Citat/1 Hunden är människans bästa vän (Citat, nr 1)
hund: Citat/3 Den hund som skäller biter inte (Citat, nr 3)
hund vän: Citat/1 Hunden är människans bästa vän (Citat, nr 1)"
if [ "$(cat "$s/result.txt" 2>/dev/null)" != "$expected" ] || ! grep -q 'member=GetSubsearchResultSet' "$s/monitor.log"; then
  echo "FAIL: GNOME Shell showed:"; cat "$s/result.txt" "$s/shell.log" 2>/dev/null | tail -40; exit 1
fi
echo "gnomeshell: GNOME Shell $(gnome-shell --version | cut -d' ' -f3) searched through the provider and narrowed"
