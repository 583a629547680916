// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/editorsort.h"

#include "store/encoding.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <array>
#include <bit>
#include <numeric>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace tankedosan::store {

namespace {

// Where a character stands in the built-in order, letter case and accents set aside: blanks, then other
// signs, digits, a to z, and å, ä, ö last. Accented letters go with their base letter, except the Swedish
// ones and those Swedish treats as them (æ as ä, ø as ö, ü as y).
int primaryWeight(QChar c)
{
    const char16_t lower = c.toLower().unicode();
    switch (lower) {
    case u'å': return 1000 + 26;
    case u'ä':
    case u'æ': return 1000 + 27;
    case u'ö':
    case u'ø': return 1000 + 28;
    case u'ü': return 1000 + (u'y' - u'a');
    default: break;
    }
    if (lower >= u'a' && lower <= u'z')
        return 1000 + (lower - u'a');
    if (c.isSpace())
        return 1;
    if (c.isDigit())
        return 900 + c.digitValue();
    if (c.isLetter()) {
        const QString base = QChar(lower).decomposition();
        if (!base.isEmpty() && base.front() >= u'a' && base.front() <= u'z')
            return 1000 + (base.front().unicode() - u'a');
        return 2000 + lower;
    }
    return 10 + std::min<int>(lower, 800);
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

int fallbackSwedishCompare(QStringView a, QStringView b)
{
    // Letters first, then accents and case (lower case first, as in the system collation), then the exact text.
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (const int d = primaryWeight(a[i]) - primaryWeight(b[i]))
            return sign(d);
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t la = a[i].toLower().unicode();
        const char16_t lb = b[i].toLower().unicode();
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return a[i].isLower() ? -1 : 1;
    }
    return 0;
}

// Sorting a million lines compares each with some twenty others; most of those comparisons are decided by the first
// letters, which need no collator (the collator alone sorts a million proverbs five times slower). For every character
// of the Western European set that the collation weighs as one letter or sign, its rank on the collation's first level
// (letters alike whatever their case or accent), read from the collation itself; 0 for every other character.
struct FirstLevelRanks
{
    static constexpr char16_t kEnd = 0x2200; // beyond the last character of Windows-1252 ("™")
    std::array<unsigned char, kEnd> rank{};
    bool usable = false;

    int of(QChar c) const { return c.unicode() < kEnd ? rank[c.unicode()] : 0; }
};

struct SwedishOrder::Private
{
    QCollator collator{QLocale(QLocale::Swedish, QLocale::Sweden)};
    bool system = false;
    const FirstLevelRanks *ranks = nullptr;

    int raw(QStringView a, QStringView b) const
    {
        return system ? collator.compare(a, b) : fallbackSwedishCompare(a, b);
    }
    FirstLevelRanks readRanks() const;
};

namespace {
// The characters that may have a rank: those of Windows-1252 that weigh as one letter or sign, in byte order.
std::vector<QChar> rankCandidates()
{
    std::vector<QChar> candidates;
    const auto consider = [&](char16_t u) {
        const QChar c(u);
        // Controls, format characters and accents that combine weigh nothing or change their neighbour;
        // compatibility forms ("½", "™", "…") weigh as several characters.
        switch (c.category()) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Other_PrivateUse:
        case QChar::Other_NotAssigned: return;
        default: break;
        }
        const auto tag = c.decompositionTag();
        if (tag != QChar::NoDecomposition && tag != QChar::Canonical)
            return;
        candidates.push_back(c);
    };
    // Every character of Windows-1252: printable ASCII, the upper half of Latin-1, then what 0x80 to 0x9F stand
    // for (the undefined ones are controls, left out above).
    for (const auto &[from, to] : {std::pair{0x20, 0x7E}, std::pair{0xA0, 0xFF}, std::pair{0x80, 0x9F}}) {
        for (int byte = from; byte <= to; ++byte)
            consider(store::windows1252ToUnicode(static_cast<unsigned char>(byte)));
    }
    return candidates;
}
} // namespace

FirstLevelRanks SwedishOrder::Private::readRanks() const
{
    FirstLevelRanks result;
    std::vector<QChar> candidates = rankCandidates();
    // x sorts before y on the first level exactly when x followed by a late letter still sorts before y
    // followed by an early one: a first-level tie would let the second character decide the other way.
    const auto firstLevelLess = [&](QChar x, QChar y, QChar early, QChar late) {
        return raw(QString(x) + late, QString(y) + early) < 0;
    };
    const auto less = [&](QChar x, QChar y) {
        return firstLevelLess(x, y, u' ', u'ö');
    };
    if (!less(u' ', u'ö') || !less(u'a', u'b'))
        return result;
    std::sort(candidates.begin(), candidates.end(), [&](QChar x, QChar y) { return raw(QString(x), QString(y)) < 0; });

    // Ranks in collation order; a character tied with the one before it shares its rank.
    std::vector<QChar> ranked;
    std::vector<QChar> representative{QChar()};
    for (QChar c : candidates) {
        const bool tied = !ranked.empty() && !less(ranked.back(), c);
        if (tied) {
            // A character that weighs as two letters ("ß" as "ss") ties with its first one but is followed by
            // its second: behind it "a" against "b" after the first letter shows it.
            const QChar first = representative.back();
            if (!(raw(QString(c) + u'a', QString(first) + u'b') < 0
                  && raw(QString(c) + u' ', QString(first) + u'!') < 0))
                continue;
        } else {
            if (representative.size() > 127)
                return result;
            representative.push_back(c);
        }
        ranked.push_back(c);
        result.rank[c.unicode()] = static_cast<unsigned char>(representative.size() - 1);
    }
    // The ranks must agree with the collation for every pair, or they are not used at all.
    for (QChar x : ranked) {
        for (QChar y : ranked) {
            if (less(x, y) != (result.of(x) < result.of(y)))
                return result;
        }
    }
    result.usable = true;
    return result;
}

