// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/linestore.h"

#include "store/encoding.h"
#include "store/hugepages.h"
#include "store/shown.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace Qt::StringLiterals;

namespace store {

namespace {

// The lower-case byte of every Windows-1252 byte. Windows-1252 is closed under lower-casing (Š, Œ, Ž and Ÿ
// have their small forms in it too), so a line keeps its length and a byte-wise search is exact.
std::array<unsigned char, 256> makeWindows1252Fold()
{
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const char16_t lower = QChar(windows1252ToUnicode(static_cast<unsigned char>(b))).toLower().unicode();
        QByteArray out;
        if (fitsWindows1252(QStringView(&lower, 1)))
            appendWindows1252(out, QStringView(&lower, 1));
        table[b] = out.size() == 1 ? static_cast<unsigned char>(out[0]) : static_cast<unsigned char>(b);
    }
    return table;
}

const std::array<unsigned char, 256> &windows1252Fold()
{
    static const std::array<unsigned char, 256> table = makeWindows1252Fold();
    return table;
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// UTF-8 has no form for half a surrogate pair; the replacement character keeps the place visible.
QByteArray encodeUtf8(QStringView text)
{
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    return encoder.encode(text);
}

const char *findChar(const char *p, const char *end, char c)
{
    if (p == end)
        return end; // p may be null there
    const auto *found = static_cast<const char *>(std::memchr(p, c, size_t(end - p)));
    return found ? found : end;
}

const char16_t *findChar(const char16_t *p, const char16_t *end, char16_t c)
{
    const qsizetype at = QStringView(p, end - p).indexOf(QChar(c));
    return at < 0 ? end : p + at;
}

// How many CRs and LFs [p, end) holds, in one pass. Summed in one byte per block of 255, which the compiler
// turns into wide compares: a file of 200 MB of CRs is weighed about as fast as it is read.
struct LineEndCounts
{
    qsizetype crs = 0;
    qsizetype lfs = 0;
};

LineEndCounts countLineEnds(const char *p, const char *end)
{
    LineEndCounts counts;
    while (p < end) {
        const char *blockEnd = p + std::min<qsizetype>(end - p, 255);
        unsigned char crs = 0, lfs = 0;
        for (; p < blockEnd; ++p) {
            crs += *p == '\r';
            lfs += *p == '\n';
        }
        counts.crs += crs;
        counts.lfs += lfs;
    }
    return counts;
}

// Which bytes end a line. A file that this program or a Windows editor wrote ends its lines with CR LF (or a
// CR alone), and an LF inside such a line is text. A file whose lone LFs outnumber its CRs comes from a Unix
// tool, perhaps with a line or two from a Windows editor: there CR LF, CR and LF each end a line, so one
// CR LF line does not make the rest one giant line.
enum class LineEnds { Classic, Unix };

LineEnds lineEndsOf(const char *p, const char *end)
{
    const auto [crs, lfs] = countLineEnds(p, end);
    if (lfs <= crs)
        return LineEnds::Classic; // whatever pairs they form; a file of CRs is never walked CR by CR
    qsizetype pairs = 0;
    for (const char *cr = findChar(p, end, '\r'); cr < end; cr = findChar(cr + 1, end, '\r'))
        pairs += cr + 1 < end && cr[1] == '\n';
    const qsizetype loneLfs = lfs - pairs;
    return loneLfs > crs ? LineEnds::Unix : LineEnds::Classic;
}

LineEnds lineEndsIf(bool unix)
{
    return unix ? LineEnds::Unix : LineEnds::Classic;
}

// The lines of a text by the read form, one after another: the only place where a line end is told. A line
// ends at CR LF or at a CR alone, and in a Unix text also at an LF alone; anywhere else an LF is text. The
// last line counts without a line end, and a text that ends in one has no empty line after it. A text view
// splits its text the same way, as a Unix text (every CR and LF breaks a line there).
template<typename Char>
class LineSplitter
{
public:
    // `p` must begin a line: the start of the text, or where next() left off.
    LineSplitter(const Char *p, const Char *end, LineEnds ends)
        : m_p(p)
        , m_end(end)
        , m_unix(ends == LineEnds::Unix)
        , m_lf(m_unix ? findChar(p, end, Char('\n')) : end)
    { }

    // The next line [begin, end), without its line end; false after the last.
    bool next(const Char *&begin, const Char *&end)
    {
        if (m_p == m_end)
            return false;
        begin = m_p;
        if (m_unix && m_lf < m_p)
            m_lf = findChar(m_p, m_end, Char('\n'));
        // An empty line is taken without a search: a file of a million line ends is a million of them.
        const Char *cr = *m_p == Char('\r') ? m_p : findChar(m_p, m_lf, Char('\r'));
        if (cr < m_lf) {
            end = cr;
            m_p = cr + 1;
            if (m_p < m_end && *m_p == Char('\n'))
                ++m_p; // CR LF is one line end
        } else {
            end = m_lf;
            m_p = m_lf < m_end ? m_lf + 1 : m_end;
        }
        return true;
    }

private:
    const Char *m_p;
    const Char *m_end;
    bool m_unix;
    const Char *m_lf; // the next LF of a Unix text at or after m_p (or before, once passed); m_end in a classic one
};

// Every line of [p, end) to take(begin, end).
template<typename Char, typename Take>
void forEachLine(const Char *p, const Char *end, LineEnds ends, Take take)
{
    LineSplitter<Char> lines(p, end, ends);
    const Char *begin = nullptr, *lineEnd = nullptr;
    while (lines.next(begin, lineEnd))
        take(begin, lineEnd);
}

// Lower-cases one line of a UTF-8 store into `out`, exactly as QString::toLower would. ASCII, the two-byte
// characters of Latin-1 and the punctuation of U+2000-U+20BF go byte by byte, for that is all that
// lower-casing does to them: A-Z and U+00C0-U+00DE (but for U+00D7, the multiplication sign) move by 0x20,
// which in UTF-8 changes only the second byte. A line that holds any other character is lower-cased by Qt.
void foldUtf8Line(QByteArrayView line, QByteArray &out)
{
    const auto &table = windows1252Fold();
    const auto *in = reinterpret_cast<const unsigned char *>(line.data());
    const qsizetype size = line.size();
    out.resize(size);
    auto *o = reinterpret_cast<unsigned char *>(out.data());
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char c = in[i];
        if (c < 0x80) {
            o[i] = table[c];
            continue;
        }
        if ((c == 0xC2 || c == 0xC3) && i + 1 < size && (in[i + 1] & 0xC0) == 0x80) {
            unsigned char second = in[i + 1];
            if (c == 0xC3 && second <= 0x9E && second != 0x97)
                second += 0x20;
            o[i] = c;
            o[++i] = second;
            continue;
        }
        // U+2000-U+20BF (quotes, dashes, "…", the euro sign) have no letter case.
        if (c == 0xE2 && i + 2 < size && in[i + 1] >= 0x80 && in[i + 1] <= 0x82 && (in[i + 2] & 0xC0) == 0x80) {
            o[i] = c;
            o[i + 1] = in[i + 1];
            o[i + 2] = in[i + 2];
            i += 2;
            continue;
        }
        out = encodeUtf8(decodeUtf8(line).toLower());
        return;
    }
}

// Whether the bytes of a Windows-1252 file would be read back as that same text: not when they happen to be
// valid UTF-8 (a text such as "Ã¥") or begin like a UTF-16 file ("ÿþ").
bool readsBackAsWindows1252(QByteArrayView bytes)
{
    return encodingOf(bytes) == FileEncoding{};
}

// A UTF-16 file is held as its text in UTF-8 behind a mark: rare enough to take the long way.
QByteArray utf8WithMark(QByteArrayView utf16File)
{
    return QByteArray(kUtf8ByteOrderMark) + encodeUtf8(decodeText(utf16File));
}

} // namespace

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

