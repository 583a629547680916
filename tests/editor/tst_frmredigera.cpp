#include "support/boxes.h"
#include "support/modal.h"

#include "editor/frmredigera.h"
#include "import/frmimport.h"
#include "widgets/twips.h"
#include "quicksave/frmsnabbspara.h"
#include "store/collections.h"
#include "store/encoding.h"
#include "widgets/windowsetup.h"
#include "store/module1.h"

#include <QProgressDialog>

using namespace Qt::StringLiterals;
using platform::Answer;

namespace {

const QStringList kCitat{u"Zebra"_s, u"åsna"_s, u"apa"_s, u"Bil"_s, u"Åka"_s};
const QStringList kSorted{u"apa"_s, u"Bil"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s};

// The main window on "Citat" (between "Aforismer" and "Djur") and the editor opened from it, as the menu does.
// Only the main window's collection may be read: the box's first entry is gone by then and would show a box.
struct Opened : Started
{
    std::unique_ptr<frmredigera> editor;

    explicit Opened(const QStringList &citat = kCitat, const QString &citatFile = u"Citat.dat"_s)
    {
        folder.writeCollection(u"Aforismer"_s, {u"a"_s});
        folder.write(citatFile, store::encodeLines(citat));
        folder.writeCollection(u"Djur"_s, {u"Katt"_s, u"hund"_s});
        start();
        QFile::remove(folder.path(u"Aforismer.dat"_s));
        editor = std::make_unique<frmredigera>(window->link(), platform);
        editor->takeCollectionsFromMain();
        editor->show();
    }

    QStringList lines() const { return editor->lista()->lines().toStringList(); }
    // "Spara" and "Ångra" usable and the collection fixed, or the other way round; anything else is neither.
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

// The rows of the removal and duplicate check tables; a `report` left empty means nothing found, the old
// report stays.
struct Removal
{
    bool byKey;
    int marked;
    Answer answer;
    QStringList after;
};
struct Check
{
    QStringList lines;
    QString field, fieldAfter;
    QByteArray report;
};
// collection 1: the main window's "Citat", 2: "Djur"; citatFile: the file that holds Citat.
struct Save
{
    int collection;
    QString citatFile = u"Citat.dat"_s;
};

} // namespace

class tst_frmredigera : public QObject
{
    Q_OBJECT

private slots:
    // Typed, handed over by the import window, or with line ends inside (which would end the line in the file):
    // every line lands at its sorted place, Enter never closes the window, and the editor is changed.
    // "Stäng" then drops the changes without a question.
    void adding()
    {
        Opened s;
        QVERIFY(s.clean() && s.platform.boxes().isEmpty());
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
        QCOMPARE(
            takeBoxes(s.platform),
            QStringList{
                u"message|Inget att lägga till|Ok|Exclamation|Ingen text inskriven. Skriv in en text och försök igen."_s});
        s.type(s.editor->txtsök, u"b"_s);
        s.type(s.editor->txtdublett, u"1"_s);
        QVERIFY(s.editor->isVisible());
        // "Stäng" with changes unsaved: asks nothing and writes nothing.
        s.editor->cmdavbryt->click();
        QVERIFY(!s.editor->isVisible() && s.platform.boxes().isEmpty());
        QCOMPARE(s.folder.read(u"Citat.dat"_s), store::encodeLines(kCitat));
    }

    void removing_data()
    {
        QTest::addColumn<Removal>("c");
        QTest::newRow("button, yes") << Removal{false, 1, Answer::Yes, {u"apa"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s}};
        QTest::newRow("the first line") << Removal{false, 0, Answer::Yes, kSorted.mid(1)};
        QTest::newRow("Delete, yes") << Removal{true, 4, Answer::Yes, kSorted.mid(0, 4)};
        QTest::newRow("no") << Removal{false, 1, Answer::No, kSorted};
        QTest::newRow("nothing marked") << Removal{false, -1, Answer::Yes, kSorted};
    }
    void removing()
    {
        QFETCH(Removal, c);
        const auto &[byKey, marked, answer, after] = c;
        Opened s;
        if (marked >= 0)
            s.editor->setMarkedIndex(marked);
        s.platform.setNextAnswer(answer);
        byKey ? QTest::keyClick(s.editor->List1, Qt::Key_Delete) : s.editor->cmdtabort->click();
        QCOMPARE(takeBoxes(s.platform),
                 QStringList{u"message|Radera?|YesNo|Question|Vill du radera markerat ordspråk ur datafilen?"_s});
        QCOMPARE(s.lines(), after);
        QVERIFY(answer == Answer::Yes ? s.changed() : s.clean());
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
        emit s.editor->comboordspråk->activated(1);
        QCOMPARE(s.lines(), kSorted);
        QFile::remove(s.folder.path(u"Djur.dat"_s));
        QTest::keyClick(s.editor->comboordspråk, Qt::Key_Down);
        QCOMPARE(s.editor->comboordspråk->currentText(), u"Djur"_s);
        QCOMPARE(takeBoxes(s.platform),
                 QStringList{u"message|Tankedosan|Ok|Exclamation|Filen ''Djur'' saknas i programkatalogen!"_s});
        QCOMPARE(s.lines(), kSorted);
    }

