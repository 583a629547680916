// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/linesplitter.h"

#include <algorithm>

namespace tankedosan::store {

namespace {

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

// Whether the byte at `i` belongs to a line end: a CR, the LF of a CR LF, or in a Unix text any LF. What lies
// before the text counts as one, for a line begins at the text's first byte.
template<bool Unix>
bool isLineEndByte(const unsigned char *text, qsizetype i)
{
    if (i < 0)
        return true;
    const unsigned char c = text[i];
    return c == '\r' || (c == '\n' && (Unix || (i > 0 && text[i - 1] == '\r')));
}

// A line that is not empty begins where a byte of text follows a line end: by the splitter's rule, since a
// line is what lies between two line ends.
template<bool Unix>
bool beginsLine(const unsigned char *text, qsizetype i)
{
    return !isLineEndByte<Unix>(text, i) && isLineEndByte<Unix>(text, i - 1);
}

// The non-empty lines that begin in [from, to) of the text. Past its first two bytes every byte is judged by
// the two before it, without a branch, which the compiler turns into wide compares.
template<bool Unix>
qsizetype linesBeginningIn(const unsigned char *text, qsizetype from, qsizetype to)
{
    qsizetype count = 0;
    for (; from < to && from < 2; ++from)
        count += beginsLine<Unix>(text, from);
    while (from < to) {
        const qsizetype blockEnd = from + std::min<qsizetype>(to - from, 255);
        unsigned char inBlock = 0;
        for (qsizetype i = from; i < blockEnd; ++i) {
            const unsigned char c = text[i], b = text[i - 1], a = text[i - 2];
            const bool endHere = (c == '\r') | ((c == '\n') & (Unix | (b == '\r')));
            const bool endBefore = (b == '\r') | ((b == '\n') & (Unix | (a == '\r')));
            inBlock += !endHere & endBefore;
        }
        count += inBlock;
        from = blockEnd;
    }
    return count;
}

template<bool Unix>
const char *nonEmptyLineAt(const char *p, const char *end, qsizetype index)
{
    const auto *text = reinterpret_cast<const unsigned char *>(p);
    const qsizetype size = end - p;
    constexpr qsizetype kBlock = 4096; // counted whole, then the one that holds the line looked at byte by byte
    for (qsizetype from = 0; from < size && index >= 0; from += kBlock) {
        const qsizetype to = std::min(size, from + kBlock);
        const qsizetype here = linesBeginningIn<Unix>(text, from, to);
        if (here <= index) {
            index -= here;
            continue;
        }
        for (qsizetype i = from; i < to; ++i) {
            if (beginsLine<Unix>(text, i) && index-- == 0)
                return p + i;
        }
    }
    return end;
}

} // namespace

qsizetype countNonEmptyLines(const char *p, const char *end, LineEnds ends)
{
    const auto *text = reinterpret_cast<const unsigned char *>(p);
    return ends == LineEnds::Unix ? linesBeginningIn<true>(text, 0, end - p)
                                  : linesBeginningIn<false>(text, 0, end - p);
}

qsizetype countNonEmptyLines(const char *text, const char *from, const char *to, LineEnds ends)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(text);
    return ends == LineEnds::Unix ? linesBeginningIn<true>(bytes, from - text, to - text)
                                  : linesBeginningIn<false>(bytes, from - text, to - text);
}

const char *nonEmptyLineAt(const char *p, const char *end, LineEnds ends, qsizetype index)
{
    return ends == LineEnds::Unix ? nonEmptyLineAt<true>(p, end, index) : nonEmptyLineAt<false>(p, end, index);
}

bool holdsLoneLf(const char *p, const char *end)
{
    // Every byte judged by the one before it, in blocks, without a branch: a file of a million CR LF lines has
    // a million LFs that a search from one to the next would stop at.
    const auto *text = reinterpret_cast<const unsigned char *>(p);
    const qsizetype size = end - p;
    if (size > 0 && text[0] == '\n')
        return true;
    for (qsizetype from = 1; from < size;) {
        const qsizetype blockEnd = from + std::min<qsizetype>(size - from, 4096);
        unsigned char lone = 0;
        for (qsizetype i = from; i < blockEnd; ++i)
            lone |= (text[i] == '\n') & (text[i - 1] != '\r');
        if (lone)
            return true;
        from = blockEnd;
    }
    return false;
}

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

} // namespace tankedosan::store
