#include "editor/duplicates.h"
#include "editor/editorsort.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr auto storeOf = &store::LineStore::fromStrings;

// Lines of 1 to `most` pieces drawn at random.
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
    // Digits first, z å ä ö, accents with their letter, case only between lines whose letters are alike, shorter
    // first; the built-in order, used where the system's is missing, agrees.
    void swedishOrder()
    {
        const QStringList chain = u"9 liv|abc|apa|Apa|apan|Bad|éa|eb|zebra|Åka|ål|Ära|äta|öl"_s.split(u'|');
        const SwedishOrder order;
        for (qsizetype i = 0; i < chain.size(); ++i) {
            QCOMPARE(order.compare(chain[i], chain[i]), 0);
            for (qsizetype j = i + 1; j < chain.size(); ++j)
                QVERIFY2(order.compare(chain[i], chain[j]) < 0 && order.compare(chain[j], chain[i]) > 0
                             && fallbackSwedishCompare(chain[i], chain[j]) < 0,
                         qPrintable(chain[i] + u" < "_s + chain[j]));
        }
    }

    // Sorting, inserting one by one and merging a sorted half with the rest agree with a plain sort by the order,
    // on any text (combining accents, rare letters, signs, blanks): sorting decides most by the first letters.
    void sortingInsertingAndMergingAgreeWithTheOrder()
    {
        const SwedishOrder order;
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

    // The count field's number and how many leading characters it makes (-1: whole lines); the report's form:
    // groups whole, each followed by two empty lines, one more at the end, UTF-8 beyond Windows-1252; a line
    // holding a CR could make a group's text appear inside another: that list goes the long way.
    void countFieldAndReport()
    {
        const std::tuple<QString, double, int> counts[]{{u" \t1 2x"_s, 12, 12}, {u"0.4"_s, 0.4, 0}, {u"2.5"_s, 2.5, 2},
                                                        {u"3.5"_s, 3.5, 4},     {u".5"_s, 0.5, 0},  {u"-2"_s, -2, -1},
                                                        {u"abc"_s, 0, -1},      {u"2,7"_s, 2, 2}};
        for (const auto &[text, number, length] : counts) {
            QCOMPARE(duplicates::leadingNumber(text), number);
            QCOMPARE(duplicates::keyLength(number).value_or(-1), qsizetype(length));
        }
        for (const auto &[lines, bytes] : std::initializer_list<std::pair<QString, QByteArray>>{
                 {u"a|bb|A|bb|a"_s, "a\r\nA\r\na\r\n\r\n\r\nbb\r\nbb\r\n\r\n\r\n\r\n"_ba},
                 {u"ÄΩ|äω"_s, "\xEF\xBB\xBF\xC3\x84\xCE\xA9\r\n\xC3\xA4\xCF\x89\r\n\r\n\r\n\r\n"_ba},
                 {u"x\ra|a|a|b\ra|b\ra"_s, "a\r\na\r\n\r\n\r\nb\ra\r\nb\ra\r\n\r\n\r\n\r\n"_ba}})
            QCOMPARE(duplicates::reportFileBytes(duplicates::find(storeOf(lines.split(u'|')), {}).report), bytes);
    }

    // The one-pass check writes what comparing every line with every later one writes, for any list (sorted or
    // not, with repeats) and count field; cancelled, both report every group that begins earlier, whole.
    void fastCheckMatchesComparingAll()
    {
        const QStringList pieces = u"a|A|å|Å|ab|aB|b|ba| |ä|Ö|\n|Ω|ω"_s.split(u'|'),
                          fields = u"0|1|3|4|12|0.4|2.5|3.5|-2"_s.split(u'|');
        const duplicates::Progress stop = [](qsizetype done) {
            return done < 256;
        };
        QRandomGenerator random(20261206);
        for (int round = 0; round < 610; ++round) {
            const bool cancel = round >= 600;
            QStringList lines;
            for (int i = cancel ? random.bounded(300, 600) : random.bounded(0, 40); i > 0; --i)
                lines.append(!lines.isEmpty() && random.bounded(4) == 0 ? lines.at(random.bounded(lines.size()))
                                                                        : randomLine(random, pieces, cancel ? 3 : 5));
            const store::LineStore list = round % 2 ? sortedLines(storeOf(lines), SwedishOrder()) : storeOf(lines);
            const QString field = fields.at(round % fields.size());
            const auto length = cancel ? std::nullopt : duplicates::keyLength(duplicates::leadingNumber(field));
            const auto fast = cancel ? duplicates::find(list, length, stop, 0) : duplicates::find(list, length);
            QCOMPARE(fast.cancelled, cancel);
            QVERIFY2(fast.report == duplicates::findByComparingAll(list, length, cancel ? stop : nullptr).report,
                     qPrintable(u"field %1, lines: %2"_s.arg(field, list.toStringList().join(u" | "_s))));
        }
    }
};

QTEST_GUILESS_MAIN(tst_editorlogic)
#include "tst_editorlogic.moc"
