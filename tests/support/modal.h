// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "support/child.h"
#include "support/folderfixture.h"

#include "main/frmmain.h"
#include "support/scriptedplatform.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

// The tests speak of the windows, their lists and the store as the program's own code does.
using namespace tankedosan;
using namespace tankedosan::main;
using namespace tankedosan::store;
using namespace tankedosan::widgets;

using namespace Qt::StringLiterals;
using platform::Answer;
using platform::Pointer;

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

// A list's items as the user reads them, "/" between.
inline QString itemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts.join(u'/');
}

// Every row of a list view whole, also where the view lays out only a long row's beginning.
inline QStringList wholeRows(const QAbstractItemView *view)
{
    QStringList rows;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        rows << view->model()->index(row, 0).data(Qt::EditRole).toString();
    return rows;
}

// A click on a row where the user sees it, scrolled to first.
inline void clickRow(QAbstractItemView *view, int row)
{
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

// A pick as the user makes it; Alt+Down opens the list, as a click would make the box ignore a second so soon.
inline void pick(QComboBox *box, int index)
{
    QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
    clickRow(box->view(), index);
}

// The boxes shown since the last call as lines "kind|title|buttons|icon|text"; the standard error box, whose
// text after the number is the system's, reads "error:<number>".
inline QStringList takeBoxes(platform::ScriptedPlatform &platform)
{
    using platform::ScriptedPlatform;
    static const char *const buttons[] = {"Ok", "OkCancel", "YesNo", "YesNoCancel"};
    static const char *const icons[] = {"None", "Critical", "Question", "Exclamation", "Information"};
    const QString error = u"message|Tankedosan|Ok|Exclamation|Ett fel uppstod.\r\n"_s;
    QStringList lines;
    for (const ScriptedPlatform::Box &box : platform.takeBoxes()) {
        QString line = box.kind == ScriptedPlatform::Box::Kind::Input
                           ? u"input|"_s + box.title + u'|' + box.text
                           : u"message|"_s + box.title + u'|' + QLatin1StringView(buttons[int(box.buttons)]) + u'|'
                                 + QLatin1StringView(icons[int(box.icon)]) + u'|' + box.text;
        if (line.startsWith(error) && line.indexOf(u" - "_s, error.size()) > error.size())
            line = u"error:"_s + line.mid(error.size()).section(u" - "_s, 0, 0);
        lines.append(line);
    }
    return lines;
}

// The main window started on a program folder of the test's own: write the files, then start(), told where
// to open or not.
struct Started
{
    FolderFixture folder;
    platform::ScriptedPlatform platform;
    std::unique_ptr<frmmain> window;

    frmmain &start(const store::WindowStart &at = {})
    {
        window = std::make_unique<frmmain>(platform, at);
        window->show();
        return *window;
    }
};
