#pragma once

#include "store/failure.h"

#include <QString>

namespace store {

// The folder of the running executable: every data file of the program lives there.
QString programFolder();

// Points the program at another folder; tests and benchmarks use it to work on a folder of their own.
void setProgramFolder(const QString &folder);

// Folder, separator and file name.
QString pathInProgramFolder(const QString &fileName);

// A collection or text-file name typed by the user must not climb out of the program folder or name a
// folder: "/", "\" and the names "." and ".." are refused before anything reaches the file system.
MaybeFailure checkName(const QString &name);

} // namespace store
