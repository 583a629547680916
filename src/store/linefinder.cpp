// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/linestore.h"

#include "store/encoding.h"
#include "store/linesplitter.h"
#include "store/shown.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tankedosan::store {

// The search in lines: case folding as the lines are read, and the finder that the store and the lines of a
// file read in place share.

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

// UTF-8 text is folded one character at a time, as QString::toLower folds it: without regard to the
// characters around it (Qt lower-cases a final sigma as any other), each to one character but U+0130 (İ),
// which becomes an i and a combining dot above. A fold may change a character's length: the Kelvin sign
// becomes k, ẞ becomes ß.
constexpr char32_t kCapitalIWithDot = 0x130;
constexpr char32_t kCombiningDotAbove = 0x307;

// One character of the text in lower case.
struct FoldedChar
{
    std::array<unsigned char, 4> bytes{};
    unsigned char size = 0;
    unsigned char rawSize = 1; // the bytes it takes in the text
};

void appendUtf8(char32_t c, FoldedChar &f)
{
    auto *out = f.bytes.data() + f.size;
    if (c < 0x80) {
        out[0] = static_cast<unsigned char>(c);
        f.size += 1;
    } else if (c < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        f.size += 2;
    } else if (c < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        f.size += 3;
    } else {
        out[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        f.size += 4;
    }
}

// The lower case of a character, in UTF-8, as QString::toLower gives it.
FoldedChar fold(char32_t code)
{
    FoldedChar f;
    if (code == kCapitalIWithDot) {
        appendUtf8(U'i', f);
        appendUtf8(kCombiningDotAbove, f);
        return f;
    }
    appendUtf8(QChar::toLower(code), f);
    return f;
}

// Every character of one or two bytes folded once, at the first search: Latin, Greek and Cyrillic letters are
// most of what a search folds.
const std::array<FoldedChar, 0x800> &shortFolds()
{
    static const std::array<FoldedChar, 0x800> table = [] {
        std::array<FoldedChar, 0x800> folds{};
        char32_t c = 0;
        for (FoldedChar &f : folds) {
            f = fold(c++);
            f.rawSize = 2;
        }
        return folds;
    }();
    return table;
}

// The character at p, which begins one, in lower case (the search folds those of two bytes from
// shortFolds). The text is valid UTF-8: the encoding decision checked the file, and the program encodes what
// it adds itself. Only the end of the buffer is guarded here: a sequence it cuts short stands for its first
// byte.
FoldedChar foldAt(const unsigned char *p, const unsigned char *end)
{
    const unsigned char c = *p;
    const int length = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (end - p < length) {
        FoldedChar f;
        f.bytes[0] = c;
        f.size = 1;
        return f;
    }
    char32_t code = c & (0x7F >> length);
    for (int i = 1; i < length; ++i)
        code = (code << 6) | (p[i] & 0x3F);
    FoldedChar f = fold(code);
    f.rawSize = static_cast<unsigned char>(length);
    return f;
}

// The capitals that are neither the upper nor the title case of their lower case: ϴ, ẞ, the Ohm, Kelvin and
// Ångström signs, and İ. The test goes through every character, so a Qt that knew another such capital
// would fail it.
constexpr char32_t kOtherCapitals[] = {kCapitalIWithDot, 0x3F4, 0x1E9E, 0x2126, 0x212A, 0x212B};

// Every form in which a lower-case character may stand in a text, each as its UTF-8 bytes. A form too many
// costs only a look; one too few would lose hits.
std::vector<FoldedChar> formsOf(char32_t lower)
{
    std::vector<FoldedChar> forms;
    const auto add = [&](char32_t form) {
        FoldedChar f;
        appendUtf8(form, f);
        if (std::none_of(forms.begin(), forms.end(), [&](const FoldedChar &g) { return g.bytes == f.bytes; }))
            forms.push_back(f);
    };
    add(lower);
    add(QChar::toUpper(lower));
    add(QChar::toTitleCase(lower)); // ǅ beside Ǆ and ǆ
    for (const char32_t capital : kOtherCapitals) {
        const bool dotted = capital == kCapitalIWithDot && (lower == U'i' || lower == kCombiningDotAbove);
        if (dotted || QChar::toLower(capital) == lower)
            add(capital);
    }
    return forms;
}

// The character at `at` of a text that is valid UTF-16.
char32_t characterAt(QStringView text, qsizetype at)
{
    const QChar c = text[at];
    return c.isHighSurrogate() ? QChar::surrogateToUcs4(c, text[at + 1]) : c.unicode();
}

// A decoded line against a needle already in lower case.
bool lowerMatches(QStringView line, const QString &lowerNeedle, Match match)
{
    const QString lower = joinedLines(line).toLower();
    return match == Match::Beginning ? lower.startsWith(lowerNeedle) : lower.contains(lowerNeedle);
}

} // namespace

