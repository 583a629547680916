// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/linestore.h"

#include "store/encoding.h"
#include "store/hugepages.h"
#include "store/linesplitter.h"
#include "store/shown.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tankedosan::store {

// A copy shares the text (Qt's implicit sharing).
LineStore::LineStore() = default;
LineStore::~LineStore() = default;
LineStore::LineStore(const LineStore &other) = default;
LineStore &LineStore::operator=(const LineStore &other) = default;
LineStore::LineStore(LineStore &&other) noexcept = default;
LineStore &LineStore::operator=(LineStore &&other) noexcept = default;

LineStore LineStore::fromFileBytes(QByteArray bytes, bool keepEmpty)
{
    return *fromFileBytesAtMost(std::move(bytes), keepEmpty, std::numeric_limits<qsizetype>::max());
}

std::optional<LineStore> LineStore::fromFileBytesAtMost(QByteArray bytes, bool keepEmpty, qsizetype maxLines,
                                                        ReadForm form)
{
    return build(std::move(bytes), keepEmpty, maxLines, form == ReadForm::Entries);
}

LineStore LineStore::fromOwnFileBytes(QByteArray bytes)
{
    return *build(std::move(bytes), true, std::numeric_limits<qsizetype>::max(), true);
}

std::optional<LineStore> LineStore::build(QByteArray bytes, bool keepEmpty, qsizetype maxLines, bool crLfOnly)
{
    const FileEncoding read = encodingOf(bytes);
    if (isUtf16(read.encoding)) {
        const bool exactly = decodesExactly(bytes);
        QByteArray utf8 = utf8WithMark(bytes);
        bytes = QByteArray();
        auto store = build(std::move(utf8), keepEmpty, maxLines, crLfOnly);
        if (store)
            store->m_decodedExactly = exactly;
        return store;
    }

    LineStore store;
    if (read.encoding == TextEncoding::Utf8)
        store.m_form = Form::Utf8;
    const qsizetype start = read.markSize();
    const char *begin = bytes.constData() + start;
    const char *end = bytes.constData() + bytes.size();
    // This program's own file was written with CR LF after every line, whatever LFs they hold; so are
    // fortune's entries with their line breaks.
    const LineEnds ends = crLfOnly ? LineEnds::Classic : lineEndsOf(begin, end);
    // The lines are counted before their places are held, and exactly: a file of a million empty lines holds
    // no place for them, and a file past the bound is refused before it costs anything.
    qsizetype lines = 0;
    forEachLine(begin, end, ends, [&](const char *b, const char *e) { lines += b != e || keepEmpty; });
    if (lines > maxLines)
        return std::nullopt;

    if (lines == 0)
        return store; // nothing of the file is kept: a file of line ends is no text

    // The file's bytes are the store's text as they are: no line is copied.
    store.m_text = std::move(bytes);
    const char *base = store.m_text.constData();
    store.m_spans.reserve(size_t(lines));
    preferHugePages(store.m_spans.data(), qsizetype(store.m_spans.capacity() * sizeof(Span)));
    qsizetype live = 0;
    forEachLine(base + start, base + store.m_text.size(), ends, [&](const char *b, const char *e) {
        if (b != e || keepEmpty) {
            store.m_spans.push_back({b - base, e - b});
            live += e - b;
        }
    });
    store.m_garbage = store.m_text.size() - live;
    return store;
}

LineStore LineStore::fromStrings(const QStringList &lines)
{
    LineStore store;
    store.m_spans.reserve(size_t(lines.size()));
    for (const QString &line : lines)
        store.append(line);
    return store;
}

bool LineStore::writesBackUnchanged() const
{
    // The written form has one CR per line; every LF inside a line is a lone LF there.
    qsizetype lfs = 0;
    for (const Span &span : m_spans)
        lfs += std::count(m_text.constData() + span.begin, m_text.constData() + span.begin + span.size, '\n');
    return m_decodedExactly && lfs <= size();
}

QByteArrayView LineStore::raw(qsizetype index) const
{
    const Span &s = m_spans[size_t(index)];
    return QByteArrayView(m_text.constData() + s.begin, s.size);
}

QString LineStore::at(qsizetype index) const
{
    const QByteArrayView bytes = raw(index);
    return m_form == Form::Windows1252 ? decodeWindows1252(bytes) : decodeUtf8(bytes);
}

