#include "support/boxes.h"
#include "support/folderfixture.h"
#include "support/modal.h"

#include "editor/frmredigera.h"
#include "import/frmimport.h"
#include "main/frmmain.h"
#include "quicksave/frmsnabbspara.h"
#include "store/collections.h"
#include "store/module1.h"

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

#include <memory>
#include <sys/resource.h>

using namespace Qt::StringLiterals;
using platform::Answer;

namespace {

const QStringList kCitat{u"Zebra"_s, u"åsna"_s, u"apa"_s, u"Bil"_s, u"Åka"_s};
const QStringList kSorted{u"apa"_s, u"Bil"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s};

// A program folder with two collections, the main window on "Citat" and the editor opened from it.
struct Opened {
    FolderFixture folder;
    platform::ScriptedPlatform platform;
    std::unique_ptr<frmmain> main;
    std::unique_ptr<frmredigera> editor;

    explicit Opened(const QStringList &citat = kCitat)
    {
        folder.writeCollection(u"Citat"_s, citat);
        folder.writeCollection(u"Djur"_s, {u"Katt"_s, u"hund"_s});
        main = std::make_unique<frmmain>(platform);
        editor = std::make_unique<frmredigera>(*main, platform);
        editor->takeCollectionsFromMain();
        editor->show();
    }

    QStringList lines() const { return editor->lista()->lines().toStringList(); }
    // "Spara" and "Ångra" usable and the collection fixed, or the other way round; anything else is neither.
    bool changed() const { return editor->cmd1->isEnabled() && editor->cmd2->isEnabled() && !editor->comboordspråk->isEnabled(); }
    bool clean() const { return !editor->cmd1->isEnabled() && !editor->cmd2->isEnabled() && editor->comboordspråk->isEnabled(); }
    void type(QLineEdit *box, const QString &text)
    {
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
    }
};

} // namespace

class tst_frmredigera : public QObject {
    Q_OBJECT

private slots:
    // The menu opens it modally on the main window's collection, in Swedish order; only that collection is
    // read (the box's first entry, gone here, would show a box).
    void menuOpensTheEditorOnTheMainCollection()
    {
        FolderFixture folder;
        folder.writeCollection(u"Aforismer"_s, {u"a"_s});
        folder.writeCollection(u"Citat"_s, kCitat);
        platform::ScriptedPlatform platform;
        frmmain main(platform);
        QFile::remove(folder.path(u"Aforismer.dat"_s));
        QStringList seen;
        QTimer::singleShot(0, &main, [&] {
            auto *editor = dynamic_cast<frmredigera *>(QApplication::activeModalWidget());
            QVERIFY(editor);
            seen = editor->lista()->lines().toStringList() << editor->lblantal->text() << editor->comboordspråk->currentText();
            QVERIFY(!editor->cmd1->isEnabled() && editor->comboordspråk->isEnabled());
            editor->cmdavbryt->click();
        });
        main.mnuredigera_redigera->trigger();
        QCOMPARE(seen, kSorted + QStringList({u"5 st ordspråk."_s, u"Citat"_s}));
        QVERIFY(platform.boxes().isEmpty());
    }

    // Typed, handed over by the import window, or with line ends inside (which would end the line in the file):
    // every line lands at its sorted place, Enter never closes the window, and the editor is changed.
    void adding()
    {
        Opened s;
        s.type(s.editor->txtordspråk, u"Öl"_s);
        s.type(s.editor->txtordspråk, u"Apa"_s);
        QCOMPARE(s.editor->lblantal->text(), u"7 st ordspråk."_s);
        QVERIFY(s.changed() && s.editor->txtordspråk->text().isEmpty());
        s.editor->txtordspråk->setText(u"b\r\na\rc\n"_s);
        s.editor->cmdläggtill->click();
        s.editor->addLines(store::LineStore::fromStrings({u"ö"_s, u"Bil"_s, u"b\ra"_s}));
        QCOMPARE(s.lines(), (QStringList{u"a"_s, u"a"_s, u"apa"_s, u"Apa"_s, u"b"_s, u"b"_s, u"Bil"_s, u"Bil"_s,
                                         u"c\n"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s, u"ö"_s, u"Öl"_s}));

        s.type(s.editor->txtordspråk, QString());
        QCOMPARE(takeBoxes(s.platform), QStringList{u"message|Inget att lägga till|Ok|Exclamation|Ingen text inskriven. Skriv in en text och försök igen."_s});
        s.type(s.editor->txtsök, u"b"_s);
        s.type(s.editor->txtdublett, u"1"_s);
        QVERIFY(s.editor->isVisible());
    }

