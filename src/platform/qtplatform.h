#pragma once

#include "platform/platform.h"

namespace platform {

// The desktop as users see it: QMessageBox and QInputDialog with Swedish buttons, the system clipboard,
// override cursors and the desktop's file associations.
class QtPlatform final : public Platform {
public:
    Answer messageBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title = {}) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText = {}) override;
    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    void setPointer(Pointer pointer) override;
    void processEvents() override;
    bool openWithAssociatedProgram(const QString &path) override;
};

} // namespace platform
