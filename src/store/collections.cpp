// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/collections.h"

#include "store/bounds.h"
#include "store/encoding.h"
#include "store/files.h"
#include "store/fortune.h"
#include "store/programfolder.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace tankedosan::store {

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

Result<LineStore> linesFromFile(const QString &path, QByteArray bytes, bool keepEmpty, ReadForm form)
{
    auto read = LineStore::fromFileBytesAtMost(std::move(bytes), keepEmpty, maxReadLines, form);
    if (!read)
        return failures::tooLarge(path);
    return std::move(*read);
}

Result<CollectionFile> readCollectionFile(const QString &path, FileStamp *stamp, const ReadProgress &progress)
{
    FileStamp ownStamp;
    Result<QByteArray> read = readWholeFile(path, &ownStamp, progress);
    MaybeFailure failure = read.failure();
    CollectionFile file;
    if (!failure) {
        file.bytes = *std::move(read);
        file.form = fortuneIndexOf(file.bytes) ? CollectionForm::FortuneIndex : CollectionForm::Lines;
        if (file.form == CollectionForm::Lines && isBinary(file.bytes))
            failure = failures::notACollection(path);
    }
    if (stamp)
        *stamp = failure ? FileStamp() : ownStamp;
    if (failure)
        return *failure;
    return file;
}

bool fortuneIndexServesText(const QString &indexPath)
{
    const Result<QByteArray> head = readFilePart(fortuneTextPath(indexPath), 0, 2);
    return !head.ok() || !startsWithUtf16Bom(*head);
}

Result<FileEncoding> encodingOfFile(const QString &path)
{
    EncodingOfPieces encoding;
    const MaybeFailure failure = readFileInPieces(path, qint64(64) << 10, [&](QByteArrayView piece) {
        encoding.feed(piece);
        return !encoding.settled();
    });
    if (failure)
        return *failure;
    return encoding.result();
}

Result<QByteArray> readIndexedEntries(const QString &indexPath, QByteArrayView index, EntryForm form,
                                      const ReadProgress &progress, const TextInPlace &inPlace)
{
    Result<QByteArray> text = readWholeFile(fortuneTextPath(indexPath), nullptr, progress);
    if (auto failure = text.failure())
        return *failure;
    const FortuneIndex header = *fortuneIndexOf(index);
    if (inPlace && inPlace(*text, header))
        return QByteArray();
    return fortuneEntries(*std::move(text), header, form);
}

Result<CollectionText> readCollectionBytes(const QString &path, FileStamp *stamp, const ReadProgress &progress,
                                           const TextInPlace &inPlace)
{
    FileStamp ownStamp;
    Result<CollectionFile> own = readCollectionFile(path, &ownStamp, progress);
    Result<CollectionText> text = own.ok() ? Result<CollectionText>(CollectionText{own->bytes}) : *own.failure();
    if (own.ok() && own->form == CollectionForm::FortuneIndex) {
        Result<QByteArray> entries = readIndexedEntries(path, own->bytes, EntryForm::Lines, progress, inPlace);
        text = entries.ok() ? Result<CollectionText>(CollectionText{*std::move(entries), ReadForm::Entries})
                            : *entries.failure();
        ownStamp.state = FileStamp::State::Foreign; // never written back, whatever the index's own stamp says
    }
    if (stamp)
        *stamp = text.ok() ? ownStamp : FileStamp();
    return text;
}

namespace {
ChosenEncoding g_folderEncoding;
} // namespace

void setFolderEncoding(const ChosenEncoding &encoding)
{
    g_folderEncoding = encoding;
}

const ChosenEncoding &folderEncoding()
{
    return g_folderEncoding;
}

Result<LineStore> readCollection(const QString &path, FileStamp *stamp, const ReadProgress &progress,
                                 const ChosenEncoding &encoding)
{
    FileStamp read;
    Result<CollectionText> text = readCollectionBytes(path, &read, progress);
    const ReadForm form = text.ok() ? text->form : ReadForm::File;
    Result<LineStore> lines =
        text.ok() ? linesFromFile(path, encoding.asStoreBytes((*std::move(text)).bytes), false, form) : *text.failure();
    if (stamp)
        *stamp = lines.ok() ? read : FileStamp(); // what could not be read whole is never written back
    return lines;
}

bool readsInPlace(QByteArrayView text, const ChosenEncoding &encoding)
{
    return encoding.isWindows1252() || !ChosenEncoding::appliesTo(text);
}

Result<LineStore> readImportFile(const QString &path, const ReadProgress &progress, const ChosenEncoding &encoding,
                                 bool *applies)
{
    Result<QByteArray> read = readWholeFile(path, nullptr, progress);
    if (auto failure = read.failure())
        return *failure;
    QByteArray bytes = *std::move(read);
    const bool index = fortuneIndexOf(bytes).has_value();
    if (index && !fortuneTextPath(path).isEmpty()) {
        Result<QByteArray> entries = readIndexedEntries(path, bytes, EntryForm::Joined, progress);
        if (auto failure = entries.failure())
            return *failure;
        bytes = *std::move(entries);
    } else if (!index && isFortuneText(bytes)) {
        bytes = fortuneEntries(std::move(bytes), FortuneIndex(), EntryForm::Joined);
    }
    // fortuneEntries keeps the entries in the encoding their text reads in: they tell whether a choice applies.
    if (applies)
        *applies = ChosenEncoding::appliesTo(bytes);
    return linesFromFile(path, encoding.asStoreBytes(std::move(bytes)));
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

namespace {
// As the write will find it: for the user the program runs as, root on a read-only disk included. A name that
// holds nothing yet can be made wherever its folder can be written.
bool mayWrite(const QString &path)
{
#ifdef Q_OS_UNIX
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
#else
    const QFileInfo info(path);
    return !info.exists() || info.isWritable();
#endif
}
} // namespace

ReadOnlyReason readOnlyReason(const QString &path, const FileStamp &stamp)
{
    if (stamp.state == FileStamp::State::Foreign)
        return ReadOnlyReason::OtherProgram;
    if (!mayWrite(QFileInfo(path).absolutePath()))
        return ReadOnlyReason::Folder;
    return mayWrite(path) ? ReadOnlyReason::Writable : ReadOnlyReason::File;
}

} // namespace tankedosan::store
