// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/reading.h"

#include "store/bounds.h"
#include "store/collections.h"
#include "store/programfolder.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

// The file of a collection named by the user: the name exactly as given, else in another letter case (the
// file list compares names that way), as the main window finds it.
std::optional<Collection> findCollection(const std::vector<Collection> &all, const QString &name)
{
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const Collection &collection : all) {
            if (collection.name.compare(name, cs) == 0)
                return collection;
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<Collection> allCollections()
{
    std::vector<Collection> all;
    for (const QString &file : store::listFiles(u"*.dat"_s))
        all.push_back({store::withoutExtension(file), store::pathInProgramFolder(file)});
    return all;
}

std::optional<std::vector<Collection>> chosenCollections(const QString &named)
{
    const std::vector<Collection> all = allCollections();
    if (all.empty()) {
        printError(u"Mappen ''"_s + store::programFolder() + u"'' har ingen samling."_s);
        return std::nullopt;
    }
    if (named == u"alla"_s)
        return all;
    if (named.isEmpty()) {
        const auto citat =
            std::find_if(all.begin(), all.end(), [](const Collection &c) { return c.name == u"Citat"_s; });
        return std::vector<Collection>{citat != all.end() ? *citat : all.front()};
    }
    if (auto failure = store::checkName(named)) {
        printFailure(*failure);
        return std::nullopt;
    }
    const auto found = findCollection(all, named);
    if (!found) {
        printError(u"Filen ''"_s + named + u"'' saknas i programkatalogen!"_s);
        return std::nullopt;
    }
    return std::vector<Collection>{*found};
}

store::MaybeFailure checkWhole(const QString &path, const QByteArray &bytes, const store::FileStamp &stamp)
{
    if (stamp.state == store::FileStamp::State::Present && bytes.size() < stamp.size)
        return store::failures::ioError(path);
    return std::nullopt;
}

store::MaybeFailure checkLines(const QString &path, const store::LineStore::FileLines &lines)
{
    return lines.size() > store::kMaxReadLines ? store::MaybeFailure(store::failures::tooLarge(path)) : std::nullopt;
}

store::MaybeFailure readWholeCollection(const QString &path, QByteArray &bytes)
{
    store::FileStamp stamp;
    if (auto failure = store::readCollectionBytes(path, bytes, &stamp))
        return failure;
    return checkWhole(path, bytes, stamp);
}

} // namespace cli
