// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/reading.h"

#include "store/bounds.h"
#include "store/collections.h"
#include "store/programfolder.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tankedosan::cli {

std::vector<Collection> allCollections()
{
    std::vector<Collection> all;
    for (const QString &file : store::collectionFiles())
        all.push_back({store::collectionName(file), store::pathInProgramFolder(file)});
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
        QStringList names;
        for (const Collection &collection : all)
            names.append(collection.name);
        return std::vector<Collection>{all[size_t(store::startCollection(names))]};
    }
    if (auto failure = store::checkName(named)) {
        printFailure(*failure);
        return std::nullopt;
    }
    // The file of the name as the windows find it, and the name as the folder spells it.
    const QString path = store::collectionFile(named);
    if (!store::fileExists(path)) {
        printError(store::missingCollectionText(named));
        return std::nullopt;
    }
    return std::vector<Collection>{{store::collectionName(QFileInfo(path).fileName()), path}};
}

store::MaybeFailure checkWhole(const QString &path, const QByteArray &bytes, const store::FileStamp &stamp)
{
    if (stamp.state == store::FileStamp::State::Present && bytes.size() < stamp.size)
        return store::failures::ioError(path);
    return std::nullopt;
}

store::MaybeFailure checkLines(const QString &path, const store::LineStore::FileLines &lines)
{
    return lines.holdsMoreThan(store::kMaxReadLines) ? store::MaybeFailure(store::failures::tooLarge(path))
                                                     : std::nullopt;
}

store::Result<store::CollectionText> readWholeCollection(const QString &path, const store::TextInPlace &inPlace,
                                                         const store::ChosenEncoding &encoding)
{
    store::FileStamp stamp;
    const auto offer = [&](QByteArrayView text, const store::FortuneIndex &index) {
        return inPlace && store::readsInPlace(text, encoding) && inPlace(text, index);
    };
    store::Result<store::CollectionText> text = store::readCollectionBytes(path, &stamp, {}, offer);
    if (!text.ok())
        return text;
    // Checked on the bytes as the file held them: text decoded from another encoding is no longer as long.
    if (auto failure = checkWhole(path, text->bytes, stamp))
        return *failure;
    store::CollectionText read = *std::move(text);
    read.bytes = encoding.asStoreBytes(std::move(read.bytes));
    return read;
}

} // namespace tankedosan::cli
