// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/commands.h"

#include "cli/output.h"
#include "cli/reading.h"

using namespace Qt::StringLiterals;

namespace tankedosan::cli {

using namespace store;

int listCollections(const CommandLine &line)
{
    const std::vector<Collection> all = allCollections();
    Printer out(stdout);
    const bool read = readEach(
        all, &out,
        [&](const Collection &collection, const LineStore::FileLines &lines) {
            out.line(collection.name + u'\t' + QString::number(lines.size()));
        },
        {}, line.encoding);
    if (!out.finish() || !read)
        return kError;
    return all.empty() ? kNotFound : kFound;
}

} // namespace tankedosan::cli
