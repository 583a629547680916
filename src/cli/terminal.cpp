// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/terminal.h"

#include "cli/commands.h"
#include "cli/output.h"
#include "store/programfolder.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdio>
#include <new>

using namespace Qt::StringLiterals;

namespace tankedosan::cli {

using namespace store;

namespace {
int runCommand(const CommandLine &commandLine);
}

int runInTerminal(const CommandLine &commandLine)
{
    // A file or an index too large for the memory left is told, not a crash.
    try {
        return runCommand(commandLine);
    } catch (const std::bad_alloc &) {
        printFailure(failures::outOfMemory());
        return kError;
    }
}

namespace {
int runCommand(const CommandLine &commandLine)
{
    using Action = CommandLine::Action;
    switch (commandLine.action) {
    case Action::Run:
    case Action::SearchProvider: return kError; // the window's and the bus's, never the terminal's
    case Action::Help: {
        Printer out(stdout);
        out.line(QStringView(commandLine.text).chopped(1));
        return out.finish() ? kFound : kError;
    }
    case Action::Error: {
        const QByteArray bytes = toTerminal(commandLine.text);
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        return kError;
    }
    case Action::Version: {
        // The folder in use, as the window would choose it; nothing is created for asking.
        const FolderChoice choice =
            chooseProgramFolder(QCoreApplication::applicationDirPath(), commandLine.folder,
                                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        Printer out(stdout);
        out.line(QStringView(commandLine.text).chopped(1));
        out.line(u"Mapp: "_s + choice.folder);
        return out.finish() ? kFound : kError;
    }
    case Action::Random:
    case Action::Search:
    case Action::Number:
    case Action::Collections:
    case Action::Import:
    case Action::Daily: break;
    }
    // The folder the window would use, seeded as a first start of the window seeds it, so that a proverb at
    // login comes before the window was ever opened.
    if (auto failure = settleProgramFolder(commandLine.folder))
        printFailure(*failure);
    switch (commandLine.action) {
    case Action::Random: return randomProverb(commandLine);
    case Action::Search: return searchProverbs(commandLine);
    case Action::Number: return proverbByNumber(commandLine);
    case Action::Import: return importLines(commandLine);
    case Action::Daily: return dailyProverb(commandLine);
    default: return listCollections(commandLine);
    }
}
} // namespace

} // namespace tankedosan::cli
