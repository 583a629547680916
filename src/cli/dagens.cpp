// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/dagens.h"

#include "cli/commands.h"
#include "cli/output.h"
#include "cli/reading.h"

using namespace Qt::StringLiterals;

namespace tankedosan::cli {

namespace {
// splitmix64's finaliser: neighbouring days give seeds that share no pattern, so that the draws of two days in a
// row are as unlike as those of two days far apart.
std::uint64_t mixed(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15u;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}
} // namespace

DailyProverb proverbOfDay(const CommandLine &line, QDate day)
{
    const auto collections = chosenCollections(line.collection.isEmpty() ? u"alla"_s : line.collection);
    if (!collections)
        return {std::nullopt, kError};
    ProverbDraw draw(mixed(std::uint64_t(day.toJulianDay())));
    bool allRead = true;
    DailyProverb daily{drawProverb(*collections, draw, line.encoding, true, allRead)};
    daily.status = !allRead ? kError : daily.drawn ? kFound : kNotFound;
    return daily;
}

int dailyProverb(const CommandLine &line)
{
    const DailyProverb daily = proverbOfDay(line, QDate::currentDate());
    if (!daily.drawn)
        return daily.status;
    Printer out(stdout);
    out.line(daily.drawn->proverb);
    return out.finish() ? daily.status : kError;
}

} // namespace tankedosan::cli
