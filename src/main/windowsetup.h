#pragma once

#include <QSize>

class QDialog;
class QPlainTextEdit;
class QString;
class QWidget;

// What every window but the main window shares: the main window's icon, a place in the middle of the screen,
// and, for the fixed dialogs, no resizing, no minimise or maximise box and no button that Enter presses.
namespace windowsetup {

// A fixed-size dialog with the given client area (twips), the main window's icon and no default button.
void fixedDialog(QDialog *dialog, const QWidget *mainWindow, QSize clientTwips);

// No button of the window is a default or auto-default button, so Enter in a text box never presses one.
void noDefaultButtons(QWidget *window);

// Moves the window to the middle of the screen it is (or its parent is) on.
void centreOnScreen(QWidget *window);

// The text of a multi-line box as typed, lines joined by LF. Unlike toPlainText it keeps no-break spaces,
// which the box would otherwise hand back as plain blanks.
QString boxText(const QPlainTextEdit *box);

} // namespace windowsetup
