#include "editor/duplicates.h"
#include "editor/editorsort.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr auto storeOf = &store::LineStore::fromStrings;

QString randomLine(QRandomGenerator &random, const QStringList &pieces, int most)
{
    QString line;
    for (int p = random.bounded(1, most + 1); p > 0; --p)
        line += pieces.at(random.bounded(pieces.size()));
    return line;
}

} // namespace

class tst_editorlogic : public QObject
{
    Q_OBJECT

private slots:
    // The order (digits, z å ä ö, accents with their letter, case between alike lines only), the built-in one too;
    // sorting, inserting and merging agree with a plain sort by it on any text, though deciding by first letters.
    void sortingInsertingAndMergingAgreeWithTheOrder()
    {
        const SwedishOrder order;
        const QStringList chain = u"9 liv|abc|apa|Apa|apan|Bad|éa|eb|zebra|Åka|ål|Ära|äta|öl"_s.split(u'|');
        QStringList reversed(chain.rbegin(), chain.rend());
        QCOMPARE(sortedLines(storeOf(reversed), order).toStringList(), chain);
        std::sort(reversed.begin(), reversed.end(), [](auto &a, auto &b) { return fallbackSwedishCompare(a, b) < 0; });
        QCOMPARE(reversed, chain);
        const QStringList pieces =
            u"a|A|å|a\u030A|e\u0301|é|ß|ss|Ü|y|v|w| |\t|-|9|Ö|ø|æ|ä|Den som |\u00AD|z|Z|ł|„|€|–|Š|œ|…|þ|½|Æ|t|h|\"|'|.|¨|ª|²"_s
                .split(u'|');
        QRandomGenerator random(31);
        QStringList lines;
        for (int i = 0; i < 4000; ++i)
            lines.append(i % 8 == 7 ? lines.at(random.bounded(i)) : randomLine(random, pieces, 11));
        QStringList expected = lines;
        std::stable_sort(expected.begin(), expected.end(),
                         [&](const QString &x, const QString &y) { return order.less(x, y); });
        QCOMPARE(sortedLines(storeOf(lines), order).toStringList(), expected);
        store::LineStore oneByOne;
        for (const QString &line : lines.mid(0, 600))
            oneByOne.insert(sortedPosition(oneByOne, line, order), line);
        QCOMPARE(oneByOne.toStringList(), sortedLines(storeOf(lines.mid(0, 600)), order).toStringList());
        QCOMPARE(mergedLines(sortedLines(storeOf(lines.mid(0, 1500)), order), storeOf(lines.mid(1500)), order)
                     .toStringList(),
                 expected);
    }

    // The one-pass check writes what comparing every line with every later one writes, for any list and count.
    void fastCheckMatchesComparingAll()
    {
        const QStringList pieces = u"a|A|å|Å|ab|aB|b|ba| |ä|Ö|\n|Ω|ω"_s.split(u'|'),
                          fields = u"0|1|3|4|12|0.4|2.5|3.5|-2"_s.split(u'|');
        QRandomGenerator random(20261206);
        for (int round = 0; round < 600; ++round) {
            QStringList lines;
            for (int i = random.bounded(0, 40); i > 0; --i)
                lines.append(!lines.isEmpty() && random.bounded(4) == 0 ? lines.at(random.bounded(lines.size()))
                                                                        : randomLine(random, pieces, 5));
            const store::LineStore list = round % 2 ? sortedLines(storeOf(lines), SwedishOrder()) : storeOf(lines);
            const QString field = fields.at(round % fields.size());
            const auto length = duplicates::keyLength(duplicates::leadingNumber(field));
            QVERIFY2(duplicates::find(list, length).report == duplicates::findByComparingAll(list, length).report,
                     qPrintable(u"field %1, lines: %2"_s.arg(field, list.toStringList().join(u" | "_s))));
        }
    }
};

QTEST_GUILESS_MAIN(tst_editorlogic)
#include "tst_editorlogic.moc"
