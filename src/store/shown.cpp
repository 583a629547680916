// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/shown.h"

#include "store/linesplitter.h"

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

} // namespace tankedosan::store
