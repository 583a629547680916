// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "cli/commandline.h"

#include <QStringList>

namespace tankedosan::dbus {

// Starts the main window as a program of its own, with --fönster and `arguments`, on the folder and in the
// encoding `line` names. It shares no stream with this process: the window outlives it, and a pipe its reader
// has closed would end the window at its first warning (SIGPIPE).
bool startWindow(const cli::CommandLine &line, const QStringList &arguments);

} // namespace tankedosan::dbus
