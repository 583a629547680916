// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/files.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#endif

namespace tankedosan::store {

// What the reading and the writing halves of the file layer share; used inside it only.

// True when the path names something other than a regular file: a folder, a device, a FIFO, a socket, a
// link to one of those, or a link that leads nowhere. A free name is not "other".
inline bool namesSomethingElse(const QString &path)
{
#ifdef Q_OS_UNIX
    // One stat where QFileInfo would take three: the terminal opens dozens of fortune's files in one command.
    const QByteArray name = QFile::encodeName(path);
    struct stat info
    { };
    if (::stat(name.constData(), &info) == 0)
        return !S_ISREG(info.st_mode);
    return ::lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode);
#else
    const QFileInfo info(path);
    return (info.exists() || info.isSymLink()) && !info.isFile();
#endif
}

#ifdef Q_OS_UNIX
// A descriptor closed on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    { }
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and gives the error number of the close, 0 when it went well.
    int close()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    }

private:
    int m_fd;
};

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
