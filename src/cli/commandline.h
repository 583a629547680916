// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/collections.h"
#include "store/encoding.h"

#include <QString>
#include <QStringList>

namespace tankedosan::cli {

// The command line, in Swedish. Without a command the main window opens (with --fönster, on the proverb or the
// search that --samling, --nummer and --sök give); --help, --version and the terminal's commands (--slump, --sök,
// --nummer, --samlingar, --importera, --dagens; see terminal.h) print and end, and need no display;
// --sökleverantör answers the desktop's search over D-Bus. --mapp DIR goes with every one of them; --kodning NAME
// with those that read collections.
struct CommandLine
{
    enum class Action { Run, Help, Version, Error, Random, Search, Number, Collections, Import, Daily, SearchProvider };
    Action action = Action::Run;
    QString folder; // --mapp, absolute; empty when not given
    QString text; // what Help and Error print; the version line of Version
    QString collection; // --samling: a name, "alla", or empty for the one the main window starts with
    QString needle; // --sök
    bool beginning = false; // --början
    qsizetype number = 0; // --nummer, from 1
    QString importFile; // --importera, absolute
    store::ChosenEncoding encoding; // --kodning: what files that are no UTF-8 (nor UTF-16) are read in
    bool notify = false; // --avisera: --dagens as a desktop notification
    store::WindowStart start; // --fönster: where the window opens
};

// Qt's own options (-style fusion, -platform xcb and the like) are left for QApplication to take: they are
// read past here, so that anything else unknown is refused before a display is needed.
CommandLine readCommandLine(const QStringList &arguments);
QStringList argumentList(int argc, char *argv[]);

} // namespace tankedosan::cli
