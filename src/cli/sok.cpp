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
    const auto print = [&](const Collection &collection) {
        return [&, prefix = named ? collection.name + u':' : QString()](const QString &proverb) {
            out.line(prefix + proverb);
            found = true;
        };
    };
    // The search window's own comparison, so a word is found here exactly where the window finds it; a text
    // of fortune's searched where it lies when that finds the same, so that only the entries found are joined.
    const bool read = readEach(
        *collections, &out,
        [&](const Collection &collection, const LineStore::FileLines &lines) {
            lines.findAll(line.needle, match, print(collection));
        },
        [&](const Collection &collection, QByteArrayView text, const FortuneIndex &index) {
            if (!fortuneSearchInPlace(text, index, line.needle, match))
                return false;
            findFortuneEntries(text, index, line.needle, print(collection));
            return true;
        },
        line.encoding);
    if (!out.finish() || !read)
        return kError;
    return found ? kFound : kNotFound;
}

} // namespace tankedosan::cli
