#include "editor/editorsort.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <array>
#include <bit>
#include <numeric>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Where a character stands in the built-in order, letter case and accents set aside: blanks, then other
// signs, digits, a to z, and å, ä, ö last. Accented letters go with their base letter, except the Swedish
// ones and those Swedish treats as them (æ as ä, ø as ö, ü as y).
int primaryWeight(QChar c)
{
    const char16_t lower = c.toLower().unicode();
    switch (lower) {
    case u'å': return 1000 + 26;
    case u'ä': case u'æ': return 1000 + 27;
    case u'ö': case u'ø': return 1000 + 28;
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

struct SwedishOrder::Private {
    QCollator collator{QLocale(QLocale::Swedish, QLocale::Sweden)};
    bool system = false;

    // Sorting a million lines compares each with some twenty others; most of those comparisons are decided
    // by the first letters, which need no collator. For the common characters below, the rank of each in the
    // collation's first level (letters alike whatever their case or accent), read from the collation itself;
    // 0 for every other character.
    static constexpr qsizetype kRanked = 0x100;
    std::array<unsigned char, kRanked> rank{};
    bool ranksUsable = false;

    int raw(QStringView a, QStringView b) const
    {
        return system ? collator.compare(a, b) : fallbackSwedishCompare(a, b);
    }
    void readRanks();
};

void SwedishOrder::Private::readRanks()
{
    const QString common =
        u" !\"'(),-.:;?0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZåäöÅÄÖéÉ"_s;
    // x sorts before y on the first level exactly when x followed by a late letter still sorts before y
    // followed by an early sign: a first-level tie would let the second character decide the other way.
    const QChar late = u'ö';
    const QChar early = u' ';
    const auto firstLevelLess = [&](QChar x, QChar y) {
        return raw(QString(x) + late, QString(y) + early) < 0;
    };
    if (!firstLevelLess(early, late))
        return;
    std::vector<QChar> chars(common.begin(), common.end());
    std::sort(chars.begin(), chars.end(), [&](QChar x, QChar y) { return raw(QString(x), QString(y)) < 0; });
    int next = 1;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (i > 0 && firstLevelLess(chars[i - 1], chars[i]))
            ++next;
        if (next > 63)
            return;
        rank[chars[i].unicode()] = static_cast<unsigned char>(next);
    }
    // The ranks must agree with the collation for every pair, or they are not used at all.
    for (QChar x : chars) {
        for (QChar y : chars) {
            const int rx = rank[x.unicode()];
            const int ry = rank[y.unicode()];
            if (firstLevelLess(x, y) != (rx < ry))
                return;
        }
    }
    ranksUsable = true;
}

SwedishOrder::SwedishOrder()
    : d(std::make_unique<Private>())
{
    // Without the system's Swedish data a collator falls back to code points or to another language's
    // order; check the letters that decide the difference before trusting it.
    const QCollator &c = d->collator;
    d->system = c.compare(u"z"_s, u"å"_s) < 0 && c.compare(u"Zebra"_s, u"Ål"_s) < 0 && c.compare(u"å"_s, u"ä"_s) < 0
                && c.compare(u"ä"_s, u"ö"_s) < 0 && c.compare(u"ab"_s, u"B"_s) < 0 && c.compare(u"B"_s, u"ac"_s) > 0;
    d->readRanks();
}

SwedishOrder::~SwedishOrder() = default;

bool SwedishOrder::usesSystemCollation() const
{
    return d->system;
}

int SwedishOrder::compare(QStringView a, QStringView b) const
{
    if (const int r = d->raw(a, b))
        return sign(r);
    return sign(a.compare(b));
}

namespace {

// The first-level ranks of a line's first twenty characters, six bits each from the top of two words of
// sixty bits, and how many of them decide the order: a character counts only when it and the one after it
// are ranked (a combining accent after a letter changes that letter), or when it ends the line.
constexpr int kPerWord = 10;
constexpr int kPrefixChars = 2 * kPerWord;

struct Prefix {
    std::array<quint64, 2> ranks{};
    int decisive = 0;
};

Prefix prefixOf(QStringView line, const std::array<unsigned char, 0x100> &rank)
{
    Prefix p;
    qsizetype ranked = 0;
    while (ranked < line.size() && ranked <= kPrefixChars && line[ranked].unicode() < 0x100
           && rank[line[ranked].unicode()] != 0)
        ++ranked;
    if (ranked == line.size())
        p.decisive = int(std::min<qsizetype>(ranked, kPrefixChars));
    else if (ranked > kPrefixChars)
        p.decisive = kPrefixChars;
    else
        p.decisive = int(std::max<qsizetype>(ranked - 1, 0));
    for (int i = 0; i < p.decisive; ++i)
        p.ranks[i / kPerWord] |= quint64(rank[line[i].unicode()]) << (6 * (kPerWord - 1 - i % kPerWord));
    return p;
}

// -1 or 1 when the prefixes alone decide, 0 when the whole lines must be compared.
int comparePrefixes(const Prefix &a, const Prefix &b)
{
    for (int w = 0; w < 2; ++w) {
        if (const quint64 differ = a.ranks[w] ^ b.ranks[w]) {
            // The first character that differs in rank, counted from the top six bits of the sixty used.
            const int at = w * kPerWord + (std::countl_zero(differ) - (64 - 6 * kPerWord)) / 6;
            if (at < std::min(a.decisive, b.decisive))
                return a.ranks[w] < b.ranks[w] ? -1 : 1;
            return 0;
        }
    }
    return 0;
}

} // namespace

store::LineStore sortedLines(const store::LineStore &lines, const SwedishOrder &order)
{
    const qsizetype n = lines.size();
    // An order of positions is sorted, not the lines: a million lines as strings would double the memory.
    std::vector<Prefix> prefixes(n);
    if (order.d->ranksUsable) {
        for (qsizetype i = 0; i < n; ++i)
            prefixes[i] = prefixOf(lines.at(i), order.d->rank);
    }
    std::vector<qsizetype> perm(n);
    std::iota(perm.begin(), perm.end(), 0);
    std::sort(perm.begin(), perm.end(), [&](qsizetype x, qsizetype y) {
        if (const int byPrefix = comparePrefixes(prefixes[x], prefixes[y]))
            return byPrefix < 0;
        return order.less(lines.at(x), lines.at(y));
    });
    store::LineStore sorted;
    for (qsizetype i : perm)
        sorted.append(lines.at(i));
    return sorted;
}

store::LineStore mergedLines(const store::LineStore &sorted, const store::LineStore &more, const SwedishOrder &order)
{
    const store::LineStore added = sortedLines(more, order);
    store::LineStore merged;
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

qsizetype sortedPosition(const store::LineStore &lines, QStringView line, const SwedishOrder &order)
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
