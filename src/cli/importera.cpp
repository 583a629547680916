// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/commands.h"

#include "cli/output.h"
#include "store/collections.h"
#include "store/editorsort.h"
#include "store/programfolder.h"

#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace tankedosan::cli {

using namespace store;

namespace {

// What an import adds: the lines not yet in the collection (nor earlier in the file), in the file's order.
struct Addition
{
    LineStore added;
    qsizetype alreadyThere = 0;
};

Addition newLines(const LineStore &held, const LineStore &incoming)
{
    Addition addition;
    QSet<QString> seen;
    seen.reserve(held.size() + incoming.size());
    for (qsizetype i = 0; i < held.size(); ++i)
        seen.insert(held.at(i));
    for (qsizetype i = 0; i < incoming.size(); ++i) {
        const QString line = incoming.at(i);
        if (seen.contains(line)) {
            ++addition.alreadyThere;
            continue;
        }
        seen.insert(line);
        addition.added.append(line);
    }
    return addition;
}

// The collection as it is now, or none yet: an import creates it. It is read as the windows read it, whatever
// encoding the file taken in is in: its own lines were written by this program or meant for it, and read in
// another encoding they would be written back changed for good.
Result<LineStore> readHeld(const QString &path, FileStamp &stamp)
{
    stamp = stampOf(path);
    if (stamp.state == FileStamp::State::Absent)
        return LineStore();
    return readCollection(path, &stamp);
}

// The editor's "Spara" of what the editor would hold after "Lägg till alla": the collection in the editor's
// order with the new lines at their places, written atomically over the file as it was read. When another
// program changes it meanwhile, the addition is worked out again on what it holds then.
} // namespace

int importLines(const CommandLine &line)
{
    if (auto failure = checkNameForWriting(line.collection)) {
        printFailure(*failure);
        return kError;
    }
    const Result<LineStore> incoming = readImportFile(line.importFile, {}, line.encoding);
    if (auto failure = incoming.failure()) {
        printFailure(*failure);
        return kError;
    }
    const QString path = collectionFile(line.collection);
    const SwedishOrder order;
    for (int attempt = 1;; ++attempt) {
        FileStamp stamp;
        const Result<LineStore> read = readHeld(path, stamp);
        MaybeFailure failure = read.failure();
        if (!failure && stamp.state == FileStamp::State::Foreign)
            failure = failures::belongsToOtherProgram(path);
        if (failure) {
            printFailure(*failure);
            return kError;
        }
        const LineStore &held = *read;
        const Addition addition = newLines(held, *incoming);
        if (!addition.added.isEmpty()) {
            failure = writeCollection(path, mergedLines(sortedLines(held, order), addition.added, order), &stamp);
            if (failure && failures::isChangedSinceRead(*failure) && attempt < 3)
                continue;
            if (failure) {
                printFailure(*failure);
                return kError;
            }
        }
        Printer out(stdout);
        out.line(QString::number(addition.added.size()) + u" ordspråk lades till i ''"_s
                 + collectionName(QFileInfo(path).fileName()) + u"''; "_s + QString::number(addition.alreadyThere)
                 + u" fanns redan där."_s);
        if (!out.finish())
            return kError;
        return addition.added.isEmpty() ? kNotFound : kFound;
    }
}

} // namespace tankedosan::cli
