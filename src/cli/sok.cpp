// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/commands.h"

#include "cli/output.h"
#include "cli/reading.h"
#include "store/shown.h"

#include <utility>

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
    // A proverb a line, after its collection's name when several are searched; an entry of fortune's whole,
    // each followed by a line of "%" as fortune -m prints them, after a heading of the collection's name.
    const auto print = [&](const Collection &collection, bool entries) {
        return [&, entries, heading = named, prefix = named ? collection.name + u':' : QString(),
                name = collection.name](const QString &proverb) mutable {
            if (!entries) {
                out.line(prefix + joinedLines(proverb));
            } else {
                if (std::exchange(heading, false)) {
                    out.line(u'(' + name + u')');
                    out.line(u"%");
                }
                out.line(proverb);
                out.line(u"%");
            }
            found = true;
        };
    };
    // The search window's own comparison, so a word is found here exactly where the window finds it; a text
    // of fortune's searched where it lies when that finds the same, so that only the entries found are joined.
    const bool read = readEach(
        *collections, &out,
        [&](const Collection &collection, const LineStore::FileLines &lines) {
            lines.findAll(line.needle, match, print(collection, lines.holdsEntries()));
        },
        [&](const Collection &collection, QByteArrayView text, const FortuneIndex &index) {
            if (!fortuneSearchInPlace(text, index, line.needle, match))
                return false;
            findFortuneEntries(text, index, line.needle, print(collection, true));
            return true;
        },
        line.encoding);
    if (!out.finish() || !read)
        return kError;
    return found ? kFound : kNotFound;
}

} // namespace tankedosan::cli
