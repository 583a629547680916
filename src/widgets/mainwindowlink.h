// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/files.h"
#include "store/linestore.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace tankedosan::widgets {

// What the other windows may ask of the main window. The main window fills it in (frmmain::link) and opens
// them; they hold only this, so no window below the main window includes it or writes its controls.
struct MainWindowLink
{
    // The main window itself: the parent and the icon of the windows opened from it.
    QWidget *window = nullptr;

    // The proverbs of the shown collection, in file order, whichever view the main window shows.
    std::function<const store::LineStore &()> wholeCollection;
    // The listed collections, and the index of the one shown (-1 for none).
    std::function<QStringList()> collectionNames;
    std::function<int()> shownCollectionIndex;

    // After the shown collection was rewritten: its proverbs, count and caption anew, and the whole-list view;
    // the stamp is the rewritten file's, so that the main window's next write back knows it.
    std::function<void(const store::LineStore &lines, const store::FileStamp &stamp)> refillProverbs;
    // The hits of a confirmed search go to the search list, whose view is chosen when there is any hit.
    std::function<void(const store::LineStore &hits)> showSearchHits;
    // Appends to the quick-save list by its append rule, without showing that window.
    std::function<void(const QString &proverb)> quickSave;
};

} // namespace tankedosan::widgets