    // "Avbryt" on a long load leaves the list and the box on the collection read before.
    void cancellingALongLoad()
    {
        Opened s;
        s.folder.write(u"Djur.dat"_s, QByteArray("Djur\r\n").repeated(3 << 20)); // 18 MB, read in three steps
        windowsetup::progressAfterMs = 0;
        s.platform.setOnProcessEvents([&] {
            if (auto *box = s.editor->findChild<QProgressDialog *>(u"progress"_s))
                box->cancel();
        });
        QTest::keyClick(s.editor->comboordspråk, Qt::Key_Down);
        windowsetup::progressAfterMs = 2000;
        QCOMPARE(s.editor->comboordspråk->currentText(), u"Citat"_s);
        QCOMPARE(s.lines(), kSorted);
        QVERIFY(s.platform.boxes().isEmpty());
    }

    // Saving the main window's collection refills its list and leaves the search view; saving another leaves
    // the main window alone. (A failed save is tst_faults'.)
    void save_data()
    {
        QTest::addColumn<Save>("c");
        QTest::newRow("the main window's") << Save{1};
        QTest::newRow("another") << Save{2};
        // Found as the main window finds it, and saved into it rather than into a second file.
        QTest::newRow("extension in capitals") << Save{1, u"Citat.DAT"_s};
    }
    void save()
    {
        QFETCH(Save, c);
        const auto [collection, citatFile] = c;
        Opened s(kCitat, citatFile);
        s.window->söklista->setItems({u"träff"_s});
        s.window->optlista_sök->setChecked(true);
        const QString file = collection == 1 ? citatFile : u"Djur.dat"_s;
        const QString mainPath = Module1::sökväg, title = s.window->windowTitle();
        s.editor->comboordspråk->setCurrentIndex(collection);
        s.type(s.editor->txtordspråk, u"Björn"_s);
        s.editor->cmd1->click();

        const bool refilled = collection == 1;
        QVERIFY(s.platform.boxes().isEmpty() && s.clean());
        QCOMPARE(s.folder.read(file), store::LineStore::fromStrings(s.lines()).toFileBytes());
        QCOMPARE(Module1::sökväg, mainPath);
        QCOMPARE(s.window->List1->items(), refilled ? s.lines() : kCitat);
        QCOMPARE(s.window->windowTitle(), refilled ? u"Tankedosan -  6 st"_s : title);
        QCOMPARE(s.window->optlista_hela->isChecked(), refilled);
        QCOMPARE(QDir(s.folder.folder()).entryList(QDir::Files), (QStringList{citatFile, u"Djur.dat"_s}));
    }

    // Typing finds from the top, Enter finds the next and wraps; an empty list writes the error in the text box.
    void findAsYouTypeAndOnEnter()
    {
        Opened s({u"cab"_s, u"abc"_s, u"Bad"_s});
        QStringList marked;
        s.editor->txtsök->setText(u"b"_s);
        for (int i = 0; i < 4; ++i) {
            marked << s.editor->Text1->toPlainText();
            QTest::keyClick(s.editor->txtsök, Qt::Key_Return);
        }
        QCOMPARE(marked, (QStringList{u"abc"_s, u"Bad"_s, u"cab"_s, u"abc"_s}));
        s.editor->combosök->setCurrentIndex(0); // from the beginning, past "Bad": none, so line 0
        QCOMPARE(windowsetup::markedRow(s.editor->List1), 1);
        QTest::keyClick(s.editor->txtsök, Qt::Key_Return);
        QCOMPARE(windowsetup::markedRow(s.editor->List1), 0);

        Opened empty{QStringList()};
        empty.editor->txtsök->setText(u"a"_s);
        QCOMPARE(empty.editor->Text1->toPlainText(), u"Ett fel uppstod under sökning: 380 - Ogiltigt egenskapsvärde"_s);
    }

