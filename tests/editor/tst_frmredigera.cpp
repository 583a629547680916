#include "support/folderfixture.h"

#include "editor/frmredigera.h"
#include "import/frmimport.h"
#include "quicksave/frmsnabbspara.h"
#include "support/modal.h"
#include "main/frmmain.h"
#include "platform/scriptedplatform.h"
#include "store/module1.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using namespace Qt::StringLiterals;
using platform::Answer;
using platform::ScriptedPlatform;
using Box = ScriptedPlatform::Box;

namespace {

// A program folder with two collections, the main window on "Citat" and the editor opened from it.
struct Opened {
    FolderFixture folder;
    ScriptedPlatform platform;
    std::unique_ptr<frmmain> main;
    std::unique_ptr<frmredigera> editor;

    explicit Opened(const QStringList &citat = {u"Zebra"_s, u"åsna"_s, u"apa"_s, u"Bil"_s, u"Åka"_s})
    {
        folder.writeCollection(u"Citat"_s, citat);
        folder.writeCollection(u"Djur"_s, {u"Katt"_s, u"hund"_s});
        main = std::make_unique<frmmain>(platform);
        editor = std::make_unique<frmredigera>(*main, platform);
        editor->takeCollectionsFromMain();
        editor->show();
    }

    QStringList lines() const { return editor->lista()->lines().toStringList(); }
    bool changed() const
    {
        return editor->cmd1->isEnabled() && editor->cmd2->isEnabled() && !editor->comboordspråk->isEnabled();
    }
    bool clean() const
    {
        return !editor->cmd1->isEnabled() && !editor->cmd2->isEnabled() && editor->comboordspråk->isEnabled();
    }
    void type(QLineEdit *box, const QString &text)
    {
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
    }
};

// A box as one comparable text: its words, title, buttons and icon.
QString message(const QString &text, platform::Icon icon, const QString &title = u"Tankedosan"_s,
                platform::Buttons buttons = platform::Buttons::Ok)
{
    return u"%1 | %2 | %3 | %4"_s.arg(text, title).arg(int(buttons)).arg(int(icon));
}

QStringList shown(const QList<Box> &boxes)
{
    QStringList texts;
    for (const Box &b : boxes)
        texts << message(b.text, b.icon, b.title, b.buttons);
    return texts;
}

} // namespace

class tst_frmredigera : public QObject {
    Q_OBJECT

private slots:
    void menuOpensTheEditorModallyOnTheMainCollection()
    {
        FolderFixture folder;
        folder.writeCollection(u"Citat"_s, {u"Zebra"_s, u"åsna"_s, u"apa"_s, u"Bil"_s, u"Åka"_s});
        ScriptedPlatform platform;
        frmmain main(platform);
        QStringList seen;
        QTimer::singleShot(0, &main, [&] {
            auto *editor = dynamic_cast<frmredigera *>(QApplication::activeModalWidget());
            QVERIFY(editor);
            seen = editor->lista()->lines().toStringList();
            seen << editor->lblantal->text() << editor->comboordspråk->currentText();
            QVERIFY(!editor->cmd1->isEnabled() && editor->comboordspråk->isEnabled());
            editor->cmdavbryt->click();
        });
        main.mnuredigera_redigera->trigger();
        QCOMPARE(seen, (QStringList{u"apa"_s, u"Bil"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s, u"5 st ordspråk."_s,
                                    u"Citat"_s}));
    }

    // Only the main window's collection is read: the box's first entry, chosen on the way while filling it,
    // is not (here its file is gone, which would show a box).
    void openingReadsOnlyTheMainCollection()
    {
        FolderFixture folder;
        folder.writeCollection(u"Aforismer"_s, {u"a"_s});
        folder.writeCollection(u"Citat"_s, {u"b"_s, u"a"_s});
        ScriptedPlatform platform;
        frmmain main(platform);
        QFile::remove(folder.path(u"Aforismer.dat"_s));
        frmredigera editor(main, platform);
        editor.takeCollectionsFromMain();
        QVERIFY(platform.boxes().isEmpty());
        QCOMPARE(editor.comboordspråk->currentText(), u"Citat"_s);
        QCOMPARE(editor.lista()->lines().toStringList(), (QStringList{u"a"_s, u"b"_s}));
    }

