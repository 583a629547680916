// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "quicksave/quicksavelist.h"

using namespace Qt::StringLiterals;

namespace tankedosan::quicksave {

QString appended(const QString &list, const QString &proverb)
{
    if (list.isEmpty())
        return proverb;
    return list + u"\r\n"_s + proverb;
}

} // namespace tankedosan::quicksave
