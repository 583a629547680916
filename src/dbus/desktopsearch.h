// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/files.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

namespace tankedosan::dbus {

// A proverb the desktop's search found. Its id names it for the desktop: the collection's name, "/" and the
// proverb's number from 1, as the main window numbers it (a name holds no "/", so the last one parts them).
struct Found
{
    QString collection;
    qsizetype number = 0;
    QString proverb;
    QString id() const { return collection + u'/' + QString::number(number); }
};

struct FoundId
{
    QString collection;
    qsizetype number = 0;
};
std::optional<FoundId> readId(const QString &id);

// The proverb on one row, cut after a word near `most` characters with "…", as a result list shows it.
QString shortProverb(const QString &proverb, qsizetype most = 100);

// The search of the desktop (GNOME's overview, KRunner) over every collection of the folder, compared as the
// search window's "Alla förekomster" compares: every term must occur in the proverb. Hits that begin with the
// first term come first, then the folder's order of collections and proverbs; at most kMostHits a reply.
//
// A collection is read for a query and let go again: what is held between calls is only the proverbs of the
// last replies, with the stamp of the file each came from, for the desktop asks for their texts next and then
// narrows them as the user types on. A file changed since is read again.
class DesktopSearch
{
public:
    static constexpr qsizetype kMostHits = 100;

    std::vector<Found> initial(const QStringList &terms);
    // The previous hits that the longer terms still find. A collection changed on disk since those hits were
    // found is searched again, for its numbers may no longer name them.
    std::vector<Found> narrowed(const QStringList &previous, const QStringList &terms);
    // The proverbs the ids name now, in their order; an id no collection holds is left out.
    std::vector<Found> found(const QStringList &ids);

private:
    // A collection's file, and the text an index of fortune's stands for.
    using Stamps = std::pair<store::FileStamp, store::FileStamp>;
    struct Held
    {
        Stamps stamps;
        std::map<qsizetype, QString> proverbs;
    };
    struct Hits;

    void searchCollection(const QString &name, const QString &path, const QStringList &terms, Hits &hits,
                          const std::vector<qsizetype> *only = nullptr);
    std::vector<Found> answer(Hits &hits, bool narrowing);

    std::map<QString, Held> m_held; // by collection name
    std::map<QString, Stamps> m_searched; // of every collection as it was when last searched
};

} // namespace tankedosan::dbus