    void duplicateCheck_data()
    {
        QTest::addColumn<Check>("c");
        QTest::newRow("found, in the editor's order")
            << Check{{u"Apa"_s, u"Bil"_s, u"apa"_s}, u"0"_s, QString(), "apa\r\nApa\r\n\r\n\r\n\r\n"_ba};
        QTest::newRow("none") << Check{{u"Apa"_s, u"Bil"_s}, u"-2"_s, u"-2"_s, QByteArray()};
        QTest::newRow("empty list") << Check{{}, u"abc"_s, QString(), QByteArray()};
    }
    void duplicateCheck()
    {
        QFETCH(Check, c);
        const auto &[lines, field, fieldAfter, report] = c;
        Opened s(lines);
        s.folder.write(u"dublett-check.txt"_s, "gammal"_ba);
        s.editor->txtdublett->setText(field);
        s.editor->cmddublett->click();
        QCOMPARE(s.editor->txtdublett->text(), fieldAfter);
        QVERIFY(s.editor->cmddublett->isVisible() && !s.editor->cmdavbryt2->isVisible()
                && !s.editor->progress->isVisible());
        QCOMPARE(s.platform.pointer(), platform::Pointer::Default);
        QCOMPARE(takeBoxes(s.platform),
                 report.isEmpty()
                     ? QStringList{u"message|Dublettkontroll|Ok|Information|Inga dubletter funna bland citaten!"_s}
                     : QStringList());
        QCOMPARE(s.folder.read(u"dublett-check.txt"_s), report.isEmpty() ? "gammal"_ba : report);
        QCOMPARE(s.platform.openedFiles(),
                 report.isEmpty() ? QList<QString>() : QList<QString>{s.folder.path(u"dublett-check.txt"_s)});
        if (!lines.isEmpty()) // the strip was last set for the last line, out of 7215 twips for all of them
            QCOMPARE(s.editor->progress->width(),
                     int(float(lines.size() - 1) * (float(twips::toPixels(7215)) / float(lines.size()))));
    }

    // While a long check runs: progress shows, "Avbryt" stands in for "Sök dubletter", the list cannot change
    // and the window cannot close; "Avbryt" stops it, and the next check runs in full.
    void longCheckCanBeCancelledAndLocksTheList()
    {
        Opened s;
        const QStringList lines = FolderFixture::numbered(300000, u"rad"_s) << u"rad 1"_s;
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
            locked = locked && s.editor->isVisible() && s.editor->cmdavbryt2->isVisible()
                     && !s.editor->cmddublett->isVisible() && s.editor->progress->isVisible()
                     && s.platform.pointer() == platform::Pointer::ArrowBusy;
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

    // Copy and quick-save (button or F2) take the marked line whole and leave the editor as it was; "Importera
    // från fil..." hands the lines of a text file over, at their sorted places, as a change.
    void transfers()
    {
        Opened s;
        s.editor->setMarkedIndex(0);
        s.editor->cmdkopieraklippbok->click();
        QVERIFY(s.platform.clipboardCleared());
        QCOMPARE(s.platform.clipboard(), u"apa"_s);
        s.editor->cmdsnabbspara->click();
        s.editor->setMarkedIndex(1);
        QTest::keyClick(s.editor->List1, Qt::Key_F2);
        QCOMPARE(s.window->snabbsparaFönster().lista(), u"apa\r\nBil"_s);
        QVERIFY(!s.window->snabbsparaFönster().isVisible() && s.clean() && s.platform.boxes().isEmpty());

        s.folder.write(u"import.txt"_s, "Bj\xF6rn\r\n\r\nAbborre\r\n"_ba);
        whileOpen<frmimport>([&] { s.editor->cmdimport->click(); },
                             [&](frmimport &import) {
                                 import.setDirPath(s.folder.folder());
                                 import.File1->setCurrentRow(0);
                                 import.cmdläggtillalla->click();
                                 import.cmdstäng->click();
                             });
        QCOMPARE(s.lines(),
                 (QStringList{u"Abborre"_s, u"apa"_s, u"Bil"_s, u"Björn"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s}));
        QCOMPARE(s.editor->lblantal->text(), u"7 st ordspråk."_s);
        QVERIFY(s.changed());
    }

    // The menu entry opens the editor modally on the main window's collection, sorted.
    void opensModallyFromTheMenu()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, {u"b"_s, u"a"_s});
        frmmain &main = s.start();
        QStringList shown;
        whileOpen<frmredigera>([&] { main.mnuredigera_redigera->trigger(); },
                               [&](frmredigera &w) {
                                   shown = w.lista()->lines().toStringList();
                                   w.cmdavbryt->click();
                               });
        QCOMPARE(shown, (QStringList{u"a"_s, u"b"_s}));
        QVERIFY(!main.findChild<frmredigera *>());
    }
};

QTEST_MAIN(tst_frmredigera)
#include "tst_frmredigera.moc"
