// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "cli/reading.h"
#include "store/encoding.h"
#include "store/linestore.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace tankedosan::cli {

// One proverb drawn at random from one or more collections, every proverb of them equally likely (so a
// collection is drawn in proportion to its size): each collection is offered in turn and replaces the draw
// so far with the chance that its share of the proverbs seen gives. Only one collection is held at a time.
class ProverbDraw
{
public:
    explicit ProverbDraw(std::uint64_t seed);
    // Offers a collection of `size` proverbs; true when the draw falls on it now, at drawn().
    bool offer(qsizetype size);
    // The same for the lines of a file, whose proverb at drawn() is then the proverb.
    bool offer(const store::LineStore::FileLines &lines);
    qsizetype drawn() const { return m_drawn; }
    void setProverb(const QString &proverb) { m_proverb = proverb; }
    // A draw anew over the same collections, the random numbers going on.
    void restart();
    std::uint64_t next() { return m_random(); }
    bool isEmpty() const { return m_seen == 0; }
    const QString &proverb() const { return m_proverb; }

private:
    std::mt19937_64 m_random;
    qsizetype m_seen = 0;
    qsizetype m_drawn = 0;
    QString m_proverb;
};

// A proverb drawn, and where it lies: its collection, and its number there from 1 as the main window numbers the
// collection (0 where it was drawn from fortune's index without the text being read).
struct DrawnProverb
{
    QString proverb;
    QString collection;
    qsizetype number = 0;
};

// One proverb drawn over the collections by `draw`'s numbers, every proverb of them equally likely. `numbered`:
// every collection is read whole, as the window reads it, so that the proverb's number is known; without it an
// index of fortune's is weighed by its count and only the entry drawn is read. A collection that cannot be read
// is told on standard error and makes `allRead` false. Nothing when no collection holds a proverb.
std::optional<DrawnProverb> drawProverb(const std::vector<Collection> &collections, ProverbDraw &draw,
                                        const store::ChosenEncoding &encoding, bool numbered, bool &allRead);

} // namespace tankedosan::cli
