// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "platform/platform.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>
#include <utility>

namespace tankedosan::platform {

// Answers every box from a script and remembers what was shown, so windows run in tests without a screen.
class ScriptedPlatform final : public Platform
{
public:
    struct Box
    {
        enum class Kind { Message, Input } kind = Kind::Message;
        QString text;
        QString title; // as shown: the program's title when none was given
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        Pointer pointer = Pointer::Default; // while it was shown
    };

    // Answers for the next message boxes; an unscripted box gets its last button, as a user who closes it.
    void setNextAnswer(Answer answer) { m_answers.push_back(answer); }
    // Texts for the next input boxes; an empty or unscripted one is a Cancel.
    void setNextInput(const QString &text) { m_inputs.push_back(text); }
    // Runs before each pending-events call, as a click that arrives while a long command runs.
    void setOnProcessEvents(std::function<void()> action) { m_onProcessEvents = std::move(action); }

    const QList<Box> &boxes() const { return m_boxes; }
    QList<Box> takeBoxes() { return std::exchange(m_boxes, {}); }
    const QString &clipboard() const { return m_clipboard; }
    const QList<Pointer> &pointers() const { return m_pointers; }
    Pointer pointer() const { return m_pointers.isEmpty() ? Pointer::Default : m_pointers.back(); }
    int processEventsCalls() const { return m_processEventsCalls; }
    const QList<QString> &openedFiles() const { return m_openedFiles; }
    bool scriptUsedUp() const { return m_answers.empty() && m_inputs.empty(); }

    Answer messageBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title = {}) override;
    QString inputBox(const QString &prompt, const QString &title) override;
    void setClipboardText(const QString &text) override { m_clipboard = text; }
    void setPointer(Pointer pointer) override { m_pointers.append(pointer); }
    void processEvents() override;
    bool openWithAssociatedProgram(const QString &path) override
    {
        m_openedFiles.append(path);
        return true;
    }

private:
    std::deque<Answer> m_answers;
    std::deque<QString> m_inputs;
    std::function<void()> m_onProcessEvents;
    QList<Box> m_boxes;
    QString m_clipboard;
    QList<Pointer> m_pointers;
    int m_processEventsCalls = 0;
    QList<QString> m_openedFiles;
};

} // namespace tankedosan::platform
