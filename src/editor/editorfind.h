// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/failure.h"
#include "store/linestore.h"

#include <QString>
#include <QStringView>

namespace tankedosan::editor {

// The line to mark for a find from `from` on: the first line that matches, or line 0 when none does. The
// scan never wraps around. An empty list has no line 0 to mark: that is the invalid-position failure.
store::Result<qsizetype> lineToMark(const store::LineStore &lines, QStringView needle, store::Match match,
                                    qsizetype from);

} // namespace tankedosan::editor
