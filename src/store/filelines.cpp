// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/linestore.h"

#include "store/encoding.h"
#include "store/linesplitter.h"

namespace tankedosan::store {

// The lines of a file's bytes found in place, with no place held per line.

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
}

LineStore::FileLines::FileLines(QByteArrayView bytes, LineEnds ends)
    : FileLines(bytes)
{
    m_lineEnds = ends;
}

LineStore::FileLines::FileLines(QByteArrayView bytes, ReadForm form)
    : FileLines(bytes)
{
    if (form == ReadForm::Entries) {
        m_lineEnds = LineEnds::Classic;
        m_entries = true;
    }
}

bool LineStore::FileLines::holdsBreaks() const
{
    // Only an LF that ends no line is in one: in a Unix text none, elsewhere one not after a CR.
    if (!m_breaks)
        m_breaks = lineEnds() == LineEnds::Classic && holdsLoneLf(m_text.data(), m_text.data() + m_text.size());
    return *m_breaks;
}

LineEnds LineStore::FileLines::lineEnds() const
{
    // Decided when first needed: a search that finds nothing never needs to know.
    if (!m_lineEnds)
        m_lineEnds = lineEndsOf(m_text.data(), m_text.data() + m_text.size());
    return *m_lineEnds;
}

qsizetype LineStore::FileLines::size() const
{
    if (m_size < 0)
        m_size = countNonEmptyLines(m_text.data(), m_text.data() + m_text.size(), lineEnds());
    return m_size;
}

bool LineStore::FileLines::holdsMoreThan(qsizetype most) const
{
    // A line that is not empty takes a byte, and a line end parts it from the next.
    return (m_text.size() + 1) / 2 > most && size() > most;
}

QString LineStore::FileLines::decoded(QByteArrayView bytes) const
{
    return m_form == Form::Windows1252 ? decodeWindows1252(bytes) : decodeUtf8(bytes);
}

QString LineStore::FileLines::at(qsizetype index) const
{
    const char *text = m_text.data(), *textEnd = text + m_text.size();
    const LineEnds ends = lineEnds();
    const char *begin = nonEmptyLineAt(text, textEnd, ends, index);
    return begin == textEnd ? QString() : decoded(QByteArrayView(begin, lineEndFrom(begin, textEnd, ends)));
}

} // namespace tankedosan::store
