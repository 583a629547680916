// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/files.h"

#include "store/files_p.h"
#include "store/programfolder.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <utility>

#ifdef Q_OS_UNIX
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace tankedosan::store {

// The writing half of the file layer: a file replaced whole and atomically, only over what was read, and the
// search's scratch file.

namespace {

// The number of bytes and the two times in words, for the notice that a file changed since it was read.
QString describeChange(const FileStamp &before, const FileStamp &now)
{
    if (now.state == FileStamp::State::Absent)
        return before.state == FileStamp::State::Absent ? QString() : u"filen finns inte längre"_s;
    if (before.state == FileStamp::State::Absent)
        return u"en fil med samma namn har skapats"_s;
    if (now.device != before.device || now.inode != before.inode)
        return u"den har ersatts av en annan fil (nu "_s + QString::number(now.size) + u" byte)"_s;
    if (now.size != before.size)
        return u"storleken är nu "_s + QString::number(now.size) + u" byte i stället för "_s
               + QString::number(before.size);
    return u"den har skrivits om (ändringstiden är en annan)"_s;
}

// Six characters that make a temporary name of this moment's own.
QByteArray randomSuffix()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(6, 'x');
    for (char &c : suffix)
        c = letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return suffix;
}

// What no write back may replace, whatever the file and its folder are now: told before anything is tried
// there, so that a user saving fortune's collection in fortune's read-only folder learns why it is never
// written, not that a write was refused.
MaybeFailure refusedByStamp(const QString &path, const FileStamp &stamp)
{
    if (stamp.state == FileStamp::State::Unread)
        return failures::notRead(path);
    if (stamp.state == FileStamp::State::Foreign)
        return failures::belongsToOtherProgram(path);
    return std::nullopt;
}

#ifdef Q_OS_UNIX
// Writes every byte; gives the error number, 0 when all went.
int writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size_t(qMin<qint64>(size, 1 << 30)));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (done == 0)
            return EIO;
        data += done;
        size -= done;
    }
    return 0;
}

// A failed sync is a failed write, except where the file system cannot sync at all.
int syncError(int fd)
{
    if (::fsync(fd) == 0)
        return 0;
    const int error = errno;
    return error == EINVAL || error == ENOTSUP || error == ENOSYS ? 0 : error;
}

// Where a write lands: the open folder and the name in it. Whatever the path passed through (links, a link
// in its last place) was resolved once, here; the check and the write then use only this folder and name.
struct Target
{
    Descriptor folder;
    QByteArray name;
    bool exists = false;
    struct stat info
    { };
};