// One search: the needle lower-cased once, in the store's form, and the text folded only where a match may
// begin.
class LineStore::Finder
{
public:
    // Where a match lies in the text: its first byte and the byte after its last (null when there is none).
    struct Found
    {
        const unsigned char *at = nullptr;
        const unsigned char *end = nullptr;
    };

    Finder(const LineStore &store, QStringView needle, Match match)
        : Finder(store.m_form, needle, match)
    {
        m_store = &store;
    }

    Finder(Form form, QStringView needle, Match match)
        : m_form(form)
        , m_match(match)
    {
        // Lower-cased as a kept string is: Qt turns half a pair that follows an İ into U+FFFD when it lower-cases
        // a temporary in place, and keeps it otherwise.
        const QString text = needle.toString();
        const QString lower = text.toLower();
        m_lower = lower;
        // Where a line's breaks and indentation could make or cut a match, a line that holds them is compared
        // joined; elsewhere it is one with its joined form.
        m_breaksMatter = match == Match::Beginning
                         || std::any_of(lower.begin(), lower.end(), [](QChar c) { return c.unicode() <= u' '; });
        if (form == Form::Windows1252) {
            if (fitsWindows1252(lower)) {
                appendWindows1252(m_needle, lower);
                makeShifts();
            } else {
                m_impossible = true; // no line of a Windows-1252 store holds a character outside it
            }
        } else if (!lower.isValidUtf16()) {
            // Half a surrogate pair can only match half of a pair in the text, which no byte of UTF-8 stands
            // for: such a needle compares the lines as text.
            m_slowNeedle = lower;
        } else {
            m_needle = encodeUtf8(lower);
            makeUtf8Filter(lower);
        }
    }

    bool matches(qsizetype index) const { return matchesLine(m_store->raw(index)); }

    bool matchesLine(QByteArrayView line) const
    {
        if (m_impossible)
            return false;
        const bool joined = m_breaksMatter && line.contains('\n');
        if (!m_slowNeedle.isNull() || joined)
            return lowerMatches(m_form == Form::Windows1252 ? decodeWindows1252(line) : decodeUtf8(line), m_lower,
                                m_match);
        const auto *begin = reinterpret_cast<const unsigned char *>(line.data());
        const auto *end = begin + line.size();
        if (m_match == Match::Beginning)
            return m_form == Form::Windows1252 ? beginsWith(line) : compareUtf8(begin, end, 0) != nullptr;
        return find(begin, end).at != nullptr;
    }

    // Calls hit(index) for every matching line from `from` on, in list order, while it returns true.
    template<typename Hit>
    void scan(qsizetype from, Hit hit) const
    {
        if (m_impossible)
            return;
        const qsizetype size = m_store->size();
        from = std::max<qsizetype>(from, 0);
        if (searchesStretches() && !(m_breaksMatter && m_store->holdsBreaks()))
            return scanStretches(from, hit);
        for (qsizetype i = from; i < size; ++i) {
            if (matches(i) && !hit(i))
                return;
        }
    }

    bool impossible() const { return m_impossible; }
    bool breaksMatter() const { return m_breaksMatter; }
    // Whether a search for the needle anywhere may run over many lines at once (see scanStretches).
    bool searchesStretches() const
    {
        return m_match == Match::Anywhere && !m_needle.isEmpty() && m_slowNeedle.isNull();
    }

    // The leftmost match in [p, end).
    Found find(const unsigned char *p, const unsigned char *end) const
    {
        if (m_form == Form::Windows1252) {
            const unsigned char *at = findWindows1252(p, end);
            return {at, at ? at + m_needle.size() : nullptr};
        }
        if (m_needle.isEmpty())
            return {p, p};
        for (p = nextCandidate(p, end); p; p = nextCandidate(p + 1, end)) {
            if (const unsigned char *matchEnd = matchUtf8At(p, end))
                return {p, matchEnd};
        }
        return {};
    }

private:
    // The leftmost place from p on where the folded text equals the needle, or null. Sixteen places at once
    // where the processor has SSE2: those whose first and last byte fold to the needle's are compared whole.
    // Measured against Horspool's search on the folded bytes, a plain loop, on a million proverbs: two to
    // five times as fast, which is why this one search keeps its own vector code.
    const unsigned char *findWindows1252(const unsigned char *p, const unsigned char *end) const
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

