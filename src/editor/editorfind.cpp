// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "editor/editorfind.h"

using namespace Qt::StringLiterals;

store::Failure invalidPropertyValue()
{
    return {380, u"Ogiltigt egenskapsvärde"_s};
}

std::variant<qsizetype, store::Failure> lineToMark(const store::LineStore &lines, QStringView needle,
                                                   store::Match match, qsizetype from)
{
    const qsizetype found = lines.findFirst(needle, match, std::max<qsizetype>(from, 0));
    if (found >= 0)
        return found;
    if (lines.isEmpty())
        return invalidPropertyValue();
    return qsizetype(0);
}

QString findErrorText(const store::Failure &failure)
{
    return u"Ett fel uppstod under sökning: "_s + QString::number(failure.number) + u" - "_s + failure.description;
}
