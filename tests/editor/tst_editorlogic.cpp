// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "editor/duplicates.h"
#include "store/editorsort.h"
#include "swedishreference.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tankedosan;
using namespace tankedosan::editor;
using namespace tankedosan::store;

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
    // Sorting and merging give ICU's Swedish order on any text; the built-in fallback keeps its main rules.
    void sortingInsertingAndMergingFollowSwedishCollation()
    {
        const store::SwedishOrder order;
        const QStringList chain = u"9 liv|abc|apa|Apa|apan|Bad|éa|eb|zebra|zon|Åka|åt|Ära|äta|öl"_s.split(u'|');
        QStringList reversed(chain.rbegin(), chain.rend());
        std::sort(reversed.begin(), reversed.end(),
                  [](auto &a, auto &b) { return store::fallbackSwedishCompare(a, b) < 0; });
        QCOMPARE(reversed, chain);
        const QStringList pieces =
            u"a|A|å|a\u030A|e\u0301|é|ß|ss|Ü|y|v|w| |\t|-|9|Ö|ø|æ|ä|Den som |\u00AD|z|Z|ł|„|€|–|Š|œ|…|þ|½|Æ|t|h|\"|'|.|¨|ª|²"_s
                .split(u'|');
        QRandomGenerator random(31);
        QStringList lines;
        for (int i = 0; i < 4000; ++i)
            lines.append(i % 8 == 7 ? lines.at(random.bounded(i)) : randomLine(random, pieces, 11));
        QStringList expected = lines;
        std::stable_sort(expected.begin(), expected.end(), referenceLess);
        QCOMPARE(store::sortedLines(storeOf(lines), order).toStringList(), expected);
        QCOMPARE(
            store::mergedLines(store::sortedLines(storeOf(lines.mid(0, 1500)), order), storeOf(lines.mid(1500)), order)
                .toStringList(),
            expected);
    }

    // The check writes what comparing every line with every later one writes (key: lower case, count half to even).
    void duplicateCheckFollowsComparingAll()
    {
        const QStringList
            pieces = u"a|A|å|Å|ab|aB|b|ba| |ä|Ö|\n|\r|Ω|ω"_s.split(u'|'),
            fields = (u"0=|1=1|3=3|4=4|12=12|0.4=0|2.5=2|3.5=4|-2=| 2x=2|x=|.5=0|+3=3|+-3=|3.4999999999999999999=4|"
                      "1.75.2=2|1 2=12|3-1=3|.5.5=0|"_s
                      + QString(400, u'9') + u"=2147483647"_s)
                         .split(u'|');
        const auto comparingAll = [](const QStringList &lines, const QString &length) {
            const auto keyOf = [&](const QString &line) {
                return line.left(length.isEmpty() ? line.size() : length.toInt()).toLower();
            };
            QString report;
            for (qsizetype i = 0; i < lines.size(); ++i) {
                QString group;
                bool found = false;
                for (qsizetype j = i; j < lines.size(); ++j) {
                    if (keyOf(lines[j]) == keyOf(lines[i])) {
                        group += lines[j] + u"\r\n"_s;
                        found = (found || j != i) && !report.contains(group);
                    }
                }
                report += found ? group + u"\r\n\r\n"_s : QString();
            }
            return report;
        };
        QRandomGenerator random(20261206);
        for (int round = 0; round < 600; ++round) {
            QStringList lines;
            for (int i = random.bounded(0, 40); i > 0; --i)
                lines.append(!lines.isEmpty() && random.bounded(4) == 0 ? lines.at(random.bounded(lines.size()))
                                                                        : randomLine(random, pieces, 5));
            if (round % 2)
                std::stable_sort(lines.begin(), lines.end(), referenceLess);
            const QStringList field = fields.at(round % fields.size()).split(u'=');
            const auto length = editor::duplicates::keyLength(editor::duplicates::leadingNumber(field[0]));
            // The one-pass check, and the comparing one it falls back on where the one pass cannot give its report.
            const QString expected = comparingAll(lines, field[1]);
            QVERIFY2(editor::duplicates::find(storeOf(lines), length).report == expected
                         && editor::duplicates::findByComparingAll(storeOf(lines), length, {}).report == expected,
                     qPrintable(u"field %1, lines: %2"_s.arg(field[0], lines.join(u" | "_s))));
        }
        // Even with no interval between them, it asks how it goes at most once in 256 lines: a million stay fast.
        int asked = 0;
        editor::duplicates::find(
            storeOf(QStringList(1024, u"x"_s)), std::nullopt, [&](qsizetype) { return ++asked; }, 0);
        QVERIFY2(asked > 0 && asked <= 1024 / 256, qPrintable(QString::number(asked)));
    }
};

QTEST_GUILESS_MAIN(tst_editorlogic)
#include "tst_editorlogic.moc"
