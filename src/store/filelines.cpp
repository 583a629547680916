// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/linestore.h"

#include "store/encoding.h"
#include "store/linesplitter.h"

#include <algorithm>

namespace tankedosan::store {

// The lines of a file's bytes found in place, with no place held per line.

// How far apart the places are where FileLines::at may start its walk.
constexpr qsizetype kStretch = qsizetype(1) << 16;

LineStore::FileLines::FileLines(QByteArrayView bytes)
{
    FileEncoding read = encodingOf(bytes);
    if (isUtf16(read.encoding)) {
        // As the store reads such a file.
        m_decoded = utf8WithMark(bytes);
        bytes = m_decoded;
        read = {TextEncoding::Utf8, true};
    }
    if (read.encoding == TextEncoding::Utf8)
        m_form = Form::Utf8;
    m_text = bytes.sliced(read.markSize());
    const char *text = m_text.data();
    m_unix = lineEndsOf(text, text + m_text.size()) == LineEnds::Unix;
    // One walk over the lines counts them and marks a line start every stretch, so that a line is found
    // again from the mark before it without a place held per line.
    qsizetype nextMark = 0;
    forEachLine(text, text + m_text.size(), lineEndsIf(m_unix), [&](const char *begin, const char *end) {
        if (begin - text >= nextMark) {
            m_marks.push_back({begin - text, m_size});
            nextMark = begin - text + kStretch;
        }
        m_size += begin != end;
    });
}

QString LineStore::FileLines::decoded(const char *begin, const char *end) const
{
    const QByteArrayView bytes(begin, end - begin);
    return m_form == Form::Windows1252 ? decodeWindows1252(bytes) : decodeUtf8(bytes);
}

QString LineStore::FileLines::at(qsizetype index) const
{
    if (index < 0 || index >= m_size)
        return QString();
    // The last mark with no more lines before it than `index`, then the lines from there.
    const auto mark = std::upper_bound(m_marks.begin(), m_marks.end(), index,
                                       [](qsizetype i, const Mark &m) { return i < m.linesBefore; })
                      - 1;
    qsizetype left = index - mark->linesBefore;
    LineSplitter<char> lines(m_text.data() + mark->at, m_text.data() + m_text.size(), lineEndsIf(m_unix));
    const char *begin = nullptr, *end = nullptr;
    while (lines.next(begin, end)) {
        if (begin != end && left-- == 0)
            return decoded(begin, end);
    }
    return QString();
}

} // namespace tankedosan::store
