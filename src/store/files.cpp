// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/files.h"

#include "store/files_p.h"

#include "store/bounds.h"
#include "store/encoding.h"
#include "store/hugepages.h"
#include "store/lines.h"
#include "store/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <utility>

#ifdef Q_OS_UNIX
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace tankedosan::store {

namespace {

// Reads the open file to its end, but never more than maxReadBytes: a size the file system gives is
// checked before anything is read, and a file that has no size (/proc/self/pagemap) or grows is refused
// once it passes the bound. A regular file is read into exactly its size, with no room to spare.
// readSome(to, most) reads at most `most` bytes, giving how many (0 at the end, -1 with errno set on failure).
template<typename ReadSome>
MaybeFailure readBounded(qint64 size, ReadSome readSome, const QString &path, QByteArray &bytes,
                         const ReadProgress &progress)
{
    // With someone to tell, the file is read in steps, each told as it is done.
    constexpr qint64 kStep = qint64(8) << 20;
    if (size > maxReadBytes)
        return failures::tooLarge(path);
    // reserve() takes exactly what it is asked; resize() alone would round up to a power of two.
    QByteArray all;
    all.reserve(size);
    all.resize(size);
    // A quarter of the time of loading a million proverbs went to page faults: huge pages where the system
    // gives them.
    preferHugePages(all.data(), all.size());
    qint64 got = 0;
    for (;;) {
        if (got == all.size()) {
            // Full: a small probe tells the end from more to come, without doubling a file of its exact size.
            char probe[65536];
            errno = 0;
            const qint64 n = readSome(probe, qint64(sizeof probe));
            if (n < 0)
                return failures::fromSystemError(errno, path);
            if (n == 0)
                break;
            if (got + n > maxReadBytes)
                return failures::tooLarge(path);
            const qint64 room =
                std::min<qint64>(std::max<qint64>(2 * got, got + n + qint64(sizeof probe)), maxReadBytes);
            all.reserve(room);
            all.resize(room);
            std::memcpy(all.data() + got, probe, size_t(n));
            got += n;
            continue;
        }
        errno = 0;
        const qint64 n = readSome(all.data() + got, progress ? std::min(all.size() - got, kStep) : all.size() - got);
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

QString withoutExtension(const QString &file)
{
    const qsizetype dot = file.lastIndexOf(u'.');
    return dot < 0 ? file : file.left(dot);
}

QStringList listFiles(const QString &pattern, Nameless nameless)
{
    QDir dir(programFolder());
    dir.setNameFilters({pattern});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    QStringList names = dir.entryList();
    if (nameless == Nameless::Hidden || !pattern.startsWith(u"*."_s))
        return names;
    dir.setFilter(QDir::Files | QDir::Hidden);
    for (const QString &name : dir.entryList()) {
        if (name.size() != pattern.size() - 1) // the filter leaves names ending in the pattern's extension
            continue;
        // Where the listing's own order (the names in lower case) puts it.
        const QString key = name.toLower();
        names.insert(std::find_if(names.cbegin(), names.cend(), [&](const QString &n) { return n.toLower() > key; }),
                     name);
    }
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
        struct stat info
        { };
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

FileStamp stampOf(const QString &path)
{
    FileStamp stamp;
#ifdef Q_OS_UNIX
    struct stat info
    { };
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        stamp = stampFrom(info);
    else if (errno == ENOENT)
        stamp.state = FileStamp::State::Absent;
#else
    const QFileInfo info(path);
    stamp.state = info.exists() ? FileStamp::State::Present : FileStamp::State::Absent;
    stamp.size = info.size();
    stamp.seconds = info.lastModified().toMSecsSinceEpoch();
#endif
    return stamp;
}

namespace {
// A file the program owns is read only where it lies, never through a link (failure 75).
// The part of a file that a read takes: all of it, or `size` bytes (fewer at its end) from `from`.
struct Part
{
    qint64 from = 0;
    qint64 size = -1;
    const std::function<bool(QByteArrayView)> *pieces = nullptr; // given: the whole file, `size` at a time
};

MaybeFailure readFile(const QString &path, QByteArray &bytes, FileStamp *stamp, bool followLink,
                      const ReadProgress &progress, Part part = {})
{
    if (stamp)
        *stamp = FileStamp();
    // Only a regular file is read: a FIFO would wait for a writer for ever, a device could read without end.
    if (namesSomethingElse(path))
        return failures::pathAccessError(path);
#ifdef Q_OS_UNIX
    // Opened without blocking and checked again once open, for the name may have changed in between; for a
    // regular file the flag changes nothing. A link where none may be followed fails to open (ELOOP). Read
    // from the descriptor itself: the terminal reads dozens of fortune's files in one command, and each
    // system call saved is seen there.
    const Descriptor fd(::open(QFile::encodeName(path).constData(),
                               O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (followLink ? 0 : O_NOFOLLOW)));
    if (fd.get() < 0)
        return errno == ELOOP ? failures::pathAccessError(path) : failures::fromSystemError(errno, path);
    struct stat info
    { };
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return failures::pathAccessError(path);
    const qint64 size = info.st_size;
    const auto readSome = [&fd](char *to, qint64 most) -> qint64 {
        for (;;) {
            const ssize_t n = ::read(fd.get(), to, size_t(most));
            if (n >= 0 || errno != EINTR)
                return qint64(n);
        }
    };
    const auto seek = [&fd](qint64 to) {
        return ::lseek(fd.get(), off_t(to), SEEK_SET) == off_t(to);
    };
#else
    if (!followLink && QFileInfo(path).isSymLink())
        return failures::pathAccessError(path);
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failures::fromSystemError(errno, path);
    const qint64 size = file.size();
    const auto readSome = [&file](char *to, qint64 most) {
        return file.read(to, most);
    };
    const auto seek = [&file](qint64 to) {
        return file.seek(to);
    };
#endif
    errno = 0;
    if (part.pieces) {
        QByteArray buffer(std::clamp<qint64>(part.size, 1, std::max<qint64>(size, 1)), Qt::Uninitialized);
        for (qint64 got = 0;;) {
            const qint64 n = readSome(buffer.data(), buffer.size());
            if (n < 0)
                return failures::fromSystemError(errno, path);
            if ((got += n) > maxReadBytes) // a file that grows while it is read, for ever
                return failures::tooLarge(path);
            if (n == 0 || !(*part.pieces)(QByteArrayView(buffer).first(n)))
                break;
        }
    } else if (part.size >= 0) {
        if (part.size > maxReadBytes)
            return failures::tooLarge(path);
        // Never more room than the file holds from there, whatever was asked.
        const qint64 most = std::min(part.size, std::max<qint64>(size - part.from, 0));
        QByteArray some(most, Qt::Uninitialized);
        const qint64 n = seek(part.from) ? readSome(some.data(), most) : -1;
        if (n < 0)
            return failures::fromSystemError(errno, path);
        some.truncate(n);
        bytes = std::move(some);
    } else if (auto failure = readBounded(size, readSome, path, bytes, progress)) {
        return failure;
    }
    // Taken before the read: a file that changed while it was read has a stamp older than its bytes, and
    // writing it back is refused as changed, which is safe.
    if (stamp) {
#ifdef Q_OS_UNIX
        *stamp = stampFrom(info);
#else
        *stamp = stampOf(path);
#endif
    }
    return std::nullopt;
}
} // namespace

Result<QByteArray> readWholeFile(const QString &path, FileStamp *stamp, const ReadProgress &progress)
{
    QByteArray bytes;
    if (auto failure = readFile(path, bytes, stamp, true, progress))
        return *failure;
    return bytes;
}

Result<QByteArray> readFilePart(const QString &path, qint64 from, qint64 size)
{
    QByteArray bytes;
    if (auto failure = readFile(path, bytes, nullptr, true, {}, {from, size}))
        return *failure;
    return bytes;
}

MaybeFailure readFileInPieces(const QString &path, qint64 pieceSize, const std::function<bool(QByteArrayView)> &take)
{
    QByteArray unused;
    return readFile(path, unused, nullptr, true, {}, {0, pieceSize, &take});
}

Result<QByteArray> readOwnFile(const QString &path)
{
    QByteArray bytes;
    if (auto failure = readFile(path, bytes, nullptr, false, {}))
        return *failure;
    return bytes;
}

} // namespace tankedosan::store
