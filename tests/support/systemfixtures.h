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

// A tmpfs of a given size in a mount namespace private to this process; needs root or CAP_SYS_ADMIN.
class SmallFileSystem
{
public:
    explicit SmallFileSystem(qint64 bytes)
    {
        static const bool privateNamespace =
            ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        const QByteArray options = "size=" + QByteArray::number(bytes);
        m_mounted = privateNamespace
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
