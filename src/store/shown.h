// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QString>
#include <QStringView>

namespace tankedosan::store {

// The most of one line that any view lays out. Word wrap costs time that grows with the square of a line
// without blanks, so a proverb of megabytes would freeze the window; views show this much and "…", while
// copying, quick-saving, searching and writing always use the whole line. Every view of lines goes
// through shownPart, so the bound lives here and nowhere else.
inline constexpr qsizetype kShownCharacters = 10000;

QString shownPart(QStringView line);

// A text of lines (ended by CR or LF, kept as they are) with every line cut to its shown part; `cut` tells
// whether any was. For a text box that shows many lines.
QString shownLines(QStringView text, bool *cut = nullptr);

} // namespace tankedosan::store
