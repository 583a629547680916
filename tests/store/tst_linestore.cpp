// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/bounds.h"
#include "store/encoding.h"
#include "store/fortune.h"
#include "store/linestore.h"
#include "store/shown.h"
#include "widgets/listboxmodel.h"

#include "../fuzz/fuzz.h"
#include "../support/systemfixtures.h"

#include <QAbstractItemModelTester>

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStringDecoder>
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

// The rows whose line, LFs joined and lower-cased by QString::toLower, holds the needle; an empty one is in every line.
std::vector<qsizetype> plainHits(const QStringList &lines, const QString &needle, store::Match match)
{
    std::vector<qsizetype> hits;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = fuzz::joined(lines[i]).toLower(), lower = needle.toLower();
        if (lower.isEmpty() || (match == store::Match::Beginning ? line.startsWith(lower) : line.contains(lower)))
            hits.push_back(i);
    }
    return hits;
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
                store = store::LineStore::fromFileBytes(fuzz::written(plain));
            }
            for (int step = 0; step < 120; ++step) {
                const int op = random.bounded(10);
                const qsizetype at = random.bounded(int(plain.size()) + (op < 5 || plain.isEmpty() ? 1 : 0));
                if (op < 5 || plain.isEmpty()) {
                    const QString line = randomLine(random, windows1252Only || step < 60);
                    store.insert(at, line), plain.insert(at, line);
                } else if (op < 8) {
                    store.removeAt(at), plain.removeAt(at);
                } else {
                    QString needle = plain.at(at).mid(random.bounded(3), 1 + random.bounded(4));
                    if (random.bounded(4) == 0 && at + 1 < plain.size())
                        needle = plain.at(at).right(2) + u"\r\n"_s + plain.at(at + 1).left(2);
                    if (random.bounded(8) == 0)
                        needle = kOthers[random.bounded(int(kOthers.size()))];
                    if (std::any_of(needle.begin(), needle.end(), [](QChar c) { return c.isSurrogate(); }))
                        needle.clear(); // half a pair is not something a user can type
                    const store::Match match = op == 8 ? store::Match::Beginning : store::Match::Anywhere;
                    const std::vector<qsizetype> expected = plainHits(plain, needle, match); // null lines too
                    QCOMPARE(store.findAll(needle, match), expected);
                    const auto first = std::lower_bound(expected.begin(), expected.end(), at);
                    QCOMPARE(store.findFirst(needle, match, at), first == expected.end() ? -1 : *first);
                    QCOMPARE(store.findFirst(needle, match), expected.empty() ? -1 : expected.front());
                }
                QVERIFY2(store.toStringList() == plain, qPrintable(u"round %1, step %2"_s.arg(round).arg(step)));
            }
            QCOMPARE(store.toFileBytes(), fuzz::written(plain)); // the written form, by the plain rule
            const qsizetype live = plain.join(QString()).toUtf8().size();
            QVERIFY2(store.bufferBytes() <= 2 * live + 64,
                     qPrintable(u"%1 bytes held for %2"_s.arg(store.bufferBytes()).arg(live)));
        }
        QCOMPARE(store::LineStore::fromFileBytes("\r\n\r\r\n"_ba).bufferBytes(), 0); // no text: nothing kept
        // Compacted, a store holds its lines (529,984 bytes, past 2^19), not the twice that of a text grown by copying.
        const QByteArray file = QByteArray(98, 'x').append("\r\n").repeated(10600);
        store::LineStore most = store::LineStore::fromFileBytes(file);
        const qint64 before = bytesInUse();
        while (most.size() > 5408)
            most.removeAt(most.size() - 1);
        QCOMPARE_LT(bytesInUse() - before, 540000);
    }

    // A search, in the store and in place, finds the lines that hold the needle, both lower-cased whole by
    // QString::toLower (a line that holds LFs joined at them): on letters whose lower case is another length, sigmas, combining marks, past U+FFFF, and
    // files that are not UTF-8 after all (a lone surrogate or a stray byte makes them Windows-1252).
    void searchesAgreeWithLowerCasingTheWholeLine_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<int>("rounds");
        const QStringList hard =
            u"İ|ı|I|i|ẞ|ß|s|Σ|σ|ς|K|k|\u212A|Å|å|\u212B|Ⱥ|ⱥ|Ɫ|ɫ|\u0307|e\u0301|É|𐐀|𐐨|𐀀|\U000F0000|Ω|\u2126|–|…|ǅ|x| |\n"_s
                .split(u'|');
        QTest::newRow("hard cases") << hard << 400;
        // Every character that QString::toLower changes, and what it becomes, each once on a line of its own.
        QStringList cased;
        for (char32_t c = 1; c < 0x110000; ++c) {
            const QString one = QString::fromUcs4(&c, 1);
            if (!QChar::isSurrogate(c) && one.toLower() != one)
                cased << one << one.toLower();
        }
        QTest::newRow("every character with a lower case") << cased << 0;
    }
    void searchesAgreeWithLowerCasingTheWholeLine()
    {
        QFETCH(QStringList, pieces);
        QFETCH(int, rounds);
        QRandomGenerator random(20261209);
        const auto piece = [&] {
            return pieces[random.bounded(int(pieces.size()))];
        };
        const auto check = [](const QByteArray &file, const QStringList &needles) {
            const store::LineStore store = store::LineStore::fromFileBytes(file);
            const store::LineStore::FileLines inPlace(file);
            const QStringList lines = store.toStringList();
            for (const QString &needle : needles) {
                for (const auto match : {store::Match::Anywhere, store::Match::Beginning}) {
                    const std::vector<qsizetype> expected = plainHits(lines, needle, match);
                    QStringList expectedLines, inPlaceHits;
                    for (qsizetype i : expected)
                        expectedLines << lines[i];
                    const auto where = qPrintable(u"needle %1 in %2"_s.arg(needle, QString::fromLatin1(file.toHex())));
                    QVERIFY2(store.findAll(needle, match) == expected, where);
                    inPlace.findAll(needle, match, [&](const QString &hit) { inPlaceHits << hit; });
                    QVERIFY2(inPlaceHits == expectedLines, where);
                    if (!lines.isEmpty()) {
                        const qsizetype one = QRandomGenerator::global()->bounded(int(lines.size()));
                        QCOMPARE(store.matches(one, needle, match),
                                 std::find(expected.begin(), expected.end(), one) != expected.end());
                    }
                }
            }
        };
        if (rounds == 0) { // one file of every line, searched for every line
            QStringList needles = pieces;
            needles.removeDuplicates();
            return check(pieces.join(u"\r\n"_s).toUtf8(), needles);
        }
        for (int round = 0; round < rounds; ++round) {
            QStringList lines;
            for (int i = random.bounded(1, 12); i > 0; --i) {
                QString line;
                for (int j = random.bounded(12); j > 0; --j)
                    line += piece();
                lines << line;
            }
            // Line ends of Windows and of Unix; an LF inside a line is text in the first.
            const QString lineEnd = round % 3 ? u"\r\n"_s : u"\n"_s;
            QByteArray file = lines.join(lineEnd).toUtf8();
            if (round % 7 == 0) // a lone surrogate or a stray byte: not UTF-8
                file.insert(random.bounded(int(file.size()) + 1), round % 2 ? "\xED\xA0\x80" : "\xFF");
            QStringList needles;
            for (int probe = 0; probe < 12; ++probe) {
                QString needle;
                for (int j = random.bounded(1, 4); j > 0; --j)
                    needle += piece();
                const QString &line = lines[random.bounded(int(lines.size()))];
                if (probe % 3 == 0) // a piece of a line, which may cut a pair or a letter from its mark
                    needle = line.mid(random.bounded(int(line.size()) + 1), random.bounded(1, 5));
                if (probe == 4) // a match that would run over a line end
                    needle = line.right(2) + lineEnd + lines.value(1).left(2);
                if (probe == 5)
                    needle = QChar(random.bounded(2) ? 0xD801 : 0xDC28) + piece(); // half of 𐐀's or 𐐨's pair
                needles << needle;
            }
            check(file, needles);
        }
        check(u"xİ\r\nİ"_s.toUtf8(), {u"\u0307"_s, u"i"_s}); // İ's dot found where İ ends the text too
        check("ab \ncd\r\nx\t\n y\r\n",
              {u"b c"_s, u"x y"_s, u"b \n"_s}); // a break joined as one blank, its blanks gone
    }

    // fortune's texts searched where they lie find exactly the entries that a plain reading finds, with their
    // lines: entries parted by lines of "%" and matched joined (each line's blanks trimmed, the lines joined by
    // one blank), the whole text read as UTF-8 when it all is UTF-8 (after a mark, or with a character past
    // ASCII), else Windows-1252.
    void fortuneTextsSearchedWhereTheyLie()
    {
        const QList<QByteArray> pieces =
            "a|B|\xC3\xA4|\xC3\x84|\xE4|\xFF\xFE|\r| |\t|\n|\n%\n|\n%\r\n|%|\xE2\x82\xAC|"
            "\xE2\x84\xAA|K|\xC4\xB0|\xC3\x9F|\xCE\xA3|\xCF\x82|\xEF\xBB\xBF|%%|xy|\x81|a b|\n \n"_ba.split('|');
        QRandomGenerator random(34);
        const auto reference = [](const QByteArray &text, bool keepLines) {
            const bool marked = text.startsWith("\xEF\xBB\xBF");
            QStringDecoder utf8("UTF-8", QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
            const QString decoded = utf8.decode(text.sliced(marked ? 3 : 0)); // converted: decode() alone is lazy
            const bool isUtf8 =
                !utf8.hasError()
                && (marked || std::any_of(text.begin(), text.end(), [](char c) { return uchar(c) >= 0x80; }));
            return fuzz::fortuneEntries(isUtf8 ? decoded : QStringDecoder("windows-1252").decode(text), u'%', false,
                                        false, keepLines);
        };
        int inPlace = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray text;
            for (int i = random.bounded(24); i > 0; --i)
                text += pieces[random.bounded(int(pieces.size()))];
            if (text.startsWith("\xFF\xFE")) // UTF-16, which the search reads whole
                text.prepend('a');
            const QStringList entries = reference(text, false), whole = reference(text, true);
            QString needle = QString::fromUtf8(pieces[random.bounded(int(pieces.size()))]);
            if (round % 2 && !entries.isEmpty()) { // a piece of an entry, in either case
                const QString &one = entries[random.bounded(int(entries.size()))];
                needle = one.mid(random.bounded(int(one.size())), random.bounded(1, 4));
                needle = round % 4 == 1 ? needle.toUpper() : needle;
            }
            const auto match = round % 3 ? store::Match::Anywhere : store::Match::Beginning;
            QStringList expected, joined, stored, inText;
            for (qsizetype i : plainHits(entries, needle, match)) // joined, the entries hold no LF
                expected << whole[i];
            const QString where = u" %1 in %2"_s.arg(needle, QString::fromLatin1(text.toHex()));
            const store::FortuneIndex index;
            const QByteArray read = store::fortuneEntries(text, index, store::EntryForm::Lines);
            store::LineStore::FileLines(read, store::ReadForm::Entries).findAll(needle, match, [&](const QString &hit) {
                joined << hit;
            });
            QVERIFY2(joined == expected, qPrintable(joined.join(u"/"_s) + u" | "_s + expected.join(u"/"_s) + where));
            const auto store = store::LineStore::fromFileBytesAtMost(read, false, 1 << 30, store::ReadForm::Entries);
            for (qsizetype i : store->findAll(needle, match))
                stored << store->at(i);
            QVERIFY2(stored == expected, qPrintable(where));
            if (store::fortuneSearchInPlace(text, index, needle, match)) {
                store::findFortuneEntries(text, index, needle, [&](const QString &hit) { inText << hit; });
                QVERIFY2(inText == expected, qPrintable(where));
                ++inPlace;
            }
        }
        QCOMPARE_GT(inPlace, 700);
        // What the text as it lies cannot tell: a match from the beginning, across a blank or a line end, in
        // ROT13 or beside dropped comments, in UTF-16, or in more entries than a collection may have lines.
        store::FortuneIndex rotated, comments;
        rotated.flags = 0x4;
        comments.flags = 0x8;
        const auto bound = qScopeGuard([] { store::maxReadLines = store::kMaxReadLines; });
        store::maxReadLines = 2;
        const auto inPlaceFor = [](QByteArrayView text, const store::FortuneIndex &index, const QString &needle,
                                   store::Match match = store::Match::Anywhere) {
            return store::fortuneSearchInPlace(text, index, needle, match);
        };
        QVERIFY(inPlaceFor("a\n%\nb", {}, u"a"_s) && !inPlaceFor("a\n%\nb\n%\nc", {}, u"a"_s));
        for (const QString &cut : {u"a b"_s, u"a\tb"_s, u"a\nb"_s, u"a\rb"_s, QString()})
            QVERIFY2(!inPlaceFor("a", {}, cut), qPrintable(cut));
        QVERIFY(!inPlaceFor("a", rotated, u"a"_s) && !inPlaceFor("a", comments, u"a"_s));
        QVERIFY(!inPlaceFor("a", {}, u"a"_s, store::Match::Beginning)
                && !inPlaceFor("\xFF\xFE"
                               "a\0",
                               {}, u"a"_s));
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
        QVERIFY(list.selectedText().isEmpty() && !list.setSelectedIndex(1));
        // An insertion or a removal before the selection keeps its entry; removing it or new contents, none.
        list.insertItem(0, u"x"_s);
        QCOMPARE(list.selectedIndex(), 2);
        QVERIFY(!list.removeItem(0) && list.selectedText() == u"b"_s && !list.removeItem(1));
        QCOMPARE(list.selectedIndex(), -1);
        QVERIFY(!list.setSelectedIndex(0));
        list.setItems({u"a"_s, u"b"_s, u"c"_s});
        QCOMPARE(list.selectedIndex(), -1);
        // An entry outside the list is a failure that changes nothing; -1 clears the selection.
        QVERIFY(!list.setSelectedIndex(2) && list.setSelectedIndex(-2) && list.setSelectedIndex(3)
                && list.removeItem(-1) && list.removeItem(3));
        QCOMPARE(list.selectedIndex() * 10 + list.count(), 23);
        QVERIFY(!list.setSelectedIndex(-1) && list.selectedText().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_linestore)
#include "tst_linestore.moc"
