# SPDX-License-Identifier: LicenseRef-Tankedosan
# The running program's windows as a screen reader (Orca) reads them over AT-SPI, each opened as a user opens
# it: every control has its role and a Swedish name, labels name their fields, the focus is told, the proverb,
# the editor's lines and a question's text can be read, and the question is answered with its own button.
#   atspi.py FOLDER   (the program's folder; the program runs on this display and session bus)
import contextlib, subprocess, sys, time

import pyatspi as R

lines = open(f"{sys.argv[1]}/Citat.dat", encoding="cp1252", newline="").read().split("\r\n")[:-1]
MAIN = f"Tankedosan -  {len(lines)} st"
CONTROLS = {R.ROLE_PUSH_BUTTON, R.ROLE_CHECK_BOX, R.ROLE_RADIO_BUTTON, R.ROLE_TEXT, R.ROLE_COMBO_BOX, R.ROLE_LIST,
            R.ROLE_MENU_ITEM, R.ROLE_SCROLL_BAR}
ENGLISH = {"Yes", "No", "Cancel", "Close", "Open", "Save", "Apply", "Help", "Discard", "Abort", "Retry"}
faults = []
fault = lambda what: faults.append(what) or print(what, flush=True)  # noqa: E731


def wait(what, probe, must=True):
    for _ in range(100):
        with contextlib.suppress(Exception):  # an object going away while it is asked
            if found := probe():
                return found
        time.sleep(0.1)
    if must:
        sys.exit(f"FAIL: {what}")


def window(caption):
    app = next(a for a in R.Registry.getDesktop(0) if a and a.name == "Tankedosan")
    return next((w for w in app if w.name == caption and w.getState().contains(R.STATE_SHOWING)), None)


def tree(a):  # a text box's or a list's parts are read as the box itself
    for c in a:
        yield c
        if c.getRole() not in (R.ROLE_TEXT, R.ROLE_LIST):
            yield from tree(c)


def find(w, wanted):  # by name, or the control of that role
    return next((c for c in tree(w) if c.getState().contains(R.STATE_SHOWING) and c.getRole() in CONTROLS
                 and wanted in (c.name, c.getRole())), None)


def targets(a, relation):
    return [r.getTarget(i) for r in a.getRelationSet() if r.getRelationType() == relation for i in range(r.getNTargets())]


def text(a):  # None where the box gives no text
    return a.queryText().getText(0, -1) if "Text" in a.get_interfaces() else None


def press(w, name):  # the button's first action, Press, as Orca presses it
    find(w, name).queryAction().doAction(0)


def keys(sequence):  # typed into the main window, brought to the front as a window manager would
    search = ["xdotool", "search", "--onlyvisible", "--name", f"^{MAIN}$"]  # X focuses mapped windows only
    main = wait(f"no window '{MAIN}'", lambda: subprocess.run(search, capture_output=True, text=True).stdout.split())
    subprocess.run(["xdotool", "windowfocus", "--sync", main[0]], check=True)
    if sequence:
        subprocess.run(["xdotool", "key", "--delay", "300", *sequence.split()], check=True)


def covers(over, under):
    a, b = (x.queryComponent().getExtents(R.DESKTOP_COORDS) for x in (over, under))
    return a.x <= b.x and a.y <= b.y and b.x + b.width <= a.x + a.width and b.y + b.height <= a.y + a.height