    bool beginsWith(QByteArrayView line) const
    {
        const qsizetype n = m_needle.size();
        if (line.size() < n)
            return false;
        return foldedEqualAt(reinterpret_cast<const unsigned char *>(line.data()));
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

#ifdef __SSE2__
    struct Broadcast
    {
        __m128i bytes; // one byte in all sixteen places
    };
#endif
    // One look of the UTF-8 filter: the byte `offset` places after a place must be one of a set.
    struct Look
    {
        int offset;
        std::array<bool, 256> member;
#ifdef __SSE2__
        std::vector<Broadcast> vectors{};
#endif
    };

    // A match in UTF-8 text can only begin with a form of the needle's first character (a letter, its capital,
    // the Kelvin sign for k). Where all its forms have one length, each of their bytes is looked at, and the
    // byte after them must begin a form of the needle's second character; where they differ, the first byte
    // and the one after it. Most places are ruled out sixteen at a time, unfolded: "ängel" looks only where
    // the text holds "än" or "Än", "–" only at an en dash.
    void makeUtf8Filter(QStringView lower)
    {
        if (lower.isEmpty())
            return;
        m_shortFolds = &shortFolds();
        const char32_t first = characterAt(lower, 0);
        const qsizetype second = first >= 0x10000 ? 2 : 1;
        const std::vector<FoldedChar> forms = formsOf(first);
        const bool oneLength = std::all_of(forms.begin(), forms.end(),
                                           [&](const FoldedChar &form) { return form.size == forms.front().size; });
        const int length = oneLength ? forms.front().size : 1;
        std::array<Look, 5> looks{};
        for (int offset = 0; offset < int(looks.size()); ++offset)
            looks[size_t(offset)].offset = offset;
        bool oneByte = false;
        for (const FoldedChar &form : forms) {
            for (int i = 0; i < std::max(length, std::min<int>(form.size, 2)); ++i)
                looks[size_t(i)].member[form.bytes[size_t(i)]] = true;
            oneByte = oneByte || form.size == 1;
        }
        int used = oneByte ? 1 : std::max(length, 2);
        if (second < lower.size() && (oneLength || oneByte)) {
            for (const FoldedChar &form : formsOf(characterAt(lower, second)))
                looks[size_t(length)].member[form.bytes[0]] = true;
            used = length + 1;
        }
        for (int offset = 0; offset < used; ++offset)
            addLook(looks[size_t(offset)]);
    }

    void addLook(Look look)
    {
#ifdef __SSE2__
        for (int b = 0; b < 256; ++b) {
            if (look.member[size_t(b)])
                look.vectors.push_back({_mm_set1_epi8(char(b))});
        }
#endif
        m_reach = std::max(m_reach, look.offset);
        m_looks.push_back(std::move(look));
    }

    // The first place from p on where a match may begin, or null.
    const unsigned char *nextCandidate(const unsigned char *p, const unsigned char *end) const
    {
#ifdef __SSE2__
        for (; end - p >= 16 + m_reach; p += 16) {
            __m128i hit = _mm_set1_epi8(char(0xFF));
            for (const Look &look : m_looks) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + look.offset));
                __m128i any = _mm_setzero_si128();
                for (const Broadcast &b : look.vectors)
                    any = _mm_or_si128(any, _mm_cmpeq_epi8(bytes, b.bytes));
                hit = _mm_and_si128(hit, any);
            }
            if (const unsigned mask = unsigned(_mm_movemask_epi8(hit)); mask != 0)
                return p + __builtin_ctz(mask);
        }
