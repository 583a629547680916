#include "support/boxes.h"
#include "support/folderfixture.h"

#include "main/frmmain.h"
#include "search/frmsok.h"
#include "store/encoding.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;
using platform::Pointer;

namespace {

// The main window on a collection, and a search window opened over it.
struct Opened {
    FolderFixture folder;
    platform::ScriptedPlatform platform;
    std::unique_ptr<frmmain> main;
    std::unique_ptr<frmsök> window;

    explicit Opened(const QStringList &proverbs)
    {
        folder.writeCollection(u"Citat"_s, proverbs);
        main = std::make_unique<frmmain>(platform);
        reopen();
    }

    void reopen()
    {
        window = std::make_unique<frmsök>(platform, *main, main.get());
        window->show();
        platform.takeBoxes();
    }

    void search(const QString &text, bool beginning = false, bool withinResults = false)
    {
        window->Text1->setText(text);
        (beginning ? window->optsöksätt1 : window->optsöksätt2)->setChecked(true);
        window->chksökresultat->setChecked(withinResults);
        QTest::mouseClick(window->cmdsök, Qt::LeftButton);
    }
};

// The hits, the result box, the count and the state after a search agree.
void verifyShown(const frmsök &w, const QStringList &hits)
{
    QCOMPARE(w.lista->items(), hits);
    QString shown;
    for (const QString &hit : hits)
        shown += hit + u'\n';
    QCOMPARE(w.Text2->toPlainText(), shown);
    QCOMPARE(w.lblresultat->text(), QString::number(hits.size()) + u" träffar"_s);
    QVERIFY(w.Text2->isVisible());
}

} // namespace

class tst_frmsok : public QObject {
    Q_OBJECT

private slots:
    void searchingTheCollection_data()
    {
        QTest::addColumn<QStringList>("proverbs");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("beginning");
        QTest::addColumn<QStringList>("hits");

        const QStringList gud{u"Gud ser dig"_s, u"Min gud"_s, u"gud hjälpe"_s, u"Gudrun"_s, u"Ingen"_s};
        QTest::newRow("beginning, case ignored")
            << gud << u"GUD"_s << true << QStringList{u"Gud ser dig"_s, u"gud hjälpe"_s, u"Gudrun"_s};
        QTest::newRow("anywhere, case ignored")
            << gud << u"GUD"_s << false << QStringList{u"Gud ser dig"_s, u"Min gud"_s, u"gud hjälpe"_s, u"Gudrun"_s};
        QTest::newRow("Å folds to å at the beginning")
            << QStringList{u"Åt"_s, u"ål"_s, u"Ett år"_s} << u"Å"_s << true << QStringList{u"Åt"_s, u"ål"_s};
        QTest::newRow("accented capitals fold anywhere")
            << QStringList{u"CAFÉ ÜBER ÖL"_s, u"cafe uber ol"_s} << u"café über öl"_s << false
            << QStringList{u"CAFÉ ÜBER ÖL"_s};
        QTest::newRow("a trailing blank counts")
            << QStringList{u"Arg hund"_s, u"hund i regn"_s} << u"hund "_s << false << QStringList{u"hund i regn"_s};
        QTest::newRow("empty text, beginning: every entry")
            << QStringList{u"a"_s, u"b"_s} << QString() << true << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("empty text, anywhere: every entry")
            << QStringList{u"a"_s, u"b"_s} << QString() << false << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("nothing found") << gud << u"katt"_s << false << QStringList{};
        QTest::newRow("one hit") << gud << u"ingen"_s << false << QStringList{u"Ingen"_s};
        QTest::newRow("characters beyond Windows-1252")
            << QStringList{u"Ωμέγα και Άλφα"_s, u"alfa"_s} << u"άλφα"_s << false << QStringList{u"Ωμέγα και Άλφα"_s};
    }

