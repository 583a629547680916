#pragma once

#include "support/folderfixture.h"

#include "main/frmmain.h"
#include "support/scriptedplatform.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

// Runs `inside` once a modal window is up, with that window, then `trigger` (which opens it and waits).
// `inside` must close the window; if none appeared, it is called with nullptr.
inline void whileModal(const std::function<void()> &trigger, const std::function<void(QWidget *)> &inside)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        inside(QApplication::activeModalWidget());
    });
    trigger();
    if (!ran)
        inside(nullptr);
}

// As above, for a window of a known class; a missing or other window fails the test.
template<class Window>
void whileOpen(const std::function<void()> &trigger, const std::function<void(Window &)> &inside)
{
    whileModal(trigger, [&](QWidget *modal) {
        auto *window = qobject_cast<Window *>(modal);
        QVERIFY2(window, "the expected window did not open");
        inside(*window);
    });
}

// The texts of a list's items, in order.
inline QStringList itemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// The main window started on a program folder of the test's own: write the files, then start().
struct Started
{
    FolderFixture folder;
    platform::ScriptedPlatform platform;
    std::unique_ptr<frmmain> window;

    frmmain &start()
    {
        window = std::make_unique<frmmain>(platform);
        window->show();
        return *window;
    }
};
