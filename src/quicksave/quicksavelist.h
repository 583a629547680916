// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QString>

namespace tankedosan::quicksave {

// The append rule of the quick-save list: an empty list becomes the proverb, any other list gets CR LF and
// the proverb. Whatever the user typed into the list counts, a trailing line break included.
QString appended(const QString &list, const QString &proverb);

} // namespace tankedosan::quicksave