std::optional<LineStore> LineStore::fromFileBytesAtMost(QByteArray bytes, bool keepEmpty, qsizetype maxLines)
{
    return build(std::move(bytes), keepEmpty, maxLines, false);
}

LineStore LineStore::fromOwnFileBytes(QByteArray bytes)
{
    return *build(std::move(bytes), true, std::numeric_limits<qsizetype>::max(), true);
}

std::optional<LineStore> LineStore::build(QByteArray bytes, bool keepEmpty, qsizetype maxLines, bool ownFile)
{
    const FileEncoding read = encodingOf(bytes);
    if (isUtf16(read.encoding)) {
        const bool exactly = decodesExactly(bytes);
        QByteArray utf8 = utf8WithMark(bytes);
        bytes = QByteArray();
        auto store = build(std::move(utf8), keepEmpty, maxLines, ownFile);
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
    // This program's own file was written with CR LF after every line, whatever LFs they hold.
    const LineEnds ends = ownFile ? LineEnds::Classic : lineEndsOf(begin, end);
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

// One search: the needle lower-cased once, in the store's form, and every line folded as it is read.
class LineStore::Finder
{
public:
    Finder(const LineStore &store, QStringView needle, Match match)
        : Finder(store.m_form, needle, match)
    {
        m_store = &store;
    }

    Finder(Form form, QStringView needle, Match match)
        : m_form(form)
        , m_match(match)
    {
        const QString lower = needle.toString().toLower();
        if (form == Form::Utf8) {
            m_needle = encodeUtf8(lower);
        } else if (fitsWindows1252(lower)) {
            appendWindows1252(m_needle, lower);
            makeShifts();
        } else {
            m_impossible = true; // no line of a Windows-1252 store holds a character outside it
        }
    }

    bool matches(qsizetype index) const { return matchesLine(m_store->raw(index)); }

    bool matchesLine(QByteArrayView line) const
    {
        if (m_impossible)
            return false;
        if (m_form == Form::Utf8) {
            foldUtf8Line(line, m_scratch);
            return foldedMatches(m_scratch);
        }
        if (m_match == Match::Beginning)
            return beginsWith(line);
        const auto *begin = reinterpret_cast<const unsigned char *>(line.data());
        return find(begin, begin + line.size()) != nullptr;
    }

    // Calls hit(index) for every matching line from `from` on, in list order, while it returns true.
    template<typename Hit>
    void scan(qsizetype from, Hit hit) const
    {
        if (m_impossible)
            return;
        const qsizetype size = m_store->size();
        from = std::max<qsizetype>(from, 0);
        if (m_form == Form::Windows1252 && m_match == Match::Anywhere && !m_needle.isEmpty())
            return scanWindows1252(from, hit);
        for (qsizetype i = from; i < size; ++i) {
            if (matches(i) && !hit(i))
                return;
        }
    }

    bool impossible() const { return m_impossible; }
    qsizetype needleSize() const { return m_needle.size(); }

    // The leftmost place from p on where the folded text equals the needle, or null. Sixteen places at once
    // where the processor has SSE2: those whose first and last byte fold to the needle's are compared whole.
    // Measured against Horspool's search on the folded bytes, a plain loop, on a million proverbs: two to
    // five times as fast, which is why this one search keeps its own vector code.
    const unsigned char *find(const unsigned char *p, const unsigned char *end) const
    {
        const qsizetype n = m_needle.size();
        if (n == 0)
            return p;
#ifdef __SSE2__
        const __m128i first0 = _mm_set1_epi8(char(m_first[0])), first1 = _mm_set1_epi8(char(m_first[1]));
        const __m128i last0 = _mm_set1_epi8(char(m_last[0])), last1 = _mm_set1_epi8(char(m_last[1]));
        while (end - p >= n + 15) {
            const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + n - 1));
            const __m128i firstMatch = _mm_or_si128(_mm_cmpeq_epi8(head, first0), _mm_cmpeq_epi8(head, first1));
            const __m128i lastMatch = _mm_or_si128(_mm_cmpeq_epi8(tail, last0), _mm_cmpeq_epi8(tail, last1));
            for (unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(firstMatch, lastMatch))); mask != 0;
                 mask &= mask - 1) {
                const unsigned char *candidate = p + __builtin_ctz(mask);
                if (foldedEqualAt(candidate))
                    return candidate;
            }
            p += 16;
        }
