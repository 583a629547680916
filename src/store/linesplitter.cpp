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

} // namespace

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
