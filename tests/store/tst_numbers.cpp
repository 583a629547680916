// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/numbers.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

class tst_numbers : public QObject
{
    Q_OBJECT

private slots:
    // Against a pattern, QString::toDouble and half to even: strict fails with 13 on more than blanks, 6 out of range.
    void conversionsAgreeWithAPlainReference()
    {
        static const QRegularExpression number(u"^[ \t]*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)"_s);
        const QStringList pieces = u" |\t|+|-|.|,|a|\u0661|0|1|2|5|7|9|50|2147483647|2147483648"_s.split(u'|');
        QRandomGenerator random(32768);
        for (int round = 0; round < 50000; ++round) {
            QString text;
            for (int i = random.bounded(7); i > 0; --i)
                text += pieces[random.bounded(int(pieces.size()))];
            const QRegularExpressionMatch found = number.match(text);
            const double value = std::nearbyint(found.captured().toDouble());
            const int lenient = int(std::clamp(value, -2147483648.0, 2147483647.0));
            const bool alone = found.hasMatch() && text.sliced(found.capturedEnd()).trimmed().isEmpty();
            const auto strict = numbers::strictNumber(text);
            const auto *failure = std::get_if<store::Failure>(&strict);
            const QString got = failure ? u"fel %1"_s.arg(failure->number) : QString::number(std::get<int>(strict));
            const QString expected = !alone ? u"fel 13"_s : value != lenient ? u"fel 6"_s : QString::number(lenient);
            QCOMPARE(u"'%1': %2, %3"_s.arg(text, got).arg(numbers::lenientNumber(text)),
                     u"'%1': %2, %3"_s.arg(text, expected).arg(lenient));
        }
    }
};

QTEST_GUILESS_MAIN(tst_numbers)
#include "tst_numbers.moc"
