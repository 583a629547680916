#include "support/boxes.h"
#include "support/modal.h"

#include "search/frmsok.h"
#include "search/sparatextfil.h"
#include "store/encoding.h"
#include "store/programfolder.h"
#include "store/shown.h"

using namespace Qt::StringLiterals;
using platform::Answer;
using platform::Pointer;

namespace {

// The main window on a collection, and a search window opened over it.
struct Opened : Started
{
    std::unique_ptr<frmsök> w;

    explicit Opened(const QStringList &proverbs)
    {
        folder.writeCollection(u"Citat"_s, proverbs);
        w = std::make_unique<frmsök>(platform, start().link(), window.get());
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

// The rows of the tables below.
struct Search
{
    QStringList proverbs;
    QString first, text;
    bool beginning;
    QStringList hits;
};
// `main`: the search list | caption | display | view, after the window closed.
struct Closing
{
    QString text;
    bool searchView, ok;
    QString main;
};
// `typed` empty: Cancel. `before`: the file already there under the name typed ("/": a folder). `written`: in
// that file after, null for none. `boxes`: after the name; "saved" stands for the report of the save.
struct Saving
{
    QString typed;
    QByteArray before;
    Answer overwrite;
    QString text;
    QByteArray written;
    QStringList boxes;
};

} // namespace

class tst_frmsok : public QObject
{
    Q_OBJECT

private slots:
    // A search covers the whole collection, whichever view the main window shows. A search within the results
    // (of the search for `first`) goes through a scratch file of its own, which it removes.
    void searching_data()
    {
        QTest::addColumn<Search>("c");
        const QStringList gud{u"Gud ser dig"_s, u"Min gud"_s, u"gud hjälpe"_s, u"Gudrun"_s, u"Ingen"_s};
        const QStringList empty{u"a"_s, QString(), u"b"_s};
        QTest::newRow("anywhere, case ignored")
            << Search{gud, {}, u"GUD"_s, false, {u"Gud ser dig"_s, u"Min gud"_s, u"gud hjälpe"_s, u"Gudrun"_s}};
        QTest::newRow("a trailing blank counts")
            << Search{{u"Arg hund"_s, u"hund i regn"_s}, {}, u"hund "_s, false, {u"hund i regn"_s}};
        QTest::newRow("an empty entry, beginning") << Search{empty, {}, QString(), true, empty};
        QTest::newRow("an empty entry, anywhere") << Search{empty, {}, QString(), false, {u"a"_s, u"b"_s}};
        QTest::newRow("nothing found") << Search{gud, {}, u"katt"_s, false, {}};
        QTest::newRow("within: narrows, keeps the order")
            << Search{{u"hund och katt"_s, u"katt"_s, u"hund"_s, u"hund, KATT"_s},
                      u"hund"_s,
                      u"katt"_s,
                      false,
                      {u"hund och katt"_s, u"hund, KATT"_s}};
        QTest::newRow("within: its own mode")
            << Search{{u"Gud ser"_s, u"Min gud"_s, u"Inget"_s}, u"gud"_s, u"gud"_s, true, {u"Gud ser"_s}};
        // More LFs than lines: the scratch file, of the program's own writing, still reads back line for line.
        QTest::newRow("within: lfs in the hits")
            << Search{{u"x\ny\nz hund"_s, u"katt"_s}, u"hund"_s, u"z"_s, false, {u"x\ny\nz hund"_s}};
        QTest::newRow("within: beyond Windows-1252")
            << Search{{u"Ωμέγα"_s, u"ωμέγα ξ"_s, u"omega"_s}, u"ΩΜ"_s, u"ξ"_s, false, {u"ωμέγα ξ"_s}};
    }
    void searching()
    {
        QFETCH(Search, c);
        const auto &[proverbs, first, text, beginning, hits] = c;
        Opened s({u"x"_s});
        s.folder.write(u"temp_.tmp"_s, "en annan kopias\r\n"_ba);
        s.window->List1->setItems(proverbs);
        s.window->söklista->setItems({u"gammal träff"_s});
        s.window->optlista_sök->setChecked(true);
        s.platform.takeBoxes();
        if (!first.isNull())
            s.search(first);
        s.search(text, beginning, !first.isNull());
        verifyShown(*s.w, hits);
        QCOMPARE(s.w->resultText(), hits.isEmpty() ? QString() : hits.join(u"\r\n"_s) + u"\r\n"_s);
        QCOMPARE(s.platform.pointers().mid(s.platform.pointers().size() - 2), (QList{Pointer::Busy, Pointer::Default}));
        QVERIFY(s.platform.boxes().isEmpty());
        // The scratch file of a search within the results is gone with the search; another copy's stays as
        // it was.
        QCOMPARE(QDir(s.folder.folder()).entryList(QDir::Files), (QStringList{u"Citat.dat"_s, u"temp_.tmp"_s}));
        QCOMPARE(s.folder.read(u"temp_.tmp"_s), "en annan kopias\r\n"_ba);
    }