#endif
        const auto &fold = windows1252Fold();
        const auto first = static_cast<unsigned char>(m_needle[0]);
        for (; end - p >= n; ++p) {
            if (fold[*p] == first && foldedEqualAt(p))
                return p;
        }
        return nullptr;
    }

private:
    bool foldedMatches(QByteArrayView line) const
    {
        if (m_match == Match::Beginning)
            return line.startsWith(m_needle);
        if (m_needle.isEmpty())
            return true;
        return line.size() >= m_needle.size()
               && memmem(line.data(), size_t(line.size()), m_needle.data(), size_t(m_needle.size())) != nullptr;
    }

    bool beginsWith(QByteArrayView line) const
    {
        const qsizetype n = m_needle.size();
        if (line.size() < n)
            return false;
        const auto &fold = windows1252Fold();
        const auto *p = reinterpret_cast<const unsigned char *>(line.data());
        const auto *q = reinterpret_cast<const unsigned char *>(m_needle.constData());
        for (qsizetype j = 0; j < n; ++j) {
            if (fold[p[j]] != q[j])
                return false;
        }
        return true;
    }

    // The bytes of the text that fold to the needle's first and last byte (a letter and its capital, or the
    // byte alone), so that sixteen places at a time can be ruled out without folding them.
    void makeShifts()
    {
        const auto n = m_needle.size();
        if (n == 0)
            return;
        const auto &fold = windows1252Fold();
        const auto first = static_cast<unsigned char>(m_needle[0]), last = static_cast<unsigned char>(m_needle[n - 1]);
        int firsts = 0, lasts = 0;
        m_first.fill(first);
        m_last.fill(last);
        for (int b = 0; b < 256; ++b) {
            if (fold[size_t(b)] == first && firsts < 2)
                m_first[size_t(firsts++)] = static_cast<unsigned char>(b);
            if (fold[size_t(b)] == last && lasts < 2)
                m_last[size_t(lasts++)] = static_cast<unsigned char>(b);
        }
    }

    bool foldedEqualAt(const unsigned char *p) const
    {
        const auto &fold = windows1252Fold();
        const auto *q = reinterpret_cast<const unsigned char *>(m_needle.constData());
        for (qsizetype j = 0, n = m_needle.size(); j < n; ++j) {
            if (fold[p[j]] != q[j])
                return false;
        }
        return true;
    }

    // Lines that lie one after another in the text (as every line of a file read or of a sorted list does)
    // are searched as one stretch, the line ends and whatever lies between included; a hit counts for a line
    // only when it lies wholly inside it. The search gives the leftmost hit, so a line that ends before the
    // hit does has none.
    template<typename Hit>
    void scanWindows1252(qsizetype k, Hit hit) const
    {
        const auto *base = reinterpret_cast<const unsigned char *>(m_store->m_text.constData());
        const auto &spans = m_store->m_spans;
        const qsizetype size = m_store->size();
        const qsizetype n = m_needle.size();
        const auto endOf = [&](qsizetype i) {
            return spans[size_t(i)].begin + spans[size_t(i)].size;
        };
        while (k < size) {
            qsizetype runEnd = k + 1;
            while (runEnd < size && spans[size_t(runEnd)].begin >= endOf(runEnd - 1))
                ++runEnd;
            const unsigned char *stop = base + endOf(runEnd - 1);
            qsizetype pos = spans[size_t(k)].begin;
            while (k < runEnd) {
                const unsigned char *found = find(base + pos, stop);
                if (!found) {
                    k = runEnd;
                    break;
                }
                const qsizetype at = found - base;
                while (k < runEnd && endOf(k) < at + n)
                    ++k;
                if (k == runEnd)
                    break;
                if (spans[size_t(k)].begin <= at) {
                    if (!hit(k))
                        return;
                    ++k;
                }
                if (k < runEnd)
                    pos = spans[size_t(k)].begin;
            }
        }
    }

    const LineStore *m_store = nullptr;
    Form m_form;
    Match m_match;
    QByteArray m_needle;
    bool m_impossible = false;
    std::array<unsigned char, 2> m_first{}, m_last{};
    mutable QByteArray m_scratch;
};

