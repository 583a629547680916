// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QString>

#include <functional>

class QAbstractItemView;
class QListWidget;
class QPlainTextEdit;
class QWidget;

namespace tankedosan::widgets {

// What the windows' lists and text boxes share.

// The lists of the window draw their lines in the colours of a window in front whether or not they have the
// focus. Qt draws a list without focus in the colours of a window behind, and some styles (Adwaita, light and
// dark) make those the pale ones of disabled text, so the lines of a list read poorly beside its own text box.
void readableLists(QWidget *window);

// Runs `again` when the user clicks the entry that is already the list's current one, the way to read a chosen
// file anew. A click on another entry changes the current row, which the window handles on its own.
void onClickAgain(QListWidget *list, std::function<void()> again);

// The row a list shows as marked: its current row when that is also selected, else -1. A mouse press moves
// the current row before it selects, so the current row alone may be one the user has not marked.
int markedRow(const QAbstractItemView *list);

// The text of a multi-line box as typed, lines joined by LF. Unlike toPlainText it keeps no-break spaces,
// which the box would otherwise hand back as plain blanks.
QString boxText(const QPlainTextEdit *box);

} // namespace tankedosan::widgets
