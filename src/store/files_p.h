// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/files.h"

#include <QFileInfo>
#include <QString>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace tankedosan::store {

// What the reading and the writing halves of the file layer share; used inside it only.

// True when the path names something other than a regular file: a folder, a device, a FIFO, a socket, a
// link to one of those, or a link that leads nowhere. A free name is not "other".
inline bool namesSomethingElse(const QString &path)
{
    const QFileInfo info(path);
    return (info.exists() || info.isSymLink()) && !info.isFile();
}

#ifdef Q_OS_UNIX
// The stamp of what fstat or stat gave.
inline FileStamp stampFrom(const struct stat &info)
{
    FileStamp stamp;
    stamp.state = FileStamp::State::Present;
    stamp.device = quint64(info.st_dev);
    stamp.inode = quint64(info.st_ino);
    stamp.size = qint64(info.st_size);
    stamp.seconds = qint64(info.st_mtim.tv_sec);
    stamp.nanoseconds = qint64(info.st_mtim.tv_nsec);
    return stamp;
}
#endif

} // namespace tankedosan::store