    void removing_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<int>("marked");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("changed");
        QTest::newRow("button, yes") << false << 1 << Answer::Yes << QStringList{u"apa"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s} << true;
        QTest::newRow("Delete, yes") << true << 4 << Answer::Yes << kSorted.mid(0, 4) << true;
        QTest::newRow("no") << false << 1 << Answer::No << kSorted << false;
        QTest::newRow("nothing marked") << false << -1 << Answer::Yes << kSorted << true;
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
        byKey ? QTest::keyClick(s.editor->List1, Qt::Key_Delete) : s.editor->cmdtabort->click();
        QCOMPARE(takeBoxes(s.platform), QStringList{u"message|Radera?|YesNo|Question|Vill du radera markerat ordspråk ur datafilen?"_s});
        QCOMPARE(s.lines(), after);
        QCOMPARE(s.changed(), changed);
        QCOMPARE(s.editor->lblantal->text(), u"5 st ordspråk."_s); // the count waits for the next add or save
        QCOMPARE(s.folder.read(u"Citat.dat"_s), "Zebra\r\n\xE5sna\r\napa\r\nBil\r\n\xC5ka\r\n"_ba);
    }

    // "Ångra" keeps the list; picking the chosen collection again reads its file again, a missing one is reported.
    void undoKeepsTheListAndPickingReloads()
    {
        Opened s;
        s.type(s.editor->txtordspråk, u"ny"_s);
        s.editor->cmd2->click();
        QVERIFY(s.clean());
        QCOMPARE(s.lines().size(), 6);
        emit s.editor->comboordspråk->activated(0);
        QCOMPARE(s.lines(), kSorted);
        QFile::remove(s.folder.path(u"Djur.dat"_s));
        QTest::keyClick(s.editor->comboordspråk, Qt::Key_Down);
        QCOMPARE(s.editor->comboordspråk->currentText(), u"Djur"_s);
        QCOMPARE(takeBoxes(s.platform), QStringList{u"message|Tankedosan|Ok|Exclamation|Filen ''Djur'' saknas i programkatalogen!"_s});
        QCOMPARE(s.lines(), kSorted);
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
        s.editor->comboordspråk->setCurrentIndex(mainCollection ? 0 : 1);
        s.type(s.editor->txtordspråk, u"Björn"_s);
        s.editor->cmd1->click();

        QVERIFY(s.platform.boxes().isEmpty());
        QVERIFY(s.clean());
        QCOMPARE(Module1::sökväg, mainPath);
        QCOMPARE(s.folder.read(mainCollection ? u"Citat.dat"_s : u"Djur.dat"_s), store::LineStore::fromStrings(s.lines()).toFileBytes());
        QCOMPARE(s.main->List1->items() == s.lines(), mainCollection);
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
        store::ignoreFileSizeSignal();
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const rlimit small{4096, old.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        s.editor->cmd1->click();
        setrlimit(RLIMIT_FSIZE, &old);

        QCOMPARE(takeBoxes(s.platform), QStringList{u"error:57"_s}); // a file larger than allowed
        QCOMPARE(s.folder.read(u"Citat.dat"_s), before);
        QCOMPARE(s.main->List1->items(), kCitat);
        QVERIFY(s.changed());
    }
#endif

    // Typing finds from the top, Enter finds the next and wraps; an empty list writes the error in the text box.
    void findAsYouTypeAndOnEnter()
    {
        Opened s({u"cab"_s, u"abc"_s, u"Bad"_s});
        QStringList marked;
        s.editor->txtsök->setText(u"b"_s);
        marked << s.editor->Text1->toPlainText();
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(s.editor->txtsök, Qt::Key_Return);
            marked << s.editor->Text1->toPlainText();
        }
        QCOMPARE(marked, (QStringList{u"abc"_s, u"Bad"_s, u"cab"_s, u"abc"_s, u"Bad"_s}));
        s.editor->combosök->setCurrentIndex(0);
        QCOMPARE(s.editor->markedIndex(), 1); // changing the mode alone moves nothing
        s.editor->txtsök->clear();
        s.editor->txtsök->setText(u"b"_s);
        QCOMPARE(s.editor->markedIndex(), 1);
        QTest::keyClick(s.editor->txtsök, Qt::Key_Return);
        QCOMPARE(s.editor->markedIndex(), 0);

        Opened empty{QStringList()};
        empty.editor->txtsök->setText(u"a"_s);
        QCOMPARE(empty.editor->Text1->toPlainText(), u"Ett fel uppstod under sökning: 380 - Ogiltigt egenskapsvärde"_s);
    }

    void duplicateCheck_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("fieldAfter");
        QTest::addColumn<QByteArray>("report"); // empty: nothing found, the old report stays
        QTest::newRow("found, in the editor's order") << QStringList{u"Apa"_s, u"Bil"_s, u"apa"_s} << u"0"_s << QString() << "apa\r\nApa\r\n\r\n\r\n\r\n"_ba;
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
        QVERIFY(s.editor->cmddublett->isVisible() && !s.editor->cmdavbryt2->isVisible() && !s.editor->progress->isVisible());
        QCOMPARE(s.platform.pointer(), platform::Pointer::Default);
        QCOMPARE(takeBoxes(s.platform), report.isEmpty() ? QStringList{u"message|Dublettkontroll|Ok|Information|Inga dubletter funna bland citaten!"_s} : QStringList());
        QCOMPARE(s.folder.read(u"dublett-check.txt"_s), report.isEmpty() ? "gammal"_ba : report);
        QCOMPARE(s.platform.openedFiles(), report.isEmpty() ? QList<QString>() : QList<QString>{s.folder.path(u"dublett-check.txt"_s)});
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
        bool locked = true;
        s.platform.setOnProcessEvents([&] {
            ++calls;
            s.editor->close();
            s.editor->cmdtabort->click();
            QTest::keyClick(s.editor->List1, Qt::Key_Delete);
            s.editor->txtordspråk->setText(u"ny"_s);
            s.editor->cmdläggtill->click();
            locked = locked && s.editor->isVisible() && s.editor->cmdavbryt2->isVisible() && !s.editor->cmddublett->isVisible()
                     && s.editor->progress->isVisible() && s.platform.pointer() == platform::Pointer::ArrowBusy;
            if (calls == 1)
                s.editor->cmdavbryt2->click();
        });
        s.editor->cmddublett->click();
        QVERIFY(calls >= 2 && locked);
        QCOMPARE(s.lines().size(), lines.size());
        QCOMPARE(s.platform.takeBoxes().size(), 1); // cancelled before the repeat: nothing found

        s.platform.setOnProcessEvents({});
        const int before = s.platform.processEventsCalls();
        s.editor->cmddublett->click();
        QVERIFY(s.platform.boxes().isEmpty());
        QCOMPARE(s.folder.read(u"dublett-check.txt"_s), "rad 1\r\nrad 1\r\n\r\n\r\n\r\n"_ba);
        QVERIFY(s.platform.processEventsCalls() - before < 200); // pending events now and then, not at every step
        QVERIFY(s.editor->txtordspråk->isEnabled() && s.clean());
    }

    // Copy and quick-save (button or F2) take the marked line whole and leave the editor as it was.
    void transfersOfTheMarkedLine()
    {
        Opened s;
        s.editor->setMarkedIndex(0);
        s.editor->cmdkopieraklippbok_Click();
        QVERIFY(s.platform.clipboardCleared());
        QCOMPARE(s.platform.clipboard(), u"apa"_s);
        s.editor->cmdsnabbspara_Click();
        s.editor->setMarkedIndex(1);
        QTest::keyClick(s.editor->List1, Qt::Key_F2);
        QCOMPARE(s.main->snabbsparaFönster().lista(), u"apa\r\nBil"_s);
        QVERIFY(!s.main->snabbsparaFönster().isVisible() && s.clean() && s.platform.boxes().isEmpty());
    }

    // "Importera från fil..." hands the lines of a text file over, at their sorted places, as a change.
    void importHandsLinesOver()
    {
        Opened s;
        s.folder.write(u"import.txt"_s, "Bj\xF6rn\r\n\r\nAbborre\r\n"_ba);
        whileModal([&] { s.editor->cmdimport_Click(); }, [&](QWidget *modal) {
            auto *import = dynamic_cast<frmimport *>(modal);
            QVERIFY(import);
            import->setDirPath(s.folder.folder());
            import->File1->setCurrentRow(0);
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
