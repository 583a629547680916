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

// The blanks that the lines of an entry lose at both ends when they are joined.
inline bool isEdgeBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\f' || c == u'\v';
}

// A line that holds line breaks (an entry of fortune's keeps those of its poem or drawing) on one row: its
// lines, each without the blanks at its ends and its CRs as blanks, the empty ones left out, joined by one
// blank. A line without a break is as it is. Searches compare this form, so that "to be or not" is found
// across a break, and every list shows it; the line itself, breaks and indentation kept, is what is shown
// whole, copied, quick-saved and printed.
QString joinedLines(QStringView line);

} // namespace tankedosan::store
