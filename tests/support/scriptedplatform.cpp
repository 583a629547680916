#include "support/scriptedplatform.h"

namespace platform {

namespace {
Answer closeAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel: break;
    }
    return Answer::Cancel;
}
} // namespace

Answer ScriptedPlatform::messageBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title)
{
    m_boxes.append({Box::Kind::Message, prompt, title.isEmpty() ? applicationTitle() : title, buttons, icon, {}});
    if (m_answers.empty())
        return closeAnswer(buttons);
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QString ScriptedPlatform::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    m_boxes.append({Box::Kind::Input, prompt, title.isEmpty() ? applicationTitle() : title, Buttons::OkCancel,
                    Icon::None, defaultText});
    if (m_inputs.empty())
        return {};
    QString text = m_inputs.front();
    m_inputs.pop_front();
    return text;
}

void ScriptedPlatform::clearClipboard()
{
    m_clipboard.clear();
    m_clipboardCleared = true;
}

void ScriptedPlatform::setClipboardText(const QString &text)
{
    m_clipboard = text;
}

void ScriptedPlatform::setPointer(Pointer pointer)
{
    m_pointers.append(pointer);
}

void ScriptedPlatform::processEvents()
{
    ++m_processEventsCalls;
    if (m_onProcessEvents)
        m_onProcessEvents();
}

bool ScriptedPlatform::openWithAssociatedProgram(const QString &path)
{
    m_openedFiles.append(path);
    return true;
}

} // namespace platform
