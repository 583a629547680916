// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "cli/commandline.h"

namespace tankedosan::cli {

// The terminal's commands on the collections, one file each, named as the option is. Each returns the exit
// status (output.h).

int randomProverb(const CommandLine &line); // --slump
int searchProverbs(const CommandLine &line); // --sök
int proverbByNumber(const CommandLine &line); // --nummer
int listCollections(const CommandLine &line); // --samlingar
int importLines(const CommandLine &line); // --importera
int dailyProverb(const CommandLine &line); // --dagens

} // namespace tankedosan::cli
