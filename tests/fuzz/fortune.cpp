// SPDX-License-Identifier: LicenseRef-Tankedosan
// fortune's index and text: the header against its layout, the entries against the plain rule, each entry drawn in
// place against the text read whole. The input: the index's length (two bytes, big-endian), the index, the text.
#include "fuzz.h"

#include "store/fortune.h"
#include "store/linestore.h"

#include <QtEndian>

using namespace tankedosan::store;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::AllocationBound bound(size);
    fuzz::Input in(data, size);
    const QByteArrayView indexBytes = in.take(in.byte() << 8 | in.byte());
    const QByteArray text = in.rest.toByteArray();

    FUZZ_CHECK(isBinary(text)
               == (!text.startsWith("\xFF\xFE") && !text.startsWith("\xFE\xFF")
                   && text.first(std::min<qsizetype>(text.size(), 1024)).contains('\0')));
    const QList<QByteArray> lfLines = text.split('\n');
    FUZZ_CHECK(isFortuneText(text) == (lfLines.count("%") + lfLines.count("%\r") >= 2));

    // Six big-endian words (version 1 or 2, the count, the longest, the shortest, the flags, the delimiter in
    // the first byte of the last), then one offset of 32 or 64 bits for each entry and one for the end.
    const auto word = [&](qsizetype at) {
        return qFromBigEndian<quint32>(indexBytes.data() + at);
    };
    const qint64 offsets = indexBytes.size() < 24 ? 0 : qint64(word(4)) + 1;
    const qint64 width = offsets * 4 == indexBytes.size() - 24 ? 4 : offsets * 8 == indexBytes.size() - 24 ? 8 : 0;
    const bool valid = indexBytes.size() >= 24 && (word(0) == 1 || word(0) == 2) && width && word(16) < 16
                       && word(20) >> 24 > 0x20 && word(20) >> 24 < 0x7F && (word(20) & 0xFFFFFF) == 0;
    const std::optional<FortuneIndex> index = fortuneIndexOf(indexBytes);
    FUZZ_CHECK(bool(index) == valid);
    if (!index)
        return 0;
    FUZZ_CHECK(index->version == word(0) && index->count == word(4) && index->longest == word(8)
               && index->flags == word(16) && uchar(index->delimiter) == word(20) >> 24);
    for (qint64 i = 0; i < offsets; ++i) {
        const std::optional<qint64> at = fortuneOffset(indexBytes, quint32(i));
        const quint64 stated = width == 4 ? word(24 + 4 * i) : qFromBigEndian<quint64>(indexBytes.data() + 24 + 8 * i);
        FUZZ_CHECK(stated > quint64(std::numeric_limits<qint64>::max()) || (at && quint64(*at) == stated));
    }
    FUZZ_CHECK(!fortuneOffset(indexBytes, index->count + 1) && !fortuneOffset(indexBytes, ~quint32(0)));

    // Half a surrogate pair of a UTF-16 text shows as U+FFFD, as in a collection of UTF-16.
    const QString decoded = fuzz::whole(fuzz::decoded(text));
    const auto reference = [&](bool keepLines) {
        return fuzz::fortuneEntries(decoded, QLatin1Char(index->delimiter), index->comments(), index->rotated(),
                                    keepLines);
    };
    FUZZ_CHECK(LineStore::fromFileBytes(fortuneEntries(text, *index, EntryForm::Joined)).toStringList()
               == reference(false));
    const QStringList read = LineStore::fromFileBytesAtMost(fortuneEntries(text, *index, EntryForm::Lines), false,
                                                            1 << 30, ReadForm::Entries)
                                 ->toStringList();
    FUZZ_CHECK(read == reference(true));
    for (qint64 i = 0; i < offsets + 1; ++i) {
        const std::optional<QString> entry = fortuneEntryAt(text, indexBytes, quint32(i));
        FUZZ_CHECK(i < offsets || !entry);
        FUZZ_CHECK(!entry || entry->isEmpty() || read.contains(*entry));
    }
    return 0;
}
