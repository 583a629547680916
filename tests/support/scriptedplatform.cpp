// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "support/scriptedplatform.h"

namespace tankedosan::platform {

namespace {
// The next scripted reply, or `fallback` when the script has run out.
template<class T>
T next(std::deque<T> &script, T fallback)
{
    if (script.empty())
        return fallback;
    T reply = std::move(script.front());
    script.pop_front();
    return reply;
}
} // namespace

Answer ScriptedPlatform::messageBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title)
{
    m_boxes.append(
        {Box::Kind::Message, prompt, title.isEmpty() ? applicationTitle() : title, buttons, icon, pointer()});
    const Answer close = buttons == Buttons::Ok ? Answer::Ok : buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    return next(m_answers, close);
}

QString ScriptedPlatform::inputBox(const QString &prompt, const QString &title)
{
    m_boxes.append({Box::Kind::Input, prompt, title.isEmpty() ? applicationTitle() : title, Buttons::OkCancel,
                    Icon::None, pointer()});
    return next(m_inputs, QString());
}

void ScriptedPlatform::processEvents()
{
    ++m_processEventsCalls;
    if (m_onProcessEvents)
        m_onProcessEvents();
}

} // namespace tankedosan::platform
