#pragma once

#include "platform/platform.h"
#include "store/collections.h"

#include <QElapsedTimer>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QAbstractItemView;
class QDialog;
class QProgressDialog;
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

// Escape leaves the window open: a window that may hold unsaved work is closed only by its own buttons.
void escapeKeepsOpen(QWidget *window);

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

// A load that has not finished after this long shows how far it has come and can be cancelled; tests make
// it 0 to see that without a file of hundreds of megabytes.
inline int progressAfterMs = 2000;

// The progress of reading a collection for a window: past progressAfterMs a box over the window shows how
// far the read has come, with "Avbryt", which stops it (the read then fails with failures::cancelled()); the
// pointer becomes the arrow with the hourglass so that the button can be pressed.
class LoadProgress
{
public:
    LoadProgress(QWidget *window, platform::Platform &platform, const QString &name);
    ~LoadProgress();
    store::ReadProgress callback();

private:
    QWidget *m_window;
    platform::Platform &m_platform;
    QString m_name;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_box;
};

// The collection chosen in a window's box, read for that window. Both the main window and the editor take a
// collection this way, so that they find the same file for a name and tell the same things on the way.
struct ChosenCollection
{
    // Refused: the name is not one a collection may have (`failure` says why). Missing: no file has the name,
    // and the user has been told. Cancelled: the user stopped the read. Failed: the read failed (`failure`),
    // and `lines` holds nothing.
    enum class Outcome { Read, Refused, Missing, Cancelled, Failed } outcome = Outcome::Read;
    QString path;
    store::LineStore lines;
    store::FileStamp stamp;
    store::MaybeFailure failure;
};
ChosenCollection readChosenCollection(QWidget *window, platform::Platform &platform, platform::BusyPointer &busy,
                                      const QString &name);

} // namespace windowsetup
