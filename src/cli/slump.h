// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/linestore.h"

#include <QString>

#include <cstdint>
#include <random>

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

} // namespace tankedosan::cli
