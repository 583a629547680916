// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/commands.h"

#include "cli/output.h"

namespace tankedosan::cli {

int dailyProverb(const CommandLine &)
{
    printError(QStringLiteral("--dagens finns inte än"));
    return kError;
}

} // namespace tankedosan::cli
