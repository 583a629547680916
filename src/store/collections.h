// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/encoding.h"
#include "store/failure.h"
#include "store/files.h"
#include "store/fortune.h"
#include "store/linestore.h"

#include <QString>
#include <QStringList>

namespace tankedosan::store {

// A collection is the file of its name and ".dat" in the program folder: every window and the terminal find
// collections by what follows, so that they see the same ones under the same names.
inline constexpr QStringView kCollectionExtension = u".dat";
// "*.dat", as a folder's collections are listed (any letter case of the extension).
QString collectionPattern();

// Program folder, separator, name and ".dat". The name is not checked here: see checkName.
QString collectionPath(const QString &name);

// The files of the program folder's collections, as the file list shows them: any letter case of the
// extension, sorted by name without regard to case; folders and hidden files are not collections.
QStringList collectionFiles();
// The name a listed collection file stands for: the file name without its extension.
QString collectionName(const QString &file);
// Whether a listed collection has this name in any letter case: two collections the user could not tell apart.
bool collectionListed(const QString &name);

// The file that holds the collection of that name, for every window alike: name + ".dat" when that file is
// there; else the "*.dat" file that the list of collections shows under the name, its extension in other
// letters first ("Djur.DAT"), then its name too ("DJUR.dat"); else name + ".dat", a file yet to be made.
QString collectionFile(const QString &name);
// Of the names of the listed collections, the one a reader starts with when none is named: "Citat", else
// the first; -1 when there is none.
qsizetype startCollection(const QStringList &names);

// Where the main window opens when it is told (by the desktop's search or a notification): on a collection at
// a number, or with its search window open on a text. Empty, it opens as always.
struct WindowStart
{
    QString collection;
    qsizetype number = 0; // from 1; 0 for the number the window would show
    QString search;
    bool isEmpty() const { return collection.isEmpty() && number == 0 && search.isEmpty(); }
};

// What the user is told when no file holds the collection of that name.
QString missingCollectionText(const QString &name);
// The collection files of the program folder whose names are not valid UTF-8 (listUndecodableFiles).
QStringList undecodableCollectionFiles();

// What the file of a collection holds: lines, or an index of fortune's that stands for the entries of its
// text file.
enum class CollectionForm { Lines, FortuneIndex };
struct CollectionFile
{
    QByteArray bytes;
    CollectionForm form = CollectionForm::Lines;
};
// The bytes of a collection's own file and what they hold. A file that is no index and holds no text (a NUL in
// its first kilobyte) is no collection (notACollection). With `stamp`, what the file was when read (Unread
// after a failure).
Result<CollectionFile> readCollectionFile(const QString &path, FileStamp *stamp = nullptr,
                                          const ReadProgress &progress = {});
// Whether an index's count and offsets serve its text: strfile cannot tell the lines of a UTF-16 text apart,
// so such a text is read whole, as any collection.
bool fortuneIndexServesText(const QString &indexPath);
// How a whole file reads (encodingOf), read through a buffer of 64 KiB: a draw from a text of megabytes reads
// one entry of it, in the encoding every other command reads the text in.
Result<FileEncoding> encodingOfFile(const QString &path);
// An index's text, offered as it lies to a reader that may take it there (true) instead of as lines.
using TextInPlace = std::function<bool(QByteArrayView text, const FortuneIndex &index)>;
// The entries, one a line in the form given, of the text file that the index `index`, read from `indexPath`,
// stands for; none where `inPlace` took the text.
Result<QByteArray> readIndexedEntries(const QString &indexPath, QByteArrayView index, EntryForm form,
                                      const ReadProgress &progress = {}, const TextInPlace &inPlace = {});

// The bytes of a collection in the read form, and how they part their lines: an index's entries keep theirs.
struct CollectionText
{
    QByteArray bytes;
    ReadForm form = ReadForm::File;
};

// The bytes of a collection in the read form, as every reader of collections takes them (the windows and the
// terminal): the file's own, or, for an index of fortune's, its text file's entries one per line with their
// lines kept, with `stamp` Foreign so that nothing writes them. A file that is neither text nor an index is refused
// (notACollection). With `stamp`, what the file was when read (Unread after a failure). With `inPlace`, an
// index's text goes there first; the bytes are then empty where it took the text.
Result<CollectionText> readCollectionBytes(const QString &path, FileStamp *stamp = nullptr,
                                           const ReadProgress &progress = {}, const TextInPlace &inPlace = {});
// The encoding the user named at start for the folder's files that are neither UTF-8 nor UTF-16 (--kodning):
// the windows read every collection in it. Windows-1252 unless set.
void setFolderEncoding(const ChosenEncoding &encoding);
const ChosenEncoding &folderEncoding();

// The lines of those bytes, as linesFromFile takes them; in `encoding` where it applies to them.
Result<LineStore> readCollection(const QString &path, FileStamp *stamp = nullptr, const ReadProgress &progress = {},
                                 const ChosenEncoding &encoding = folderEncoding());
// Whether `inPlace` may take a fortune text where it lies, read in `encoding`: the search and draw in place read
// Windows-1252 and UTF-8 alone.
bool readsInPlace(QByteArrayView text, const ChosenEncoding &encoding);

// A file to import lines from: the entries of a fortune text (or of the text an index of fortune's stands
// for), each joined into one line, else the non-empty lines of any text file; in `encoding` where it applies
// to them, which `applies` tells (whatever the encoding), so that a window offers the choice only where it
// matters.
Result<LineStore> readImportFile(const QString &path, const ReadProgress &progress = {},
                                 const ChosenEncoding &encoding = {}, bool *applies = nullptr);

// The lines of a file's bytes that readWholeFile gave for path (empty ones too when keepEmpty is set),
// refused past kMaxReadLines lines (failure 7).
Result<LineStore> linesFromFile(const QString &path, QByteArray bytes, bool keepEmpty = false,
                                ReadForm form = ReadForm::File);

// The written form: every entry followed by CR LF, in list order; an empty list gives a file of zero bytes.
// The file is replaced atomically, so a failed write leaves the previous file whole. With `stamp` it is a
// write back, as writeFileAtomically says. Lines that would not write back what was read
// (LineStore::writesBackUnchanged) are refused (failure 54) and nothing is written.
MaybeFailure writeCollection(const QString &path, const LineStore &lines, FileStamp *stamp = nullptr);
MaybeFailure writeCollection(const QString &path, const QStringList &lines);

// Lines written back over the text file they were read from, as writeCollection does, but in the encoding
// that file was read in wherever it holds them (encodeText): a text file keeps the form its other programs
// read, where a collection always takes the collections' own.
MaybeFailure writeTextFile(const QString &path, const LineStore &lines, FileEncoding readAs, FileStamp *stamp);

MaybeFailure createEmptyCollection(const QString &path);

// Why a collection read from `path` with `stamp` can only be read here, for the editor to tell before the user
// works on it: fortune's (a Foreign stamp, whatever the folder), a folder the user cannot write in, a file made
// read-only; Writable when none of these holds (a save may still fail).
enum class ReadOnlyReason { Writable, OtherProgram, Folder, File };
ReadOnlyReason readOnlyReason(const QString &path, const FileStamp &stamp);

} // namespace tankedosan::store
