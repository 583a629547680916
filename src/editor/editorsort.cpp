#include "editor/editorsort.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
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
};

SwedishOrder::SwedishOrder()
    : d(std::make_unique<Private>())
{
    // Without the system's Swedish data a collator falls back to code points or to another language's
    // order; check the letters that decide the difference before trusting it.
    const QCollator &c = d->collator;
    d->system = c.compare(u"z"_s, u"å"_s) < 0 && c.compare(u"Zebra"_s, u"Ål"_s) < 0 && c.compare(u"å"_s, u"ä"_s) < 0
                && c.compare(u"ä"_s, u"ö"_s) < 0 && c.compare(u"ab"_s, u"B"_s) < 0 && c.compare(u"B"_s, u"ac"_s) > 0;
}

SwedishOrder::~SwedishOrder() = default;

bool SwedishOrder::usesSystemCollation() const
{
    return d->system;
}

int SwedishOrder::compare(QStringView a, QStringView b) const
{
    const int r = d->system ? d->collator.compare(a, b) : fallbackSwedishCompare(a, b);
    if (r != 0)
        return sign(r);
    return sign(a.compare(b));
}

store::LineStore sortedLines(const store::LineStore &lines, const SwedishOrder &order)
{
    const qsizetype n = lines.size();
    std::vector<QString> texts;
    texts.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        texts.push_back(lines.at(i));
    std::vector<qsizetype> perm(n);
    std::iota(perm.begin(), perm.end(), 0);
    std::sort(perm.begin(), perm.end(), [&](qsizetype x, qsizetype y) { return order.less(texts[x], texts[y]); });
    store::LineStore sorted;
    for (qsizetype i : perm)
        sorted.append(texts[i]);
    return sorted;
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
