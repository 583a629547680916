#include "support/boxes.h"
#include "support/modal.h"

#include "search/frmsok.h"
#include "search/sparatextfil.h"
#include "store/shown.h"

#include <QRandomGenerator>

using namespace Qt::StringLiterals;
using platform::Answer;

namespace {

struct Opened : Started
{
    std::unique_ptr<frmsök> w;

    explicit Opened(const QStringList &proverbs)
    {
        folder.writeCollection(u"Citat"_s, proverbs);
        open();
    }
    void open()
    {
        w = std::make_unique<frmsök>(platform, (window ? *window : start()).link(), window.get());
        w->show();
        platform.takeBoxes();
    }
    void search(const QString &text, bool beginning = false, bool withinResults = false, bool byEnter = false)
    {
        w->Text1->setText(text);
        (beginning ? w->optsöksätt1 : w->optsöksätt2)->setChecked(true);
        w->chksökresultat->setChecked(withinResults);
        byEnter ? QTest::keyClick(w->Text1, Qt::Key_Return) : QTest::mouseClick(w->cmdsök, Qt::LeftButton);
    }
    QString shown() const
    {
        return w->lista->items().join(u'/') + u" | "_s + w->lblresultat->text() + u" | "_s + w->resultText();
    }
};

} // namespace

