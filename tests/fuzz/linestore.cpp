// SPDX-License-Identifier: LicenseRef-Tankedosan
// The line store's readers against the read rule, its search against QString::toLower, the lines read in place
// against the store, and the written form read again.
#include "fuzz.h"

#include "store/linestore.h"

using namespace tankedosan::store;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::AllocationBound bound(size);
    fuzz::Input in(data, size);
    const unsigned steer = in.byte();
    const bool keepEmpty = steer & 1;
    const Match match = steer & 2 ? Match::Beginning : Match::Anywhere;
    const qsizetype most = in.byte();
    const QString needle = QString::fromUtf8(in.part());
    const QByteArray bytes = in.rest.toByteArray();

    const LineStore store = LineStore::fromFileBytes(bytes, keepEmpty);
    const QStringList lines = store.toStringList();
    FUZZ_CHECK(lines == fuzz::lines(fuzz::whole(fuzz::decoded(bytes)), keepEmpty));
    const std::optional<LineStore> atMost = LineStore::fromFileBytesAtMost(bytes, keepEmpty, most);
    FUZZ_CHECK(atMost ? atMost->toStringList() == lines : lines.size() > most);

    const auto hit = [&](const QString &line) {
        return match == Match::Beginning ? line.toLower().startsWith(needle.toLower())
                                         : line.toLower().contains(needle.toLower());
    };
    const qsizetype from = most % (lines.size() + 1);
    std::vector<qsizetype> hits, hitsFrom;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(store.matches(i, needle, match) == hit(lines[i]));
        if (hit(lines[i]))
            (i < from ? hits : hitsFrom).push_back(i);
    }
    FUZZ_CHECK(store.findAll(needle, match, from) == hitsFrom);
    FUZZ_CHECK(store.findFirst(needle, match, from) == (hitsFrom.empty() ? -1 : hitsFrom.front()));
    hits.insert(hits.end(), hitsFrom.begin(), hitsFrom.end());
    FUZZ_CHECK(store.findAll(needle, match) == hits);

    const QStringList nonEmpty = keepEmpty ? LineStore::fromFileBytes(bytes).toStringList() : lines;
    FUZZ_CHECK(LineStore::FileLines(bytes).holdsMoreThan(most) == (nonEmpty.size() > most));
    const LineStore::FileLines inPlace(bytes);
    FUZZ_CHECK(inPlace.size() == nonEmpty.size());
    // Each look-up scans from the start: both ends and one line between.
    for (const qsizetype i : {qsizetype(0), nonEmpty.size() - 1, most % (nonEmpty.size() + 1)}) {
        if (i >= 0 && i < nonEmpty.size())
            FUZZ_CHECK(inPlace.at(i) == nonEmpty[i]);
    }
    QStringList found;
    inPlace.findAll(needle, match, [&](const QString &line) { found.append(line); });
    QStringList expected = nonEmpty;
    expected.removeIf([&](const QString &line) { return !hit(line); });
    FUZZ_CHECK(found == expected);

    const QByteArray written = store.toFileBytes();
    FUZZ_CHECK(LineStore::fromOwnFileBytes(written).toStringList() == lines);
    if (store.writesBackUnchanged())
        FUZZ_CHECK(LineStore::fromFileBytes(written, keepEmpty).toStringList() == lines);
    return 0;
}
