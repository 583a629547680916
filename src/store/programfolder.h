// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/failure.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tankedosan::store {

// The folder in use: every data file of the program lives there. The executable's folder until the start
// settles it (settleProgramFolder), or a folder that setProgramFolder named.
QString programFolder();

// Points the program at another folder; tests and benchmarks use it to work on a folder of their own.
void setProgramFolder(const QString &folder);

// Folder, separator and file name.
QString pathInProgramFolder(const QString &fileName);

// False for a folder the program may not write in (another program's, such as fortune's, or a read-only
// disk): its collections can only be read, and nr.ini is not kept there.
bool programFolderIsWritable();

// A collection or text-file name typed by the user must not climb out of the program folder or name a
// folder: "/", "\" and the names "." and ".." are refused before anything reaches the file system.
// A name starting with "." would make a hidden file, which no list shows: refused as well.
MaybeFailure checkName(const QString &name);

// checkName, and every file the program writes under the name (name + ".dat" or ".txt", and the temporary
// name beside it that an atomic write renames) must fit the file system's limit on a name: a collection
// that can be created but never saved again is refused when it is named (failure 52).
MaybeFailure checkNameForWriting(const QString &name);

// Where the collections live. A copy that a user unpacked and runs (or the build folder) keeps them in its own
// folder. An installed copy, one whose samples lie in ../share/tankedosan beside its bin folder, must not write
// there (shared by every user, lost on an upgrade, or refused): it uses the per-user data folder and seeds it
// from those samples. A folder named on the command line is used outright, unseeded.
struct FolderChoice
{
    QString folder;
    QString samplesFolder; // an installed copy's samples; empty when nothing is to be seeded
    friend bool operator==(const FolderChoice &, const FolderChoice &) = default;
};
FolderChoice chooseProgramFolder(const QString &executableFolder, const QString &namedFolder,
                                 const QString &perUserFolder);

// Creates `folder` when it is missing and copies help.txt and the sample collections (*.dat) of
// `samplesFolder` into it, never over a name that is already there. The collections are copied only into a
// folder that holds none yet (the first start), so a collection the user deleted does not come back; the help
// text is put back whenever it is missing, and replaced by the newer one when it is, byte for byte, a help text
// that an earlier version shipped (its SHA-256 sum is listed in help-shipped.sha256 beside the samples): an
// edited copy stays the user's. Tries every file and gives the first failure.
MaybeFailure seedFolder(const QString &folder, const QString &samplesFolder);

// The start: chooses with the executable's folder and the per-user data folder
// (QStandardPaths::AppDataLocation), seeds it, and makes the choice the program folder. The folder is in use
// even when seeding failed; the failure is for the main window to show.
MaybeFailure settleProgramFolder(const QString &namedFolder);

} // namespace tankedosan::store
