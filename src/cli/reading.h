// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "cli/output.h"
#include "store/collections.h"
#include "store/failure.h"
#include "store/files.h"
#include "store/linestore.h"

#include <QString>

#include <optional>
#include <functional>
#include <vector>

namespace tankedosan::cli {

// How the terminal's commands find and read the collections: by the same rules and with the same failures
// as the windows.

struct Collection
{
    QString name;
    QString path;
};

// Every collection of the folder, in the main window's order, each with its file as it is spelt.
std::vector<Collection> allCollections();

// The collections a command reads: the one named, all of them ("alla"), or the one the main window starts
// with ("Citat", else the first). None, with the message printed, when there is nothing to read.
std::optional<std::vector<Collection>> chosenCollections(const QString &named);

// A file that gave fewer bytes than it held when it was opened was cut short by another program meanwhile
// (failure 57): what was read is then only a part of it.
store::MaybeFailure checkWhole(const QString &path, const QByteArray &bytes, const store::FileStamp &stamp);
// As the windows refuse a collection of too many lines.
store::MaybeFailure checkLines(const QString &path, const store::LineStore::FileLines &lines);
// The bytes of a collection, read as the windows read them and with their failures; an index's text offered
// to `inPlace` first (the bytes are then empty where it took it), unless `encoding` applies to it. The bytes
// are then in `encoding` where it applies (ChosenEncoding::asStoreBytes).
store::Result<store::CollectionText> readWholeCollection(const QString &path, const store::TextInPlace &inPlace = {},
                                                         const store::ChosenEncoding &encoding = {});

// An index's text as it lies, offered to a command that can take it so (true) before it is joined into lines.
using TakeInPlace = std::function<bool(const Collection &, QByteArrayView text, const store::FortuneIndex &)>;

// Reads each collection in turn and gives its lines to use; an index's text goes to inPlace first, as it
// lies, where one is given; a text that `encoding` applies to is read in it, never in place. One that cannot
// be read is told on standard error, after what was printed so far, and the others still go; false when any
// could not be read.
template<typename Use>
bool readEach(const std::vector<Collection> &collections, Printer *out, Use use, const TakeInPlace &inPlace = {},
              const store::ChosenEncoding &encoding = {})
{
    bool all = true;
    for (const Collection &collection : collections) {
        bool taken = false;
        const auto offer = [&](QByteArrayView text, const store::FortuneIndex &index) {
            return taken = inPlace && inPlace(collection, text, index);
        };
        const store::Result<store::CollectionText> text = readWholeCollection(collection.path, offer, encoding);
        store::MaybeFailure failure = text.failure();
        if (taken)
            continue;
        if (!failure) {
            const store::LineStore::FileLines lines(text->bytes, text->form);
            failure = checkLines(collection.path, lines);
            if (!failure)
                use(collection, lines);
        }
        if (failure) {
            if (out)
                out->flush();
            printFailure(*failure);
            all = false;
        }
    }
    return all;
}

} // namespace tankedosan::cli
