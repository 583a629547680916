// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "widgets/keys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <utility>
#include <vector>

namespace tankedosan::widgets {

bool isEnter(const QKeyEvent *key)
{
    return isEnter(key->key(), key->modifiers());
}

namespace {

// Enter on a focused button presses it, as Space does.
class EnterPresses : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent *>(event))) {
            if (auto *button = qobject_cast<QPushButton *>(watched); button && button->isEnabled()) {
                button->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// Tab into a group of options lands on the chosen one, as on every desktop; the arrow keys move within.
class TabToChosenOption : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *option = qobject_cast<QRadioButton *>(watched);
        const auto reason =
            event->type() == QEvent::FocusIn ? static_cast<QFocusEvent *>(event)->reason() : Qt::OtherFocusReason;
        if (option && !option->isChecked() && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)) {
            for (QRadioButton *other :
                 option->parentWidget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly)) {
                if (other->isChecked() && other->autoExclusive()) {
                    other->setFocus(reason);
                    break;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

class EscapeKeepsOpen : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

QChar mnemonicOf(const QString &caption)
{
    const qsizetype at = caption.indexOf(u'&');
    return at >= 0 && at + 1 < caption.size() ? caption.at(at + 1).toLower() : QChar();
}

// Where in the caption the Alt letter goes, -1 when no letter is free. The tiers, one after the other: a word's
// initial, any plain letter (every keyboard has it), any letter.
qsizetype freeLetter(const QString &caption, const QString &used, int tier)
{
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        const bool initial = i == 0 || !caption.at(i - 1).isLetterOrNumber();
        const bool fits = tier == 0 ? initial : tier == 1 ? c.unicode() < 128 : true;
        if (c.isLetter() && fits && !used.contains(c.toLower()))
            return i;
    }
    return -1;
}

// Gives every caption an Alt letter that no other caption of the group and no letter of `used` has, the
// captions in their order; a caption that has one already keeps it.
void addMnemonics(const std::vector<std::pair<QString, std::function<void(const QString &)>>> &captions, QString used)
{
    std::vector<bool> done(captions.size());
    for (size_t i = 0; i < captions.size(); ++i) {
        const QChar taken = mnemonicOf(captions[i].first);
        done[i] = !taken.isNull();
        if (done[i])
            used += taken;
    }
    for (int tier = 0; tier < 3; ++tier) {
        for (size_t i = 0; i < captions.size(); ++i) {
            const QString &caption = captions[i].first;
            const qsizetype at = done[i] ? -1 : freeLetter(caption, used, tier);
            if (at < 0)
                continue;
            used += caption.at(at).toLower();
            done[i] = true;
            captions[i].second(caption.left(at) + u'&' + caption.mid(at));
        }
    }
}

void addMnemonics(QWidget *window)
{
    QString used;
    if (auto *main = qobject_cast<QMainWindow *>(window)) {
        for (QAction *title : main->menuBar()->actions()) {
            used += mnemonicOf(title->text());
            if (!title->menu())
                continue;
            std::vector<std::pair<QString, std::function<void(const QString &)>>> entries;
            for (QAction *entry : title->menu()->actions()) {
                if (!entry->isSeparator())
                    entries.emplace_back(entry->text(), [entry](const QString &text) { entry->setText(text); });
            }
            addMnemonics(entries, {});
        }
    }
    std::vector<std::pair<QString, std::function<void(const QString &)>>> controls;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window)
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(w); button && !button->text().isEmpty())
            controls.emplace_back(button->text(), [button](const QString &text) { button->setText(text); });
        else if (auto *label = qobject_cast<QLabel *>(w); label && label->buddy() && !label->text().isEmpty())
            controls.emplace_back(label->text(), [label](const QString &text) { label->setText(text); });
    }
    addMnemonics(controls, used);
}

} // namespace

void keyboard(QWidget *window)
{
    auto *enter = new EnterPresses(window);
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(enter);
    }
    for (QPlainTextEdit *box : window->findChildren<QPlainTextEdit *>())
        box->setTabChangesFocus(true);
    auto *tab = new TabToChosenOption(window);
    for (QRadioButton *option : window->findChildren<QRadioButton *>())
        option->installEventFilter(tab);
    addMnemonics(window);
}

void escapeKeepsOpen(QWidget *window)
{
    window->installEventFilter(new EscapeKeepsOpen(window));
}

namespace {
class FocusReturnsToOwner : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // By the time it is hidden the window no longer counts as active; the program still is, unless the
        // user had gone to another program, which keeps the focus then.
        auto *window = event->type() == QEvent::Hide ? qobject_cast<QWidget *>(watched) : nullptr;
        if (window && (window->windowType() == Qt::Dialog || window->windowType() == Qt::Window)
            && window->parentWidget() && window->parentWidget()->window()->isVisible() && !QApplication::activeWindow()
            && QGuiApplication::applicationState() == Qt::ApplicationActive)
            window->parentWidget()->window()->activateWindow();
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

void focusReturnsToOwner()
{
    qApp->installEventFilter(new FocusReturnsToOwner(qApp));
}

} // namespace tankedosan::widgets