def check(w, caption, focused):
    wait(f"{caption}: focus", lambda: find(w, focused).getState().contains(R.STATE_FOCUSED), must=False)
    if w.getRole() not in (R.ROLE_FRAME, R.ROLE_DIALOG, R.ROLE_ALERT):
        fault(f"{caption}: the window is told as a {w.getRoleName()}, not as a window")
    seen = [c for c in tree(w) if c.getState().contains(R.STATE_SHOWING) or c.getRole() == R.ROLE_MENU_ITEM]
    for c in seen:
        role, where = c.getRole(), f"{caption}: {c.getRoleName()} '{c.name}'"
        if role in CONTROLS and (not c.name.strip() or c.name in ENGLISH):
            fault(f"{where} has no Swedish name")
        if role == R.ROLE_COMBO_BOX and not targets(c, R.RELATION_LABELLED_BY) and not c.description:
            fault(f"{where} has no label (its name is its value)")
        if role == R.ROLE_LABEL and c.name.endswith(":") and not targets(c, R.RELATION_LABEL_FOR):
            fault(f"{where} is the label of no field")
        if role == R.ROLE_LABEL and c.name and any(o.getRole() in CONTROLS and covers(o, c) for o in seen):
            fault(f"{where} is read, yet it lies hidden under another control")
        told, meant = c.getState().contains(R.STATE_FOCUSED), focused in (c.name, role)
        if role in CONTROLS and told != meant:
            fault(f"{where} is {'also' if told else 'not'} told focused")


def main_window(w):
    number = find(w, "Ordspråkets nummer")
    for _ in range(2):  # as it opens, and after a step
        n, shown = int(text(number)), text(find(w, "Ordspråk"))
        if shown != lines[n - 1]:
            fault(f"{MAIN}: the proverb box reads {shown!r}, proverb {n} of Citat.dat is {lines[n - 1]!r}")
        press(w, "Nästa")
        wait("Nästa does not step", lambda: text(number) == str(n % len(lines) + 1))


def editor(w):
    items = sorted(c.name for c in find(w, "Ordspråken i samlingen"))
    if items != sorted(lines):
        fault(f"the editor's list reads {len(items)} items, not the {len(lines)} lines: {items[:3]}")


def quick_save(w):
    saved, saved_box = lines[int(text(find(window(MAIN), "Ordspråkets nummer"))) - 1], find(w, "Sparade ordspråk:")
    if saved not in text(saved_box):
        fault(f"Snabbspara reads '{text(saved_box)}', not the proverb saved by F2")
    press(w, "Töm lista...")
    box = wait("no message box from Töm lista...", lambda: window("Töm lista?"))
    check(box, "Töm lista?", "Ja")
    said = " ".join(" ".join(c.name.split()) for c in tree(box) if c.getRole() == R.ROLE_LABEL)
    if said != "Detta kommer att tömma listan! Vill du göra detta?":
        fault(f"the message box 'Töm lista?' reads '{said}'")
    press(box, "Nej")
    wait("the message box stays after Nej", lambda: not window("Töm lista?"))
    if saved not in text(saved_box):
        fault("Snabbspara was emptied when Nej was pressed")


# Each window: how a user opens it (keys in the main window, or a button of an open window), its focused
# control, what else a reader must find in it, and the buttons that then close it and those beneath it.
for caption, opening, focused, more, closing in [
        (MAIN, "", "Nästa", main_window, []),
        ("Sökning", "F3", "Söktext", None, [("Sökning", "Avbryt")]),
        ("Redigera ordspråk", "alt+r Down Return", "Lägg till ordspråk:", editor, []),
        ("Importera från textfil", ("Redigera ordspråk", "Importera från fil..."), "/", None, # the drive's box
         [("Importera från textfil", "Stäng"), ("Redigera ordspråk", "Stäng")]),
        ("Snabbspara", "F2 alt+a Down Down Return", "Sparade ordspråk:", quick_save, [("Snabbspara", "Stäng")]),
        ("Texteditor", "alt+a Return", "Stäng", None, [("Texteditor", "Stäng")]),
        ("Hjälp", "F1", "Stäng", None, [("Hjälp", "Stäng")]),
        ("Om ...", "alt+h Up Return", "Om Tankedosan", None, [("Om ...", "OK")])]:
    keys(opening) if isinstance(opening, str) else press(window(opening[0]), opening[1])
    w = wait(f"no window '{caption}' over AT-SPI", lambda: window(caption))
    check(w, caption, focused)
    if more:
        more(w)
    for under, button in closing:
        press(window(under), button)
        wait(f"'{under}' stays open after {button}", lambda: not window(under))
keys("ctrl+q")
sys.exit(1 if faults else print("the screen reader's view is whole"))
