// SPDX-License-Identifier: LicenseRef-Tankedosan
// The number box's two readings of a text: the strict one against its rule read digit by digit, the lenient one
// against the strict one where a double holds the digits exactly enough.
#include "fuzz.h"

#include "store/numbers.h"

#include <QRegularExpression>

using namespace tankedosan::store;
using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::AllocationBound bound(size);
    fuzz::Input in(data, size);
    // Mostly UTF-8, which reaches the digits and blanks soonest; any UTF-16 units otherwise.
    const QString text = in.byte() % 4 ? QString::fromUtf8(in.rest) : fuzz::units(in.rest);

    static const QRegularExpression rule(u"\\A[ \\t]*([+-]?)(0*)([0-9]*)(?:\\.([0-9]*))?[ \\t]*\\z"_s);
    const QRegularExpressionMatch number = rule.match(text);
    const QString whole = number.captured(3), fraction = number.captured(4);
    const Result<int> strict = strictNumber(text);
    const int failed = strict.ok() ? 0 : strict.failure()->number;
    const bool digits = number.capturedLength(2) + whole.size() + fraction.size() > 0;
    if (!number.hasMatch() || !digits) {
        FUZZ_CHECK(failed == 13); // type mismatch
    } else if (whole.size() > 10) {
        FUZZ_CHECK(failed == 6); // overflow
    } else {
        // Half to even, decided by the digits.
        qint64 value = whole.toLongLong();
        const QChar first = fraction.isEmpty() ? u'0' : fraction[0];
        if (first > u'5'
            || (first == u'5' && (fraction.sliced(1).contains(QRegularExpression(u"[1-9]"_s)) || value % 2)))
            ++value;
        value = number.captured(1) == u"-" ? -value : value;
        if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
            FUZZ_CHECK(failed == 6);
        else
            FUZZ_CHECK(strict.ok() && *strict == value);
        if (strict.ok() && whole.size() <= 6 && fraction.size() <= 6)
            FUZZ_CHECK(lenientNumber(text) == *strict);
    }
    // The lenient number is read from the start: what follows it does not count.
    FUZZ_CHECK(lenientNumber(text + u'x') == lenientNumber(text));
    return 0;
}
