// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/shown.h"

#include "store/linesplitter.h"

#include <algorithm>

namespace tankedosan::store {

QString shownPart(QStringView line)
{
    if (line.size() <= kShownCharacters)
        return line.toString();
    qsizetype cut = kShownCharacters;
    if (line[cut - 1].isHighSurrogate())
        --cut;
    return line.first(cut).toString() + u'…';
}

QString shownLines(QStringView text, bool *cut)
{
    bool anyCut = false;
    QString shown;
    // Each line cut to what a view shows, and the line ends between them kept as they are.
    const char16_t *from = text.utf16();
    const char16_t *const end = from + text.size();
    forEachLine(from, end, LineEnds::Unix, [&](const char16_t *begin, const char16_t *lineEnd) {
        const QStringView line(begin, lineEnd - begin);
        anyCut = anyCut || line.size() > kShownCharacters;
        shown += QStringView(from, begin - from);
        shown += shownPart(line);
        from = lineEnd;
    });
    shown += QStringView(from, end - from);
    if (cut)
        *cut = anyCut;
    return shown;
}

QString joinedLines(QStringView line)
{
    if (!line.contains(u'\n'))
        return line.toString();
    QString joined;
    joined.reserve(line.size());
    for (QStringView part : line.tokenize(u'\n')) {
        while (!part.isEmpty() && isEdgeBlank(part.front().unicode()))
            part = part.sliced(1);
        while (!part.isEmpty() && isEdgeBlank(part.back().unicode()))
            part.chop(1);
        if (part.isEmpty())
            continue;
        if (!joined.isEmpty())
            joined += u' ';
        const qsizetype at = joined.size();
        joined += part;
        std::replace(joined.begin() + at, joined.end(), u'\r', u' ');
    }
    return joined;
}

} // namespace tankedosan::store
