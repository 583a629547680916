// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "cli/commandline.h"

namespace tankedosan::cli {

// The commands that answer in the terminal: --help, --version, a refused command line, and the commands on
// the collections (--slump, --sök, --nummer, --samlingar, --importera). They read the same folder and files
// as the windows, by the same rules; only --importera writes a collection, as the editor's "Spara" does.
// Output is UTF-8, or the locale's encoding when that is another; errors go to standard error in Swedish,
// with the numbers the windows show. The exit status is grep's (output.h).
int runInTerminal(const CommandLine &commandLine);

} // namespace tankedosan::cli
