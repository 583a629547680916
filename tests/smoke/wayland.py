#!/usr/bin/python3
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Drives the installed program on weston through its accessible tree, as a screen reader's user would, and
# asks the compositor about each window: every window and each kind of box opens on top, as the child of the
# window it belongs to (where a desktop such as GNOME or KDE centres it: on Wayland a program cannot place its
# windows, and weston places them anywhere), and closes again. Run by wayland.sh inside weston and a private
# session bus; weston's log, with its protocol dump, is WESTON_LOG.
#   wayland.py EXECUTABLE WESTON_LOG [SCREENSHOT_FOLDER]
import os, re, subprocess, sys, time
import pyatspi

exe, protocol, shots = (sys.argv[1:] + [None])[:3]


def fail(message):
    print("FAIL: " + message)
    print("windows on weston, topmost first:", views())
    if shots:
        screenshot("failed")
    sys.exit(1)


def wait(what, find, seconds=10):
    for _ in range(int(seconds * 10)):
        if found := find():
            return found
        time.sleep(0.1)
    fail(what)


def views():
    # The compositor's own list of windows, topmost first: (title, left, top, right, bottom).
    graph = subprocess.run(["weston-debug", "scene-graph"], capture_output=True, text=True, timeout=10).stdout
    return [(m[1], *map(int, m.group(2, 3, 4, 5))) for m in
            re.finditer(r"role xdg_toplevel, PID \d+, surface ID \d+, top-level window '([^']*)'.*\n"
                        r"\s*position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\)", graph)]


def screenshot(name):
    before = set(os.listdir(shots))
    subprocess.run(["weston-screenshooter"], cwd=shots, check=True, timeout=20)
    for new in set(os.listdir(shots)) - before:
        os.replace(os.path.join(shots, new), os.path.join(shots, name.replace("/", "-") + ".png"))


def parent_title(title):
    # The last toplevel given that title, and the title its parent carries now.
    log = open(protocol, encoding="utf-8").read()
    titles = dict(re.findall(r"(xdg_toplevel@\d+)\.set_title\(\"(.*)\"\)", log))
    child = [toplevel for toplevel, t in titles.items() if t == title][-1:]
    parent = re.findall(re.escape(child[0]) + r"\.set_parent\((xdg_toplevel@\d+|nil)\)", log) if child else []
    return titles.get(parent[-1]) if parent else None


def find(node, role, name, depth=0):
    # Depth first below node, node itself left out.
    for child in (node if node is not None and depth < 12 else []):
        hit = child if child.getRole() == role and child.name == name else find(child, role, name, depth + 1)
        if hit:
            return hit
    return None


def application():
    return next((app for app in pyatspi.Registry.getDesktop(0) if app is not None and app.name == "Tankedosan"), None)


def press(window, path, detached):
    # A menu entry's action runs the window it opens before it answers: press it from a process of its own.
    if detached:
        return subprocess.Popen([sys.executable, __file__, "--press", window, *path])
    node = wait(f"no window '{window}'", lambda: next((w for w in application() if w.name == window), None))
    for role, name in zip(path[::2], path[1::2]):
        node = wait(f"no {role} '{name}'", lambda: find(node, getattr(pyatspi, role), name))
    node.queryAction().doAction(0)


if sys.argv[1] == "--press":
    press(sys.argv[2], sys.argv[3:], False)
    sys.exit(0)

program = subprocess.Popen([exe])
main_title = wait("no main window on weston", lambda: next((v[0] for v in views() if v[0].startswith("Tankedosan - ")), None))
print(f"seen on weston: '{main_title}'")
MENU, BUTTON = "ROLE_MENU_ITEM", "ROLE_PUSH_BUTTON"
# What opens a window, its caption, what closes it, and the window it belongs to.
steps = [
    ([BUTTON, "Sök"], "Sökning", [BUTTON, "Avbryt"], main_title),
    ([MENU, "Redigera", MENU, "Redigera ordspråk-listan..."], "Redigera ordspråk", None, main_title),
    ([BUTTON, "Importera från fil..."], "Importera från textfil", [BUTTON, "Stäng"], "Redigera ordspråk"),
    ([BUTTON, "Sök dubletter"], "Dublettkontroll", [BUTTON, "OK"], "Redigera ordspråk"),
    (None, None, [BUTTON, "Stäng"], None),
    ([MENU, "Arkiv", MENU, "Öppna snabbspara-listan..."], "Snabbspara", [BUTTON, "Stäng"], main_title),
    ([MENU, "Arkiv", MENU, "Öppna text..."], "Texteditor", [BUTTON, "Stäng"], main_title),
    ([MENU, "Hjälp", MENU, "Hjälp"], "Hjälp", [BUTTON, "Stäng"], main_title),
    ([MENU, "Hjälp", MENU, "Om ..."], "Om ...", [BUTTON, "OK"], main_title),
    # Asked while another program's window is in front, as when a box comes up after the user went elsewhere.
    ([BUTTON, "Ny"], "Ny ordspråkfil", [BUTTON, "Avbryt"], main_title),
    ([MENU, "Arkiv", MENU, "Radera aktuellt ordspråk..."], "Ta bort", [BUTTON, "Nej"], main_title),
]
pressers = []
for number, (opener, title, closer, parent) in enumerate(steps):
    if title == "Ny ordspråkfil":
        other = subprocess.Popen(["weston-simple-shm"], stdout=subprocess.DEVNULL)
        wait("another program's window did not come to the front", lambda: views()[0][0] != main_title)
    if opener:
        pressers.append(press(main_title if title == "Ny ordspråkfil" else views()[0][0], opener, opener[0] == MENU))
        top = wait(f"'{title}' did not open on top", lambda: (v := views()) and v[0][0] == title and v)
        if parent_title(title) != parent:
            fail(f"'{title}' is not a child of '{parent}' but of '{parent_title(title)}'")
        print(f"'{title}' on top, a child of '{parent}'")
        if shots:
            screenshot(f"{number:02}-{title}")
    if closer:
        closed = views()[0][0]
        press(closed, closer, False)
        wait(f"'{closed}' did not close", lambda: closed not in [v[0] for v in views()] or views()[0][0] != closed)
    if title == "Ny ordspråkfil":
        other.kill()
        wait("the other program's window stayed", lambda: views()[0][0] == main_title)

press(views()[0][0], [MENU, "Arkiv", MENU, "Avsluta"], True)
if program.wait(timeout=20) != 0:
    fail(f"the program ended with status {program.returncode}")
for presser in filter(None, pressers):
    presser.kill()
print("wayland test passed")
