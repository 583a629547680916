// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "support/folderfixture.h"

#include "main/frmmain.h"
#include "support/scriptedplatform.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

// Runs `inside`, which must close it, with the modal Window that `trigger` opens; another or none fails.
template<class Window>
void whileOpen(const std::function<void()> &trigger, const std::function<void(Window &)> &inside)
{
    bool ran = false;
    const auto check = [&] {
        ran = true;
        auto *window = qobject_cast<Window *>(QApplication::activeModalWidget());
        QVERIFY2(window, "the expected window did not open");
        inside(*window);
    };
    QTimer::singleShot(0, check);
    trigger();
    if (!ran)
        check();
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
