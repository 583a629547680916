// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/commands.h"

#include "cli/output.h"
#include "cli/reading.h"
#include "store/collections.h"

using namespace Qt::StringLiterals;

namespace tankedosan::cli {

using namespace store;

int proverbByNumber(const CommandLine &line)
{
    const auto collections = chosenCollections(line.collection);
    if (!collections)
        return kError;
    const Collection &collection = collections->front();
    const Result<LineStore> read = readCollection(collection.path, nullptr, {}, line.encoding);
    if (auto failure = read.failure()) {
        printFailure(*failure);
        return kError;
    }
    const LineStore &lines = *read;
    if (line.number > lines.size()) {
        printError(u"''"_s + collection.name + u"'' har "_s + QString::number(lines.size()) + u" ordspråk; nummer "_s
                   + QString::number(line.number) + u" finns inte."_s);
        return kError; // a number the collection does not reach is a wrong argument, as the manual pages say
    }
    Printer out(stdout);
    out.line(lines.at(line.number - 1));
    return out.finish() ? kFound : kError;
}

} // namespace tankedosan::cli