MaybeFailure resolveTarget(const QString &path, bool followLink, Target &target)
{
    QByteArray resolved = QFile::encodeName(path);
    struct stat info
    { };
    if (followLink && ::lstat(resolved.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char *real = ::realpath(resolved.constData(), nullptr);
        if (!real) // a link that leads nowhere, or round in a circle
            return failures::pathAccessError(path);
        resolved = real;
        std::free(real);
    }
    const qsizetype slash = resolved.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? "."_ba : slash == 0 ? "/"_ba : resolved.first(slash);
    target.name = resolved.sliced(slash + 1);
    if (target.name.isEmpty() || target.name == "." || target.name == "..")
        return failures::pathAccessError(path);
    target.folder.reset(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (target.folder.get() < 0)
        return failures::fromSystemError(errno, path);
    if (::fstatat(target.folder.get(), target.name.constData(), &target.info, AT_SYMLINK_NOFOLLOW) == 0) {
        target.exists = true;
        // A link here is one that was swapped in after the resolution, or one the caller does not follow.
        if (!S_ISREG(target.info.st_mode))
            return failures::pathAccessError(path);
        // A file made read-only is not replaced, though its folder would allow it.
        if (::faccessat(target.folder.get(), target.name.constData(), W_OK, AT_EACCESS) != 0)
            return failures::fromSystemError(errno, path);
    } else if (errno != ENOENT) {
        return failures::fromSystemError(errno, path);
    }
    return std::nullopt;
}

// A write back goes ahead only over the file as it was read, or to a name that was free and still is.
MaybeFailure checkStamp(const QString &path, const Target &target, const FileStamp &stamp)
{
    FileStamp now;
    now.state = FileStamp::State::Absent;
    if (target.exists)
        now = stampFrom(target.info);
    if (now != stamp)
        return failures::changedSinceRead(path, describeChange(stamp, now));
    return std::nullopt;
}

// The temporary file is the target's name and a suffix, beside it in the same folder, created afresh (never
// opened through a link). A file that replaces another starts private, until it takes the other's bits.
MaybeFailure createTemporary(const QString &path, const Target &target, Descriptor &file, QByteArray &temporary)
{
    for (int attempt = 0; attempt < 100 && file.get() < 0; ++attempt) {
        temporary = target.name + '.' + randomSuffix();
        file.reset(::openat(target.folder.get(), temporary.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, target.exists ? 0600 : 0666));
        if (file.get() < 0 && errno != EEXIST)
            return failures::fromSystemError(errno, path);
    }
    if (file.get() < 0)
        return failures::pathAccessError(path);
    return std::nullopt;
}

// Fills the temporary file, gives it the replaced file's owner and bits, and has it on the disk and closed;
// gives the error number, 0 when all went, and what the file is in `written`.
int fillTemporary(Descriptor &file, const Target &target, const QByteArray &bytes, struct stat &written)
{
    if (const int error = writeAll(file.get(), bytes.constData(), bytes.size()))
        return error;
    if (target.exists) {
        // Only root can give a file away, and an owner only to a group of its own: a group that cannot be
        // kept is not worth a failed save. The permission bits always can be kept (chown clears set-user-ID,
        // so they come after it).
        if (::geteuid() == 0 || ::geteuid() == target.info.st_uid) {
            // Held in a name, for glibc marks fchown's result as one to use and a (void) does not quiet that.
            [[maybe_unused]] const int kept = ::fchown(file.get(), target.info.st_uid, target.info.st_gid);
        }
        if (::fchmod(file.get(), target.info.st_mode & 07777) != 0 && errno != ENOTSUP && errno != EOPNOTSUPP)
            return errno;
    }
    // Forces the bytes onto the disk before the rename makes them the file: otherwise a power cut soon after
    // could leave the new name over a file whose blocks were never written, on file systems that allocate
    // late (ext4, XFS, Btrfs). A failed sync (EIO, or ENOSPC where space is only taken at write-back, as on
    // NFS) stops the save.
    if (const int error = syncError(file.get()))
        return error;
    if (::fstat(file.get(), &written) != 0)
        return errno;
    return file.close();
}

// Renames the temporary file over the target; gives the error number, 0 when it is in place, and EEXIST
// when a name that was free when read (`mustBeFree`) no longer is: a file another program made there
// meanwhile is not replaced.
int renameIntoPlace(const Target &target, const QByteArray &temporary, bool mustBeFree)
{
    const int folder = target.folder.get();
#ifdef RENAME_NOREPLACE
    if (mustBeFree) {
        if (::renameat2(folder, temporary.constData(), folder, target.name.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS) // else a file system without the flag
            return errno;
    }
#else
    Q_UNUSED(mustBeFree);
#endif
    return ::renameat(folder, temporary.constData(), folder, target.name.constData()) == 0 ? 0 : errno;
}

MaybeFailure replaceFile(const QString &path, const QByteArray &bytes, bool followLink, FileStamp *stamp)
{
    if (auto failure = stamp ? refusedByStamp(path, *stamp) : std::nullopt)
        return failure;
    Target target;
    if (auto failure = resolveTarget(path, followLink, target))
        return failure;
    if (auto failure = stamp ? checkStamp(path, target, *stamp) : std::nullopt)
        return failure;
    Descriptor file;
    QByteArray temporary;
    if (auto failure = createTemporary(path, target, file, temporary))
        return failure;
    const int folder = target.folder.get();
    struct stat written
    { };
    const bool mustBeFree = stamp && stamp->state == FileStamp::State::Absent;
    int error = fillTemporary(file, target, bytes, written);
    if (!error)
        error = renameIntoPlace(target, temporary, mustBeFree);
    if (error) {
        file.reset();
        ::unlinkat(folder, temporary.constData(), 0);
        return error == EEXIST && mustBeFree ? failures::changedSinceRead(path, describeChange(*stamp, stampOf(path)))
                                             : failures::fromSystemError(error, path);
    }
    // The rename lives in the folder: synced too, so that a power cut after "saved" cannot take it back. A
    // failure here is not reported: the new file is in place and every reader sees it, while a failed save
    // promises the previous file whole, and each window would undo in memory what the file now holds (the
    // main window puts a deleted proverb back, the editor keeps a stamp the file no longer matches).
    (void)::fsync(folder);
    if (stamp) {
        // The file as it lies now, where closing it may have moved its time (NFS); still the one written.
        struct stat placed
        { };
        if (::fstatat(folder, target.name.constData(), &placed, AT_SYMLINK_NOFOLLOW) == 0
            && placed.st_dev == written.st_dev && placed.st_ino == written.st_ino)
            written = placed;
        *stamp = stampFrom(written);
    }
    return std::nullopt;
}
#endif

} // namespace

MaybeFailure writeFileAtomically(const QString &path, const QByteArray &bytes, FileStamp *stamp)
{
#ifdef Q_OS_UNIX
    return replaceFile(path, bytes, true, stamp);
#else
    // Only a regular file is replaced. QSaveFile would rename a regular file over a device or what a link
    // points to.
    if (namesSomethingElse(path))
        return failures::pathAccessError(path);
    if (auto failure = stamp ? refusedByStamp(path, *stamp) : std::nullopt)
        return failure;
    if (stamp) {
        const FileStamp now = stampOf(path);
        if (now != *stamp)
            return failures::changedSinceRead(path, describeChange(*stamp, now));
    }
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failures::fromSystemError(errno, path);
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int error = errno;
        file.cancelWriting();
        return failures::fromSystemError(error, path);
    }
    errno = 0;
    if (!file.commit())
        return failures::fromSystemError(errno, path);
    if (stamp)
        *stamp = stampOf(path);
    return std::nullopt;
#endif
}

MaybeFailure writeOwnFile(const QString &path, const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    return replaceFile(path, bytes, false, nullptr);
#else
    return writeFileAtomically(path, bytes);
#endif
}

MaybeFailure deleteFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return failures::fileNotFound(path);
    QFile file(path);
    errno = 0;
    if (!file.remove())
        return failures::fromSystemError(errno, path);
    return std::nullopt;
}