QString LineStore::shownAt(qsizetype index) const
{
    // Decodes no more of a huge line than a view may lay out: a UTF-8 character is at most four bytes, so the
    // cut leaves more whole characters than are shown, and a character it splits is never shown.
    QByteArrayView bytes = raw(index);
    const qsizetype enough = (m_form == Form::Windows1252 ? 1 : 4) * (kShownCharacters + 1);
    if (bytes.size() > enough)
        bytes = bytes.first(enough);
    return shownPart(m_form == Form::Windows1252 ? decodeWindows1252(bytes) : decodeUtf8(bytes));
}

QString LineStore::rowAt(qsizetype index) const
{
    QString shown = shownAt(index);
    return shown.contains(u'\n') ? shownPart(joinedLines(at(index))) : shown;
}

bool LineStore::holdsBreaks() const
{
    if (!m_breaks) {
        m_breaks = std::any_of(m_spans.begin(), m_spans.end(), [&](const Span &span) {
            return std::memchr(m_text.constData() + span.begin, '\n', size_t(span.size)) != nullptr;
        });
    }
    return *m_breaks;
}

QStringList LineStore::toStringList() const
{
    QStringList lines;
    lines.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        lines.append(at(i));
    return lines;
}

QByteArray LineStore::encodeForStore(QStringView line)
{
    if (m_form == Form::Windows1252) {
        if (fitsWindows1252(line)) {
            QByteArray bytes;
            appendWindows1252(bytes, line);
            return bytes;
        }
        convertToUtf8();
    }
    return encodeUtf8(line);
}

// The first line that Windows-1252 cannot hold turns the whole store into UTF-8; it never turns back.
void LineStore::convertToUtf8()
{
    QByteArray text;
    std::vector<Span> spans;
    spans.reserve(m_spans.size());
    for (qsizetype i = 0; i < size(); ++i) {
        const QByteArray bytes = encodeUtf8(decodeWindows1252(raw(i)));
        spans.push_back({text.size(), bytes.size()});
        text.append(bytes);
    }
    m_text = std::move(text);
    m_spans = std::move(spans);
    m_garbage = 0;
    m_form = Form::Utf8;
}

LineStore LineStore::reordered(const std::vector<qsizetype> &positions) const
{
    LineStore result;
    result.m_form = m_form;
    result.m_decodedExactly = m_decodedExactly;
    result.m_breaks = m_breaks;
    qsizetype total = 0;
    for (qsizetype i : positions)
        total += m_spans[size_t(i)].size;
    result.m_text.reserve(total);
    result.m_spans.reserve(positions.size());
    for (qsizetype i : positions) {
        const QByteArrayView bytes = raw(i);
        result.m_spans.push_back({result.m_text.size(), bytes.size()});
        result.m_text.append(bytes);
    }
    return result;
}

void LineStore::append(QStringView line)
{
    insert(size(), line);
}

void LineStore::insert(qsizetype index, QStringView line)
{
    index = std::clamp<qsizetype>(index, 0, size());
    // The store holds UTF-8, which has no form for half a surrogate pair: such a line cannot be written as given.
    if (!line.isValidUtf16())
        m_decodedExactly = false;
    if (line.contains(u'\n'))
        m_breaks = true;
    const QByteArray bytes = encodeForStore(line);
    const Span span{m_text.size(), bytes.size()};
    m_text.append(bytes);
    m_spans.insert(m_spans.begin() + index, span);
}

void LineStore::removeAt(qsizetype index)
{
    if (index < 0 || index >= size())
        return;
    m_garbage += m_spans[size_t(index)].size;
    m_spans.erase(m_spans.begin() + index);
    compactIfMostlyGarbage();
}

void LineStore::clear()
{
    m_text.clear();
    m_text.squeeze();
    m_spans.clear();
    m_spans.shrink_to_fit();
    m_garbage = 0;
    m_form = Form::Windows1252;
    m_decodedExactly = true;
    m_breaks = false;
}

void LineStore::compactIfMostlyGarbage()
{
    if (m_garbage * 2 <= m_text.size())
        return;
    if (m_spans.empty()) {
        const bool exactly = m_decodedExactly;
        clear();
        m_decodedExactly = exactly;
        return;
    }
    QByteArray text;
    text.reserve(m_text.size() - m_garbage);
    for (Span &span : m_spans) {
        const qsizetype begin = text.size();
        text.append(m_text.constData() + span.begin, span.size);
        span.begin = begin;
    }
    m_text = std::move(text);
    m_garbage = 0;
}

} // namespace tankedosan::store
