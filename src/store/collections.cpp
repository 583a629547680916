// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/collections.h"

#include "store/bounds.h"
#include "store/files.h"
#include "store/fortune.h"
#include "store/programfolder.h"

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace store {

QString collectionPattern()
{
    return u'*' + kCollectionExtension.toString();
}

QString collectionPath(const QString &name)
{
    return pathInProgramFolder(name + kCollectionExtension.toString());
}

QStringList collectionFiles()
{
    return listFiles(collectionPattern());
}

QString collectionName(const QString &file)
{
    return withoutExtension(file);
}

bool collectionListed(const QString &name)
{
    const QStringList files = collectionFiles();
    return std::any_of(files.cbegin(), files.cend(), [&](const QString &file) {
        return collectionName(file).compare(name, Qt::CaseInsensitive) == 0;
    });
}

QString collectionFile(const QString &name)
{
    const QString exact = collectionPath(name);
    if (fileExists(exact))
        return exact;
    const QStringList files = collectionFiles();
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const QString &file : files) {
            if (collectionName(file).compare(name, cs) == 0)
                return pathInProgramFolder(file);
        }
    }
    return exact;
}

qsizetype startCollection(const QStringList &names)
{
    const qsizetype citat = names.indexOf(u"Citat"_s);
    return citat >= 0 || names.isEmpty() ? citat : 0;
}

QString missingCollectionText(const QString &name)
{
    return u"Filen ''"_s + name + u"'' saknas i programkatalogen!"_s;
}

QStringList undecodableCollectionFiles()
{
    return listUndecodableFiles(kCollectionExtension.toString());
}

MaybeFailure linesFromFile(const QString &path, QByteArray bytes, LineStore &lines, bool keepEmpty)
{
    auto read = LineStore::fromFileBytesAtMost(std::move(bytes), keepEmpty, maxReadLines);
    if (!read)
        return failures::tooLarge(path);
    lines = std::move(*read);
    return std::nullopt;
}

MaybeFailure readCollectionFile(const QString &path, QByteArray &bytes, CollectionForm &form, FileStamp *stamp,
                                const ReadProgress &progress)
{
    FileStamp ownStamp;
    Result<QByteArray> read = readWholeFile(path, &ownStamp, progress);
    MaybeFailure failure = read.failure();
    QByteArray own = read.ok() ? *std::move(read) : QByteArray();
    form = fortuneIndexOf(own) ? CollectionForm::FortuneIndex : CollectionForm::Lines;
    if (!failure && form == CollectionForm::Lines && isBinary(own))
        failure = failures::notACollection(path);
    if (!failure)
        bytes = std::move(own);
    if (stamp)
        *stamp = failure ? FileStamp() : ownStamp;
    return failure;
}

MaybeFailure readIndexedEntries(const QString &indexPath, QByteArrayView index, QByteArray &bytes,
                                const ReadProgress &progress)
{
    Result<QByteArray> text = readWholeFile(fortuneTextPath(indexPath), nullptr, progress);
    if (auto failure = text.failure())
        return failure;
    bytes = fortuneEntries(*std::move(text), *fortuneIndexOf(index));
    return std::nullopt;
}

MaybeFailure readCollectionBytes(const QString &path, QByteArray &bytes, FileStamp *stamp, const ReadProgress &progress)
{
    QByteArray own;
    CollectionForm form;
    FileStamp ownStamp;
    MaybeFailure failure = readCollectionFile(path, own, form, &ownStamp, progress);
    if (!failure && form == CollectionForm::FortuneIndex) {
        failure = readIndexedEntries(path, own, bytes, progress);
        ownStamp.state = FileStamp::State::Foreign; // never written back, whatever the index's own stamp says
    } else if (!failure) {
        bytes = std::move(own);
    }
    if (stamp)
        *stamp = failure ? FileStamp() : ownStamp;
    return failure;
}

MaybeFailure readCollection(const QString &path, LineStore &lines, FileStamp *stamp, const ReadProgress &progress)
{
    QByteArray bytes;
    FileStamp read;
    MaybeFailure failure = readCollectionBytes(path, bytes, &read, progress);
    if (!failure)
        failure = linesFromFile(path, std::move(bytes), lines);
    if (stamp)
        *stamp = failure ? FileStamp() : read; // what could not be read whole is never written back
    return failure;
}

MaybeFailure readImportFile(const QString &path, LineStore &lines, const ReadProgress &progress)
{
    Result<QByteArray> read = readWholeFile(path, nullptr, progress);
    if (auto failure = read.failure())
        return failure;
    QByteArray bytes = *std::move(read);
    const bool index = fortuneIndexOf(bytes).has_value();
    if (index && !fortuneTextPath(path).isEmpty()) {
        if (auto failure = readIndexedEntries(path, QByteArray(bytes), bytes, progress))
            return failure;
    } else if (!index && isFortuneText(bytes)) {
        bytes = fortuneEntries(std::move(bytes), FortuneIndex());
    }
    return linesFromFile(path, std::move(bytes), lines);
}

MaybeFailure readCollection(const QString &path, QStringList &lines)
{
    LineStore store;
    if (auto failure = readCollection(path, store))
        return failure;
    lines = store.toStringList();
    return std::nullopt;
}

namespace {
// Every write of lines over a file: refused when they would not read back as they are; in the encoding the
// file was read in when one is given.
MaybeFailure writeLines(const QString &path, const LineStore &lines, std::optional<FileEncoding> readAs,
                        FileStamp *stamp)
{
    if (!lines.writesBackUnchanged())
        return failures::wouldChange(path);
    QByteArray bytes = lines.toFileBytes();
    if (readAs && encodingOf(bytes) != *readAs) {
        std::optional<QByteArray> again = encodeText(decodeText(bytes), *readAs);
        if (!again)
            return failures::wouldChange(path);
        bytes = std::move(*again);
    }
    return writeFileAtomically(path, bytes, stamp);
}
} // namespace

MaybeFailure writeCollection(const QString &path, const LineStore &lines, FileStamp *stamp)
{
    return writeLines(path, lines, std::nullopt, stamp);
}

MaybeFailure writeCollection(const QString &path, const QStringList &lines)
{
    return writeCollection(path, LineStore::fromStrings(lines));
}

MaybeFailure writeTextFile(const QString &path, const LineStore &lines, FileEncoding readAs, FileStamp *stamp)
{
    return writeLines(path, lines, readAs, stamp);
}

MaybeFailure createEmptyCollection(const QString &path)
{
    return writeFileAtomically(path, QByteArray());
}
} // namespace store
