// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QtCore/qnamespace.h>

class QKeyEvent;
class QWidget;

namespace tankedosan::widgets {

// The keys of an ordinary desktop program, the same in every window: Enter, Tab, the Alt letters, Escape, and
// where the focus goes when a window closes.

// The keys of the window, called once its controls and menus exist. No button is a default button, so Enter in
// a text box keeps the role the box gives it; Enter on a focused button presses that button; Tab leaves a
// multi-line box instead of typing a tab and enters a group of options at the chosen one; every button, option, check box, labelled control and menu entry
// gets an Alt letter of its own caption (underlined, the caption otherwise unchanged), none twice in a window.
void keyboard(QWidget *window);

// Escape leaves the window open: a window that may hold unsaved work is closed only by its own buttons.
void escapeKeepsOpen(QWidget *window);

// A window closing while it has the focus hands the focus back to the window it was opened from. A desktop's
// window manager does so by itself; without one the X server gives it to no window, and the keys go nowhere.
void focusReturnsToOwner();

// Enter, of the main keys or the keypad, with no modifier held: the key that confirms a box or presses a button.
inline bool isEnter(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return (key == Qt::Key_Return || key == Qt::Key_Enter) && (modifiers & ~Qt::KeypadModifier) == Qt::NoModifier;
}
bool isEnter(const QKeyEvent *key);

} // namespace tankedosan::widgets
