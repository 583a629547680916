// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/failure.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>

namespace tankedosan::store {

// The file layer under every file the program reads or writes: collections, nr.ini, text files, the help text,
// the scratch file.

// The names of the files of the program folder that match a wildcard pattern (letters compared without
// regard to case), sorted by name without regard to case. Folders and hidden files are left out.
// With Nameless::Shown, a file named by the pattern's extension alone (".txt" for "*.txt") is no hidden file
// but one with an empty name, as the desktops the files come from see it: a list the user picks files from
// shows it, where a collection, which is chosen by its name, needs one.
enum class Nameless { Hidden, Shown };
QStringList listFiles(const QString &pattern, Nameless nameless = Nameless::Hidden);
// A listed file's name without its extension: the collection's name of "Citat.dat", the text's of "x.txt".
QString withoutExtension(const QString &file);

// The names of the regular files of the program folder that end in the suffix (any letter case) but that
// Qt's file-name decoding cannot hold (not valid UTF-8): such a file can be neither listed nor opened by
// name, so the user must be told. Each is given decoded as well as it can be (U+FFFD for what is not UTF-8).
QStringList listUndecodableFiles(const QString &suffix);

// True for a normal file: folders and hidden files do not count.
bool fileExists(const QString &path);

// What a file was when the program read it (device, inode, size, modification time to the nanosecond), so
// that writing back what was read can first make sure that no other program, or other copy of this one, has
// changed the file since: otherwise the write would silently undo that change. A read that failed leaves
// Unread, which no write back accepts; Absent stands for a name that held no file; Foreign for a collection
// read from another program's file (fortune's), which is never written.
// Told how far a read has come (bytes read, and the file's size); gives false to stop it, which fails with
// failures::cancelled(). A window shows it when a read takes long.
using ReadProgress = std::function<bool(qint64 done, qint64 size)>;

struct FileStamp
{
    enum class State { Unread, Absent, Present, Foreign };
    State state = State::Unread;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 seconds = 0;
    qint64 nanoseconds = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// The stamp of what the path names now (links followed); Unread when that cannot be told.
FileStamp stampOf(const QString &path);

// Writes any bytes atomically; the one way the program replaces a file. Success only once every byte is on
// the disk and the folder knows the new file; on a failure the previous file is left whole. Only a regular
// file or a free name is written: a path that names anything else, directly or through a link, gives
// failure 75. A link is resolved once, and the check and the write then work on that one folder and name,
// so a link or device swapped in meanwhile is refused, not written through. A link to a regular file stays a
// link and the file it points to is replaced. The replaced file keeps its owner (when the program runs as
// root or as that owner), its group where it can, and its permission bits.
// With `stamp` it writes back a file the program read: nothing is written unless the file is still as the
// stamp says (a notice otherwise: notRead, belongsToOtherProgram, changedSinceRead), and on success the stamp is the new file's.
MaybeFailure writeFileAtomically(const QString &path, const QByteArray &bytes, FileStamp *stamp = nullptr);

// A file the program itself owns in its folder (nr.ini, the duplicate report) never follows a link: a link
// in its place is refused with failure 75 and left alone, as is anything else but a regular file.
// The most bytes the temporary name of that write adds to the file's name ("." and six letters): names are
// checked against it (checkNameForWriting), so it must follow any change to how the write names it.
inline constexpr qsizetype kTemporaryNameBytes = 7;

MaybeFailure writeOwnFile(const QString &path, const QByteArray &bytes);
Result<QByteArray> readOwnFile(const QString &path);

// The scratch file of the search within results: a name of this process's own in the program folder,
// created exclusively (never a link or a file of another copy), read back through the same descriptor and
// removed when the object goes, on every path. In a folder the program may not write in, the bytes are held
// in memory instead: a search in results must not fail there at every step.
class ScratchFile
{
public:
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile &) = delete;
    ScratchFile &operator=(const ScratchFile &) = delete;

    MaybeFailure write(const QByteArray &bytes);
    Result<QByteArray> readBack();

private:
    QFile m_file;
    QByteArray m_held; // when the folder takes no file
    bool m_holds = false;
};

// Deletes a file the user chose from a list (".txt", a name that is all extension, among them); a folder or a
// missing name is "file not found".
MaybeFailure deleteFile(const QString &path);

// Reads a whole file as bytes (the help text, the number file and the collections all come through here).
// Only a regular file is read, so a FIFO or a device never holds the program up (failure 75), and never more
// than kMaxReadBytes of it (failure 7, also for a file that has no size and never ends). With `stamp`, what
// the file was when read (Unread after a failure).
Result<QByteArray> readWholeFile(const QString &path, FileStamp *stamp = nullptr, const ReadProgress &progress = {});

// `size` bytes of a file from `from` on (fewer where it ends), by the rules of readWholeFile: a draw from
// fortune's collections reads one entry of a text, not the text.
Result<QByteArray> readFilePart(const QString &path, qint64 from, qint64 size);
// Reads a file from its start in pieces of `pieceSize` bytes through one buffer, handing each to `take` in
// order until the end or until it returns false: a decision on all of a file that need not hold it whole.
MaybeFailure readFileInPieces(const QString &path, qint64 pieceSize, const std::function<bool(QByteArrayView)> &take);

// A write past the file-size limit (RLIMIT_FSIZE) must fail like any other write instead of ending the
// program with SIGXFSZ: the program calls this once at start.
void ignoreFileSizeSignal();

} // namespace tankedosan::store
