// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/commandline.h"
#include "cli/output.h"
#include "dbus/notification.h"
#include "dbus/searchprovider.h"

#include <QCoreApplication>

// The program's side of the session bus, loaded by the executable only for what answers there: the desktop's
// search (--sökleverantör) and the proverb of the day as a notification (--dagens --avisera).
extern "C" Q_DECL_EXPORT int tankedosanBus(int &argc, char **argv, const tankedosan::cli::CommandLine &line)
{
    using Action = tankedosan::cli::CommandLine::Action;
    QCoreApplication app(argc, argv);
    if (line.action == Action::SearchProvider)
        return tankedosan::dbus::serveSearch(line);
    if (line.action == Action::Daily && line.notify)
        return tankedosan::dbus::notifyDailyProverb(line);
    return tankedosan::cli::kError; // the executable sends nothing else here
}
