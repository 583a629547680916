// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "platform/platform.h"

using namespace Qt::StringLiterals;

namespace tankedosan::platform {

QString applicationTitle()
{
    return u"Tankedosan"_s;
}

void Platform::showStandardError(const store::Failure &failure)
{
    messageBox(store::standardErrorMessage(failure), Buttons::Ok, Icon::Exclamation, applicationTitle());
}

bool Platform::tellWriteFailure(const store::Failure &failure, const QString &then)
{
    if (!store::failures::isChangedSinceRead(failure)) {
        showStandardError(failure);
        return false;
    }
    messageBox(failure.description + u"\r\n\r\n"_s + then, Buttons::Ok, Icon::Exclamation);
    return true;
}

BusyPointer::BusyPointer(Platform &platform)
    : m_platform(platform)
{
    m_platform.setPointer(Pointer::Busy);
}

BusyPointer::~BusyPointer()
{
    restore();
}

void BusyPointer::restore()
{
    if (m_busy) {
        m_busy = false;
        m_platform.setPointer(Pointer::Default);
    }
}

void BusyPointer::showError(const store::Failure &failure)
{
    restore();
    m_platform.showStandardError(failure);
}

bool BusyPointer::tellWriteFailure(const store::Failure &failure, const QString &then)
{
    restore();
    return m_platform.tellWriteFailure(failure, then);
}

} // namespace tankedosan::platform