bool LineStore::matches(qsizetype index, QStringView needle, Match match) const
{
    return Finder(*this, needle, match).matches(index);
}

std::vector<qsizetype> LineStore::findAll(QStringView needle, Match match, qsizetype from) const
{
    std::vector<qsizetype> hits;
    Finder(*this, needle, match).scan(from, [&](qsizetype i) {
        hits.push_back(i);
        return true;
    });
    return hits;
}

qsizetype LineStore::findFirst(QStringView needle, Match match, qsizetype from) const
{
    qsizetype first = -1;
    Finder(*this, needle, match).scan(from, [&](qsizetype i) {
        first = i;
        return false;
    });
    return first;
}

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

void LineStore::FileLines::findAll(QStringView needle, Match match,
                                   const std::function<void(const QString &)> &hit) const
{
    const Finder finder(m_form, needle, match);
    if (finder.impossible())
        return;
    const char *text = m_text.data(), *textEnd = text + m_text.size();
    LineSplitter<char> lines(text, textEnd, lineEndsIf(m_unix));
    const char *begin = nullptr, *end = nullptr;
    if (m_form != Form::Windows1252 || match != Match::Anywhere || finder.needleSize() == 0) {
        while (lines.next(begin, end)) {
            if (begin != end && finder.matchesLine(QByteArrayView(begin, end - begin)))
                hit(decoded(begin, end));
        }
        return;
    }
    // The whole text searched at once, as the store searches lines that lie one after another: a hit counts
    // for the line it lies wholly inside, and the lines are walked only as far as the hits go.
    const auto find = [&](const char *from) {
        return reinterpret_cast<const char *>(finder.find(reinterpret_cast<const unsigned char *>(from),
                                                          reinterpret_cast<const unsigned char *>(textEnd)));
    };
    const qsizetype n = finder.needleSize();
    for (const char *found = find(text); found && lines.next(begin, end);) {
        while (found && found < end && (found < begin || found + n > end))
            found = find(found + 1);
        if (found && found < end) {
            hit(decoded(begin, end));
            found = find(end);
        }
    }
}

