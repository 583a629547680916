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
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

using namespace Qt::StringLiterals;

namespace store {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

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

// The places of `byte` in [p, end), in order, each given to take(place). A million short lines are a
// million separators: sixteen bytes are compared at a time rather than a call to memchr per line.
template<typename Take>
void forEachByte(const char *p, const char *end, char byte, Take take)
{
#ifdef __SSE2__
    const __m128i wanted = _mm_set1_epi8(byte);
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        for (unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted))); mask != 0; mask &= mask - 1)
            take(p + __builtin_ctz(mask));
    }
#endif
    for (; p < end; ++p) {
        if (*p == byte)
            take(p);
    }
}

qsizetype countByte(const char *p, const char *end, char byte)
{
    qsizetype count = 0;
#ifdef __SSE2__
    // Each byte lane counts its matches (a match compares as -1) for up to 255 blocks, then the lanes are
    // summed.
    const __m128i wanted = _mm_set1_epi8(byte);
    while (end - p >= 16) {
        __m128i lanes = _mm_setzero_si128();
        for (int i = 0; i < 255 && end - p >= 16; ++i, p += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(block, wanted));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
    }
#endif
    for (; p < end; ++p)
        count += *p == byte;
    return count;
}

// Which bytes end a line. A file that this program or a Windows editor wrote ends its lines with CR LF (or a
// CR alone), and an LF inside such a line is text. A file whose lone LFs outnumber its CRs comes from a Unix
// tool, perhaps with a line or two from a Windows editor: there CR LF, CR and LF each end a line, so one
// CR LF line does not make the rest one giant line.
enum class LineEnds { Classic, Unix };

struct LineEndCounts
{
    qsizetype crs = 0;
    qsizetype loneLfs = 0;
    LineEnds ends() const { return loneLfs > crs ? LineEnds::Unix : LineEnds::Classic; }
};

const char *findByte(const char *p, const char *end, char byte)
{
    const auto *found = static_cast<const char *>(std::memchr(p, byte, size_t(end - p)));
    return found ? found : end;
}

// The byte scan below looks at every byte of a file that may be hundreds of megabytes of line ends, so it is
// written for the vectoriser: blocks of 255 bytes summed in one byte each, every test on neighbouring
// bytes by index, and GCC asked to vectorise these functions even where the build does not (-O2).
#if defined(__GNUC__) && !defined(__clang__)
#define TANKEDOSAN_VECTORISE __attribute__((optimize("tree-vectorize")))
#else
#define TANKEDOSAN_VECTORISE
#endif

// How many positions i in [from, to) pass the test, which may look at b[i - 2] to b[i].
template<typename Test>
TANKEDOSAN_VECTORISE qsizetype countWhere(const unsigned char *b, qsizetype from, qsizetype to, Test test)
{
    qsizetype count = 0;
    for (qsizetype block = from; block < to; block += 255) {
        const qsizetype blockEnd = std::min(block + 255, to);
        unsigned char sum = 0;
        for (qsizetype i = block; i < blockEnd; ++i)
            sum += test(b, i);
        count += sum;
    }
    return count;
}

LineEndCounts countLineEnds(const char *p, const char *end)
{
    LineEndCounts counts;
    counts.crs = countByte(p, end, '\r');
    const qsizetype lfs = countByte(p, end, '\n');
    if (lfs <= counts.crs)
        return counts; // Classic whatever pairs they form; a file of CRs is never walked CR by CR
    qsizetype pairs = 0;
    for (const char *cr = findByte(p, end, '\r'); cr < end; cr = findByte(cr + 1, end, '\r'))
        pairs += cr + 1 < end && cr[1] == '\n';
    counts.loneLfs = lfs - pairs;
    return counts;
}

// The number of lines, empty ones included: one per line end, and the last line without one.
qsizetype countAllLines(const char *p, const char *end, const LineEndCounts &counts)
{
    if (p == end)
        return 0;
    const bool unix = counts.ends() == LineEnds::Unix;
    const char last = end[-1];
    const bool ended = last == '\r' || (last == '\n' && (unix || (end - p >= 2 && end[-2] == '\r')));
    return counts.crs + (unix ? counts.loneLfs : 0) + (ended ? 0 : 1);
}

