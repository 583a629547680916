// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/failure.h"

#include <QString>
#include <QStringList>

namespace tankedosan::import {

// What the import window decides without a widget: which files a pattern lets through, what the folder list
// shows, and where a drive begins.

// The names of the normal files of a folder that match one of the wildcard patterns separated by ";" ("*" any run
// of characters, "?" one character; blanks around a pattern are not part of it), letters compared without regard
// to case, sorted by name without regard to case; hidden files and folders are left out. Fails when the folder
// cannot be read.
store::Result<QStringList> listMatchingFiles(const QString &folder, const QString &patterns);

// The folder list: the path's ancestors from the drive's root down to the path itself, then the path's
// subfolders sorted by name, hidden ones left out. Fails when the folder cannot be read.
struct FolderEntry
{
    QString path;
    QString caption;
    int depth = 0;
    bool isCurrent = false;
};
store::Result<QList<FolderEntry>> folderEntries(const QString &path);

// The mounted volumes, as the drive list shows them: their root paths, sorted, each once.
QStringList drives();
// The drive that holds the path: the longest drive root that the path lies in.
QString driveOf(const QString &path, const QStringList &drives);

// The path of a file in a folder: a separator only when the folder does not already end with one.
QString fileInFolder(const QString &folder, const QString &fileName);

} // namespace tankedosan::import
