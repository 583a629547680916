#include "editor/duplicates.h"
#include "editor/editorfind.h"
#include "editor/editorsort.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}
store::LineStore storeOf(const QStringList &lines)
{
    return store::LineStore::fromStrings(lines);
}

// Lines of 1 to `most` pieces drawn at random: accents that combine, rare letters, signs and blanks.
QString randomLine(QRandomGenerator &random, const QStringList &pieces, int most)
{
    QString line;
    for (int p = random.bounded(1, most + 1); p > 0; --p)
        line += pieces.at(random.bounded(pieces.size()));
    return line;
}

struct Order
{
    QString a, b;
    int expected;
};
struct Find
{
    QStringList lines;
    bool beginning;
    QString needle;
    qsizetype from, marked;
};
struct Count
{
    QString text;
    double number;
    int length;
}; // length -1: whole lines
struct Report
{
    QStringList lines;
    QString field;
    QByteArray bytes;
};

} // namespace

class tst_editorlogic : public QObject
{
    Q_OBJECT

private slots:
    void swedishOrder_data()
    {
        QTest::addColumn<Order>("c");
        QTest::newRow("z before å") << Order{u"zebra"_s, u"ål"_s, -1};
        QTest::newRow("å before ä") << Order{u"Åka"_s, u"äta"_s, -1};
        QTest::newRow("ä before ö") << Order{u"Ära"_s, u"öl"_s, -1};
        QTest::newRow("case after letters") << Order{u"Bad"_s, u"abc"_s, 1};
        QTest::newRow("case breaks a letter tie") << Order{u"apa"_s, u"Apa"_s, -1};
        QTest::newRow("shorter first") << Order{u"Apa"_s, u"apan"_s, -1};
        QTest::newRow("equal") << Order{u"Apa"_s, u"Apa"_s, 0};
        QTest::newRow("accent with its letter") << Order{u"éa"_s, u"eb"_s, -1};
        QTest::newRow("digits before letters") << Order{u"9 liv"_s, u"a"_s, -1};
    }
    void swedishOrder()
    {
        QFETCH(Order, c);
        const auto &[a, b, expected] = c;
        const SwedishOrder order;
        QCOMPARE(order.compare(a, b), expected);
        QCOMPARE(order.compare(b, a), -expected);
        // The built-in order must agree wherever the system's is missing.
        if (expected != 0)
            QCOMPARE(sign(fallbackSwedishCompare(a, b)), expected);
    }