// The number of lines that are not empty: a line starts at the beginning and after each line end, and is
// empty when a line end is its first byte.
TANKEDOSAN_VECTORISE qsizetype countNonEmptyLines(const char *p, const char *end, LineEnds ends)
{
    const auto *b = reinterpret_cast<const unsigned char *>(p);
    const qsizetype n = end - p;
    const auto notEnd = [](unsigned char c) {
        return (c != '\r') & (c != '\n');
    };
    if (ends == LineEnds::Unix) {
        const qsizetype first = n > 0 && notEnd(b[0]);
        return first + countWhere(b, 1, n, [&](const unsigned char *x, qsizetype i) {
                   return notEnd(x[i]) & !notEnd(x[i - 1]);
               });
    }
    // Classic: a line starts after CR LF, or after a CR that no LF follows; an LF elsewhere is text.
    const auto startsNonEmpty = [](unsigned char c, unsigned char before, unsigned char before2) {
        return (((before == '\r') & (c != '\n')) | ((before == '\n') & (before2 == '\r'))) & (c != '\r');
    };
    if (n == 0)
        return 0;
    const qsizetype first = (b[0] != '\r') + (n > 1 && startsNonEmpty(b[1], b[0], 0));
    return first + countWhere(b, 2, n, [&](const unsigned char *x, qsizetype i) {
               return startsNonEmpty(x[i], x[i - 1], x[i - 2]);
           });
}

// Where the lines of a text lie: each line (without its end) goes to take, and the last line counts without
// a line end. The line ends are found sixteen bytes at a time (forEachByte): a million short lines are a
// million line ends. A Unix file's lines end at LF, and within them at CR (a CR LF is one line end).
template<typename Take>
void forEachLine(const char *p, const char *end, LineEnds ends, Take take)
{
    const char *start = p;
    // The lines of [from, to) that end at a CR; gives where the rest begins.
    const auto takeCrLines = [&](const char *from, const char *to) {
        for (const char *cr = findByte(from, to, '\r'); cr < to; cr = findByte(from, to, '\r')) {
            take(from, cr);
            from = cr + 1;
        }
        return from;
    };
    if (ends == LineEnds::Classic) {
        forEachByte(p, end, '\r', [&](const char *found) {
            take(start, found);
            start = found + 1;
            if (start < end && *start == '\n')
                ++start;
        });
    } else {
        forEachByte(p, end, '\n', [&](const char *lf) {
            const char *rest = takeCrLines(start, lf);
            // A CR right before the LF ended its line already: the two are one line end.
            if (rest != lf || lf == start || lf[-1] != '\r')
                take(rest, lf);
            start = lf + 1;
        });
        start = takeCrLines(start, end);
    }
    if (start < end)
        take(start, end);
}

// The line-end bytes of a stretch of a file: CRs, LFs, CR LF pairs, and whether two line-end bytes stand side
// by side anywhere but in a CR LF pair, the only way a line can be empty. Taken in one look at each byte, for
// a whole file is counted this way before one proverb of it is drawn. b[from - 1] must be readable.
struct EndCounts
{
    qsizetype crs = 0;
    qsizetype lfs = 0;
    qsizetype pairs = 0;
    bool adjacent = false;
};

EndCounts countEndsScalar(const unsigned char *b, qsizetype i, qsizetype to, EndCounts counts)
{
    for (; i < to; ++i) {
        const bool cr = b[i] == '\r', lf = b[i] == '\n', pairs = lf && b[i - 1] == '\r';
        counts.crs += cr;
        counts.lfs += lf;
        counts.pairs += pairs;
        counts.adjacent = counts.adjacent || ((cr || lf) && (b[i - 1] == '\r' || b[i - 1] == '\n') && !pairs);
    }
    return counts;
}

#if defined(__SSE2__)
// Each byte lane counts up to 255 blocks (a match compares as -1), then the lanes are summed.
qsizetype laneSum(__m128i lanes)
{
    const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
    return _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
}

EndCounts countEnds16(const unsigned char *b, qsizetype i, qsizetype to)
{
    EndCounts counts;
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    __m128i adjacent = _mm_setzero_si128();
    while (to - i >= 16) {
        __m128i crs = _mm_setzero_si128(), lfs = crs, pairs = crs;
        for (int k = 0; k < 255 && to - i >= 16; ++k, i += 16) {
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i - 1));
            const __m128i isCr = _mm_cmpeq_epi8(c, cr), isLf = _mm_cmpeq_epi8(c, lf);
            const __m128i afterCr = _mm_cmpeq_epi8(before, cr), pair = _mm_and_si128(isLf, afterCr);
            const __m128i afterEnd = _mm_or_si128(afterCr, _mm_cmpeq_epi8(before, lf));
            crs = _mm_sub_epi8(crs, isCr);
            lfs = _mm_sub_epi8(lfs, isLf);
            pairs = _mm_sub_epi8(pairs, pair);
            adjacent =
                _mm_or_si128(adjacent, _mm_andnot_si128(pair, _mm_and_si128(_mm_or_si128(isCr, isLf), afterEnd)));
        }
        counts.crs += laneSum(crs);
        counts.lfs += laneSum(lfs);
        counts.pairs += laneSum(pairs);
    }
    counts.adjacent = _mm_movemask_epi8(adjacent) != 0;
    return countEndsScalar(b, i, to, counts);
}