ScratchFile::ScratchFile() = default;

ScratchFile::~ScratchFile()
{
    if (m_file.isOpen()) {
        m_file.close();
        QFile::remove(m_file.fileName());
    }
}

MaybeFailure ScratchFile::write(const QByteArray &bytes)
{
    if (!programFolderIsWritable()) {
        m_held = bytes;
        m_holds = true;
        return std::nullopt;
    }
    // "temp_" and a suffix of its own, made anew (NewOnly: O_EXCL), so neither a link nor another copy's
    // scratch file is ever opened; readable by this user only.
    for (int attempt = 0; attempt < 100 && !m_file.isOpen(); ++attempt) {
        m_file.setFileName(pathInProgramFolder(u"temp_"_s + QString::fromLatin1(randomSuffix()) + u".tmp"_s));
        errno = 0;
        if (!m_file.open(QIODevice::ReadWrite | QIODevice::NewOnly | QIODevice::Unbuffered,
                         QFileDevice::ReadOwner | QFileDevice::WriteOwner)
            && errno != EEXIST)
            return failures::fromSystemError(errno, m_file.fileName());
    }
    if (!m_file.isOpen())
        return failures::pathAccessError(m_file.fileName());
    errno = 0;
    if (m_file.write(bytes) != bytes.size())
        return failures::fromSystemError(errno, m_file.fileName());
    return std::nullopt;
}

Result<QByteArray> ScratchFile::readBack()
{
    if (m_holds)
        return m_held;
    if (!m_file.isOpen() || !m_file.seek(0))
        return failures::ioError(m_file.fileName());
    errno = 0;
    QByteArray all = m_file.readAll();
    if (m_file.error() != QFileDevice::NoError)
        return failures::fromSystemError(errno, m_file.fileName());
    return all;
}

} // namespace tankedosan::store
