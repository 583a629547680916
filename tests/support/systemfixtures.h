#pragma once

// Test helpers that need the operating system itself: a tiny file system of the test's own and a child
// process for steps that may hang or end the process. Linux only; elsewhere the tests that use them skip.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <functional>

#ifdef Q_OS_LINUX
#include <csignal>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

// A tmpfs of a given size mounted on a folder of its own, in a mount namespace private to this test
// process, so that nobody else sees it and it goes when the process ends; unmounted when the fixture goes.
// Needs root (or CAP_SYS_ADMIN); otherwise mounted() is false and whyNot() says why.
class SmallFileSystem {
public:
    explicit SmallFileSystem(qint64 bytes, bool readOnly = false)
    {
#ifdef Q_OS_LINUX
        static const bool privateNamespace =
            ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        if (!privateNamespace) {
            m_whyNot = QStringLiteral("no mount namespace of its own (needs root or CAP_SYS_ADMIN)");
            return;
        }
        const QByteArray options = "size=" + QByteArray::number(bytes);
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                            readOnly ? MS_RDONLY : 0, options.constData()) == 0;
        if (!m_mounted)
            m_whyNot = QStringLiteral("mounting a tmpfs failed: ") + QString::fromLocal8Bit(strerror(errno));
#else
        Q_UNUSED(bytes);
        Q_UNUSED(readOnly);
        m_whyNot = QStringLiteral("only on Linux");
#endif
    }
    ~SmallFileSystem()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
#endif
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    bool mounted() const { return m_mounted; }
    QString whyNot() const { return m_whyNot; }
    QString path() const { return m_dir.path(); }

    // Fills the file system to the last byte with a file of the given name.
    bool fill(const QString &fileName) const
    {
        QFile filler(path() + QLatin1Char('/') + fileName);
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("x", 1) == 1) {
        }
        return true;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_whyNot;
};

// How a step run in a child process ended.
struct ChildEnd {
    bool timedOut = false;
    int exitCode = -1; // -1 when the child did not exit by itself
    int signal = 0;    // the signal that ended it, if any
};

// Runs the step in a forked child and waits at most timeoutMs for it; a child still running then is killed.
// The step's result is the child's exit code.
inline ChildEnd runInChild(const std::function<int()> &step, int timeoutMs)
{
    ChildEnd end;
#ifdef Q_OS_LINUX
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(step());
    if (child < 0)
        return end;
    int status = 0;
    for (int waited = 0; ::waitpid(child, &status, WNOHANG) == 0; waited += 10) {
        if (waited >= timeoutMs) {
            end.timedOut = true;
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return end;
        }
        ::poll(nullptr, 0, 10);
    }
    if (WIFEXITED(status))
        end.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        end.signal = WTERMSIG(status);
#else
    Q_UNUSED(step);
    Q_UNUSED(timeoutMs);
    end.timedOut = true;
#endif
    return end;
}
