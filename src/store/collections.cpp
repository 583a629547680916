// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/collections.h"

#include "store/bounds.h"
#include "store/files.h"
#include "store/fortune.h"
#include "store/programfolder.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace store {

QString collectionPath(const QString &name)
{
    return pathInProgramFolder(name + u".dat"_s);
}

QString collectionFile(const QString &name)
{
    const QString exact = collectionPath(name);
    if (fileExists(exact))
        return exact;
    const QStringList files = listFiles(u"*.dat"_s);
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const QString &file : files) {
            if (withoutExtension(file).compare(name, cs) == 0)
                return pathInProgramFolder(file);
        }
    }
    return exact;
}

QStringList listCollections()
{
    QStringList names = listFiles(u"*.dat"_s);
    for (QString &name : names)
        name = withoutExtension(name);
    return names;
}

MaybeFailure linesFromFile(const QString &path, QByteArray bytes, LineStore &lines, bool keepEmpty)
{
    auto read = LineStore::fromFileBytesAtMost(std::move(bytes), keepEmpty, maxReadLines);
    if (!read)
        return failures::tooLarge(path);
    lines = std::move(*read);
    return std::nullopt;
}

MaybeFailure readTextFile(const QString &path, LineStore &lines, FileStamp *stamp, const ReadProgress &progress)
{
    QByteArray bytes;
    if (auto failure = readWholeFile(path, bytes, stamp, progress))
        return failure;
    auto failure = linesFromFile(path, std::move(bytes), lines);
    if (failure && stamp)
        *stamp = FileStamp(); // what could not be read whole is never written back
    return failure;
}

CollectionForm collectionFormOf(QByteArrayView bytes)
{
    if (fortuneIndexOf(bytes))
        return CollectionForm::FortuneIndex;
    return isBinary(bytes) ? CollectionForm::NotText : CollectionForm::Lines;
}

MaybeFailure readCollectionBytes(const QString &path, QByteArray &bytes, FileStamp *stamp, const ReadProgress &progress)
{
    QByteArray own;
    FileStamp ownStamp;
    MaybeFailure failure = readWholeFile(path, own, &ownStamp, progress);
    if (!failure) {
        switch (collectionFormOf(own)) {
        case CollectionForm::FortuneIndex: {
            QByteArray text;
            failure = readWholeFile(fortuneTextPath(path), text, nullptr, progress);
            if (!failure) {
                bytes = fortuneEntries(std::move(text), *fortuneIndexOf(own));
                ownStamp = FileStamp();
                ownStamp.state = FileStamp::State::Foreign;
            }
            break;
        }
        case CollectionForm::NotText: failure = failures::notACollection(path); break;
        case CollectionForm::Lines: bytes = std::move(own); break;
        }
    }
    if (stamp)
        *stamp = failure ? FileStamp() : ownStamp;
    return failure;
}

MaybeFailure readCollection(const QString &path, LineStore &lines, FileStamp *stamp, const ReadProgress &progress)
{
    QByteArray bytes;
    FileStamp read;
    if (auto failure = readCollectionBytes(path, bytes, &read, progress)) {
        if (stamp)
            *stamp = read;
        return failure;
    }
    auto failure = linesFromFile(path, std::move(bytes), lines);
    if (stamp)
        *stamp = failure ? FileStamp() : read; // what could not be read whole is never written back
    return failure;
}

MaybeFailure readImportFile(const QString &path, LineStore &lines, const ReadProgress &progress)
{
    QByteArray bytes;
    if (auto failure = readWholeFile(path, bytes, nullptr, progress))
        return failure;
    const auto index = fortuneIndexOf(bytes);
    if (index && !fortuneTextPath(path).isEmpty()) {
        QByteArray text;
        if (auto failure = readWholeFile(fortuneTextPath(path), text, nullptr, progress))
            return failure;
        bytes = fortuneEntries(std::move(text), *index);
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