SwedishOrder::SwedishOrder()
    : d(std::make_unique<Private>())
{
    // Without the system's Swedish data a collator falls back to code points or to another language's
    // order; check the letters that decide the difference before trusting it.
    const QCollator &c = d->collator;
    d->system = c.compare(u"z"_s, u"å"_s) < 0 && c.compare(u"Zebra"_s, u"Ål"_s) < 0 && c.compare(u"å"_s, u"ä"_s) < 0
                && c.compare(u"ä"_s, u"ö"_s) < 0 && c.compare(u"ab"_s, u"B"_s) < 0 && c.compare(u"B"_s, u"ac"_s) > 0;
    // The collation does not change while the program runs: read once.
    static const FirstLevelRanks systemRanks = d->readRanks();
    static const FirstLevelRanks builtInRanks = [] {
        SwedishOrder::Private builtIn;
        return builtIn.readRanks();
    }();
    d->ranks = d->system ? &systemRanks : &builtInRanks;
}

SwedishOrder::~SwedishOrder() = default;

int SwedishOrder::compare(QStringView a, QStringView b) const
{
    if (const int r = d->raw(a, b))
        return sign(r);
    return sign(a.compare(b));
}

namespace {

// The first-level ranks of a line's first 27 characters, seven bits each from the top of three words of 63
// bits, and how many of them decide the order: a character counts only when it and the one after it are
// ranked (a combining accent after a letter changes that letter), or when it ends the line.
constexpr int kBits = 7;
constexpr int kPerWord = 9;
constexpr int kWords = 3;
constexpr int kPrefixChars = kWords * kPerWord;

struct Prefix
{
    std::array<quint64, kWords> ranks{};
    int decisive = 0;
};

Prefix prefixOf(QStringView line, const FirstLevelRanks &ranks)
{
    Prefix p;
    qsizetype ranked = 0;
    while (ranked < line.size() && ranked <= kPrefixChars && ranks.of(line[ranked]) != 0)
        ++ranked;
    if (ranked == line.size())
        p.decisive = int(std::min<qsizetype>(ranked, kPrefixChars));
    else if (ranked > kPrefixChars)
        p.decisive = kPrefixChars;
    else
        p.decisive = int(std::max<qsizetype>(ranked - 1, 0));
    for (int i = 0; i < p.decisive; ++i)
        p.ranks[i / kPerWord] |= quint64(ranks.of(line[i])) << (kBits * (kPerWord - 1 - i % kPerWord));
    return p;
}

// -1 or 1 when the prefixes alone decide, 0 when the whole lines must be compared.
int comparePrefixes(const Prefix &a, const Prefix &b)
{
    for (int w = 0; w < kWords; ++w) {
        if (const quint64 differ = a.ranks[w] ^ b.ranks[w]) {
            // The first character that differs in rank, counted from the top seven bits of the 63 used.
            const int at = w * kPerWord + (std::countl_zero(differ) - (64 - kBits * kPerWord)) / kBits;
            if (at < std::min(a.decisive, b.decisive))
                return a.ranks[w] < b.ranks[w] ? -1 : 1;
            return 0;
        }
    }
    return 0;
}

} // namespace

LineStore sortedLines(const LineStore &lines, const SwedishOrder &order)
{
    const qsizetype n = lines.size();
    // Positions are sorted, each beside its prefix, not the lines: a million lines as strings would double the
    // memory, and a prefix kept beside its position is compared without a jump elsewhere in memory.
    struct Item
    {
        Prefix prefix;
        qsizetype line;
    };
    std::vector<Item> items(n);
    const bool ranked = order.d->ranks->usable;
    for (qsizetype i = 0; i < n; ++i)
        items[i] = {ranked ? prefixOf(lines.at(i), *order.d->ranks) : Prefix{}, i};
    std::sort(items.begin(), items.end(), [&](const Item &x, const Item &y) {
        if (const int byPrefix = comparePrefixes(x.prefix, y.prefix))
            return byPrefix < 0;
        return order.less(lines.at(x.line), lines.at(y.line));
    });
    std::vector<qsizetype> positions;
    positions.reserve(items.size());
    for (const Item &item : items)
        positions.push_back(item.line);
    return lines.reordered(positions);
}

LineStore mergedLines(const LineStore &sorted, const LineStore &more, const SwedishOrder &order)
{
    const LineStore added = sortedLines(more, order);
    LineStore merged;
    merged.setDecodedExactly(sorted.decodedExactly());
    qsizetype i = 0;
    qsizetype j = 0;
    QString next = i < sorted.size() ? sorted.at(i) : QString();
    QString nextAdded = j < added.size() ? added.at(j) : QString();
    while (i < sorted.size() || j < added.size()) {
        if (j == added.size() || (i < sorted.size() && !order.less(nextAdded, next))) {
            merged.append(next);
            next = ++i < sorted.size() ? sorted.at(i) : QString();
        } else {
            merged.append(nextAdded);
            nextAdded = ++j < added.size() ? added.at(j) : QString();
        }
    }
    return merged;
}

qsizetype sortedPosition(const LineStore &lines, QStringView line, const SwedishOrder &order)
{
    qsizetype low = 0;
    qsizetype high = lines.size();
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        if (order.less(line, lines.at(mid)))
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

} // namespace tankedosan::store
