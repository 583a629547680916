// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "platform/qtplatform.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QUrl>

#include <vector>

using namespace Qt::StringLiterals;

namespace tankedosan::platform {

namespace {

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonChoice
{
    QMessageBox::StandardButton button;
    const char16_t *text;
    Answer answer;
};

std::vector<ButtonChoice> buttonsOf(Buttons buttons)
{
    static const ButtonChoice ok{QMessageBox::Ok, u"OK", Answer::Ok};
    static const ButtonChoice cancel{QMessageBox::Cancel, u"Avbryt", Answer::Cancel};
    static const ButtonChoice yes{QMessageBox::Yes, u"Ja", Answer::Yes};
    static const ButtonChoice no{QMessageBox::No, u"Nej", Answer::No};
    switch (buttons) {
    case Buttons::OkCancel: return {ok, cancel};
    case Buttons::YesNo: return {yes, no};
    case Buttons::YesNoCancel: return {yes, no, cancel};
    case Buttons::Ok: break;
    }
    return {ok};
}

// The window a box belongs to: the one in front, else the modal one open, else the main window. On Wayland no
// window is in front for a moment after a dialog closes, and a box without a parent is placed anywhere there.
QWidget *boxParent()
{
    if (QWidget *front = QApplication::activeWindow())
        return front;
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qobject_cast<QMainWindow *>(window))
            return window;
    }
    return nullptr;
}

} // namespace

Answer QtPlatform::messageBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title)
{
    QMessageBox box(toQt(icon), title.isEmpty() ? applicationTitle() : title, prompt, QMessageBox::NoButton,
                    boxParent());
    const auto choices = buttonsOf(buttons);
    for (const ButtonChoice &choice : choices)
        box.addButton(choice.button)->setText(QString::fromUtf16(choice.text));
    box.setDefaultButton(choices.front().button);
    // Escape answers as the box's close button does: Cancel, No, or OK where that is all there is.
    box.setEscapeButton(choices.back().button);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const ButtonChoice &choice : choices) {
        if (choice.button == pressed)
            return choice.answer;
    }
    return choices.back().answer;
}

QString QtPlatform::inputBox(const QString &prompt, const QString &title)
{
    QInputDialog dialog(boxParent());
    dialog.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    dialog.setLabelText(prompt);
    dialog.setOkButtonText(u"OK"_s);
    dialog.setCancelButtonText(u"Avbryt"_s);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

void QtPlatform::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

void QtPlatform::setPointer(Pointer pointer)
{
    if (pointer == Pointer::Default) {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        return;
    }
    const QCursor cursor(pointer == Pointer::Busy ? Qt::WaitCursor : Qt::BusyCursor);
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(cursor);
    else
        QGuiApplication::setOverrideCursor(cursor);
}

void QtPlatform::processEvents()
{
    QCoreApplication::processEvents();
}

bool QtPlatform::openWithAssociatedProgram(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void installSwedishQtTexts()
{
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString &catalogue : {u"qt"_s, u"qtbase"_s}) {
        auto *texts = new QTranslator(QCoreApplication::instance());
        if (texts->load(QLocale(), catalogue, u"_"_s, folder)) {
            QCoreApplication::installTranslator(texts);
            return;
        }
        delete texts;
    }
}

} // namespace tankedosan::platform