    void addingKeepsTheOrderAndEnterNeverClosesTheWindow()
    {
        Opened s{QStringList()};
        s.type(s.editor->txtordspråk, u"b"_s);
        s.type(s.editor->txtordspråk, u"a"_s);
        QCOMPARE(s.lines(), (QStringList{u"a"_s, u"b"_s}));
        QCOMPARE(s.editor->lblantal->text(), u"2 st ordspråk."_s);
        QVERIFY(s.changed());
        QVERIFY(s.editor->txtordspråk->text().isEmpty());

        s.type(s.editor->txtordspråk, QString());
        QCOMPARE(shown(s.platform.takeBoxes()),
                 QStringList{message(u"Ingen text inskriven. Skriv in en text och försök igen."_s,
                                    platform::Icon::Exclamation, u"Inget att lägga till"_s)});
        s.type(s.editor->txtsök, u"b"_s);
        s.type(s.editor->txtdublett, u"1"_s);
        s.platform.takeBoxes();
        QVERIFY(s.editor->isVisible());
    }

    // A CR would end the line in the file: the text goes in as the lines the file would read back.
    void typedLineEndsMakeSeparateLines()
    {
        Opened s{QStringList()};
        s.editor->txtordspråk->setText(u"b\r\na\rc\n"_s);
        s.editor->cmdläggtill->click();
        QCOMPARE(s.lines(), (QStringList{u"a"_s, u"b"_s, u"c\n"_s}));
    }

    // The import window hands over many lines at once; they land at their sorted places as single ones do.
    void addingManyLines()
    {
        Opened s;
        s.editor->addLines(store::LineStore::fromStrings({u"Öl"_s, u"Bil"_s, u"b\ra"_s}));
        QCOMPARE(s.lines(), (QStringList{u"a"_s, u"apa"_s, u"b"_s, u"Bil"_s, u"Bil"_s, u"Zebra"_s, u"Åka"_s,
                                         u"åsna"_s, u"Öl"_s}));
        s.editor->addLines(store::LineStore::fromStrings({u"ö"_s, u"Apa"_s}));
        QCOMPARE(s.lines().mid(0, 3), (QStringList{u"a"_s, u"apa"_s, u"Apa"_s}));
        QCOMPARE(s.lines().back(), u"Öl"_s);
    }

