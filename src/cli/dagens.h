// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "cli/commandline.h"
#include "cli/slump.h"

#include <QDate>

#include <optional>

namespace tankedosan::cli {

// The proverb of a day: drawn by the day alone, over every collection of the folder (or those --samling names),
// so that it stays the same all day while the collections do not change, and each proverb is as likely as any
// other over the days. What could not be read is told on standard error; the status is the command's
// (output.h) for what was drawn, before anything is printed.
struct DailyProverb
{
    std::optional<DrawnProverb> drawn;
    int status = kNotFound;
};
DailyProverb proverbOfDay(const CommandLine &line, QDate day);

} // namespace tankedosan::cli
