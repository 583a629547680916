// SPDX-License-Identifier: LicenseRef-Tankedosan
// The main window's desktop keys: the window takes a key only from a control that has no use for it.
#include "main/frmmain.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>

namespace tankedosan::main {

namespace {

// Page Down and Page Up need no answer: no control of the window claims them, so they step wherever the focus is.
bool isArrowKey(const QKeyEvent *key)
{
    return (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier
           && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right);
}

// Whether the control has a use of its own for a key that the window would take otherwise.
bool controlUsesKey(const QWidget *control, const QKeyEvent *key)
{
    if (key->matches(QKeySequence::Copy)) {
        if (const auto *line = qobject_cast<const QLineEdit *>(control))
            return line->hasSelectedText();
        if (const auto *text = qobject_cast<const QPlainTextEdit *>(control))
            return text->textCursor().hasSelection();
        return false;
    }
    // The arrows move a text box's cursor, a choice among values (the collection box, a group of options, the
    // menus' titles after Alt), or a view wider than its box.
    if (const auto *area = qobject_cast<const QAbstractScrollArea *>(control))
        return area->horizontalScrollBar()->maximum() > area->horizontalScrollBar()->minimum();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->autoExclusive();
    return qobject_cast<const QLineEdit *>(control) || qobject_cast<const QComboBox *>(control)
           || qobject_cast<const QMenuBar *>(control);
}

// Before a key goes to the focused control, Qt asks it whether it wants the key rather than a shortcut of the
// window: this answers for the controls, by their use of the key, and not by what Qt's own controls claim (a
// text box claims Ctrl+C also with nothing selected, a button lets its arrows go to the window).
class KeyOwner : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return QObject::eventFilter(watched, event);
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!isArrowKey(key) && !key->matches(QKeySequence::Copy))
            return QObject::eventFilter(watched, event);
        event->setAccepted(controlUsesKey(static_cast<QWidget *>(watched), key));
        return true;
    }
};

} // namespace

void frmmain::connectDesktopKeys()
{
    auto *owner = new KeyOwner(this);
    for (QWidget *control : findChildren<QWidget *>()) {
        if (control->window() == this)
            control->installEventFilter(owner);
    }
    const auto onKeys = [this](const QList<QKeySequence> &keys, auto handler) {
        auto *shortcut = new QShortcut(this);
        shortcut->setKeys(keys);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    onKeys({Qt::Key_PageDown, Qt::Key_Right}, &frmmain::cmdnästa_Click);
    onKeys({Qt::Key_PageUp, Qt::Key_Left}, &frmmain::cmdförra_Click);
    onKeys(QKeySequence::keyBindings(QKeySequence::Copy), &frmmain::cmdkopiera_Click);
    // Ctrl+= too: where plus is Shift and =, many a user types Ctrl and the key without Shift.
    onKeys({Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal}, [this] { stepTextSize(1); });
    onKeys({Qt::CTRL | Qt::Key_Minus}, [this] { stepTextSize(-1); });
}

void frmmain::stepTextSize(int step)
{
    const int index = scroll->value() - 1 + step;
    if (index >= 0 && index < int(mnuredigera_textstorlek.size()))
        mnuredigera_textstorlek[index]->trigger();
}

} // namespace tankedosan::main
