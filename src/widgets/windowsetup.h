// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QSize>
#include <QString>

#include <functional>

class QAbstractItemView;
class QDialog;
class QKeyEvent;
class QListWidget;
class QPlainTextEdit;
class QWidget;

// What every window shares: the keys of an ordinary desktop program, a place in the middle of the screen, and
// for the fixed dialogs no resizing and no minimise or maximise box.
namespace windowsetup {

// A fixed-size dialog with the given client area (twips): no resizing, no minimise or maximise box.
void fixedDialog(QDialog *dialog, QSize clientTwips);

// The keys of the window, called once its controls and menus exist. No button is a default button, so Enter in
// a text box keeps the role the box gives it; Enter on a focused button presses that button; Tab leaves a
// multi-line box instead of typing a tab and enters a group of options at the chosen one; every button, option, check box, labelled control and menu entry
// gets an Alt letter of its own caption (underlined, the caption otherwise unchanged), none twice in a window.
void keyboard(QWidget *window);

// The lists of the window draw their lines in the colours of a window in front whether or not they have the
// focus. Qt draws a list without focus in the colours of a window behind, and some styles (Adwaita, light and
// dark) make those the pale ones of disabled text, so the lines of a list read poorly beside its own text box.
void readableLists(QWidget *window);

// Escape leaves the window open: a window that may hold unsaved work is closed only by its own buttons.
void escapeKeepsOpen(QWidget *window);

// A window closing while it has the focus hands the focus back to the window it was opened from. A desktop's
// window manager does so by itself; without one the X server gives it to no window, and the keys go nowhere.
void focusReturnsToOwner();

// Moves the window to the middle of the screen it is (or its parent is) on.
void centreOnScreen(QWidget *window);

// Runs `again` when the user clicks the entry that is already the list's current one, the way to read a chosen
// file anew. A click on another entry changes the current row, which the window handles on its own.
void onClickAgain(QListWidget *list, std::function<void()> again);

// The row a list shows as marked: its current row when that is also selected, else -1. A mouse press moves
// the current row before it selects, so the current row alone may be one the user has not marked.
int markedRow(const QAbstractItemView *list);

// "N st ordspråk.", the count under the editor's list.
QString proverbCountLabel(int count);

// The text of a multi-line box as typed, lines joined by LF. Unlike toPlainText it keeps no-break spaces,
// which the box would otherwise hand back as plain blanks.
QString boxText(const QPlainTextEdit *box);

// Enter, of the main keys or the keypad, with no modifier held: the key that confirms a box or presses a button.
inline bool isEnter(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return (key == Qt::Key_Return || key == Qt::Key_Enter) && (modifiers & ~Qt::KeypadModifier) == Qt::NoModifier;
}
bool isEnter(const QKeyEvent *key);

} // namespace windowsetup
