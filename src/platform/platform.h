// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/failure.h"

#include <QString>

namespace tankedosan::platform {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Answer { Ok, Cancel, Yes, No };
enum class Pointer { Default, Busy, ArrowBusy };

// Everything the windows ask of the desktop, behind one seam: the program shows real boxes, tests answer
// them from a script without a screen.
class Platform
{
public:
    virtual ~Platform() = default;

    // A modal box; an empty title shows the program's title, "Tankedosan".
    virtual Answer messageBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title = {}) = 0;

    // A modal one-line input box; the text typed, or an empty text on Cancel.
    virtual QString inputBox(const QString &prompt, const QString &title) = 0;

    // Replaces all the clipboard holds, in every format.
    virtual void setClipboardText(const QString &text) = 0;

    // The screen-wide mouse pointer.
    virtual void setPointer(Pointer pointer) = 0;

    // Lets pending events (a click on "Avbryt") run from inside a long command.
    virtual void processEvents() = 0;

    // Opens a file with the program the desktop associates with its type; false when none could be started.
    virtual bool openWithAssociatedProgram(const QString &path) = 0;

    // The standard error message: OK button, exclamation icon, the program's title.
    void showStandardError(const store::Failure &failure);

    // A write back that failed. When another program changed the file since it was read, the user is told so
    // and `then`, what the window does now: read the file again and, where it can, redo the user's change on
    // it, which the caller does when this returns true. Any other failure is the standard error message.
    bool tellWriteFailure(const store::Failure &failure, const QString &then);
};

// The title of every box that is given none.
QString applicationTitle();

// Sets the busy pointer for a scope and restores the default pointer on every way out. A message shown while
// it is set is answered with the normal pointer: restore() first, or showError() for the standard error.
class BusyPointer
{
public:
    explicit BusyPointer(Platform &platform);
    ~BusyPointer();
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

    void restore();
    // The error trap: the normal pointer, then the standard error message.
    void showError(const store::Failure &failure);
    // The normal pointer, then Platform::tellWriteFailure.
    bool tellWriteFailure(const store::Failure &failure, const QString &then);

private:
    Platform &m_platform;
    bool m_busy = true;
};

} // namespace tankedosan::platform
