// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "support/modal.h"

#include "search/frmsok.h"
#include "store/shown.h"

#include "../fuzz/fuzz.h"

#include <QRandomGenerator>

using namespace tankedosan::search;

namespace {

struct Opened : Started
{
    std::unique_ptr<frmsök> w;

    explicit Opened(const QStringList &proverbs)
    {
        folder.writeCollection(u"Citat"_s, proverbs);
        open();
    }
    void open() { (w = std::make_unique<frmsök>(platform, (window ? *window : start()).link(), window.get()))->show(); }
    void search(const QString &text, bool beginning = false, bool withinResults = false, bool byEnter = false)
    {
        child<QLineEdit>(w, "Text1")->setText(text);
        child<QRadioButton>(w, beginning ? "optsöksätt1" : "optsöksätt2")->setChecked(true);
        child<QCheckBox>(w, "chksökresultat")->setChecked(withinResults);
        byEnter ? QTest::keyClick(child<QLineEdit>(w, "Text1"), Qt::Key_Return)
                : QTest::mouseClick(child<QPushButton>(w, "cmdsök"), Qt::LeftButton);
    }
    QString shown() const
    {
        return child<ListBoxModel>(w, "lista")->items().join(u'/') + u" | "_s + child<QLabel>(w, "lblresultat")->text()
               + u" | "_s + w->resultText();
    }
};

} // namespace

class tst_frmsok : public QObject
{
    Q_OBJECT

private slots:
    // Random searches and closes against a filter over a list; another copy's scratch file stays.
    void modelOfTheSearchWindow()
    {
        const QStringList pieces = u"hund|Hund|HU|nd|katt|KATT| |\n|å|Å|Ω|ω|gud|0123456789abcdefghij"_s.split(u'|');
        QRandomGenerator random(1207);
        const auto randomText = [&](int most) {
            QString text;
            for (int p = random.bounded(most + 1); p > 0; --p)
                text += pieces[random.bounded(pieces.size())];
            return text;
        };
        QStringList proverbs, hits, log;
        for (int i = 0; i < 80; ++i)
            proverbs << randomText(6);
        proverbs.removeAll(QString());
        Opened s(proverbs); // read from the file, lone line feeds inside lines
        // It opens centred on the screen, with the main window's icon.
        const QPoint off = s.w->geometry().center() - s.w->screen()->availableGeometry().center();
        QVERIFY(qAbs(off.x()) <= 2 && qAbs(off.y()) <= 2 // the middle of an even width is a half pixel
                && s.w->windowIcon().cacheKey() == s.window->windowIcon().cacheKey());
        s.folder.write(u"temp_.tmp"_s, "en annan kopias\r\n"_ba);
        QStringList söklista;
        bool view = false;
        QSet<int> seen;
        for (int step = 0; step < 250; ++step) {
            if (step == 50) // then an empty entry, and within Windows-1252, which the store scans sixteen at a time
                child<ListBoxModel>(s.window, "List1")
                    ->setItems(proverbs.replaceInStrings(QRegularExpression(u"[Ωω]"_s), u"o"_s) << QString());
            const QString text = randomText(2);
            const int beginning = random.bounded(2), within = random.bounded(3) == 0, close = random.bounded(5);
            log << u"'%1' %2%3%4"_s.arg(text).arg(beginning).arg(within).arg(close);
            QString expected = s.shown() + u" | Söklistan är tom. Du kan inte söka i söklistan."_s;
            s.search(text, beginning, within, random.bounded(2));
            if (!within || !hits.isEmpty()) {
                const QStringList from = std::exchange(hits, {});
                QStringList rows; // a hit with line breaks on one row, joined
                for (const QString &p : within ? from : proverbs) {
                    const QString line = fuzz::joined(p).toLower();
                    if (beginning ? line.startsWith(text.toLower()) : !p.isEmpty() && line.contains(text.toLower()))
                        hits << p, rows << fuzz::joined(p);
                }
                const QString result = hits.isEmpty() ? QString() : rows.join(u"\r\n"_s) + u"\r\n"_s;
                expected = hits.join(u'/') + u" | %1 träffar | "_s.arg(hits.size()) + result + u" | "_s
                           + QString(result).remove(u'\r') + u" | 0 | Citat.dat/temp_.tmp | en annan kopias\r\n"_s;
                seen << within + 2 * (hits.size() == 1);
            }
            const QStringList boxes = takeBoxes(s.platform);
            const QString actual =
                s.shown() + u" | "_s
                + (!boxes.isEmpty()
                       ? boxes.join(u';').section(u'|', 4)
                       : u"%1 | %2 | %3 | %4"_s.arg(child<QPlainTextEdit>(s.w, "Text2")->toPlainText(),
                                                    QString::number(int(s.platform.pointer())),
                                                    QDir(s.folder.folder()).entryList(QDir::Files).join(u'/'),
                                                    QString::fromLatin1(s.folder.read(u"temp_.tmp"_s))));
            QVERIFY2(actual == expected, qPrintable(log.mid(log.size() - 8).join(u", "_s) + u"\n   got "_s + actual
                                                    + u"\nwanted "_s + expected));
            if (close >= 2)
                continue;
            // The hits go to the main window, not the box as edited.
            child<QPlainTextEdit>(s.w, "Text2")->appendPlainText(u"eget tillägg"_s);
            QTest::mouseClick(child<QPushButton>(s.w, close ? "cmdok" : "cmdavbryt"), Qt::LeftButton);
            if (close && (!hits.isEmpty() || view)) { // "OK" selects the search list with hits, leaves it without
                view = !hits.isEmpty();
                seen << 4 + (hits.size() == 1);
            }
            söklista = close ? std::exchange(hits, {}) : söklista;
            hits.clear();
            const frmmain &w = *s.window;
            QVERIFY2(!s.w->isVisible() && child<ListBoxModel>(w, "söklista")->items() == söklista
                         && child<QRadioButton>(w, "optlista_sök")->isChecked() == view,
                     qPrintable(log.mid(log.size() - 8).join(u", "_s)));
            s.open();
        }
        QCOMPARE(seen.size(), 6);
        // Within results only the hits written are searched, whatever more is read back.
        const auto entries = LineStore::fromStrings({u"hund"_s, u"katt"_s, u"hund"_s});
        QCOMPARE(sök(entries, u"Hund"_s, Match::Anywhere, 2).toStringList(), QStringList{u"hund"_s});
    }

