// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "widgets/placement.h"

#include "widgets/twips.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace tankedosan::widgets {

void fixedDialog(QDialog *dialog, QSize clientTwips)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(twips::size(clientTwips.width(), clientTwips.height()));
    dialog->setSizeGripEnabled(false);
}

void centreOnScreen(QWidget *window)
{
    const QWidget *anchor = window->parentWidget() ? window->parentWidget() : window;
    QScreen *screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace tankedosan::widgets
