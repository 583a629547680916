// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "editor/editorfind.h"

using namespace Qt::StringLiterals;

namespace tankedosan::editor {

store::Result<qsizetype> lineToMark(const store::LineStore &lines, QStringView needle, store::Match match,
                                    qsizetype from)
{
    const qsizetype found = lines.findFirst(needle, match, std::max<qsizetype>(from, 0));
    if (found >= 0)
        return found;
    if (lines.isEmpty())
        return store::failures::invalidPropertyValue();
    return qsizetype(0);
}

} // namespace tankedosan::editor