    // Within an empty hit list: a box, and nothing changes. A scratch file that cannot be made (the folder is
    // gone): the search's own short error box, and the former hits stay.
    void searchingWithinResultsThatCannotRun()
    {
        Opened s({u"hund 1"_s, u"hund 2"_s, u"katt"_s});
        s.w->Text2->setPlainText(u"eget"_s);
        s.search(u"hund"_s, false, true);
        QCOMPARE(takeBoxes(s.platform),
                 QStringList{u"message|Tankedosan|Ok|Exclamation|Söklistan är tom. Du kan inte söka i söklistan."_s});
        QCOMPARE(s.w->Text2->toPlainText() + u'|' + s.w->lblresultat->text(), u"eget|0 träffar"_s);
        QVERIFY(!QFileInfo::exists(s.folder.path(u"temp_.tmp"_s)));

        s.search(u"hund"_s);
        store::setProgramFolder(s.folder.path(u"borta"_s));
        s.search(u"1"_s, false, true);
        QCOMPARE(takeBoxes(s.platform), QStringList{u"message|Tankedosan|Ok|None|Error 76"_s});
        verifyShown(*s.w, {u"hund 1"_s, u"hund 2"_s});
        // Busy from the write of the scratch file on, the normal pointer after the failure.
        QCOMPARE(s.platform.pointers().mid(s.platform.pointers().size() - 2), (QList{Pointer::Busy, Pointer::Default}));
    }

    void okOrAvbryt_data()
    {
        QTest::addColumn<Closing>("c");
        const QString three = u"hund 1/hund 2/hund 3"_s;
        QTest::newRow("OK: hits select the search view")
            << Closing{u"hund"_s, false, true, three + u" | Tankedosan - sökresultat - 3 st | hund 1 | sök"_s};
        QTest::newRow("OK: one hit is enough")
            << Closing{u"katt"_s, false, true, u"katt | Tankedosan - sökresultat - 1 st | katt | sök"_s};
        QTest::newRow("OK: no hits leave the view")
            << Closing{u"häst"_s, false, true, u" | Tankedosan -  4 st | hund 1 | hela"_s};
        // "OK" in the search view is tst_frmmain's: the view, caption and count after any actions.
        QTest::newRow("Avbryt leaves the search list")
            << Closing{u"hund"_s, true, false, u"gammal | Tankedosan - sökresultat - 1 st | gammal | sök"_s};
    }