class tst_frmsok : public QObject
{
    Q_OBJECT

private slots:
    // Random searches (button or Enter, beginning or anywhere, within the hits or not, any letter case, line feeds,
    // beyond Windows-1252, runs across lines), windows closed by "OK" or "Avbryt", against a filter over a list:
    // checked after every search and close. The scratch file is gone after a search; another copy's stays.
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
        QStringList proverbs{QString()}, hits, log;
        for (int i = 0; i < 80; ++i)
            proverbs << randomText(6);
        Opened s({u"x"_s});
        s.folder.write(u"temp_.tmp"_s, "en annan kopias\r\n"_ba);
        s.window->List1->setItems(proverbs);
        QStringList söklista;
        QString title = s.window->windowTitle();
        bool view = false;
        QSet<int> seen;
        for (int step = 0; step < 150; ++step) {
            const QString text = randomText(2);
            const int beginning = random.bounded(2), within = random.bounded(3) == 0, close = random.bounded(5);
            log << u"'%1' %2%3%4"_s.arg(text).arg(beginning).arg(within).arg(close);
            QString expected = s.shown() + u" | Söklistan är tom. Du kan inte söka i söklistan."_s;
            s.search(text, beginning, within, random.bounded(2));
            if (!within || !hits.isEmpty()) {
                const QStringList from = std::exchange(hits, {});
                for (const QString &p : within ? from : proverbs) {
                    const QString line = p.toLower();
                    if (beginning ? line.startsWith(text.toLower()) : !p.isEmpty() && line.contains(text.toLower()))
                        hits << p;
                }
                const QString result = hits.isEmpty() ? QString() : hits.join(u"\r\n"_s) + u"\r\n"_s;
                expected = hits.join(u'/') + u" | %1 träffar | "_s.arg(hits.size()) + result + u" | "_s
                           + QString(result).remove(u'\r') + u" | 10 | Citat.dat/temp_.tmp | en annan kopias\r\n"_s;
                seen << within + 2 * (hits.size() == 1);
            }
            const QStringList boxes = takeBoxes(s.platform);
            const QList<platform::Pointer> pointers = s.platform.pointers();
            const QString actual =
                s.shown() + u" | "_s
                + (!boxes.isEmpty()
                       ? boxes.join(u';').section(u'|', 4)
                       : u"%1 | %2%3 | %4 | %5"_s.arg(s.w->Text2->toPlainText(),
                                                      QString::number(int(pointers.value(pointers.size() - 2))),
                                                      QString::number(int(pointers.last())),
                                                      QDir(s.folder.folder()).entryList(QDir::Files).join(u'/'),
                                                      QString::fromLatin1(s.folder.read(u"temp_.tmp"_s))));
            QVERIFY2(actual == expected,
                     qPrintable(log.join(u", "_s) + u"\n   got "_s + actual + u"\nwanted "_s + expected));
            if (close >= 2)
                continue;
            s.w->Text2->appendPlainText(u"eget tillägg"_s); // the hits go to the main window, not the box as edited
            QTest::mouseClick(close ? s.w->cmdok : s.w->cmdavbryt, Qt::LeftButton);
            if (close && (!hits.isEmpty() || view)) {
                title = hits.isEmpty() ? u"Tankedosan -  %1 st"_s.arg(proverbs.size())
                                       : u"Tankedosan - sökresultat - %1 st"_s.arg(hits.size());
                view = !hits.isEmpty();
                seen << 4 + (hits.size() == 1);
            }
            söklista = close ? std::exchange(hits, {}) : söklista;
            hits.clear();
            const frmmain &w = *s.window;
            QVERIFY2(!s.w->isVisible() && w.söklista->items() == söklista && w.optlista_sök->isChecked() == view
                         && w.windowTitle() == title,
                     qPrintable(log.join(u", "_s) + u": "_s + w.windowTitle()));
            s.open();
        }
        QCOMPARE(seen.size(), 6);
    }

    // "Spara resultat..." saves the box as the user edited it and the hits it does not show, every hit whole (one
    // shown shortened, or broken at a line feed of its own, wherever the user's lines moved it).
    void savedResultsAreWhole()
    {
        const int total = frmsök::kShownHits + 5;
        Opened s(FolderFixture::numbered(total));
        s.search(u"ordspråk"_s);
        QCOMPARE(s.w->Text2->document()->blockCount(), frmsök::kShownHits + 1);
        s.w->Text2->moveCursor(QTextCursor::Start);
        QTest::keyClicks(s.w->Text2, u"Mitt: "_s);
        s.platform.setNextInput(u"lista"_s);
        QTest::mouseClick(s.w->cmdsparatextfil, Qt::LeftButton);
        const QString saved = QString::fromLatin1(s.folder.read(u"lista.txt"_s));
        QVERIFY(saved.startsWith(u"Mitt: Ordspråk 1\r\nOrdspråk 2\r\n"_s) && s.w->isVisible());
        QVERIFY(saved.count(u"\r\n"_s) == total + 1 && saved.endsWith(u"Ordspråk %1\r\n\r\n"_s.arg(total)));
        const QString longHit = u"lång "_s + QString(store::kShownCharacters, u'x');
        s.window->List1->setItems({u"a\u00A0b"_s, longHit, u"c\nd"_s});
        s.search(QString(), true);
        s.w->Text2->moveCursor(QTextCursor::Start);
        QTest::keyClicks(s.w->Text2, u"Mitt"_s);
        QTest::keyClick(s.w->Text2, Qt::Key_Return);
        QCOMPARE(s.w->resultText(), u"Mitt\r\na\u00A0b\r\n"_s + longHit + u"\r\nc\nd\r\n"_s);
    }

    // Cancel, ".txt" appended again, no hits, UTF-8 beyond Windows-1252, overwriting asked (No keeps, Yes replaces
    // whole), a hidden name or a folder in the way refused: the boxes after the name's ("saved": the report) and
    // what the name holds after ("/": a folder).
    void savingATextFile()
    {
        const QString ask = u"message|Fil finns redan|YesNo|Question|Filnamnet finns redan. Vill du skriva över det?"_s;
        const std::tuple<QString, QByteArray, Answer, QString, QStringList, QByteArray> rows[]{
            {QString(), {}, Answer::Yes, u"a"_s, {}, {}},
            {u"Tomt"_s, {}, Answer::Yes, QString(), {u"saved"_s}, "\r\n"_ba},
            {u"Lista.txt"_s, {}, Answer::Yes, u"x"_s, {u"saved"_s}, "x\r\n"_ba},
            {u"grek"_s, {}, Answer::Yes, u"αβ\r\nö"_s, {u"saved"_s}, "\xef\xbb\xbf\xce\xb1\xce\xb2\r\n\xc3\xb6\r\n"_ba},
            {u"lista"_s, "gammalt\r\n"_ba, Answer::No, u"nytt"_s, {ask}, "gammalt\r\n"_ba},
            {u"lista"_s, "gammalt och l\xe5ngt\r\n"_ba, Answer::Yes, u"nytt"_s, {ask, u"saved"_s}, "nytt\r\n"_ba},
            {u".dold"_s, "gammalt\r\n"_ba, Answer::Yes, u"nytt"_s, {u"error:52"_s}, "gammalt\r\n"_ba},
            {u"mapp"_s, "/"_ba, Answer::Yes, u"nytt"_s, {ask, u"error:75"_s}, "/"_ba}};
        for (auto [typed, before, answer, text, boxes, after] : rows) {
            FolderFixture folder;
            const QString name = typed + u".txt"_s;
            before == "/"     ? (void)QDir(folder.folder()).mkdir(name)
            : before.isNull() ? void()
                              : folder.write(name, before);
            platform::ScriptedPlatform p;
            p.setNextInput(typed);
            p.setNextAnswer(answer);
            spara_textfil(p, text);
            boxes.replaceInStrings(u"saved"_s, u"message|Tankedosan|Ok|None|Textfil sparad.\r\n"_s
                                                   + QDir::toNativeSeparators(folder.path(name)));
            QCOMPARE(takeBoxes(p), QStringList{u"input|Spara sökresultat||"_s + sparaTextfilPrompt()} + boxes);
            QCOMPARE(QDir(folder.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                     qsizetype(!after.isNull()));
            QCOMPARE(QFileInfo(folder.path(name)).isDir() ? "/"_ba
                     : after.isNull()                     ? QByteArray()
                                                          : folder.read(name),
                     after);
        }
    }
};

QTEST_MAIN(tst_frmsok)
#include "tst_frmsok.moc"