    void searchingTheCollection()
    {
        QFETCH(QStringList, proverbs);
        QFETCH(QString, text);
        QFETCH(bool, beginning);
        QFETCH(QStringList, hits);
        Opened s(proverbs);
        // The whole collection is searched, whichever view the main window shows.
        s.main->söklista->setItems({u"gammal träff"_s});
        s.main->optlista_sök->setChecked(true);
        s.platform.takeBoxes();
        s.search(text, beginning);
        verifyShown(*s.window, hits);
        QCOMPARE(s.window->resultText(), hits.isEmpty() ? QString() : hits.join(u"\r\n"_s) + u"\r\n"_s);
        QCOMPARE(s.platform.pointers().mid(s.platform.pointers().size() - 2), (QList{Pointer::Busy, Pointer::Default}));
        QVERIFY(s.platform.boxes().isEmpty());
        QVERIFY(!QFileInfo::exists(s.folder.path(u"temp_.tmp"_s)));
    }

    void emptyEntriesAreHitsOnlyByTheBeginning()
    {
        Opened s({u"x"_s});
        s.main->List1->setItems({u"a"_s, QString(), u"b"_s});
        s.search(QString(), false);
        verifyShown(*s.window, {u"a"_s, u"b"_s});
        s.search(QString(), true);
        QCOMPARE(s.window->lista->count(), 3);
    }

    void searchingWithinResults_data()
    {
        QTest::addColumn<QStringList>("proverbs");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("secondFromBeginning");
        QTest::addColumn<QStringList>("hits");

        QStringList animals;
        for (int i = 1; i <= 12; ++i)
            animals << u"hund %1"_s.arg(i) + (i % 3 == 0 ? u" och katt"_s : QString());
        animals << u"katt utan"_s;
        QTest::newRow("narrows and keeps the order")
            << animals << u"hund"_s << u"KATT"_s << false
            << QStringList{u"hund 3 och katt"_s, u"hund 6 och katt"_s, u"hund 9 och katt"_s, u"hund 12 och katt"_s};
        QTest::newRow("the mode of the second search applies")
            << QStringList{u"Gud ser"_s, u"Min gud"_s, u"Inget"_s} << u"gud"_s << u"gud"_s << true
            << QStringList{u"Gud ser"_s};
        QTest::newRow("text that looks like UTF-8 reads back as written")
            << QStringList{u"Ã¤ta"_s, u"äta"_s} << u"ta"_s << u"Ã"_s << false << QStringList{u"Ã¤ta"_s};
        QTest::newRow("characters beyond Windows-1252 read back")
            << QStringList{u"Ωμέγα"_s, u"ωμέγα ξ"_s, u"omega"_s} << u"ΩΜ"_s << u"ξ"_s << false
            << QStringList{u"ωμέγα ξ"_s};
        QTest::newRow("a line feed inside a hit stays inside")
            << QStringList{u"rad ett\nrad två"_s, u"rad tre"_s} << u"rad"_s << u"två"_s << false
            << QStringList{u"rad ett\nrad två"_s};
    }