    void removing_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<int>("marked");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("changed");
        const QStringList all{u"apa"_s, u"Bil"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s};
        QTest::newRow("button, yes") << false << 1 << Answer::Yes << QStringList{u"apa"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s} << true;
        QTest::newRow("Delete, yes") << true << 4 << Answer::Yes << all.mid(0, 4) << true;
        QTest::newRow("no") << false << 1 << Answer::No << all << false;
        QTest::newRow("nothing marked") << false << -1 << Answer::Yes << all << true;
    }

    void removing()
    {
        QFETCH(bool, byKey);
        QFETCH(int, marked);
        QFETCH(Answer, answer);
        QFETCH(QStringList, after);
        QFETCH(bool, changed);
        Opened s;
        if (marked >= 0)
            s.editor->setMarkedIndex(marked);
        s.platform.setNextAnswer(answer);
        if (byKey)
            QTest::keyClick(s.editor->List1, Qt::Key_Delete);
        else
            s.editor->cmdtabort->click();
        QCOMPARE(shown(s.platform.takeBoxes()),
                 QStringList{message(u"Vill du radera markerat ordspråk ur datafilen?"_s, platform::Icon::Question,
                                     u"Radera?"_s, platform::Buttons::YesNo)});
        QCOMPARE(s.lines(), after);
        QCOMPARE(s.changed(), changed);
        QCOMPARE(s.editor->lblantal->text(), u"5 st ordspråk."_s); // the count waits for the next add or save
        QCOMPARE(s.folder.read(u"Citat.dat"_s), "Zebra\r\n\xE5sna\r\napa\r\nBil\r\n\xC5ka\r\n"_ba);
    }

    void undoKeepsTheListAndPickingReloads()
    {
        Opened s;
        s.type(s.editor->txtordspråk, u"ny"_s);
        s.editor->cmd2->click();
        QVERIFY(s.clean());
        QCOMPARE(s.lines().size(), 6);
        // Picking the chosen collection again reads its file again; picking another reads that one, once.
        emit s.editor->comboordspråk->activated(0);
        QCOMPARE(s.lines().size(), 5);
        QFile::remove(s.folder.path(u"Djur.dat"_s));
        QTest::keyClick(s.editor->comboordspråk, Qt::Key_Down);
        QCOMPARE(s.editor->comboordspråk->currentText(), u"Djur"_s);
        QCOMPARE(shown(s.platform.takeBoxes()),
                 QStringList{message(u"Filen ''Djur'' saknas i programkatalogen!"_s, platform::Icon::Exclamation)});
        QCOMPARE(s.lines().size(), 5);
    }

    void save_data()
    {
        QTest::addColumn<bool>("mainCollection");
        QTest::addColumn<bool>("searchView");
        QTest::newRow("the main window's, search view") << true << true;
        QTest::newRow("the main window's") << true << false;
        QTest::newRow("another") << false << false;
    }

    void save()
    {
        QFETCH(bool, mainCollection);
        QFETCH(bool, searchView);
        Opened s;
        if (searchView) {
            s.main->söklista->setItems({u"träff"_s});
            s.main->optlista_sök->setChecked(true);
        }
        const QString mainPath = Module1::sökväg;
        if (!mainCollection)
            s.editor->comboordspråk->setCurrentIndex(1);
        s.type(s.editor->txtordspråk, u"Björn"_s);
        s.editor->cmd1->click();

        QVERIFY(s.platform.boxes().isEmpty());
        QVERIFY(s.clean());
        QCOMPARE(Module1::sökväg, mainPath);
        const QString saved = mainCollection ? u"Citat.dat"_s : u"Djur.dat"_s;
        QCOMPARE(s.folder.read(saved), store::LineStore::fromStrings(s.lines()).toFileBytes());
        QCOMPARE(s.lines().indexOf(u"Björn"_s), mainCollection ? 2 : 0);
        const QStringList mainLines = s.main->List1->items();
        QCOMPARE(mainLines == s.lines(), mainCollection);
        QCOMPARE(Module1::antal, mainCollection ? 6 : 5);
        QCOMPARE(s.main->windowTitle(), mainCollection ? u"Tankedosan -  6 st"_s : u"Tankedosan -  5 st"_s);
        QCOMPARE(s.main->optlista_hela->isChecked(), mainCollection || !searchView);
    }

#ifdef Q_OS_UNIX
    // A disk that fills up half-way through "Spara" must cost nothing: not the file, not the main window's
    // list, not the changes.
    void failedSaveKeepsFileListAndChanges()
    {
        Opened s;
        const QByteArray before = s.folder.read(u"Citat.dat"_s);
        s.type(s.editor->txtordspråk, QString(9000, u'x'));
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        s.editor->cmd1->click();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        const auto boxes = s.platform.takeBoxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.front().text.startsWith(u"Ett fel uppstod.\r\n"_s));
        QCOMPARE(s.folder.read(u"Citat.dat"_s), before);
        QCOMPARE(s.main->List1->items(), (QStringList{u"Zebra"_s, u"åsna"_s, u"apa"_s, u"Bil"_s, u"Åka"_s}));
        QVERIFY(s.changed());
    }
