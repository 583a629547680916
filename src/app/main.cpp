#include "store/commandline.h"
#include "store/files.h"
#include "store/terminal.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <dlfcn.h>

namespace {

// The window lives in a library of its own (see window.cpp): an installed copy keeps it in
// ../lib/tankedosan/window beside its bin folder, a build finds it by the run path the build gave the executable.
int openWindow(int &argc, char **argv, const QString &folder)
{
    const QString name = QStringLiteral("libtankedosan-window.so");
    const QString executable = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    const QString installed =
        QFileInfo(executable).absolutePath() + QStringLiteral("/../lib/tankedosan/window/") + name;
    const bool isInstalled = !executable.isEmpty() && QFileInfo::exists(installed);
    void *library = dlopen(QFile::encodeName(isInstalled ? installed : name).constData(), RTLD_NOW | RTLD_LOCAL);
    using Window = int(int &, char **, const QString &);
    auto *window = library ? reinterpret_cast<Window *>(dlsym(library, "tankedosanWindow")) : nullptr;
    if (!window) {
        const char *why = dlerror();
        const QByteArray text = store::toTerminal(QStringLiteral("tankedosan: fönstret kan inte öppnas: ")
                                                  + QString::fromLocal8Bit(why ? why : "tankedosanWindow") + u'\n');
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
        return 2;
    }
    return window(argc, argv, folder);
}

} // namespace

int main(int argc, char *argv[])
{
    store::ignoreFileSizeSignal();
    QCoreApplication::setApplicationName(QStringLiteral("Tankedosan"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TANKEDOSAN_VERSION));
    // Everything but the window itself (--help, --version, the terminal's commands, a command line that is
    // refused) answers in the terminal, without a display.
    const store::CommandLine commandLine = store::readCommandLine(store::argumentList(argc, argv));
    if (commandLine.action != store::CommandLine::Action::Run) {
        QCoreApplication app(argc, argv);
        return store::runInTerminal(commandLine);
    }
    return openWindow(argc, argv, commandLine.folder);
}