#endif
        for (; p < end; ++p) {
            if (std::all_of(m_looks.begin(), m_looks.end(),
                            [&](const Look &look) { return end - p > look.offset && look.member[p[look.offset]]; }))
                return p;
        }
        return nullptr;
    }

    // The end of a match that begins with the character at p, or null: the folded text from p on begins with
    // the needle, or, where that character folds into two (İ), the text from its second one on does.
    const unsigned char *matchUtf8At(const unsigned char *p, const unsigned char *end) const
    {
        if (const unsigned char *matchEnd = compareUtf8(p, end, 0))
            return matchEnd;
        // İ (C4 B0) is the one character that folds into two: a match may begin with its dot.
        return end - p >= 2 && p[0] == 0xC4 && p[1] == 0xB0 ? compareUtf8(p, end, 1) : nullptr;
    }

    // Whether the folded text from p on, less the first `skip` bytes, begins with the needle: the end of the
    // text it took, or null.
    const unsigned char *compareUtf8(const unsigned char *p, const unsigned char *end, unsigned skip) const
    {
        const auto *q = reinterpret_cast<const unsigned char *>(m_needle.constData());
        const auto *needleEnd = q + m_needle.size();
        while (q < needleEnd) {
            if (p == end)
                return nullptr;
            const unsigned char c = *p;
            if (c < 0x80) {
                if ((*m_fold)[c] != *q)
                    return nullptr;
                ++p, ++q;
                continue;
            }
            FoldedChar longer;
            const FoldedChar *f = &longer;
            if (c < 0xE0 && end - p >= 2)
                f = &(*m_shortFolds)[size_t((c & 0x1F) << 6 | (p[1] & 0x3F))];
            else
                longer = foldAt(p, end);
            for (unsigned k = skip; k < f->size && q < needleEnd; ++k, ++q) {
                if (f->bytes[k] != *q)
                    return nullptr;
            }
            skip = 0;
            p += f->rawSize;
        }
        return p;
    }

    // Lines that lie one after another in the text (as every line of a file read or of a sorted list does)
    // are searched as one stretch, the line ends and whatever lies between included; a hit counts for a line
    // only when it lies wholly inside it. The search gives the leftmost hit, so a line that ends before the
    // hit does has none.
    template<typename Hit>
    void scanStretches(qsizetype k, Hit hit) const
    {
        const auto *base = reinterpret_cast<const unsigned char *>(m_store->m_text.constData());
        const auto &spans = m_store->m_spans;
        const qsizetype size = m_store->size();
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
                const Found found = find(base + pos, stop);
                if (!found.at) {
                    k = runEnd;
                    break;
                }
                const qsizetype at = found.at - base, matchEnd = found.end - base;
                while (k < runEnd && endOf(k) < matchEnd)
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
    QByteArray m_needle; // in lower case, in the store's form
    QString m_slowNeedle; // in lower case, when it holds half a surrogate pair
    QString m_lower; // the needle in lower case
    bool m_breaksMatter = false;
    bool m_impossible = false;
    std::array<unsigned char, 2> m_first{}, m_last{};
    // The UTF-8 filter: the bytes a match may begin with, and those that may follow them.
    std::vector<Look> m_looks;
    int m_reach = 0; // the farthest look
    const std::array<unsigned char, 256> *m_fold = &windows1252Fold(); // ASCII's lower case among it
    const std::array<FoldedChar, 0x800> *m_shortFolds = nullptr;
};

bool textMatches(QStringView line, QStringView needle, Match match)
{
    // Lower-cased as a kept string, as the finder does (see there).
    const QString text = needle.toString();
    return lowerMatches(line, text.toLower(), match);
}

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

qsizetype LineStore::FileLines::indexAt(const char *lineBegin, Counted &counted) const
{
    const char *text = m_text.data();
    const char *from = counted.at ? counted.at : text;
    counted.lines += countNonEmptyLines(text, from, lineBegin, lineEnds());
    counted.at = lineBegin;
    return counted.lines;
}

void LineStore::FileLines::findAll(QStringView needle, Match match,
                                   const std::function<void(const QString &)> &hit) const
{
    findAllLines(needle, match, [&](QByteArrayView line) { hit(decoded(line)); });
}

void LineStore::FileLines::findAllLines(QStringView needle, Match match,
                                        const std::function<void(QByteArrayView)> &hit) const
{
    findLinesWhile(needle, match, [&](QByteArrayView line) {
        hit(line);
        return true;
    });
}

void LineStore::FileLines::findLinesWhile(QStringView needle, Match match,
                                          const std::function<bool(QByteArrayView)> &hit) const
{
    const Finder finder(m_form, needle, match);
    if (finder.impossible())
        return;
    const char *text = m_text.data(), *textEnd = text + m_text.size();
    if (!finder.searchesStretches() || (finder.breaksMatter() && holdsBreaks())) {
        LineSplitter<char> lines(text, textEnd, lineEnds());
        const char *begin = nullptr, *end = nullptr;
        while (lines.next(begin, end)) {
            if (begin != end && finder.matchesLine(QByteArrayView(begin, end - begin)) && !hit(QByteArrayView(begin, end)))
                return;
        }
        return;
    }
    // The whole text searched at once, as the store searches lines that lie one after another: a hit counts
    // for the line it lies wholly inside, found around the hit; a hit that runs past the end of its line
    // leaves none in that line (any later one there would run past it too).
    const auto find = [&](const char *from) {
        return finder.find(reinterpret_cast<const unsigned char *>(from),
                           reinterpret_cast<const unsigned char *>(textEnd));
    };
    for (Finder::Found found = find(text); found.at;) {
        const LineEnds ends = lineEnds();
        const char *at = reinterpret_cast<const char *>(found.at);
        const char *lineBegin = lineBeginBefore(text, at, ends);
        if (lineBegin > at) { // the LF of a CR LF, which no line holds
            found = find(lineBegin);
            continue;
        }
        const char *lineEnd = lineEndFrom(at, textEnd, ends);
        if (reinterpret_cast<const char *>(found.end) <= lineEnd && !hit(QByteArrayView(lineBegin, lineEnd)))
            return;
        if (lineEnd == textEnd)
            break;
        found = find(lineEnd + 1); // from the LF of a CR LF, which the look back passes over
    }
}

} // namespace tankedosan::store
