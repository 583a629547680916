// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/commands.h"

#include "cli/output.h"
#include "cli/reading.h"

using namespace Qt::StringLiterals;

namespace tankedosan::cli {

using namespace store;

int searchProverbs(const CommandLine &line)
{
    const auto collections = chosenCollections(line.collection);
    if (!collections)
        return kError;
    const bool named = line.collection == u"alla"_s;
    const Match match = line.beginning ? Match::Beginning : Match::Anywhere;
    bool found = false;
    Printer out(stdout);
    const bool read =
        readEach(*collections, &out, [&](const Collection &collection, const LineStore::FileLines &lines) {
            // The search window's own comparison, so a word is found here exactly where the window finds it.
            const QString prefix = named ? collection.name + u':' : QString();
            lines.findAll(line.needle, match, [&](const QString &proverb) {
                out.line(prefix + proverb);
                found = true;
            });
        });
    if (!out.finish() || !read)
        return kError;
    return found ? kFound : kNotFound;
}

} // namespace tankedosan::cli
