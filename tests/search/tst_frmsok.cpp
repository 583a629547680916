#include "support/boxes.h"
#include "support/modal.h"

#include "search/frmsok.h"
#include "search/sparatextfil.h"
#include "store/encoding.h"

using namespace Qt::StringLiterals;
using platform::Answer;
using platform::Pointer;

namespace {

// The main window on a collection, and a search window opened over it.
struct Opened : Started {
    std::unique_ptr<frmsök> w;

    explicit Opened(const QStringList &proverbs)
    {
        folder.writeCollection(u"Citat"_s, proverbs);
        w = std::make_unique<frmsök>(platform, start(), window.get());
        w->show();
        platform.takeBoxes();
    }

    void search(const QString &text, bool beginning = false, bool withinResults = false)
    {
        w->Text1->setText(text);
        (beginning ? w->optsöksätt1 : w->optsöksätt2)->setChecked(true);
        w->chksökresultat->setChecked(withinResults);
        QTest::mouseClick(w->cmdsök, Qt::LeftButton);
    }
};

// The hits, the result box, the count and the state after a search agree.
void verifyShown(const frmsök &w, const QStringList &hits)
{
    QCOMPARE(w.lista->items(), hits);
    QCOMPARE(w.Text2->toPlainText(), hits.isEmpty() ? QString() : hits.join(u'\n') + u'\n');
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
        const QStringList ab{u"a"_s, u"b"_s};
        QTest::newRow("beginning, case ignored") << gud << u"GUD"_s << true << QStringList{u"Gud ser dig"_s, u"gud hjälpe"_s, u"Gudrun"_s};
        QTest::newRow("anywhere, case ignored") << gud << u"GUD"_s << false << QStringList{u"Gud ser dig"_s, u"Min gud"_s, u"gud hjälpe"_s, u"Gudrun"_s};
        QTest::newRow("Å folds at the beginning") << QStringList{u"Åt"_s, u"ål"_s, u"Ett år"_s} << u"Å"_s << true << QStringList{u"Åt"_s, u"ål"_s};
        QTest::newRow("accented capitals fold") << QStringList{u"CAFÉ ÜBER ÖL"_s, u"cafe uber ol"_s} << u"café über öl"_s << false << QStringList{u"CAFÉ ÜBER ÖL"_s};
        QTest::newRow("a trailing blank counts") << QStringList{u"Arg hund"_s, u"hund i regn"_s} << u"hund "_s << false << QStringList{u"hund i regn"_s};
        QTest::newRow("an empty entry, beginning") << QStringList{u"a"_s, QString(), u"b"_s} << QString() << true << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("an empty entry, anywhere") << QStringList{u"a"_s, QString(), u"b"_s} << QString() << false << ab;
        QTest::newRow("nothing found") << gud << u"katt"_s << false << QStringList{};
        QTest::newRow("beyond Windows-1252") << QStringList{u"Ωμέγα και Άλφα"_s, u"alfa"_s} << u"άλφα"_s << false << QStringList{u"Ωμέγα και Άλφα"_s};
    }

