// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QSize>

class QDialog;
class QWidget;

namespace tankedosan::widgets {

// Where a window stands and how it is sized, beyond its controls' places in twips (twips.h).

// A fixed-size dialog with the given client area (twips): no resizing, no minimise or maximise box.
void fixedDialog(QDialog *dialog, QSize clientTwips);

// Moves the window to the middle of the screen it is (or its parent is) on.
void centreOnScreen(QWidget *window);

} // namespace tankedosan::widgets
