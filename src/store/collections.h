#pragma once

#include "store/failure.h"
#include "store/linestore.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace store {

// Program folder, separator, name and ".dat". The name is not checked here: see checkName.
QString collectionPath(const QString &name);

// The names of the files of the program folder that match a wildcard pattern (letters compared without
// regard to case), sorted by name without regard to case. Folders and hidden files are left out.
QStringList listFiles(const QString &pattern);

// The names of the "*.dat" files of the program folder (any letter case), sorted by name without regard to
// case, each without its last four characters. Folders and hidden files are not collections.
QStringList listCollections();

// The names of the regular files of the program folder that end in the suffix (any letter case) but that
// Qt's file-name decoding cannot hold (not valid UTF-8): such a file can be neither listed nor opened by
// name, so the user must be told. Each is given decoded as well as it can be (U+FFFD for what is not UTF-8).
QStringList listUndecodableFiles(const QString &suffix);

// True for a normal file: folders and hidden files do not count.
bool fileExists(const QString &path);

// Told how far a read has come (bytes read, and the file's size); gives false to stop it, which fails with
// failures::cancelled(). A window shows it when a read takes long.
using ReadProgress = std::function<bool(qint64 done, qint64 size)>;

// Reads the whole file and gives its non-empty lines in file order; on a failure `lines` is left as it was.
// A file past the bounds of bounds.h is refused (failure 7).
MaybeFailure readCollection(const QString &path, LineStore &lines, const ReadProgress &progress = {});
MaybeFailure readCollection(const QString &path, QStringList &lines);

// The lines of a file's bytes that readWholeFile gave for path (empty ones too when keepEmpty is set),
// refused past kMaxReadLines lines (failure 7); on a failure `lines` is left as it was.
MaybeFailure linesFromFile(const QString &path, QByteArray bytes, LineStore &lines, bool keepEmpty = false);

// The written form: every entry followed by CR LF, in list order; an empty list gives a file of zero bytes.
// The file is replaced atomically, so a failed write leaves the previous file whole. Lines that would not
// write back what was read (LineStore::writesBackUnchanged) are refused (failure 54) and nothing is written.
MaybeFailure writeCollection(const QString &path, const LineStore &lines);
MaybeFailure writeCollection(const QString &path, const QStringList &lines);

// Writes any bytes atomically; the one way the program replaces a file. Success only once every byte is on
// the disk; on a failure the previous file is left whole. Only a regular file or a free name is written: a
// path that names anything else, directly or through a link, gives failure 75. A link to a regular file
// stays a link and the file it points to is replaced.
MaybeFailure writeFileAtomically(const QString &path, const QByteArray &bytes);
// The most bytes the temporary name of that write adds to the file's name (QSaveFile's ".XXXXXX"): names
// are checked against it (checkNameForWriting), so it must follow any change to how the write names it.
inline constexpr qsizetype kTemporaryNameBytes = 7;

MaybeFailure createEmptyCollection(const QString &path);
MaybeFailure deleteCollection(const QString &path);

// Reads a whole file as bytes (the help text, the number file and the collections all come through here).
// Only a regular file is read, so a FIFO or a device never holds the program up (failure 75), and never more
// than kMaxReadBytes of it (failure 7, also for a file that has no size and never ends); on a failure
// `bytes` is left as it was.
MaybeFailure readWholeFile(const QString &path, QByteArray &bytes, const ReadProgress &progress = {});

// A write past the file-size limit (RLIMIT_FSIZE) must fail like any other write instead of ending the
// program with SIGXFSZ: the program calls this once at start.
void ignoreFileSizeSignal();

} // namespace store
