// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "cli/commandline.h"

namespace tankedosan::dbus {

// --dagens --avisera: the proverb of the day as a desktop notification (org.freedesktop.Notifications). Where the
// server offers actions, a click on it opens the window at that proverb: the program waits for it until the
// notification closes, at most half an hour. Without a session bus or a notification server the proverb is
// printed instead, and the failure told; the status is then 2.
int notifyDailyProverb(const cli::CommandLine &line);

} // namespace tankedosan::dbus