    void searchingTheCollection()
    {
        QFETCH(QStringList, proverbs);
        QFETCH(QString, text);
        QFETCH(bool, beginning);
        QFETCH(QStringList, hits);
        Opened s({u"x"_s});
        s.window->List1->setItems(proverbs);
        // The whole collection is searched, whichever view the main window shows.
        s.window->söklista->setItems({u"gammal träff"_s});
        s.window->optlista_sök->setChecked(true);
        s.platform.takeBoxes();
        s.search(text, beginning);
        verifyShown(*s.w, hits);
        QCOMPARE(s.w->resultText(), hits.isEmpty() ? QString() : hits.join(u"\r\n"_s) + u"\r\n"_s);
        QCOMPARE(s.platform.pointers().mid(s.platform.pointers().size() - 2), (QList{Pointer::Busy, Pointer::Default}));
        QVERIFY(s.platform.boxes().isEmpty());
        QVERIFY(!QFileInfo::exists(s.folder.path(u"temp_.tmp"_s)));
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
        QTest::newRow("narrows, keeps the order") << animals << u"hund"_s << u"KATT"_s << false << QStringList{u"hund 3 och katt"_s, u"hund 6 och katt"_s, u"hund 9 och katt"_s, u"hund 12 och katt"_s};
        QTest::newRow("the second search's mode") << QStringList{u"Gud ser"_s, u"Min gud"_s, u"Inget"_s} << u"gud"_s << u"gud"_s << true << QStringList{u"Gud ser"_s};
        QTest::newRow("text that looks like UTF-8") << QStringList{u"Ã¤ta"_s, u"äta"_s} << u"ta"_s << u"Ã"_s << false << QStringList{u"Ã¤ta"_s};
        QTest::newRow("beyond Windows-1252") << QStringList{u"Ωμέγα"_s, u"ωμέγα ξ"_s, u"omega"_s} << u"ΩΜ"_s << u"ξ"_s << false << QStringList{u"ωμέγα ξ"_s};
        QTest::newRow("a line feed inside a hit") << QStringList{u"rad ett\nrad två"_s, u"rad tre"_s} << u"rad"_s << u"två"_s << false << QStringList{u"rad ett\nrad två"_s};
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
        const QStringList former = s.w->lista->items();
        s.search(second, secondFromBeginning, true);
        verifyShown(*s.w, hits);
        QCOMPARE(s.platform.pointer(), Pointer::Default);
        QVERIFY(s.platform.boxes().isEmpty());
        // The scratch file holds the former hits, one per line, and reads back as exactly those.
        const QByteArray scratch = s.folder.read(u"temp_.tmp"_s);
        QCOMPARE(store::LineStore::fromFileBytes(scratch, true).toStringList(), former);
        QVERIFY(scratch.endsWith("\r\n"));
    }

    void searchingWithinNoHitsChangesNothing()
    {
        Opened s({u"hund"_s});
        s.w->Text2->setPlainText(u"eget"_s);
        s.search(u"hund"_s, false, true);
        QCOMPARE(takeBoxes(s.platform), QStringList{u"message|Tankedosan|Ok|Exclamation|Söklistan är tom. Du kan inte söka i söklistan."_s});
        QCOMPARE(s.w->Text2->toPlainText(), u"eget"_s);
        QCOMPARE(s.w->lblresultat->text(), u"0 träffar"_s);
        QVERIFY(!QFileInfo::exists(s.folder.path(u"temp_.tmp"_s)));
    }