#if defined(__GNUC__) && defined(__x86_64__)
// The same, 32 bytes at a time where the processor has AVX2: twice as fast again on a file in the page cache.
#define TANKEDOSAN_AVX2 1
__attribute__((target("avx2"))) qsizetype laneSum32(__m256i lanes)
{
    const __m256i sums = _mm256_sad_epu8(lanes, _mm256_setzero_si256());
    const __m128i halves = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
    return _mm_cvtsi128_si64(halves) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(halves, halves));
}

__attribute__((target("avx2"))) EndCounts countEnds32(const unsigned char *b, qsizetype i, qsizetype to)
{
    EndCounts counts;
    const __m256i cr = _mm256_set1_epi8('\r'), lf = _mm256_set1_epi8('\n');
    __m256i adjacent = _mm256_setzero_si256();
    while (to - i >= 32) {
        __m256i crs = _mm256_setzero_si256(), lfs = crs, pairs = crs;
        for (int k = 0; k < 255 && to - i >= 32; ++k, i += 32) {
            const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + i));
            const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + i - 1));
            const __m256i isCr = _mm256_cmpeq_epi8(c, cr), isLf = _mm256_cmpeq_epi8(c, lf);
            const __m256i afterCr = _mm256_cmpeq_epi8(before, cr), pair = _mm256_and_si256(isLf, afterCr);
            const __m256i afterEnd = _mm256_or_si256(afterCr, _mm256_cmpeq_epi8(before, lf));
            crs = _mm256_sub_epi8(crs, isCr);
            lfs = _mm256_sub_epi8(lfs, isLf);
            pairs = _mm256_sub_epi8(pairs, pair);
            adjacent = _mm256_or_si256(
                adjacent, _mm256_andnot_si256(pair, _mm256_and_si256(_mm256_or_si256(isCr, isLf), afterEnd)));
        }
        counts.crs += laneSum32(crs);
        counts.lfs += laneSum32(lfs);
        counts.pairs += laneSum32(pairs);
    }
    counts.adjacent = _mm256_movemask_epi8(adjacent) != 0;
    return countEndsScalar(b, i, to, counts);
}
#endif
#endif

EndCounts countEnds(const unsigned char *b, qsizetype from, qsizetype to)
{
#if defined(TANKEDOSAN_AVX2)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return countEnds32(b, from, to);
#endif
#if defined(__SSE2__)
    return countEnds16(b, from, to);
#else
    return countEndsScalar(b, from, to, {});
#endif
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
    return !startsWithUtf16Bom(bytes) && detectEncoding(bytes) == TextEncoding::Windows1252;
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
    if (startsWithUtf16Bom(bytes)) {
        // Rare enough to take the long way: decode, then read the text as a UTF-8 file behind its mark.
        const bool unchanged = decodesExactly(bytes);
        QByteArray utf8 = QByteArray(kUtf8Bom) + encodeUtf8(decodeText(bytes));
        bytes = QByteArray();
        auto store = build(std::move(utf8), keepEmpty, maxLines, ownFile);
        if (store)
            store->m_writesBackUnchanged = unchanged;
        return store;
    }

    LineStore store;
    qsizetype start = 0;
    if (detectEncoding(bytes) == TextEncoding::Utf8) {
        store.m_form = Form::Utf8;
        if (bytes.startsWith(kUtf8Bom))
            start = 3;
    }
    const char *begin = bytes.constData() + start;
    const char *end = bytes.constData() + bytes.size();
    LineEndCounts counts = countLineEnds(begin, end);
    if (ownFile)
        counts.loneLfs = 0;
    const LineEnds ends = counts.ends();
    // The lines are counted before their places are held, and exactly: a file of a million empty lines holds
    // no place for them, and a file past the bound is refused before it costs anything.
    qsizetype lines = 0;
    if (keepEmpty) {
        lines = countAllLines(begin, end, counts);
    } else {
        lines = countNonEmptyLines(begin, end, ends);
    }
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
    return m_writesBackUnchanged && lfs <= size();
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
    result.m_writesBackUnchanged = m_writesBackUnchanged;
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
    m_writesBackUnchanged = true;
}

