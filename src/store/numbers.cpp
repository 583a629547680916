// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/numbers.h"

#include <cmath>
#include <limits>

namespace tankedosan::store {

bool isNumberBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

namespace {
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Both conversions start alike: blanks, then an optional sign. Gives the position after them.
qsizetype skipBlanksAndSign(const QString &text, bool &negative)
{
    qsizetype i = 0;
    while (i < text.size() && isNumberBlank(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    return i;
}

constexpr qint64 kMin = std::numeric_limits<int>::min();
constexpr qint64 kMax = std::numeric_limits<int>::max();
} // namespace

store::Result<int> strictNumber(const QString &text)
{
    const qsizetype n = text.size();
    bool negative = false;
    qsizetype i = skipBlanksAndSign(text, negative);
    qsizetype digits = 0;
    qint64 value = 0;
    bool overflow = false;
    for (; i < n && isDigit(text[i]); ++i, ++digits) {
        if (!overflow) {
            value = value * 10 + (text[i].unicode() - u'0');
            overflow = value > kMax + 1;
        }
    }
    // A fraction rounds half to even, as the lenient number does; it is decided from the digits themselves so
    // that no binary fraction turns a half into a little less or a little more.
    int firstFractionDigit = 0;
    bool restNonZero = false;
    if (i < n && text[i] == u'.') {
        for (qsizetype place = 0; ++i < n && isDigit(text[i]); ++place, ++digits) {
            const int digit = text[i].unicode() - u'0';
            if (place == 0)
                firstFractionDigit = digit;
            else if (digit != 0)
                restNonZero = true;
        }
    }
    while (i < n && isNumberBlank(text[i]))
        ++i;
    if (digits == 0 || i != n)
        return store::failures::typeMismatch();
    if (!overflow && (firstFractionDigit > 5 || (firstFractionDigit == 5 && (restNonZero || value % 2 != 0))))
        ++value;
    if (negative)
        value = -value;
    if (overflow || value < kMin || value > kMax)
        return store::failures::overflow();
    return static_cast<int>(value);
}

int lenientNumber(const QString &text)
{
    const qsizetype n = text.size();
    bool negative = false;
    qsizetype i = skipBlanksAndSign(text, negative);
    double value = 0;
    for (; i < n && isDigit(text[i]); ++i)
        value = value * 10 + (text[i].unicode() - u'0');
    if (i < n && text[i] == u'.') {
        double scale = 0.1;
        for (++i; i < n && isDigit(text[i]); ++i, scale /= 10)
            value += (text[i].unicode() - u'0') * scale;
    }
    if (negative)
        value = -value;
    value = std::nearbyint(value); // the default rounding mode rounds half to even
    if (value < double(kMin))
        return int(kMin);
    if (value > double(kMax))
        return int(kMax);
    return static_cast<int>(value);
}

} // namespace tankedosan::store
