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

// The window and the D-Bus side live in libraries of their own (see window.cpp and dbus/), so that the terminal's
// commands never map a display's or the bus's libraries: beside the executable in a build or an unpacked copy,
// in ../lib/tankedosan/<part> beside the bin folder of an installed one. Only those two places are tried, by
// their full paths, so no library search path can put another library in its place.
template<typename Entry>
Entry *loadPart(const QString &part, const char *entry, const QString &failing)
{
    const QString name = QStringLiteral("libtankedosan-%1.so").arg(part);
    const QString bin = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    const QString beside = bin + u'/' + name;
    const QString path =
        QFileInfo::exists(beside) ? beside : bin + QStringLiteral("/../lib/tankedosan/%1/").arg(part) + name;
    void *library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    auto *found = library ? reinterpret_cast<Entry *>(dlsym(library, entry)) : nullptr;
    if (!found) {
        const char *why = dlerror();
        const QByteArray text = cli::toTerminal(QStringLiteral("tankedosan: ") + failing + QStringLiteral(": ")
                                                + (why ? QString::fromLocal8Bit(why) : path) + u'\n');
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    }
    return found;
}

int openWindow(int &argc, char **argv, const cli::CommandLine &line)
{
    using Window = int(int &, char **, const QString &, const store::ChosenEncoding &, const store::WindowStart &);
    auto *window =
        loadPart<Window>(QStringLiteral("window"), "tankedosanWindow", QStringLiteral("fönstret kan inte öppnas"));
    return window ? window(argc, argv, line.folder, line.encoding, line.start) : cli::kError;
}

int onTheBus(int &argc, char **argv, const cli::CommandLine &line)
{
    using Bus = int(int &, char **, const cli::CommandLine &);
    auto *bus = loadPart<Bus>(QStringLiteral("dbus"), "tankedosanBus", QStringLiteral("D-Bus kan inte nås"));
    return bus ? bus(argc, argv, line) : cli::kError;
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
    using Action = cli::CommandLine::Action;
    if (commandLine.action == Action::SearchProvider || (commandLine.action == Action::Daily && commandLine.notify))
        return onTheBus(argc, argv, commandLine);
    if (commandLine.action != Action::Run) {
        QCoreApplication app(argc, argv);
        return cli::runInTerminal(commandLine);
    }
    return openWindow(argc, argv, commandLine);
}