    // "Spara resultat..." saves the box as edited and, whole, the hits it does not show.
    void savedResultsAreWhole()
    {
        const QString kBreaks = u"ö\u2028\u2029\uFDD0\uFDD1ö"_s;
        const QStringList proverbs = QStringList{u"ordspråk "_s + QString(kShownCharacters, u'x'), u"c\nordspråk"_s}
                                     + FolderFixture::numbered(frmsök::kShownHits + 5);
        Opened s(proverbs + QStringList{kBreaks});
        auto *text = child<QPlainTextEdit>(s.w, "Text2");
        s.search(u"ordspråk"_s);
        QCOMPARE(text->document()->blockCount(), frmsök::kShownHits + 1); // "c\nordspråk" on one row, joined
        QVERIFY(text->horizontalScrollBar()->maximum() > 0); // a hit stays one line, not wrapped
        text->moveCursor(QTextCursor::Start);
        QTest::keyClicks(text, u"Mitt: "_s);
        // Saving asks before writing over a file ("No" keeps it) or anything else there; ".txt" is always appended.
        QDir(s.folder.folder()).mkdir(u"mapp.txt.txt"_s);
        for (const QString &name : {u"lista"_s, u"lista"_s, u"mapp.txt"_s}) {
            s.platform.setNextInput(name);
            s.platform.setNextAnswer(name == u"mapp.txt"_s ? Answer::Yes : Answer::No);
            QTest::mouseClick(child<QPushButton>(s.w, "cmdsparatextfil"), Qt::LeftButton);
        }
        const QStringList boxes = takeBoxes(s.platform); // each a name asked for, then what came of it
        QCOMPARE(boxes.value(0),
                 u"input|Spara sökresultat|Skriv in ett namn för den nya textfilen.\r\nFilen kommer att "
                 u"sparas i Tankedosan-mappen, och du kan hitta den senare genom att välja ''Öppna "
                 u"text'' i huvudfönstrets Arkiv-meny."_s);
        QVERIFY2(boxes.size() == 7 && boxes[1].endsWith(s.folder.path(u"lista.txt"_s)) && boxes[3].contains(u"över"_s)
                     && boxes[5] == boxes[3] && boxes[6] == u"error:75"_s,
                 qPrintable(boxes.join(u'\n')));
        QCOMPARE(QString::fromLatin1(s.folder.read(u"lista.txt"_s)),
                 u"Mitt: "_s + proverbs.join(u"\r\n"_s).replace(u"c\nordspråk"_s, u"c ordspråk"_s) + u"\r\n\r\n"_s);
        // A text set whole, as a screen reader's tool sets it, is saved as it stands too.
        s.search(u"c"_s);
        QAccessible::queryAccessibleInterface(text)->setText(QAccessible::Value, u"Helt ny"_s);
        s.platform.setNextInput(u"ny"_s);
        QTest::mouseClick(child<QPushButton>(s.w, "cmdsparatextfil"), Qt::LeftButton);
        QCOMPARE(s.folder.read(u"ny.txt"_s), "Helt ny\r\n"_ba);
        // What the box would break a line at stays in the proverb it belongs to, also in an edited box.
        s.search(kBreaks.left(1), true);
        QTest::keyClicks(text, u"X"_s);
        s.platform.setNextInput(u"tecken"_s);
        QTest::mouseClick(child<QPushButton>(s.w, "cmdsparatextfil"), Qt::LeftButton);
        QCOMPARE(QStringDecoder(QStringDecoder::Utf8)(s.folder.read(u"tecken.txt"_s)),
                 u"X"_s + kBreaks + u"\r\n\r\n"_s);
    }
};

QTEST_MAIN(tst_frmsok)
#include "tst_frmsok.moc"