    // Sorting a list, inserting line by line and merging a sorted half with the rest must agree, and agree with
    // the order on any text: sorting decides most comparisons by the first letters alone.
    void sortingInsertingAndMergingAgreeWithTheOrder()
    {
        const SwedishOrder order;
        const QStringList pieces{u"a"_s,      u"A"_s,  u"å"_s, u"a\u030A"_s, u"e\u0301"_s, u"é"_s, u"ß"_s,
                                 u"ss"_s,     u"Ü"_s,  u"y"_s, u"v"_s,       u"w"_s,       u" "_s, u"\t"_s,
                                 u"-"_s,      u"9"_s,  u"Ö"_s, u"ø"_s,       u"æ"_s,       u"ä"_s, u"Den som "_s,
                                 u"\u00AD"_s, u"z"_s,  u"Z"_s, u"ł"_s,       u"„"_s,       u"€"_s, u"–"_s,
                                 u"Š"_s,      u"œ"_s,  u"…"_s, u"þ"_s,       u"½"_s,       u"Æ"_s, u"t"_s,
                                 u"h"_s,      u"\""_s, u"'"_s, u"."_s,       u"¨"_s,       u"ª"_s, u"²"_s};
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

    // Where the find's own rules lie: past the end, no match and an empty needle; matching itself is the store's.
    void find_data()
    {
        QTest::addColumn<Find>("c");
        const QStringList abc{u"abc"_s, u"Bad"_s, u"cab"_s};
        QTest::newRow("anywhere past the end marks line 0") << Find{abc, false, u"b"_s, 3, 0};
        QTest::newRow("beginning ignores case") << Find{abc, true, u"b"_s, 0, 1};
        QTest::newRow("beginning, none after") << Find{abc, true, u"b"_s, 2, 0};
        QTest::newRow("no match marks line 0") << Find{abc, false, u"zz"_s, 0, 0};
        QTest::newRow("empty needle") << Find{abc, true, QString(), 1, 1};
    }
    void find()
    {
        QFETCH(Find, c);
        const auto match = c.beginning ? store::Match::Beginning : store::Match::Anywhere;
        QCOMPARE(std::get<qsizetype>(lineToMark(storeOf(c.lines), c.needle, match, c.from)), c.marked);
    }

    void countField_data()
    {
        QTest::addColumn<Count>("c");
        for (const Count &c : {Count{u"0"_s, 0, -1},
                               {u"3"_s, 3, 3},
                               {u" \t1 2x"_s, 12, 12},
                               {u"0.4"_s, 0.4, 0},
                               {u"2.5"_s, 2.5, 2},
                               {u"3.5"_s, 3.5, 4},
                               {u".5"_s, 0.5, 0},
                               {u"-2"_s, -2, -1},
                               {u"abc"_s, 0, -1},
                               {u"2,7"_s, 2, 2}})
            QTest::newRow(qPrintable(c.text)) << c;
    }
    void countField()
    {
        QFETCH(Count, c);
        const auto &[text, number, length] = c;
        QCOMPARE(duplicates::leadingNumber(text), number);
        QCOMPARE(duplicates::keyLength(number).value_or(-1), qsizetype(length));
    }

    void report_data()
    {
        QTest::addColumn<Report>("c");
        const QStringList apan{u"Apan sover"_s, u"Apan vaknar"_s, u"Bil"_s};
        QTest::newRow("whole lines") << Report{{u"Apa"_s, u"apa"_s, u"Bil"_s}, u"0"_s, "Apa\r\napa\r\n\r\n\r\n\r\n"_ba};
        QTest::newRow("3") << Report{apan, u"3"_s, "Apan sover\r\nApan vaknar\r\n\r\n\r\n\r\n"_ba};
        QTest::newRow("12") << Report{apan, u"12"_s, QByteArray()};
        QTest::newRow("a a a") << Report{{u"a"_s, u"a"_s, u"a"_s}, u"0"_s, "a\r\na\r\na\r\n\r\n\r\n\r\n"_ba};
        QTest::newRow("two groups") << Report{
            {u"a"_s, u"bb"_s, u"A"_s, u"bb"_s}, u""_s, "a\r\nA\r\n\r\n\r\nbb\r\nbb\r\n\r\n\r\n\r\n"_ba};
        QTest::newRow("UTF-8") << Report{
            {u"ÄΩ"_s, u"äω"_s}, u"0"_s, "\xEF\xBB\xBF\xC3\x84\xCE\xA9\r\n\xC3\xA4\xCF\x89\r\n\r\n\r\n\r\n"_ba};
        // A line holding a CR could make a group's text appear inside another: such a list goes the long way.
        QTest::newRow("CR in a line") << Report{{u"x\ra"_s, u"a"_s, u"a"_s, u"b\ra"_s, u"b\ra"_s},
                                                u"0"_s,
                                                "a\r\na\r\n\r\n\r\nb\ra\r\nb\ra\r\n\r\n\r\n\r\n"_ba};
    }
    void report()
    {
        QFETCH(Report, c);
        const auto &[lines, field, bytes] = c;
        const auto result = duplicates::find(storeOf(lines), duplicates::keyLength(duplicates::leadingNumber(field)));
        QCOMPARE(result.report.isEmpty() ? QByteArray() : duplicates::reportFileBytes(result.report), bytes);
    }

    // The one-pass check must write what comparing every line with every later one writes, for any list
    // (sorted or as typed in, with exact repeats) and any count field.
    void fastCheckMatchesComparingAll()
    {
        const QStringList pieces{u"a"_s,  u"A"_s, u"å"_s, u"Å"_s, u"ab"_s, u"aB"_s, u"b"_s,
                                 u"ba"_s, u" "_s, u"ä"_s, u"Ö"_s, u"\n"_s, u"Ω"_s,  u"ω"_s};
        const QStringList fields{u"0"_s,   u"1"_s,   u"3"_s,   u"4"_s,  u"12"_s,
                                 u"0.4"_s, u"2.5"_s, u"3.5"_s, u"-2"_s, u"abc"_s};
        QRandomGenerator random(20261206);
        for (int round = 0; round < 600; ++round) {
            QStringList lines;
            for (int i = random.bounded(0, 40); i > 0; --i)
                lines.append(!lines.isEmpty() && random.bounded(4) == 0 ? lines.at(random.bounded(lines.size()))
                                                                        : randomLine(random, pieces, 5));
            const store::LineStore list = round % 2 ? sortedLines(storeOf(lines), SwedishOrder()) : storeOf(lines);
            const QString field = fields.at(round % fields.size());
            const auto length = duplicates::keyLength(duplicates::leadingNumber(field));
            const auto fast = duplicates::find(list, length);
            QVERIFY(!fast.cancelled);
            QVERIFY2(fast.report == duplicates::findByComparingAll(list, length).report,
                     qPrintable(u"field %1, lines: %2"_s.arg(field, list.toStringList().join(u" | "_s))));
        }
        // Cancelled before line 256, both report every group that begins earlier, whole.
        const auto stop = [](qsizetype done) {
            return done < 256;
        };
        for (int round = 0; round < 10; ++round) {
            QStringList lines;
            for (int i = random.bounded(300, 600); i > 0; --i)
                lines.append(randomLine(random, pieces, 3));
            const auto fast = duplicates::find(storeOf(lines), std::nullopt, stop, 0);
            QVERIFY(fast.cancelled);
            QCOMPARE(fast.report, duplicates::findByComparingAll(storeOf(lines), std::nullopt, stop).report);
        }
    }
};

QTEST_GUILESS_MAIN(tst_editorlogic)
#include "tst_editorlogic.moc"
