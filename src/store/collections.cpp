#include "store/collections.h"

#include "store/bounds.h"
#include "store/encoding.h"
#include "store/lines.h"
#include "store/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace store {

namespace {

// True when the path names something other than a regular file: a folder, a device, a FIFO, a socket, a
// link to one of those, or a link that leads nowhere. A free name is not "other".
bool namesSomethingElse(const QString &path)
{
    const QFileInfo info(path);
    return (info.exists() || info.isSymLink()) && !info.isFile();
}

// Forces the written bytes onto the disk before the rename makes them the file: otherwise a power cut soon
// after could leave the new name over a file whose blocks were never written, on file systems that allocate
// late (ext4, XFS, Btrfs). QSaveFile (Qt 6.4 on Linux) calls fdatasync too but ignores the outcome; here a
// failed sync (EIO, or ENOSPC where space is only taken at write-back, as on NFS) stops the commit. The
// sync inside commit() then finds nothing left to write, so the pair costs no more than one. Gives the
// error number, 0 when the bytes are on the disk or the file system has no way to sync.
int syncToDisk(QSaveFile &file)
{
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) == 0)
        return 0;
    const int error = errno;
    return error == EINVAL || error == ENOTSUP || error == ENOSYS ? 0 : error;
#else
    Q_UNUSED(file);
    return 0;
#endif
}

// Reads the open file to its end, but never more than kMaxReadBytes: a size the file system gives is
// checked before anything is read, and a file that has no size (/proc/self/pagemap) or grows is refused
// once it passes the bound. A regular file is read into exactly its size, with no room to spare.
MaybeFailure readBounded(QFile &file, const QString &path, QByteArray &bytes, const ReadProgress &progress)
{
    // With someone to tell, the file is read in steps, each told as it is done.
    constexpr qint64 kStep = qint64(8) << 20;
    const qint64 size = file.size();
    if (size > kMaxReadBytes)
        return failures::tooLarge(path);
    // reserve() takes exactly what it is asked; resize() alone would round up to a power of two.
    QByteArray all;
    all.reserve(size);
    all.resize(size);
    qint64 got = 0;
    for (;;) {
        if (got == all.size()) {
            // Full: a small probe tells the end from more to come, without doubling a file of its exact size.
            char probe[65536];
            errno = 0;
            const qint64 n = file.read(probe, sizeof probe);
            if (n < 0)
                return failures::fromSystemError(errno, path);
            if (n == 0)
                break;
            if (got + n > kMaxReadBytes)
                return failures::tooLarge(path);
            const qint64 room = std::min<qint64>(std::max<qint64>(2 * got, got + n + qint64(sizeof probe)), kMaxReadBytes);
            all.reserve(room);
            all.resize(room);
            std::memcpy(all.data() + got, probe, size_t(n));
            got += n;
            continue;
        }
        errno = 0;
        const qint64 n = file.read(all.data() + got, progress ? std::min(all.size() - got, kStep) : all.size() - got);
        if (n < 0)
            return failures::fromSystemError(errno, path);
        if (n == 0)
            break;
        got += n;
        if (progress && !progress(got, size))
            return failures::cancelled();
    }
    all.truncate(got);
    bytes = std::move(all);
    return std::nullopt;
}

} // namespace

void ignoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

QString collectionPath(const QString &name)
{
    return pathInProgramFolder(name + u".dat"_s);
}

QStringList listFiles(const QString &pattern)
{
    QDir dir(programFolder());
    dir.setNameFilters({pattern});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

QStringList listCollections()
{
    QStringList names = listFiles(u"*.dat"_s);
    for (QString &name : names)
        name.chop(4);
    return names;
}

QStringList listUndecodableFiles(const QString &suffix)
{
    QStringList names;
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(QFile::encodeName(programFolder()).constData());
    if (!dir)
        return names;
    const QByteArray tail = QFile::encodeName(suffix).toLower();
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        struct stat info {};
        if (name.startsWith('.') || !name.toLower().endsWith(tail) || QFile::encodeName(QFile::decodeName(name)) == name
            || ::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
            continue;
        names.append(QFile::decodeName(name));
    }
    ::closedir(dir);
    names.sort(Qt::CaseInsensitive);
#else
    Q_UNUSED(suffix);
#endif
    return names;
}

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

MaybeFailure readWholeFile(const QString &path, QByteArray &bytes, const ReadProgress &progress)
{
    // Only a regular file is read: a FIFO would wait for a writer for ever, a device could read without end.
    if (namesSomethingElse(path))
        return failures::pathAccessError(path);
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without blocking and checked again once open, for the name may have changed in between; for a
    // regular file the flag changes nothing.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failures::fromSystemError(errno, path);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return failures::pathAccessError(path);
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failures::ioError(path);
    }
#else
    file.setFileName(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failures::fromSystemError(errno, path);
#endif
    return readBounded(file, path, bytes, progress);
}

MaybeFailure linesFromFile(const QString &path, QByteArray bytes, LineStore &lines, bool keepEmpty)
{
    auto read = LineStore::fromFileBytesAtMost(std::move(bytes), keepEmpty, kMaxReadLines);
    if (!read)
        return failures::tooLarge(path);
    lines = std::move(*read);
    return std::nullopt;
}

MaybeFailure readCollection(const QString &path, LineStore &lines, const ReadProgress &progress)
{
    QByteArray bytes;
    if (auto failure = readWholeFile(path, bytes, progress))
        return failure;
    return linesFromFile(path, std::move(bytes), lines);
}

MaybeFailure readCollection(const QString &path, QStringList &lines)
{
    LineStore store;
    if (auto failure = readCollection(path, store))
        return failure;
    lines = store.toStringList();
    return std::nullopt;
}

MaybeFailure writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    // Only a regular file is replaced. QSaveFile would rename a regular file over a device, a FIFO or what
    // a link points to (as root even /dev/null), anywhere on the system.
    if (namesSomethingElse(path))
        return failures::pathAccessError(path);

    // A link to a regular file stays a link: QSaveFile follows it and replaces the file it points to.
    QSaveFile file(path);
    // Unbuffered, so every byte reaches the system inside write(), whose result says whether it got there.
    // Buffered, a small payload would wait for commit(), which does not see its flush fail on a full disk
    // and renames the short file over the previous one.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failures::fromSystemError(errno, path);
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int error = errno;
        file.cancelWriting();
        return failures::fromSystemError(error, path);
    }
    if (const int error = syncToDisk(file)) {
        file.cancelWriting();
        return failures::fromSystemError(error, path);
    }
    errno = 0;
    if (!file.commit())
        return failures::fromSystemError(errno, path);
    return std::nullopt;
}

MaybeFailure writeCollection(const QString &path, const LineStore &lines)
{
    if (!lines.writesBackUnchanged())
        return failures::wouldChange(path);
    return writeFileAtomically(path, lines.toFileBytes());
}

MaybeFailure writeCollection(const QString &path, const QStringList &lines)
{
    return writeCollection(path, LineStore::fromStrings(lines));
}

MaybeFailure createEmptyCollection(const QString &path)
{
    return writeFileAtomically(path, QByteArray());
}

MaybeFailure deleteCollection(const QString &path)
{
    if (!fileExists(path))
        return failures::fileNotFound(path);
    QFile file(path);
    errno = 0;
    if (!file.remove())
        return failures::fromSystemError(errno, path);
    return std::nullopt;
}

} // namespace store
