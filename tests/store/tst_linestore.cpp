// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/encoding.h"
#include "store/linestore.h"
#include "store/shown.h"
#include "store/writtenform.h"
#include "widgets/listboxmodel.h"

#include "../support/systemfixtures.h"

#include <QAbstractItemModelTester>

#include <QRandomGenerator>
#include <QTest>

using namespace tankedosan;
using namespace tankedosan::store;
using namespace tankedosan::widgets;

using namespace Qt::StringLiterals;

namespace {
const QStringList kOthers = u"→|漢|\uFEFF|\0|\n|İ|\u0080|Σ|Å|₿|😀|Ā|Ⴀ"_s.split(u'|');

// Mostly Windows-1252, at times another character, U+FEFF, NUL, LF or a surrogate pair; never a CR.
QString randomLine(QRandomGenerator &random, bool windows1252Only, int maxLength = 12)
{
    QString line;
    for (int i = random.bounded(maxLength + 1); i > 0; --i) {
        const auto byte = static_cast<unsigned char>(random.bounded(256));
        if (random.bounded(windows1252Only ? 20 : 24) >= 20)
            line += kOthers[random.bounded(int(kOthers.size()))];
        else
            line += byte == '\r' ? QChar(u'x') : QChar(store::windows1252ToUnicode(byte));
    }
    return line;
}
} // namespace

class tst_linestore : public QObject
{
    Q_OBJECT

private slots:
    // Against a plain list lower-cased by QString::toLower; removals never leave the text mostly garbage.
    void editsAndSearchesAgreeWithAPlainList()
    {
        QRandomGenerator random(20261206);
        for (int round = 0; round < 200; ++round) {
            store::LineStore store;
            QStringList plain;
            const bool windows1252Only = round % 2 == 0;
            if (round % 4 >= 2) {
                for (int i = random.bounded(30); i > 0; --i)
                    plain << randomLine(random, windows1252Only || i % 2, 40);
                plain.removeAll(QString());
                store = store::LineStore::fromFileBytes(store::encodeLines(plain));
            }
            for (int step = 0; step < 120; ++step) {
                const int op = random.bounded(10);
                const qsizetype at = random.bounded(int(plain.size()) + (op < 5 || plain.isEmpty() ? 1 : 0));
                if (op < 5 || plain.isEmpty()) {
                    const QString line = randomLine(random, windows1252Only || step < 60);
                    store.insert(at, line);
                    plain.insert(at, line);
                } else if (op < 8) {
                    store.removeAt(at);
                    plain.removeAt(at);
                } else {
                    QString needle = plain.at(at).mid(random.bounded(3), 1 + random.bounded(4));
                    if (random.bounded(4) == 0 && at + 1 < plain.size())
                        needle = plain.at(at).right(2) + u"\r\n"_s + plain.at(at + 1).left(2);
                    if (random.bounded(8) == 0)
                        needle = kOthers[random.bounded(int(kOthers.size()))];
                    if (std::any_of(needle.begin(), needle.end(), [](QChar c) { return c.isSurrogate(); }))
                        needle.clear(); // half a pair is not something a user can type
                    const store::Match match = op == 8 ? store::Match::Beginning : store::Match::Anywhere;
                    std::vector<qsizetype> expected; // an empty needle matches every line, even a null one
                    for (qsizetype i = 0; i < plain.size(); ++i) {
                        const QString line = plain.at(i).toLower(), lower = needle.toLower();
                        if (lower.isEmpty()
                            || (match == store::Match::Beginning ? line.startsWith(lower) : line.contains(lower)))
                            expected.push_back(i);
                    }
                    QCOMPARE(store.findAll(needle, match), expected);
                    const auto first = std::lower_bound(expected.begin(), expected.end(), at);
                    QCOMPARE(store.findFirst(needle, match, at), first == expected.end() ? -1 : *first);
                    QCOMPARE(store.findFirst(needle, match), expected.empty() ? -1 : expected.front());
                }
                QVERIFY2(store.toStringList() == plain, qPrintable(u"round %1, step %2"_s.arg(round).arg(step)));
            }
            QCOMPARE(store.toFileBytes(), store::encodeLines(plain));
            const qsizetype live = plain.join(QString()).toUtf8().size();
            QVERIFY2(store.bufferBytes() <= 2 * live + 64,
                     qPrintable(u"%1 bytes held for %2"_s.arg(store.bufferBytes()).arg(live)));
        }
        QCOMPARE(store::LineStore::fromFileBytes("\r\n\r\r\n"_ba).bufferBytes(), 0); // no text: nothing kept
        // Compacted, a store holds its lines and no more: here 529,984 bytes, just past 2^19, where a text that grew
        // as it was copied would hold twice that.
        const QByteArray file = QByteArray(98, 'x').append("\r\n").repeated(10600);
        store::LineStore most = store::LineStore::fromFileBytes(file);
        const qint64 before = bytesInUse();
        while (most.size() > 5408)
            most.removeAt(most.size() - 1);
        QCOMPARE_LT(bytesInUse() - before, 540000);
    }

    // A text view's lines keep every line end between them, and only a line past the bound is cut.
    void shownLinesKeepTheirLineEnds()
    {
        const QString fits(store::kShownCharacters, u'x'), past = fits + u'y', shown = fits + u'…';
        bool cut = true;
        const QString whole = u"a\r\n\r"_s + fits + u"\n\n\r\r\nb"_s;
        QCOMPARE(store::shownLines(whole, &cut), whole);
        QVERIFY(!cut);
        QCOMPARE(store::shownLines(past + u"\r\n"_s + past + u"\n\r\r"_s + past + u"\n"_s + past, &cut),
                 shown + u"\r\n"_s + shown + u"\n\r\r"_s + shown + u"\n"_s + shown);
        QVERIFY(cut);
    }

    // The list model over a line store: the selection and the model's signals.
    void selectionFollowsTheSelectedEntryAndStaysInTheList()
    {
        ListBoxModel list(u"söklista"_s);
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.setItems({u"a"_s, u"b"_s, u"c"_s});
        QCOMPARE(list.selectedText(), QString());
        QVERIFY(!list.setSelectedIndex(1));
        // An insertion or a removal before the selection keeps its entry; removing it or new contents, none.
        list.insertItem(0, u"x"_s);
        QCOMPARE(list.selectedIndex(), 2);
        QVERIFY(!list.removeItem(0));
        QCOMPARE(list.selectedText(), u"b"_s);
        QVERIFY(!list.removeItem(1));
        QCOMPARE(list.selectedIndex(), -1);
        QVERIFY(!list.setSelectedIndex(0));
        list.setItems({u"a"_s, u"b"_s, u"c"_s});
        QCOMPARE(list.selectedIndex(), -1);
        // An entry outside the list is a failure that changes nothing; -1 clears the selection.
        QVERIFY(!list.setSelectedIndex(2));
        QVERIFY(list.setSelectedIndex(-2) && list.setSelectedIndex(3) && list.removeItem(-1) && list.removeItem(3));
        QCOMPARE(list.selectedIndex(), 2);
        QCOMPARE(list.count(), 3);
        QVERIFY(!list.setSelectedIndex(-1));
        QCOMPARE(list.selectedText(), QString());
    }
};

QTEST_GUILESS_MAIN(tst_linestore)
#include "tst_linestore.moc"
