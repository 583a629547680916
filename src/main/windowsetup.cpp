#include "main/windowsetup.h"

#include "main/twips.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>

namespace windowsetup {

void fixedDialog(QDialog *dialog, const QWidget *mainWindow, QSize clientTwips)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(twips::size(clientTwips.width(), clientTwips.height()));
    dialog->setSizeGripEnabled(false);
    if (mainWindow)
        dialog->setWindowIcon(mainWindow->windowIcon());
}

void noDefaultButtons(QWidget *window)
{
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
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

QString boxText(const QPlainTextEdit *box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

} // namespace windowsetup
