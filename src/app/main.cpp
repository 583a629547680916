// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/commandline.h"
#include "cli/output.h"
#include "cli/terminal.h"
#include "store/files.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <dlfcn.h>

using namespace tankedosan;
using namespace tankedosan::cli;
using namespace tankedosan::store;

namespace {

// The window lives in a library of its own (see window.cpp): beside the executable in a build or an unpacked
// copy, in ../lib/tankedosan/window beside the bin folder of an installed one. Only those two places are
// tried, by their full paths, so no library search path can put another library in its place.
int openWindow(int &argc, char **argv, const QString &folder, const store::ChosenEncoding &encoding)
{
    const QString name = QStringLiteral("libtankedosan-window.so");
    const QString bin = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    const QString beside = bin + u'/' + name;
    const QString path = QFileInfo::exists(beside) ? beside : bin + QStringLiteral("/../lib/tankedosan/window/") + name;
    void *library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    using Window = int(int &, char **, const QString &, const store::ChosenEncoding &);
    auto *window = library ? reinterpret_cast<Window *>(dlsym(library, "tankedosanWindow")) : nullptr;
    if (!window) {
        const char *why = dlerror();
        const QByteArray text = cli::toTerminal(QStringLiteral("tankedosan: fönstret kan inte öppnas: ")
                                                + (why ? QString::fromLocal8Bit(why) : path) + u'\n');
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
        return 2;
    }
    return window(argc, argv, folder, encoding);
}

} // namespace

int main(int argc, char *argv[])
{
    store::ignoreFileSizeSignal();
    QCoreApplication::setApplicationName(QStringLiteral("Tankedosan"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TANKEDOSAN_VERSION));
    // Everything but the window itself (--help, --version, the terminal's commands, a command line that is
    // refused) answers in the terminal, without a display.
    const cli::CommandLine commandLine = cli::readCommandLine(cli::argumentList(argc, argv));
    if (commandLine.action != cli::CommandLine::Action::Run) {
        QCoreApplication app(argc, argv);
        return cli::runInTerminal(commandLine);
    }
    return openWindow(argc, argv, commandLine.folder, commandLine.encoding);
}