void LineStore::compactIfMostlyGarbage()
{
    if (m_garbage * 2 <= m_text.size())
        return;
    if (m_spans.empty()) {
        const bool unchanged = m_writesBackUnchanged;
        clear();
        m_writesBackUnchanged = unchanged;
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

    // The leftmost place from p on where the folded text equals the needle, or null.
    const unsigned char *find(const unsigned char *p, const unsigned char *end) const
    {
        const qsizetype n = m_needle.size();
        if (n == 0)
            return p;
#ifdef __SSE2__
        // Sixteen places at once: those whose first and last byte fold to the needle's are compared whole.
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

// A stretch of the file whose line ends are counted at once; within one, a line is found byte by byte.
constexpr qsizetype kStretch = qsizetype(1) << 16;

LineStore::FileLines::FileLines(QByteArrayView bytes)
{
    if (startsWithUtf16Bom(bytes)) {
        // As the store reads such a file: its text as UTF-8 behind a mark.
        m_decoded = QByteArray(kUtf8Bom) + encodeUtf8(decodeText(bytes));
        bytes = m_decoded;
    }
    qsizetype start = 0;
    if (detectEncoding(bytes) == TextEncoding::Utf8) {
        m_form = Form::Utf8;
        if (bytes.startsWith(kUtf8Bom))
            start = 3;
    }
    m_text = bytes.sliced(start);
    const auto *b = reinterpret_cast<const unsigned char *>(m_text.data());
    const qsizetype n = m_text.size();
    if (n == 0)
        return;

    std::vector<EndCounts> stretches;
    stretches.reserve(size_t(n / kStretch + 1));
    EndCounts total;
    for (qsizetype from = 0; from < n; from += kStretch) {
        EndCounts counts = countEnds(b, std::max<qsizetype>(from, 1), std::min(from + kStretch, n));
        if (from == 0) { // the first byte has none before it; a line end there ends an empty line
            counts.crs += b[0] == '\r';
            counts.lfs += b[0] == '\n';
            counts.adjacent = true;
        }
        total.crs += counts.crs;
        total.lfs += counts.lfs;
        total.pairs += counts.pairs;
        stretches.push_back(counts);
    }
    // The store's rule (countLineEnds): a Unix file when its lone LFs outnumber its CRs.
    m_unix = total.lfs - total.pairs > total.crs;

    // A stretch where no two line-end bytes stand side by side ends no empty line: its lines are its line
    // ends. Elsewhere (a file with a blank line between its proverbs) each line end is looked at.
    m_linesBefore.reserve(stretches.size() + 1);
    qsizetype lines = 0;
    const char *text = m_text.data();
    const auto countLine = [&](const char *end) {
        const qsizetype at = end - text;
        lines += isLineEnd(at) && !endsEmptyLine(at);
    };
    for (size_t k = 0; k < stretches.size(); ++k) {
        m_linesBefore.push_back(lines);
        const EndCounts &counts = stretches[k];
        if (!counts.adjacent) {
            lines += m_unix ? counts.crs + counts.lfs - counts.pairs : counts.crs;
            continue;
        }
        const qsizetype from = qsizetype(k) * kStretch, to = std::min(from + kStretch, n);
        forEachByte(text + from, text + to, '\r', countLine);
        if (m_unix)
            forEachByte(text + from, text + to, '\n', countLine);
    }
    m_linesBefore.push_back(lines);
    m_lastUnended = !isLineEnd(n - 1) && !(b[n - 1] == '\n' && n >= 2 && b[n - 2] == '\r');
    m_size = lines + (m_lastUnended ? 1 : 0);
}

bool LineStore::FileLines::isLineEnd(qsizetype at) const
{
    const char c = m_text[at];
    if (c == '\r')
        return true;
    return m_unix && c == '\n' && !(at > 0 && m_text[at - 1] == '\r');
}

// Whether the line end at `at` ends an empty line: one right after the line end before it.
bool LineStore::FileLines::endsEmptyLine(qsizetype at) const
{
    if (at == 0)
        return true;
    const char before = m_text[at - 1];
    if (m_unix)
        return before == '\r' || before == '\n';
    return before == '\r' || (before == '\n' && at >= 2 && m_text[at - 2] == '\r');
}

// Where the line that ends at `end` begins: after the line end before it.
qsizetype LineStore::FileLines::lineStart(qsizetype end) const
{
    qsizetype i = end;
    if (m_unix) {
        while (i > 0 && m_text[i - 1] != '\r' && m_text[i - 1] != '\n')
            --i;
        return i;
    }
    while (i > 0 && m_text[i - 1] != '\r')
        --i;
    return i > 0 && i < end && m_text[i] == '\n' ? i + 1 : i; // the LF of a CR LF is part of the line end
}

// The line end at or after `from`, or the end of the text.
qsizetype LineStore::FileLines::lineEnd(qsizetype from) const
{
    const char *p = m_text.data();
    const char *end = p + m_text.size();
    const char *found = m_unix ? std::find_if(p + from, end, [](char c) { return c == '\r' || c == '\n'; })
                               : findByte(p + from, end, '\r');
    return found - p;
}

// Whether [begin, end) lies wholly inside one line: no line end in it, and in a classic file not the LF of
// a CR LF in front.
bool LineStore::FileLines::insideLine(qsizetype begin, qsizetype end) const
{
    const QByteArrayView part = m_text.sliced(begin, end - begin);
    if (part.contains('\r'))
        return false;
    if (m_unix)
        return !part.contains('\n');
    return !(part.front() == '\n' && begin > 0 && m_text[begin - 1] == '\r');
}

QString LineStore::FileLines::decoded(qsizetype begin, qsizetype end) const
{
    const QByteArrayView bytes = m_text.sliced(begin, end - begin);
    return m_form == Form::Windows1252 ? decodeWindows1252(bytes) : decodeUtf8(bytes);
}

QString LineStore::FileLines::at(qsizetype index) const
{
    if (index < 0 || index >= m_size)
        return QString();
    const qsizetype n = m_text.size();
    if (m_lastUnended && index == m_size - 1)
        return decoded(lineStart(n), n);
    // The stretch in which the line ends, then its line ends one by one.
    const size_t k =
        size_t(std::upper_bound(m_linesBefore.begin(), m_linesBefore.end(), index) - m_linesBefore.begin() - 1);
    qsizetype left = index - m_linesBefore[k];
    for (qsizetype i = qsizetype(k) * kStretch; i < n; ++i) {
        if (isLineEnd(i) && !endsEmptyLine(i) && left-- == 0)
            return decoded(lineStart(i), i);
    }
    return QString();
}

void LineStore::FileLines::findAll(QStringView needle, Match match,
                                   const std::function<void(const QString &)> &hit) const
{
    const Finder finder(m_form, needle, match);
    if (finder.impossible())
        return;
    const auto *b = reinterpret_cast<const unsigned char *>(m_text.data());
    const qsizetype n = m_text.size();
    // Line by line from `from`, which begins a line or ends one.
    const auto eachLine = [&](qsizetype from) {
        forEachLine(m_text.data() + from, m_text.data() + n, m_unix ? LineEnds::Unix : LineEnds::Classic,
                    [&](const char *begin, const char *end) {
                        if (begin != end && finder.matchesLine(QByteArrayView(begin, end - begin)))
                            hit(decoded(begin - m_text.data(), end - m_text.data()));
                    });
    };
    if (m_form != Form::Windows1252 || finder.needleSize() == 0)
        return eachLine(0);

    // The whole text searched as one stretch, as the store searches lines that lie one after another; a hit
    // counts only inside one line (and, for the beginning, at its start), which is then done with.
    const qsizetype length = finder.needleSize();
    const auto startsLine = [&](qsizetype at) {
        if (at == 0)
            return true;
        const unsigned char before = b[at - 1];
        if (m_unix)
            return (before == '\r' && b[at] != '\n') || before == '\n';
        return (before == '\r' && b[at] != '\n') || (before == '\n' && at >= 2 && b[at - 2] == '\r');
    };
    qsizetype from = 0, misses = 0;
    while (const unsigned char *found = finder.find(b + from, b + n)) {
        const qsizetype at = found - b;
        if (!insideLine(at, at + length) || (match == Match::Beginning && !startsLine(at))) {
            from = at + 1;
            // A short, common beginning is found far more often inside lines than at their start: the rest
            // is then compared line by line, which costs one look per line.
            if (match == Match::Beginning && ++misses > 1024 + at / 32)
                return eachLine(startsLine(from) ? from : lineEnd(from));
            continue;
        }
        from = lineEnd(at + length);
        hit(decoded(lineStart(at), from));
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
    QByteArray out(kUtf8Bom);
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
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\r' || text[i] == u'\n') {
            const QStringView line = text.sliced(start, i - start);
            anyCut = anyCut || line.size() > kShownCharacters;
            shown += shownPart(line);
            if (i < text.size())
                shown += text[i];
            start = i + 1;
        }
    }
    if (cut)
        *cut = anyCut;
    return shown;
}

} // namespace store
