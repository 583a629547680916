// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "platform/platform.h"

namespace tankedosan::platform {

// The desktop as users see it: QMessageBox and QInputDialog with Swedish buttons, the system clipboard,
// override cursors and the desktop's file associations.
class QtPlatform final : public Platform
{
public:
    Answer messageBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title = {}) override;
    QString inputBox(const QString &prompt, const QString &title) override;
    void setClipboardText(const QString &text) override;
    void setPointer(Pointer pointer) override;
    void processEvents() override;
    bool openWithAssociatedProgram(const QString &path) override;
};

// The program speaks Swedish whatever the desktop's language: makes Swedish the default locale and installs
// Qt's own Swedish texts (context menus of text boxes and the like) from the system's catalogue, qt_sv (the
// one Debian ships) or else qtbase_sv. Where neither is installed Qt's texts stay English; the program's own
// boxes name their buttons themselves.
void installSwedishQtTexts();

} // namespace tankedosan::platform