    void okOrAvbryt()
    {
        QFETCH(Closing, c);
        const auto &[text, searchView, ok, main] = c;
        Opened s({u"hund 1"_s, u"katt"_s, u"hund 2"_s, u"hund 3"_s});
        if (searchView) {
            s.window->söklista->setItems({u"gammal"_s});
            s.window->optlista_sök->setChecked(true);
        }
        s.search(text);
        s.w->Text2->appendPlainText(u"eget tillägg"_s);
        QTest::mouseClick(ok ? s.w->cmdok : s.w->cmdavbryt, Qt::LeftButton);
        const frmmain &w = *s.window;
        QCOMPARE(u"%1 | %2 | %3 | %4"_s.arg(w.söklista->items().join(u'/'), w.windowTitle(), w.pp->toPlainText(),
                                            w.optlista_sök->isChecked() ? u"sök"_s : u"hela"_s),
                 main);
        QVERIFY(!s.w->isVisible());
        QCOMPARE(s.w->result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
    }

    void enterBelongsToTheTextBoxes()
    {
        Opened s({u"hund"_s, u"katt"_s});
        s.w->Text1->setText(u"KATT"_s);
        QTest::keyClick(s.w->Text1, Qt::Key_Return);
        QCOMPARE(s.w->lista->items(), QStringList{u"katt"_s});
        QTest::keyClick(s.w->Text2, Qt::Key_Enter); // a line break, nothing more
        QVERIFY(s.w->isVisible());
        QCOMPARE(s.window->söklista->count(), 0);
    }

    // The box shows the first hits; what "Spara resultat..." saves is the box as the user edited it, followed by
    // the hits it does not show. The window stays open.
    void aLargeResultShowsItsFirstHitsButSavesThemAll()
    {
        const int total = frmsök::kShownHits + 5;
        Opened s(FolderFixture::numbered(total));
        s.search(u"ordspråk"_s);
        QCOMPARE(s.w->lista->count(), total);
        QCOMPARE(s.w->lblresultat->text(), QString::number(total) + u" träffar"_s);
        QCOMPARE(s.w->Text2->document()->blockCount(), frmsök::kShownHits + 1);
        for (const QString &typed : {QString(), u"Mitt: "_s}) {
            s.w->Text2->moveCursor(QTextCursor::Start);
            QTest::keyClicks(s.w->Text2, typed);
            s.platform.setNextInput(u"lista"_s);
            s.platform.setNextAnswer(Answer::Yes);
            QTest::mouseClick(s.w->cmdsparatextfil, Qt::LeftButton);
            const QString saved = QString::fromLatin1(s.folder.read(u"lista.txt"_s));
            QVERIFY(saved.startsWith(typed + u"Ordspråk 1\r\nOrdspråk 2\r\n"_s));
            QCOMPARE(saved.count(u"\r\n"_s), total + 1);
            QVERIFY(saved.endsWith(u"Ordspråk %1\r\n\r\n"_s.arg(total)));
        }
        QVERIFY(s.w->isVisible());
    }

    // An edited box is saved as the user sees it, no-break spaces too, and with every hit whole: one that it
    // shows shortened, or broken at a line feed of its own, wherever the user's lines moved it.
    void anEditedResultIsSavedWithEveryHitWhole()
    {
        const QString longHit = u"lång "_s + QString(store::kShownCharacters, u'x');
        Opened s({u"a\u00A0b"_s, longHit, u"c\nd"_s});
        s.search(QString(), true);
        s.w->Text2->moveCursor(QTextCursor::Start);
        QTest::keyClicks(s.w->Text2, u"Mitt"_s);
        QTest::keyClick(s.w->Text2, Qt::Key_Return);
        QCOMPARE(s.w->resultText(), u"Mitt\r\na\u00A0b\r\n"_s + longHit + u"\r\nc\nd\r\n"_s);
    }

    // Each opening, by the button or the menu, is a fresh window: nothing of the last search stays.
    void theMainWindowOpensAFreshWindowEachTime()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, {u"hund"_s, u"katt"_s});
        frmmain &main = s.start();
        QStringList seen;
        for (QAction *menu : {static_cast<QAction *>(nullptr), main.mnuredigera_sök}) {
            whileOpen<frmsök>([&] { menu ? menu->trigger() : QTest::mouseClick(main.cmdsök, Qt::LeftButton); },
                              [&](frmsök &w) {
                                  seen << w.Text1->text() + u'|' + w.lblresultat->text()
                                              + (w.optsöksätt2->isChecked() ? u"|alla"_s : u"|början"_s)
                                              + (w.chksökresultat->isChecked() ? u"|i resultat"_s : QString());
                                  w.Text1->setText(u"K"_s);
                                  w.optsöksätt1->setChecked(true);
                                  w.cmdsök->click();
                                  w.chksökresultat->setChecked(true);
                                  w.cmdavbryt->click();
                              });
        }
        QCOMPARE(seen, (QStringList{u"|0 träffar|alla"_s, u"|0 träffar|alla"_s}));
    }