    void searchingWithinResults()
    {
        QFETCH(QStringList, proverbs);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, secondFromBeginning);
        QFETCH(QStringList, hits);
        Opened s(proverbs);
        s.search(first);
        const QStringList former = s.window->lista->items();
        s.search(second, secondFromBeginning, true);
        QCOMPARE(s.window->lista->items(), hits);
        QCOMPARE(s.window->lblresultat->text(), QString::number(hits.size()) + u" träffar"_s);
        QVERIFY(s.window->Text2->isVisible());
        QCOMPARE(s.platform.pointer(), Pointer::Default);
        QVERIFY(s.platform.boxes().isEmpty());
        // The scratch file holds the former hits, one per line, and reads back as exactly those.
        QCOMPARE(store::LineStore::fromFileBytes(s.folder.read(u"temp_.tmp"_s), true).toStringList(), former);
        QVERIFY(s.folder.read(u"temp_.tmp"_s).endsWith("\r\n"));
    }

    void searchingWithinNoHitsChangesNothing()
    {
        Opened s({u"hund"_s});
        s.window->Text2->setPlainText(u"eget"_s);
        s.search(u"hund"_s, false, true);
        QCOMPARE(describeBoxes(s.platform.takeBoxes()),
                 QStringList{u"message|Tankedosan|Ok|Exclamation|Söklistan är tom. Du kan inte söka i söklistan."_s});
        QCOMPARE(s.window->Text2->toPlainText(), u"eget"_s);
        QCOMPARE(s.window->lblresultat->text(), u"0 träffar"_s);
        QVERIFY(!QFileInfo::exists(s.folder.path(u"temp_.tmp"_s)));
    }

    void anUnwritableScratchFileKeepsTheHits()
    {
        Opened s({u"hund 1"_s, u"hund 2"_s, u"katt"_s});
        QVERIFY(QDir(s.folder.folder()).mkdir(u"temp_.tmp"_s));
        s.search(u"hund"_s);
        s.search(u"1"_s, false, true);
        const QStringList boxes = describeBoxes(s.platform.takeBoxes());
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(u"message|Tankedosan|Ok|None|Error "_s), qPrintable(boxes[0]));
        QVERIFY(!boxes[0].contains(u'-'));
        verifyShown(*s.window, {u"hund 1"_s, u"hund 2"_s});
        QCOMPARE(s.platform.pointer(), Pointer::Default);
    }

    void okHandsTheHitsToTheMainWindow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("searchView");
        QTest::addColumn<QStringList>("expectedList");
        QTest::addColumn<QString>("expectedCaption");
        QTest::addColumn<QString>("expectedShown");

        QTest::newRow("three hits select the search list")
            << u"hund"_s << false << QStringList{u"hund 1"_s, u"hund 2"_s, u"hund 3"_s}
            << u"Tankedosan - sökresultat - 3 st"_s << u"hund 1"_s;
        QTest::newRow("no hits leave the view")
            << u"häst"_s << false << QStringList{} << u"Tankedosan -  4 st"_s << u"hund 1"_s;
        // The view does not change, so its handler does not run: the caption keeps the former count and no
        // hit is selected or shown.
        QTest::newRow("a new search in the search view")
            << u"hund"_s << true << QStringList{u"hund 1"_s, u"hund 2"_s, u"hund 3"_s}
            << u"Tankedosan - sökresultat - 1 st"_s << u"gammal"_s;
    }

    void okHandsTheHitsToTheMainWindow()
    {
        QFETCH(QString, text);
        QFETCH(bool, searchView);
        QFETCH(QStringList, expectedList);
        QFETCH(QString, expectedCaption);
        QFETCH(QString, expectedShown);
        Opened s({u"hund 1"_s, u"katt"_s, u"hund 2"_s, u"hund 3"_s});
        if (searchView) {
            s.main->söklista->setItems({u"gammal"_s});
            s.main->optlista_sök->setChecked(true);
        }
        s.search(text);
        s.window->Text2->appendPlainText(u"eget tillägg"_s);
        QTest::mouseClick(s.window->cmdok, Qt::LeftButton);
        QCOMPARE(s.main->söklista->items(), expectedList);
        QCOMPARE(s.main->pp->toPlainText(), expectedShown);
        QCOMPARE(s.main->optlista_sök->isChecked(), searchView || !expectedList.isEmpty());
        QCOMPARE(s.main->windowTitle(), expectedCaption);
        QVERIFY(!s.window->isVisible());
        QCOMPARE(s.window->result(), int(QDialog::Accepted));
    }

    void avbrytLeavesTheSearchList()
    {
        Opened s({u"hund 1"_s, u"hund 2"_s});
        s.main->söklista->setItems({u"gammal"_s});
        s.search(u"hund"_s);
        QTest::mouseClick(s.window->cmdavbryt, Qt::LeftButton);
        QCOMPARE(s.main->söklista->items(), QStringList{u"gammal"_s});
        QVERIFY(!s.window->isVisible());
    }

    void enterBelongsToTheTextBoxes()
    {
        Opened s({u"hund"_s, u"katt"_s});
        for (QPushButton *button : s.window->findChildren<QPushButton *>()) {
            QVERIFY(!button->autoDefault());
            QVERIFY(!button->isDefault());
        }
        s.window->Text1->setText(u"KATT"_s);
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(s.window->Text1, key);
            QVERIFY(s.window->isVisible());
            QCOMPARE(s.window->lista->items(), QStringList{u"katt"_s});
            QTest::keyClick(s.window->Text2, key);
            QVERIFY(s.window->isVisible());
            QTest::keyClick(s.window->cmdok, key);
            QVERIFY(s.window->isVisible());
        }
        // Enter in the result box is a line break, nothing more.
        QCOMPARE(s.window->lista->count(), 1);
        QCOMPARE(s.main->söklista->count(), 0);
    }

    void aLargeResultShowsItsFirstHitsButKeepsThemAll()
    {
        const int total = frmsök::kShownHits + 5;
        Opened s(FolderFixture::numbered(total));
        s.search(u"ordspråk"_s);
        QCOMPARE(s.window->lista->count(), total);
        QCOMPARE(s.window->lblresultat->text(), QString::number(total) + u" träffar"_s);
        QCOMPARE(s.window->Text2->document()->blockCount(), frmsök::kShownHits + 1);
        const QString whole = s.window->resultText();
        QCOMPARE(whole.count(u"\r\n"_s), total);
        QVERIFY(whole.endsWith(u"Ordspråk %1\r\n"_s.arg(total)));

        // An edit in the box is saved, followed by the hits the box does not show.
        s.window->Text2->moveCursor(QTextCursor::Start);
        QTest::keyClicks(s.window->Text2, u"Mitt: "_s);
        const QString edited = s.window->resultText();
        QVERIFY(edited.startsWith(u"Mitt: Ordspråk 1\r\nOrdspråk 2\r\n"_s));
        QCOMPARE(edited.count(u"\r\n"_s), total);
        QVERIFY(edited.endsWith(u"Ordspråk %1\r\n"_s.arg(total)));
    }

    void sparaResultatSavesTheResultText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("two hits") << u"a"_s << QString() << "a1\r\na2\r\n\r\n"_ba;
        QTest::newRow("no hits") << u"x"_s << QString() << "\r\n"_ba;
        QTest::newRow("a line typed by the user") << u"a"_s << u"egen rad\n"_s << "egen rad\r\na1\r\na2\r\n\r\n"_ba;
    }

    void sparaResultatSavesTheResultText()
    {
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);
        Opened s({u"a1"_s, u"a2"_s, u"b"_s});
        s.search(text, true);
        s.window->Text2->moveCursor(QTextCursor::Start);
        QTest::keyClicks(s.window->Text2, typed.chopped(typed.isEmpty() ? 0 : 1));
        if (!typed.isEmpty())
            QTest::keyClick(s.window->Text2, Qt::Key_Return);
        s.platform.setNextInput(u"lista"_s);
        QTest::mouseClick(s.window->cmdsparatextfil, Qt::LeftButton);
        QCOMPARE(s.folder.read(u"lista.txt"_s), saved);
        const QStringList boxes = describeBoxes(s.platform.takeBoxes());
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[1], u"message|Tankedosan|Ok|None|Textfil sparad.\r\n"_s
                               + QDir::toNativeSeparators(s.folder.path(u"lista.txt"_s)).toLower());
        QVERIFY(s.window->isVisible());
    }

    void theMainWindowOpensAFreshWindowEachTime()
    {
        FolderFixture folder;
        folder.writeCollection(u"Citat"_s, {u"hund"_s, u"katt"_s});
        platform::ScriptedPlatform platform;
        frmmain main(platform);
        main.show();
        QStringList seen;
        const auto answer = [&](bool ok) {
            QTimer::singleShot(0, [&, ok] {
                auto *w = dynamic_cast<frmsök *>(QApplication::activeModalWidget());
                QVERIFY(w);
                seen << w->windowTitle() + u'|' + w->Text1->text() + u'|' + w->lblresultat->text() + u'|'
                            + (w->optsöksätt2->isChecked() ? u"alla"_s : u"början"_s)
                            + (w->chksökresultat->isChecked() ? u"|i resultat"_s : QString());
                w->Text1->setText(u"K"_s);
                w->optsöksätt1->setChecked(true);
                w->chksökresultat->setChecked(true);
                w->chksökresultat->setChecked(false);
                w->cmdsök_Click();
                (ok ? w->cmdok : w->cmdavbryt)->click();
            });
        };
        answer(true);
        QTest::mouseClick(main.cmdsök, Qt::LeftButton);
        QCOMPARE(main.söklista->items(), QStringList{u"katt"_s});
        answer(false);
        main.mnuredigera_sök->trigger();
        QCOMPARE(seen, (QStringList{u"Sökning||0 träffar|alla"_s, u"Sökning||0 träffar|alla"_s}));
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(tst_frmsok)
#include "tst_frmsok.moc"