QByteArray LineStore::toFileBytes() const
{
    qsizetype total = 0;
    for (const Span &span : m_spans)
        total += span.size + 2;

    const auto joined = [&](qsizetype reserve, auto appendLine) {
        QByteArray out;
        out.reserve(reserve);
        for (qsizetype i = 0; i < size(); ++i) {
            appendLine(out, i);
            out.append("\r\n", 2);
        }
        return out;
    };

    if (m_form == Form::Windows1252) {
        QByteArray out = joined(total, [&](QByteArray &o, qsizetype i) { o.append(raw(i)); });
        if (readsBackAsWindows1252(out))
            return out;
    } else {
        bool fits = true;
        for (qsizetype i = 0; i < size() && fits; ++i)
            fits = isAscii(raw(i)) || fitsWindows1252(at(i));
        if (fits) {
            QByteArray out = joined(total, [&](QByteArray &o, qsizetype i) {
                const QByteArrayView bytes = raw(i);
                if (isAscii(bytes))
                    o.append(bytes);
                else
                    appendWindows1252(o, at(i));
            });
            if (readsBackAsWindows1252(out))
                return out;
        }
    }
    // Windows-1252 cannot hold the text, or its bytes would read back as other text: UTF-8 behind a mark.
    QByteArray out(kUtf8ByteOrderMark);
    out += joined(3 + total * 2, [&](QByteArray &o, qsizetype i) {
        const QByteArrayView bytes = raw(i);
        if (m_form == Form::Utf8)
            o.append(bytes);
        else
            o.append(encodeUtf8(decodeWindows1252(bytes)));
    });
    return out;
}

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

} // namespace store