#endif

    void findAsYouTypeAndOnEnter()
    {
        Opened s({u"cab"_s, u"abc"_s, u"Bad"_s});
        QStringList marked;
        const auto step = [&](const std::function<void()> &action) {
            action();
            marked << s.editor->Text1->toPlainText();
        };
        step([&] { s.editor->txtsök->setText(u"b"_s); });
        for (int i = 0; i < 4; ++i)
            step([&] { QTest::keyClick(s.editor->txtsök, Qt::Key_Return); });
        QCOMPARE(marked, (QStringList{u"abc"_s, u"Bad"_s, u"cab"_s, u"abc"_s, u"Bad"_s}));

        s.editor->combosök->setCurrentIndex(0);
        QCOMPARE(s.editor->markedIndex(), 1); // changing the mode alone moves nothing
        s.editor->txtsök->clear();
        s.editor->txtsök->setText(u"b"_s);
        QCOMPARE(s.editor->markedIndex(), 1);
        QTest::keyClick(s.editor->txtsök, Qt::Key_Return);
        QCOMPARE(s.editor->markedIndex(), 0);
    }

    void findInEmptyListWritesTheError()
    {
        Opened s{QStringList()};
        s.editor->txtsök->setText(u"a"_s);
        QCOMPARE(s.editor->Text1->toPlainText(), u"Ett fel uppstod under sökning: 380 - Ogiltigt egenskapsvärde"_s);
    }

    void duplicateCheck_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("fieldAfter");
        QTest::addColumn<QByteArray>("report"); // empty: nothing found, the old report stays
        QTest::newRow("found") << QStringList{u"Apa"_s, u"Bil"_s, u"apa"_s} << u"0"_s << QString()
                               << "apa\r\nApa\r\n\r\n\r\n\r\n"_ba; // in the editor's order
        QTest::newRow("none") << QStringList{u"Apa"_s, u"Bil"_s} << u"-2"_s << u"-2"_s << QByteArray();
        QTest::newRow("empty list") << QStringList() << u"abc"_s << QString() << QByteArray();
    }

    void duplicateCheck()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, field);
        QFETCH(QString, fieldAfter);
        QFETCH(QByteArray, report);
        Opened s(lines);
        s.folder.write(u"dublett-check.txt"_s, "gammal"_ba);
        s.editor->txtdublett->setText(field);
        s.editor->cmddublett->click();

        QCOMPARE(s.editor->txtdublett->text(), fieldAfter);
        QVERIFY(s.editor->cmddublett->isVisible() && !s.editor->cmdavbryt2->isVisible());
        QVERIFY(!s.editor->progress->isVisible());
        QCOMPARE(s.platform.pointer(), platform::Pointer::Default);
        if (report.isEmpty()) {
            QCOMPARE(shown(s.platform.takeBoxes()), QStringList{message(u"Inga dubletter funna bland citaten!"_s,
                                                                platform::Icon::Information, u"Dublettkontroll"_s)});
            QCOMPARE(s.folder.read(u"dublett-check.txt"_s), "gammal"_ba);
            QVERIFY(s.platform.openedFiles().isEmpty());
        } else {
            QVERIFY(s.platform.boxes().isEmpty());
            QCOMPARE(s.folder.read(u"dublett-check.txt"_s), report);
            QCOMPARE(s.platform.openedFiles(), QList<QString>{s.folder.path(u"dublett-check.txt"_s)});
        }
    }

    // While a long check runs: progress shows, "Avbryt" stands in for "Sök dubletter", the list cannot change
    // and the window cannot close; "Avbryt" stops it, and the next check runs in full.
    void longCheckCanBeCancelledAndLocksTheList()
    {
        Opened s;
        QStringList lines = FolderFixture::numbered(300000, u"rad"_s);
        lines << u"rad 1"_s;
        s.editor->lista()->setLines(store::LineStore::fromStrings(lines));
        s.editor->setMarkedIndex(0);

        int calls = 0;
        bool lockedDuringCheck = true;
        s.platform.setOnProcessEvents([&] {
            ++calls;
            s.editor->close();
            s.editor->cmdtabort->click();
            QTest::keyClick(s.editor->List1, Qt::Key_Delete);
            s.editor->txtordspråk->setText(u"ny"_s);
            s.editor->cmdläggtill->click();
            lockedDuringCheck = lockedDuringCheck && s.editor->isVisible() && s.editor->cmdavbryt2->isVisible()
                                && s.editor->progress->geometry().topLeft() == s.editor->lblantal->geometry().topLeft()
                                && s.editor->progress->height() == s.editor->lblantal->height()
                                && !s.editor->cmddublett->isVisible() && s.editor->progress->isVisible()
                                && s.platform.pointer() == platform::Pointer::ArrowBusy;
            if (calls == 1)
                s.editor->cmdavbryt2->click();
        });
        s.editor->cmddublett->click();
        QVERIFY(calls >= 2);
        QVERIFY(lockedDuringCheck);
        QCOMPARE(s.lines().size(), lines.size());
        QCOMPARE(s.platform.takeBoxes().size(), 1); // cancelled before the repeat: nothing found

        s.platform.setOnProcessEvents({});
        const int before = s.platform.processEventsCalls();
        s.editor->cmddublett->click();
        QVERIFY(s.platform.boxes().isEmpty());
        QCOMPARE(s.folder.read(u"dublett-check.txt"_s), "rad 1\r\nrad 1\r\n\r\n\r\n\r\n"_ba);
        // Pending events run now and then, not before every comparison.
        QVERIFY(s.platform.processEventsCalls() - before < 200);
        QVERIFY(s.editor->txtordspråk->isEnabled() && s.clean());
    }

    // Copy and quick-save take the marked line whole and leave the editor as it was; with nothing marked the
    // append rule still holds (a CR LF after a non-empty list, nothing on an empty one).
    void transfersOfTheMarkedLine()
    {
        Opened s;
        frmsnabbspara &quick = s.main->snabbsparaFönster();
        s.editor->cmdsnabbspara_Click();
        QCOMPARE(quick.lista(), QString());
        s.editor->setMarkedIndex(0); // apa
        s.editor->cmdkopieraklippbok_Click();
        QVERIFY(s.platform.clipboardCleared());
        QCOMPARE(s.platform.clipboard(), u"apa"_s);
        s.editor->cmdsnabbspara_Click();
        s.editor->setMarkedIndex(1); // Bil
        QTest::keyClick(s.editor->List1, Qt::Key_F2);
        QCOMPARE(quick.lista(), u"apa\r\nBil"_s);
        s.editor->setMarkedIndex(-1);
        s.editor->cmdsnabbspara_Click();
        QCOMPARE(quick.lista(), u"apa\r\nBil\r\n"_s);
        QVERIFY(!quick.isVisible());
        QVERIFY(s.clean());
        QVERIFY(s.platform.boxes().isEmpty());
    }

    // "Importera från fil..." hands the lines of a text file over to the editor list, at their sorted places,
    // and puts the editor into its changed state.
    void importHandsLinesOver()
    {
        Opened s;
        s.folder.write(u"import.txt"_s, "Bj\xF6rn\r\n\r\nAbborre\r\n"_ba);
        whileModal([&] { s.editor->cmdimport_Click(); }, [&](QWidget *modal) {
            auto *import = dynamic_cast<frmimport *>(modal);
            QVERIFY(import);
            import->setDirPath(s.folder.folder());
            import->File1->setCurrentRow(0);
            QCOMPARE(import->importList().count(), 2);
            import->cmdläggtillalla_Click();
            import->cmdstäng_Click();
        });
        QCOMPARE(s.lines(), (QStringList{u"Abborre"_s, u"apa"_s, u"Bil"_s, u"Björn"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s}));
        QCOMPARE(s.editor->lblantal->text(), u"7 st ordspråk."_s);
        QVERIFY(s.changed());
    }
};

QTEST_MAIN(tst_frmredigera)
#include "tst_frmredigera.moc"
