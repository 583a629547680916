// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

// Test helpers that need the operating system itself (Linux only; elsewhere their tests are left out).

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#ifdef Q_OS_LINUX
#include <malloc.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

// A mount namespace private to this process, made once; needs root or CAP_SYS_ADMIN.
inline bool privateMountNamespace()
{
    static const bool made =
        ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return made;
}

// A tmpfs of a given size in a mount namespace private to this process; needs root or CAP_SYS_ADMIN.
class SmallFileSystem
{
public:
    explicit SmallFileSystem(qint64 bytes)
    {
        const QByteArray options = "size=" + QByteArray::number(bytes);
        m_mounted = privateMountNamespace()
                    && ::mount("tmpfs", QFile::encodeName(path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    static const char *whyNot() { return "no tmpfs in a mount namespace of its own (needs root or CAP_SYS_ADMIN)"; }
    QString path() const { return m_dir.path(); }

    bool fill(const QString &fileName) const
    {
        QFile filler(path() + QLatin1Char('/') + fileName);
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) { }
        while (filler.write("x", 1) == 1) { }
        return true;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// A file or folder that nobody can write, root included, while the object lives: bound onto itself read-only in
// this process's own mount namespace for root, its write permission taken away for any other user. held() tells
// whether it came about (for root, only where it may mount).
class ReadOnly
{
public:
    explicit ReadOnly(const QString &path)
        : m_path(QFile::encodeName(path))
    {
        struct stat info = {};
        if (::geteuid() != 0 && ::stat(m_path.constData(), &info) == 0) {
            m_mode = info.st_mode & 07777;
            ::chmod(m_path.constData(), m_mode & ~0222);
        } else if (::geteuid() == 0 && privateMountNamespace()
                   && ::mount(m_path.constData(), m_path.constData(), nullptr, MS_BIND, nullptr) == 0) {
            m_bound = true;
            ::mount(nullptr, m_path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
        }
    }
    ~ReadOnly()
    {
        if (m_bound)
            ::umount2(m_path.constData(), MNT_DETACH);
        else if (m_mode)
            ::chmod(m_path.constData(), m_mode);
    }
    ReadOnly(const ReadOnly &) = delete;
    ReadOnly &operator=(const ReadOnly &) = delete;
    bool held() const { return ::access(m_path.constData(), W_OK) != 0; }

private:
    QByteArray m_path;
    mode_t m_mode = 0;
    bool m_bound = false;
};

// The bytes this thread's allocations hold (glibc counts the main arena).
inline qint64 bytesInUse()
{
    const struct mallinfo2 held = ::mallinfo2();
    return qint64(held.uordblks + held.hblkhd);
}

// The type of what a path names with links followed, -2 for nothing.
inline int typeOf(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & S_IFMT) : -2;
}

// The wait status of the step run in a forked child that SIGALRM ends after the given seconds.
inline int runInChild(const std::function<int()> &step, unsigned seconds)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(seconds);
        ::_exit(step());
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return status;
}
#endif