    void savingATextFile_data()
    {
        QTest::addColumn<Saving>("c");

        const QString ask = u"message|Fil finns redan|YesNo|Question|Filnamnet finns redan. Vill du skriva över det?"_s;
        const QString saved = u"saved"_s;
        QTest::newRow("Cancel") << Saving{QString(),  QByteArray(), Answer::Yes,
                                          u"a\r\n"_s, QByteArray(), QStringList{}};
        QTest::newRow("no hits: one line end")
            << Saving{u"Tomt"_s, QByteArray(), Answer::Yes, QString(), "\r\n"_ba, QStringList{saved}};
        QTest::newRow(".txt always appended")
            << Saving{u"Lista.txt"_s, QByteArray(), Answer::Yes, u"x"_s, "x\r\n"_ba, QStringList{saved}};
        QTest::newRow("beyond Windows-1252: UTF-8") << Saving{u"grek"_s,
                                                              QByteArray(),
                                                              Answer::Yes,
                                                              u"αβ\r\nö"_s,
                                                              "\xef\xbb\xbf\xce\xb1\xce\xb2\r\n\xc3\xb6\r\n"_ba,
                                                              QStringList{saved}};
        QTest::newRow("No keeps the file")
            << Saving{u"lista"_s, "gammalt\r\n"_ba, Answer::No, u"nytt"_s, "gammalt\r\n"_ba, QStringList{ask}};
        QTest::newRow("Yes replaces it whole") << Saving{
            u"lista"_s, "gammalt och l\xe5ngt\r\n"_ba, Answer::Yes, u"nytt"_s, "nytt\r\n"_ba, QStringList{ask, saved}};
        QTest::newRow("a hidden name is refused") << Saving{u".dold"_s, "gammalt\r\n"_ba, Answer::Yes,
                                                            u"nytt"_s,  "gammalt\r\n"_ba, QStringList{u"error:52"_s}};
        QTest::newRow("a folder in the way")
            << Saving{u"mapp"_s, "/"_ba, Answer::Yes, u"nytt"_s, QByteArray(), QStringList{ask, u"error:75"_s}};
    }

    void savingATextFile()
    {
        QFETCH(Saving, c);
        auto [typed, before, overwrite, text, written, boxes] = c;
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
        spara_textfil(p, text);

        const QString fileName = typed + u".txt"_s;
        boxes.replaceInStrings(u"saved"_s, u"message|Tankedosan|Ok|None|Textfil sparad.\r\n"_s
                                               + QDir::toNativeSeparators(folder.path(fileName)));
        QCOMPARE(takeBoxes(p), QStringList{u"input|Spara sökresultat||"_s + sparaTextfilPrompt()} + boxes);
        QStringList filesAfter = dir.entryList(all);
        if (!written.isNull()) {
            QCOMPARE(folder.read(fileName), written);
            filesAfter.removeOne(fileName);
            filesBefore.removeOne(fileName);
        }
        QCOMPARE(filesAfter, filesBefore);
    }
};

QTEST_MAIN(tst_frmsok)
#include "tst_frmsok.moc"
