// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "platform/platform.h"

using namespace Qt::StringLiterals;

namespace platform {

QString applicationTitle()
{
    return u"Tankedosan"_s;
}

void Platform::showStandardError(const store::Failure &failure)
{
    messageBox(store::standardErrorMessage(failure), Buttons::Ok, Icon::Exclamation, applicationTitle());
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

} // namespace platform