    void anUnwritableScratchFileKeepsTheHits()
    {
        Opened s({u"hund 1"_s, u"hund 2"_s, u"katt"_s});
        QVERIFY(QDir(s.folder.folder()).mkdir(u"temp_.tmp"_s));
        s.search(u"hund"_s);
        s.search(u"1"_s, false, true);
        const QStringList boxes = takeBoxes(s.platform);
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(u"message|Tankedosan|Ok|None|Error "_s) && !boxes[0].contains(u'-'), qPrintable(boxes[0]));
        verifyShown(*s.w, {u"hund 1"_s, u"hund 2"_s});
        QCOMPARE(s.platform.pointer(), Pointer::Default);
    }

    void okOrAvbryt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("searchView");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("main"); // search list | caption | display | view, after the window closed

        const QString three = u"hund 1/hund 2/hund 3"_s;
        QTest::newRow("OK: hits select the search view") << u"hund"_s << false << true << three + u" | Tankedosan - sökresultat - 3 st | hund 1 | sök"_s;
        QTest::newRow("OK: no hits leave the view") << u"häst"_s << false << true << u" | Tankedosan -  4 st | hund 1 | hela"_s;
        // The view does not change, so its handler does not run: the caption keeps the former count.
        QTest::newRow("OK in the search view") << u"hund"_s << true << true << three + u" | Tankedosan - sökresultat - 1 st | gammal | sök"_s;
        QTest::newRow("Avbryt leaves the search list") << u"hund"_s << true << false << u"gammal | Tankedosan - sökresultat - 1 st | gammal | sök"_s;
    }

    void okOrAvbryt()
    {
        QFETCH(QString, text);
        QFETCH(bool, searchView);
        QFETCH(bool, ok);
        QFETCH(QString, main);
        Opened s({u"hund 1"_s, u"katt"_s, u"hund 2"_s, u"hund 3"_s});
        if (searchView) {
            s.window->söklista->setItems({u"gammal"_s});
            s.window->optlista_sök->setChecked(true);
        }
        s.search(text);
        s.w->Text2->appendPlainText(u"eget tillägg"_s);
        QTest::mouseClick(ok ? s.w->cmdok : s.w->cmdavbryt, Qt::LeftButton);
        const frmmain &w = *s.window;
        QCOMPARE(u"%1 | %2 | %3 | %4"_s.arg(w.söklista->items().join(u'/'), w.windowTitle(), w.pp->toPlainText(), w.optlista_sök->isChecked() ? u"sök"_s : u"hela"_s), main);
        QVERIFY(!s.w->isVisible());
        QCOMPARE(s.w->result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
    }

    void enterBelongsToTheTextBoxes()
    {
        Opened s({u"hund"_s, u"katt"_s});
        s.w->Text1->setText(u"KATT"_s);
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(s.w->Text1, key);
            QCOMPARE(s.w->lista->items(), QStringList{u"katt"_s});
            QTest::keyClick(s.w->Text2, key); // a line break, nothing more
            QTest::keyClick(s.w->cmdok, key);
            QVERIFY(s.w->isVisible());
        }
        QCOMPARE(s.w->lista->count(), 1);
        QCOMPARE(s.window->söklista->count(), 0);
    }

    void aLargeResultShowsItsFirstHitsButKeepsThemAll()
    {
        const int total = frmsök::kShownHits + 5;
        Opened s(FolderFixture::numbered(total));
        s.search(u"ordspråk"_s);
        QCOMPARE(s.w->lista->count(), total);
        QCOMPARE(s.w->lblresultat->text(), QString::number(total) + u" träffar"_s);
        QCOMPARE(s.w->Text2->document()->blockCount(), frmsök::kShownHits + 1);
        // An edit in the box is saved, followed by the hits the box does not show.
        for (const QString &typed : {QString(), u"Mitt: "_s}) {
            s.w->Text2->moveCursor(QTextCursor::Start);
            QTest::keyClicks(s.w->Text2, typed);
            const QString whole = s.w->resultText();
            QVERIFY(whole.startsWith(typed + u"Ordspråk 1\r\nOrdspråk 2\r\n"_s));
            QCOMPARE(whole.count(u"\r\n"_s), total);
            QVERIFY(whole.endsWith(u"Ordspråk %1\r\n"_s.arg(total)));
        }
    }

    // The result text is saved as it stands in the box, the user's own lines too; the window stays open.
    void sparaResultatSavesTheResultText()
    {
        Opened s({u"a1"_s, u"a2"_s, u"b"_s});
        s.search(u"a"_s, true);
        s.w->Text2->moveCursor(QTextCursor::Start);
        QTest::keyClicks(s.w->Text2, u"egen rad"_s);
        QTest::keyClick(s.w->Text2, Qt::Key_Return);
        s.platform.setNextInput(u"lista"_s);
        QTest::mouseClick(s.w->cmdsparatextfil, Qt::LeftButton);
        QCOMPARE(s.folder.read(u"lista.txt"_s), "egen rad\r\na1\r\na2\r\n\r\n"_ba);
        QCOMPARE(takeBoxes(s.platform).value(1), u"message|Tankedosan|Ok|None|Textfil sparad.\r\n"_s + QDir::toNativeSeparators(s.folder.path(u"lista.txt"_s)).toLower());
        QVERIFY(s.w->isVisible());
    }

    void theMainWindowOpensAFreshWindowEachTime()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, {u"hund"_s, u"katt"_s});
        frmmain &main = s.start();
        QStringList seen;
        const auto search = [&](const std::function<void()> &open, bool ok) {
            whileOpen<frmsök>(open, [&](frmsök &w) {
                seen << w.windowTitle() + u'|' + w.Text1->text() + u'|' + w.lblresultat->text() + u'|'
                            + (w.optsöksätt2->isChecked() ? u"alla"_s : u"början"_s)
                            + (w.chksökresultat->isChecked() ? u"|i resultat"_s : QString());
                w.Text1->setText(u"K"_s);
                w.optsöksätt1->setChecked(true);
                w.chksökresultat->setChecked(true);
                w.chksökresultat->setChecked(false);
                w.cmdsök_Click();
                (ok ? w.cmdok : w.cmdavbryt)->click();
            });
        };
        search([&] { QTest::mouseClick(main.cmdsök, Qt::LeftButton); }, true);
        QCOMPARE(main.söklista->items(), QStringList{u"katt"_s});
        search([&] { main.mnuredigera_sök->trigger(); }, false);
        QCOMPARE(seen, (QStringList{u"Sökning||0 träffar|alla"_s, u"Sökning||0 träffar|alla"_s}));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void savingATextFile_data()
    {
        QTest::addColumn<QString>("typed");     // empty: Cancel
        QTest::addColumn<QByteArray>("before"); // of the file already there under the file name; "/": a folder
        QTest::addColumn<Answer>("overwrite");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fileName");  // where the text should end up; empty: nothing written
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QStringList>("boxes"); // after the name; "saved" stands for the report of the save

        const QString ask = u"message|Fil finns redan|YesNo|Question|Filnamnet finns redan. Vill du skriva över det?"_s;
        const QString saved = u"saved"_s;
        QTest::newRow("Cancel") << QString() << QByteArray() << Answer::Yes << u"a\r\n"_s << QString() << QByteArray() << QStringList{};
        QTest::newRow("hits end with an empty line") << u"lista"_s << QByteArray() << Answer::Yes << u"a\r\nb\r\n"_s << u"lista.txt"_s << "a\r\nb\r\n\r\n"_ba << QStringList{saved};
        QTest::newRow("no hits: one line end") << u"Tomt"_s << QByteArray() << Answer::Yes << QString() << u"Tomt.txt"_s << "\r\n"_ba << QStringList{saved};
        QTest::newRow(".txt always appended") << u"Lista.txt"_s << QByteArray() << Answer::Yes << u"x"_s << u"Lista.txt.txt"_s << "x\r\n"_ba << QStringList{saved};
        QTest::newRow("beyond Windows-1252: UTF-8") << u"grek"_s << QByteArray() << Answer::Yes << u"αβ\r\nö"_s << u"grek.txt"_s << "\xef\xbb\xbf\xce\xb1\xce\xb2\r\n\xc3\xb6\r\n"_ba << QStringList{saved};
        QTest::newRow("No keeps the file") << u"lista"_s << "gammalt\r\n"_ba << Answer::No << u"nytt"_s << u"lista.txt"_s << "gammalt\r\n"_ba << QStringList{ask};
        QTest::newRow("Yes replaces it whole") << u"lista"_s << "gammalt och l\xe5ngt\r\n"_ba << Answer::Yes << u"nytt"_s << u"lista.txt"_s << "nytt\r\n"_ba << QStringList{ask, saved};
        QTest::newRow("a hidden file is asked about") << u".dold"_s << "gammalt\r\n"_ba << Answer::No << u"nytt"_s << u".dold.txt"_s << "gammalt\r\n"_ba << QStringList{ask};
        QTest::newRow("a folder in the way") << u"mapp"_s << "/"_ba << Answer::Yes << u"nytt"_s << QString() << QByteArray() << QStringList{ask, u"error:75"_s};
        // The name rule itself is the store's; here only that saving keeps to it.
        QTest::newRow("a name out of the folder") << u"../ut"_s << QByteArray() << Answer::Yes << u"x"_s << QString() << QByteArray() << QStringList{u"error:52"_s};
    }

    void savingATextFile()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, before);
        QFETCH(Answer, overwrite);
        QFETCH(QString, text);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, written);
        QFETCH(QStringList, boxes);
        FolderFixture folder;
        const QDir dir(folder.folder());
        if (before == "/")
            QVERIFY(dir.mkdir(typed + u".txt"_s));
        else if (!before.isNull())
            folder.write(typed + u".txt"_s, before);
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QStringList filesBefore = dir.entryList(all);

        platform::ScriptedPlatform p;
        p.setNextInput(typed);
        p.setNextAnswer(overwrite);
        spara_textfil(p, nullptr, text, true);

        boxes.replaceInStrings(u"saved"_s, u"message|Tankedosan|Ok|None|Textfil sparad.\r\n"_s + QDir::toNativeSeparators(folder.path(fileName)).toLower());
        QCOMPARE(takeBoxes(p), QStringList{u"input|Spara sökresultat||"_s + sparaTextfilPrompt()} + boxes);
        QStringList filesAfter = dir.entryList(all);
        if (!fileName.isEmpty()) {
            QCOMPARE(folder.read(fileName), written);
            filesAfter.removeOne(fileName);
            filesBefore.removeOne(fileName);
        }
        QCOMPARE(filesAfter, filesBefore);
        QVERIFY(!QFileInfo::exists(folder.folder() + u"/../ut.txt"_s));
    }
};

QTEST_MAIN(tst_frmsok)
#include "tst_frmsok.moc"
