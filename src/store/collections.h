#pragma once

#include "store/failure.h"
#include "store/linestore.h"

#include <QString>
#include <QStringList>

namespace store {

// Program folder, separator, name and ".dat". The name is not checked here: see checkName.
QString collectionPath(const QString &name);

// The names of the files of the program folder that match a wildcard pattern (letters compared without
// regard to case), sorted by name without regard to case. Folders and hidden files are left out.
QStringList listFiles(const QString &pattern);

// The names of the "*.dat" files of the program folder (any letter case), sorted by name without regard to
// case, each without its last four characters. Folders and hidden files are not collections.
QStringList listCollections();

// True for a normal file: folders and hidden files do not count.
bool fileExists(const QString &path);

// Reads the whole file and gives its non-empty lines in file order; on a failure `lines` is left as it was.
MaybeFailure readCollection(const QString &path, LineStore &lines);
MaybeFailure readCollection(const QString &path, QStringList &lines);

// The written form: every entry followed by CR LF, in list order; an empty list gives a file of zero bytes.
// The file is replaced atomically, so a failed write leaves the previous file whole.
MaybeFailure writeCollection(const QString &path, const LineStore &lines);
MaybeFailure writeCollection(const QString &path, const QStringList &lines);

// Writes any bytes atomically; the one way the program replaces a file.
MaybeFailure writeFileAtomically(const QString &path, const QByteArray &bytes);

MaybeFailure createEmptyCollection(const QString &path);
MaybeFailure deleteCollection(const QString &path);

// Reads a whole file as bytes (the help text, the number file and the collections all come through here).
MaybeFailure readWholeFile(const QString &path, QByteArray &bytes);

} // namespace store
