// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "support/modal.h"
#include "support/systemfixtures.h"

#include "editor/frmredigera.h"
#include "import/frmimport.h"
#include "swedishreference.h"
#include "quicksave/frmsnabbspara.h"
#include "store/writtenform.h"
#include "widgets/collectionboxes.h"
#include "widgets/controls.h"

#include <QRandomGenerator>
#include <QScrollBar>

using namespace tankedosan::editor;
using namespace tankedosan::import;
using namespace tankedosan::quicksave;

namespace {

const QStringList kCitat{u"Zebra"_s, u"åsna"_s, u"apa"_s, u"Bil"_s, u"Åka"_s};

// The main window on "Citat" and the editor opened as the menu does, which reads no other (the first is gone).
struct Opened : Started
{
    std::unique_ptr<frmredigera> editor;

    explicit Opened(const QString &citat = u"Citat.dat"_s)
    {
        folder.writeCollection(u"Aforismer"_s, {u"a"_s});
        folder.write(citat, encodeLines(kCitat));
        folder.writeCollection(u"Djur"_s, {u"Katt"_s, u"hund"_s});
        start();
        QFile::remove(folder.path(u"Aforismer.dat"_s));
        editor = std::make_unique<frmredigera>(window->link(), platform);
        editor->takeCollectionsFromMain();
        editor->show();
        box = child<QComboBox>(editor, "comboordspråk");
        list = child<QListView>(editor, "List1");
        find = child<QLineEdit>(editor, "txtsök");
    }
    QComboBox *box;
    QListView *list;
    QLineEdit *find;
    QPushButton *button(const char *name) const { return child<QPushButton>(editor, name); }
    QStringList lines() const { return wholeRows(list); }
    // Whether "Spara", "Ångra" and the collection box can be used.
    int state() const { return button("cmd1")->isEnabled() + 2 * button("cmd2")->isEnabled() + 4 * box->isEnabled(); }
    QString side() const
    {
        return lines().join(u'/') + child<QLabel>(editor, "lblantal")->text()
               + QString::number(child<QCheckBox>(editor, "chkändrad")->isChecked() * 10 + state());
    }
    void type(const QString &text)
    {
        child<QLineEdit>(editor, "txtordspråk")->setText(text);
        QTest::keyClick(child<QLineEdit>(editor, "txtordspråk"), Qt::Key_Return);
    }
};

} // namespace

class tst_frmredigera : public QObject
{
    Q_OBJECT

private slots:
    // Random adds, clicks, removals, finds, copies, quick-saves, "Ångra" and "Spara" against a plain list.
    void modelOfTheEditor()
    {
        Opened s;
        child<ListBoxModel>(s.window, "söklista")->setItems({u"träff"_s});
        child<QRadioButton>(s.window, "optlista_sök")->setChecked(true);
        const QStringList pieces = u"a|A|b|å|Ä|ö| |ab|\r\n|\r|\n"_s.split(u'|'),
                          needles = u"|a|A|b|Å|ab|Ä|x"_s.split(u'|');
        QStringList model = kCitat, saved = kCitat, boxes, log;
        std::stable_sort(model.begin(), model.end(), referenceLess);
        QString main = child<ListBoxModel>(s.window, "List1")->items().join(u'/') + s.window->windowTitle() + u'0',
                text, clip, quick;
        int marked = -1, count = 5, changed = 0;
        QSet<int> seen;
        // Marks the first match from `from` on, else line 0 (an empty list has none); `from` -1: clicks `row`.
        const auto mark = [&](int from, int row = 0) {
            const QString needle = s.find->text().toLower();
            for (marked = from; from >= 0 && marked < model.size(); ++marked) {
                if (child<QComboBox>(s.editor, "combosök")->currentIndex() ? model[marked].toLower().contains(needle)
                                                                           : model[marked].toLower().startsWith(needle))
                    break;
            }
            marked = model.isEmpty() ? -1 : from < 0 ? row : marked < model.size() ? marked : 0;
            text = marked >= 0 ? model[marked] : u"Ett fel uppstod under sökning: 380 - Ogiltigt egenskapsvärde"_s;
            if (from < 0)
                clickRow(s.list, marked);
            seen << (marked < 0 ? 0 : from > 0 && marked == 0 ? 1 : 2);
        };
        QRandomGenerator random(1206);
        for (int step = 0; step < 500; ++step) {
            const int action = random.bounded(9), pick = random.bounded(1000), yes = pick % 3;
            log << u"%1.%2"_s.arg(action).arg(pick);
            switch (action < 7 || model.size() < 4 ? action : 0) { // adds while short, so that it empties at times
            case 0: // click a line (the first often), then remove the marked one, by the button or Delete
            case 1:
                if (pick % 4 && !model.isEmpty())
                    mark(-1, pick % 2 ? 0 : pick % model.size());
                if (action == 1 && yes == 0)
                    break;
                s.platform.setNextAnswer(yes ? Answer::Yes : Answer::No);
                pick % 5 < 2 ? QTest::keyClick(s.list, Qt::Key_Delete) : s.button("cmdtabort")->click();
                boxes << u"message|Radera?|YesNo|Question|Vill du radera markerat ordspråk ur datafilen?"_s;
                if (yes && marked >= 0) // the text box keeps the removed line: no other line is marked by it
                    model.removeAt((seen << 3 + (marked == 0), std::exchange(marked, -1)));
                changed = changed || yes;
                break;
            case 2: // type a find text into the emptied box, in either mode; Enter finds the next
                child<QComboBox>(s.editor, "combosök")->setCurrentIndex(pick % 2);
                if (pick % needles.size() || !s.find->text().isEmpty()) {
                    s.find->clear();
                    QTest::keyClicks(s.find, needles[pick % needles.size()]);
                    mark(0);
                }
                break;
            case 3:
                QTest::keyClick(s.find, Qt::Key_Return);
                mark(marked + 1);
                break;
            case 4: // "Ångra" keeps the list; "Spara"
            case 5:
                s.button(action == 4 ? "cmd2" : "cmd1")->click();
                if (action == 5 && changed) {
                    saved = model;
                    count = int(model.size());
                    main = saved.join(u'/') + u"Tankedosan -  %1 st1"_s.arg(count);
                }
                changed = 0;
                break;
            case 6: { // copy, or quick-save (button or F2) the marked line; the list's box keeps line feeds as breaks
                const QString line = marked < 0 ? QString() : model[marked];
                if (yes == 0) {
                    s.button("cmdkopieraklippbok")->click();
                    clip = line;
                    break;
                }
                yes == 1 ? s.button("cmdsnabbspara")->click() : QTest::keyClick(s.list, Qt::Key_F2);
                quick += (quick.isEmpty() ? u""_s : u"\r\n"_s) + QString(line).replace(u"\n"_s, u"\r\n"_s);
                break;
            }
            default: { // add a typed line, now and then an empty one; one with line ends adds the lines it holds
                const QString line = pick < 100 ? QString() : pieces[pick % 11] + pieces[pick / 11 % 11];
                s.type(line);
                if (line.isEmpty())
                    boxes << u"message|Inget att lägga till|Ok|Exclamation|Ingen text inskriven. Skriv in en text och "
                             u"försök igen."_s;
                for (const QString &part : line.split(QRegularExpression(u"\r\n?"_s), Qt::SkipEmptyParts)) {
                    const qsizetype at =
                        std::upper_bound(model.cbegin(), model.cend(), part, referenceLess) - model.cbegin();
                    marked += marked >= at;
                    model.insert(at, part);
                }
                count = line.isEmpty() ? count : int(model.size());
                changed = changed || !line.isEmpty();
            }
            }
            const QString actual = u"%1 | %2 | %3 %4 | %5 | %6 | %7 %8"_s.arg(
                s.lines().join(u'/') + u" | "_s + QString::number(markedRow(s.list)),
                child<QPlainTextEdit>(s.editor, "Text1")->toPlainText(), child<QLabel>(s.editor, "lblantal")->text(),
                QString::number(s.state() * 10 + s.editor->isVisible()),
                takeBoxes(s.platform).join(u';') + QString::number(int(s.platform.pointer())),
                QString::fromLatin1(s.folder.read(u"Citat.dat"_s)),
                child<ListBoxModel>(s.window, "List1")->items().join(u'/') + s.window->windowTitle()
                    + QString::number(child<QRadioButton>(s.window, "optlista_hela")->isChecked()),
                s.platform.clipboard() + u'|' + s.window->snabbsparaFönster().lista());
            const QString expected = u"%1 | %2 | %3 | %4 | %5 | %6 %7"_s.arg(
                model.join(u'/') + u" | "_s + QString::number(marked), text,
                u"%1 st ordspråk. %2"_s.arg(count).arg(changed ? 31 : 41), std::exchange(boxes, {}).join(u';') + u'0',
                saved.isEmpty() ? QString() : saved.join(u"\r\n"_s) + u"\r\n"_s, main, clip + u'|' + quick);
            QVERIFY2(actual == expected, qPrintable(log.mid(log.size() - 8).join(u' ') + u"\n   got "_s + actual
                                                    + u"\nwanted "_s + expected));
        }
        QCOMPARE(seen.size(), 5); // an empty list, Enter wrapping, other marks, the first and other lines removed
    }

    // A cancelled load keeps what was read; a pick loads once; "Spara" redoes the user's changes on a newer file.
    void loadingAndSavingAgainstTheFileAsItIs()
    {
        Opened s(u"Citat.DAT"_s);
        auto loads = [&, before = s.platform.pointers().count(Pointer::Busy)]() mutable {
            return s.platform.pointers().count(Pointer::Busy)
                   - std::exchange(before, s.platform.pointers().count(Pointer::Busy));
        };
        // The collection it opened on, picked again first thing, is read again as any pick of the chosen one.
        pick(s.box, s.box->currentIndex());
        QCOMPARE(loads(), 1);
        s.folder.write(u"Djur.dat"_s, QByteArray("Djur\r\n").repeated(3 << 20));
        progressAfterMs = 0;
        QStringList filled; // the bar at each step, per thousand; the third is cancelled
        s.platform.setOnProcessEvents([&] {
            auto *box = s.editor->findChild<QProgressDialog *>(u"progress"_s);
            if (box && (filled << QString::number(box->value())).size() == 3)
                box->cancel();
        });
        QTest::keyClick(s.box, Qt::Key_Down);
        QCOMPARE(s.box->currentText() + u'/' + s.lines().join(u'/'), u"Citat/apa/Bil/Zebra/Åka/åsna"_s);
        s.folder.write(u"Djur.dat"_s, "a"_ba); // a file of one byte, as Citat, is full at once
        QTest::keyClick(s.box, Qt::Key_Down);
        QTest::keyClick(s.box, Qt::Key_Up);
        QCOMPARE(filled.join(u' '), u"444 888 1000 1000 1000"_s);
        // A file of no size told on opening, longer than one read: how often its bar moves varies from run to run.
        QFile::remove(s.folder.path(u"Djur.dat"_s));
        QVERIFY(QFile::link(u"/proc/self/smaps"_s, s.folder.path(u"Djur.dat"_s)));
        QTest::keyClick(s.box, Qt::Key_Down);
        s.platform.setOnProcessEvents({});
        QVERIFY2(filled.size() > 5 && filled.count(u"0"_s) == filled.size() - 5, qPrintable(filled.join(u' ')));
        QTest::keyClick(s.box, Qt::Key_Up);
        QVERIFY(QFile::remove(s.folder.path(u"Djur.dat"_s)));
        const QByteArray utf16 = "\xFF\xFE\x62\0\r\0\n\0a\0\0\xD8x\0\r\0\n\0"_ba; // half a surrogate pair
        s.folder.write(u"Djur.dat"_s, utf16);
        loads();
        QTest::keyClick(s.box, Qt::Key_Down);
        QCOMPARE(s.lines().join(u'/') + QString::number(loads()), u"a\uFFFDx/b1"_s);
        EditorLink &link = *s.editor;
        link.takeLines(LineStore::fromStrings({u"d"_s}));
        link.takeLines(LineStore::fromStrings({u""_s})); // as typed: an empty line adds none
        s.button("cmd1")->click();
        QCOMPARE(s.folder.read(u"Djur.dat"_s) + takeBoxes(s.platform).value(0).left(6).toUtf8()
                     + s.lines().join(u'/').toUtf8(),
                 utf16 + "error:" + u"a\uFFFDx/b/d"_s.toUtf8());
        s.button("cmd2")->click();
        loads(); // the save sets the busy pointer too
        for (int row : {2, 1}) {
            pick(s.box, row);
            QCOMPARE(s.box->currentIndex() * 10 + loads(), row * 10 + 1);
        }
        s.type(u"Ny rad"_s);
        const QString ödlor = u"Ödlor "_s.repeated(60); // wider than the list, which never scrolls sideways
        link.takeLines(LineStore::fromStrings({ödlor}));
        for (int i = 0; i < 2; ++i) { // Bil, then the typed line, which was never saved
            clickRow(s.list, 1);
            s.platform.setNextAnswer(Answer::Yes);
            s.button("cmdtabort")->click();
        }
        // Another program adds Ko: the removal of Bil is redone on its file; once it removed Bil too, no longer.
        QString bil;
        for (const QStringList &other :
             {kCitat + QStringList{u"Ko"_s}, QStringList{u"Ko"_s, u"apa"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s},
              kCitat + QStringList{u"Ko"_s}}) {
            s.folder.write(u"Citat.DAT"_s, encodeLines(other));
            s.button("cmd1")->click();
            bil += QString::number(s.lines().contains(u"Bil"_s));
        }
        QCOMPARE(bil, u"001"_s);
        const QStringList merged{u"apa"_s, u"Bil"_s, u"Ko"_s, u"Zebra"_s, u"Åka"_s, u"åsna"_s, ödlor};
        QCoreApplication::processEvents();
        QCOMPARE(s.lines().join(u'/') + QString::number(s.state() + 10 * s.list->horizontalScrollBar()->isVisible()),
                 merged.join(u'/') + u"3"_s);
        QVERIFY(takeBoxes(s.platform).last().contains(u"dina ändringar görs om i den"_s));
        s.button("cmd1")->click();
        s.folder.writeCollection(u"Djur"_s, {u"Katt"_s});
        pick(s.box, 2);
        s.type(u"Björn"_s);
        s.button("cmd1")->click();
        QCOMPARE(QDir(s.folder.folder()).entryList(QDir::Files), (QStringList{u"Citat.DAT"_s, u"Djur.dat"_s}));
        QCOMPARE(s.folder.read(u"Citat.DAT"_s) + s.folder.read(u"Djur.dat"_s)
                     + child<ListBoxModel>(s.window, "List1")->items().join(u'/').toUtf8(),
                 encodeLines(merged) + encodeLines({u"Björn"_s, u"Katt"_s}) + merged.join(u'/').toUtf8());
        // A missing file is told during the load, the list stays; a file that is no collection keeps the count shown.
        QTest::keyClick(s.box, Qt::Key_Up);
        QTest::keyClick(s.box, Qt::Key_Up);
        QVERIFY(s.platform.boxes().size() == 1 && s.platform.boxes()[0].pointer == Pointer::Busy);
        s.folder.write(u"Djur.dat"_s, "Katt\r\n\0"_ba);
        pick(s.box, 2);
        const QStringList boxes = takeBoxes(s.platform);
        QCOMPARE(boxes.value(0) + u" | "_s + boxes.value(1).section(u"'' "_s, 1) + u" | "_s + s.side()
                     + QString::number(int(s.platform.pointer())),
                 u"message|Tankedosan|Ok|Exclamation|Filen ''Aforismer'' saknas i programkatalogen! | "
                 u"är ingen samling: den innehåller inte text. | 7 st ordspråk.140"_s);
    }

    // A collection that cannot be written says so on loading, in the window, and nothing can change its list;
    // "Spara" tells first that fortune's collection is only read here, naming its text, wherever it lies.
    void readOnlyCollectionIsToldOnLoading_data()
    {
        QTest::addColumn<QString>("locked"); // what is made read-only: the folder, Citat.dat or nothing
        QTest::addColumn<bool>("fortune"); // Citat.dat is fortune's index of the text Citat
        QTest::addColumn<QString>("told"); // the reason shown for Citat, Djur, and Aforismer (gone: a new file)
        QTest::addColumn<QString>("saved"); // the box of "Spara" on Citat
        const QString fortune =
            u"Samlingen i ''<dir>/Citat'' hör till ett annat program (fortune) och kan bara läsas här."_s;
        const QString folder = u"Mappen går inte att skriva i, så samlingen i ''<dir>/%1.dat'' kan bara läsas här."_s;
        const QString notice = u"message|Tankedosan|Ok|Exclamation|"_s + fortune + u" Ingenting har skrivits."_s;
        const QString lockedDjur = u'|' + folder.arg(u"Djur"_s) + u'|' + folder.arg(u"Aforismer"_s);
        QTest::newRow("fortune") << QString() << true << fortune + u"||"_s << notice;
        QTest::newRow("fortune, read-only folder") << u"folder"_s << true << fortune + lockedDjur << notice;
        QTest::newRow("read-only folder")
            << u"folder"_s << false << folder.arg(u"Citat"_s) + lockedDjur << u"error:70"_s;
        QTest::newRow("read-only file")
            << u"Citat.dat"_s << false
            << u"Filen ''<dir>/Citat.dat'' är skrivskyddad, så samlingen kan bara läsas här.||"_s << u"error:70"_s;
    }
    void readOnlyCollectionIsToldOnLoading()
    {
        QFETCH(QString, locked);
        QFETCH(bool, fortune);
        Opened s;
        if (fortune) { // four entries (offsets no reader needs), and its text
            s.folder.write(u"Citat.dat"_s,
                           QByteArray(44, '\0').replace(3, 1, "\2").replace(7, 1, "\4").replace(20, 1, "%"));
            s.folder.write(u"Citat"_s, "a och b\n%\nab\n  igen\n%\nab igen\n%\nc\n"_ba);
        }
        std::optional<ReadOnly> lock;
        if (!locked.isEmpty()
            && !lock.emplace(locked == u"folder"_s ? s.folder.folder() : s.folder.path(locked)).held())
            QSKIP("nothing can be made read-only here: root needs a mount namespace of its own");
        auto *reason = child<QLabel>(s.editor, "lblskrivskydd");
        QString told;
        for (int row : {1, 2, 0}) {
            pick(s.box, row);
            takeBoxes(s.platform); // Aforismer's, that it is missing
            const bool can = !reason->isVisible();
            if (!can) { // nor can the keys do what the buttons may not
                const QStringList lines = s.lines();
                clickRow(s.list, 0);
                QTest::keyClick(s.list, Qt::Key_Delete);
                s.type(u"ny"_s);
                QVERIFY(s.lines() == lines && takeBoxes(s.platform).isEmpty());
            }
            for (const char *name : {"cmdläggtill", "cmdtabort", "cmdimport"})
                QCOMPARE(s.button(name)->isEnabled(), can);
            QCOMPARE(child<QLineEdit>(s.editor, "txtordspråk")->isVisible(), can);
            QCOMPARE(reason->toolTip(), reason->text()); // whole, where a long name does not fit
            // On as many lines as it takes, all in sight.
            QVERIFY(can
                    || (reason->minimumSizeHint().width() <= reason->width()
                        && reason->heightForWidth(reason->width()) <= reason->height()));
            told += (row == 1 ? u""_s : u"|"_s) + (can ? QString() : reason->text());
            if (row == 1) {
                EditorLink &link = *s.editor; // as an import would hand a line over
                link.takeLines(LineStore::fromStrings({u"d"_s}));
                s.button("cmd1")->click();
                QTEST(takeBoxes(s.platform).join(u';').replace(s.folder.folder(), u"<dir>"_s), "saved");
                s.button("cmd2")->click();
            }
        }
        QTEST(told.replace(s.folder.folder(), u"<dir>"_s), "told");
    }

    // During a long check the list cannot change, nor the window close; "Avbryt" stops it; pending events run seldom.
    void longCheckCanBeCancelledAndLocksTheList()
    {
        Opened s;
        child<QLineEdit>(s.editor, "txtdublett")->setText(u"0"_s); // no count: the whole line, shown as empty
        s.button("cmddublett")->click(); // five different lines
        QCOMPARE(takeBoxes(s.platform) << child<QLineEdit>(s.editor, "txtdublett")->text(),
                 (QStringList{u"message|Dublettkontroll|Ok|Information|Inga dubletter funna bland citaten!"_s, {}}));
        qobject_cast<LineListModel *>(s.list->model())
            ->setLines(LineStore::fromStrings(FolderFixture::numbered(300000, u"rad"_s) << u"rad 1"_s << u"zzqq"_s));
        clickRow(s.list, 0);
        QList<int> widths; // of the progress strip, which starts empty
        s.platform.setOnProcessEvents([&] {
            widths << child<QWidget>(s.editor, "progress")->width();
            s.editor->close();
            s.type(u"ny"_s);
            QTest::keyClick(s.list, Qt::Key_Delete);
            s.button("cmdavbryt2")->click();
        });
        s.button("cmddublett")->click();
        auto *text = child<QPlainTextEdit>(s.editor, "Text1"); // scrolls for a short line too, as the classic box
        QVERIFY(s.editor->isVisible() && s.lines().size() == 300002 && takeBoxes(s.platform).size() == 1
                && text->verticalScrollBar()->isVisible());
        QCOMPARE(widths.value(0, -1), 0);
        s.platform.setOnProcessEvents({});
        const int calls = s.platform.processEventsCalls();
        s.button("cmddublett")->click();
        QVERIFY(s.platform.processEventsCalls() - calls < 200 && s.state() == 4
                && child<QWidget>(s.editor, "progress")->isHidden());
        QCOMPARE(s.folder.read(u"dublett-check.txt"_s), "rad 1\r\nrad 1\r\n\r\n\r\n\r\n"_ba);
        // A find that lands on the marked line again brings it back into sight, wherever the list was scrolled.
        QTest::keyClicks(s.find, u"zzq"_s);
        s.list->verticalScrollBar()->setValue(0);
        QTest::keyClicks(s.find, u"q"_s);
        QVERIFY(s.list->viewport()->rect().intersects(s.list->visualRect(s.list->currentIndex())));
    }

    // Import lists text files only and hands over the marked line, or all, to their sorted places in the editor.
    void importReadsAndHandsOver()
    {
        Opened s;
        s.folder.write(u"a.txt"_s, "Borta bra\r\n\r\n   \r\nHemma b\xE4st\r\nsist"_ba);
        s.folder.write(u".dold.txt"_s, "x"_ba);
        QStringList folders = u"mapp.TXT|f\\|b|B|a|c|E"_s.split(u'|'); // "f\\": a backslash is a letter
        for (int i = 10; i < 26; ++i) // more than a sort does one by one
            folders << u"d%1"_s.arg(i);
        for (const QString &name : folders)
            QVERIFY(QDir(s.folder.folder()).mkdir(name));
        s.folder.write(u"f\\/f.txt"_s, "F\xC3\xB6rst\n  och sist\n%\n\n%\nMitt\n"_ba); // fortune's: an entry a row
        whileOpen<frmimport>([&] { QTest::mouseClick(s.button("cmdimport"), Qt::LeftButton); },
                             [](frmimport &w) { w.close(); });
        frmimport w(s.platform, *s.editor, s.editor.get());
        auto *const Dir1 = child<QListWidget>(w, "Dir1");
        auto *const File1 = child<QListWidget>(w, "File1");
        auto *const lines = child<QListView>(w, "List1");
        auto *const pattern = child<QLineEdit>(w, "txtpattern");
        w.show();
        // The folders and files side by side in equal shares; the pattern between its label and its button.
        QVERIFY(Dir1->width() == File1->width() && child<QLabel>(w, "Label2")->geometry().right() < pattern->x()
                && pattern->geometry().right() < child<QPushButton>(w, "cmdpattern")->x()
                && pattern->y() == child<QPushButton>(w, "cmdpattern")->y());
        // It opens on the folder it was started from, two blanks deeper for each folder on the way down.
        const QString started = QDir::currentPath();
        const qsizetype depth = started.count(u'/') - started.endsWith(u'/');
        QCOMPARE(Dir1->currentItem()->text() + Dir1->currentItem()->data(Qt::UserRole).toString(),
                 QString(2 * depth, u' ') + (depth ? QFileInfo(started).fileName() : started) + started);
        w.setDirPath(s.folder.folder());
        QCOMPARE(itemTexts(File1), u"a.txt"_s);
        // Its folders by name in any letter case, the upper case first where only that differs.
        std::sort(folders.begin(), folders.end(), [](const QString &a, const QString &b) {
            return std::pair(a.toLower(), a) < std::pair(b.toLower(), b);
        });
        QStringList below;
        for (int row = Dir1->currentRow() + 1; row < Dir1->count(); ++row)
            below << Dir1->item(row)->text().trimmed();
        QCOMPARE(below, folders);
        clickRow(File1, 0);
        auto *const encoding = child<QComboBox>(w, "combokodning");
        QVERIFY(encoding->isEnabled()); // Windows-1252: the encoding could be another
        QStringList offered; // each by a name ICU knows, with words of its own
        for (int i = 0; i < encoding->count(); ++i)
            offered << (QStringDecoder(encoding->itemData(i).toString().toLatin1().constData()).isValid()
                                && encoding->itemText(i).endsWith(u')')
                            ? encoding->itemData(i).toString()
                            : encoding->itemText(i));
        QCOMPARE(offered.join(u' '), u"windows-1252 ISO-8859-1 ISO-8859-15 IBM850 IBM437 macintosh ISO-8859-2 "
                                     u"windows-1250 ISO-8859-3 ISO-8859-4 windows-1257 ISO-8859-5 windows-1251 KOI8-R "
                                     u"KOI8-U ISO-8859-7 ISO-8859-9"_s);
        clickRow(lines, 1);
        QStringList seen{wholeRows(lines).join(u'/') + u" | "_s + child<QLabel>(w, "lblantal")->text()};
        for (const char *b : {"cmdläggtill", "cmdtabort", "cmdtabort", "cmdläggtill", "cmdtabort", "cmdläggtillalla"}) {
            child<QPushButton>(w, b)->click();
            seen << wholeRows(lines).join(u'/') + u' ' + QString::number(markedRow(lines));
        }
        QCOMPARE(seen.join(u", "_s), u"Borta bra/   /Hemma bäst/sist | 4 st rader, Borta bra/Hemma bäst/sist 1, "
                                     u"Borta bra/sist 0, sist -1, sist -1, sist -1,  -1"_s);
        const QString editorSide = u"   /apa/Bil/sist/Zebra/Åka/åsna7 st ordspråk.13"_s;
        QCOMPARE(s.side(), editorSide);
        clickRow(File1, 0); // a file gone since it was listed: its error, and none of the lines read before
        QFile::remove(s.folder.path(u"a.txt"_s));
        clickRow(File1, 0);
        QVERIFY(wholeRows(lines).isEmpty() && s.side() == editorSide);
        QCOMPARE(takeBoxes(s.platform),
                 (QStringList{u"message|Felmeddelande|Ok|Exclamation|Ingen text markerad i listan!"_s, u"error:53"_s}));
        // A folder gone since it was listed: its error, and the folder list stays where it was.
        const QString folderList = itemTexts(Dir1);
        QVERIFY(QDir(s.folder.path(u"E"_s)).removeRecursively());
        clickRow(Dir1, Dir1->row(Dir1->findItems(u"E"_s, Qt::MatchEndsWith | Qt::MatchCaseSensitive).value(0)));
        QTest::keyClick(Dir1, Qt::Key_Return);
        QCOMPARE(takeBoxes(s.platform).last() + u' ' + itemTexts(Dir1), u"error:76 "_s + folderList);
        // Into a folder by Enter on it (or a double click).
        clickRow(Dir1, Dir1->row(Dir1->findItems(u"f\\"_s, Qt::MatchEndsWith).value(0)));
        QTest::keyClick(Dir1, Qt::Key_Return);
        clickRow(File1, 0);
        QCOMPARE(wholeRows(lines), (QStringList{u"Först och sist"_s, u"Mitt"_s}));
        QVERIFY(!encoding->isEnabled()); // UTF-8
        // ISO-8859-3 shown as Windows-1252 reads it until chosen, then as it will be added.
        s.folder.write(u"c/eo.txt"_s, "A\xF8o maljuna\r\n\xA6oj\r\n"_ba);
        w.setDirPath(s.folder.path(u"c"_s));
        clickRow(File1, 0);
        QStringList shown{wholeRows(lines).join(u'/')};
        pick(encoding, encoding->findData(u"ISO-8859-3"_s));
        shown << wholeRows(lines).join(u'/');
        child<QPushButton>(w, "cmdläggtillalla")->click();
        QCOMPARE(shown, (QStringList{u"Aøo maljuna/¦oj"_s, u"Aĝo maljuna/Ĥoj"_s}));
        QVERIFY(s.lines().contains(u"Aĝo maljuna"_s) && s.lines().contains(u"Ĥoj"_s));
        w.setDirPath(s.folder.path(u"f\\"_s));
        // Only "*" and "?" are wildcards; brackets are letters of a name. Patterns separated by ";", any case.
        s.folder.write(u"f\\/a[1].txt"_s, "a"_ba);
        s.folder.write(u"f\\/a1.txt"_s, "a"_ba);
        QStringList listed;
        for (const QString &patterns : {u"a[1].txt"_s, u" ?1.TXT; F.*"_s}) {
            pattern->setText(patterns);
            QTest::keyClick(pattern, Qt::Key_Return);
            listed << itemTexts(File1);
        }
        // A click on the folder list reads its files again.
        s.folder.write(u"f\\/b1.txt"_s, "b"_ba);
        clickRow(Dir1, Dir1->currentRow());
        listed << itemTexts(File1);
        QCOMPARE(listed, (QStringList{u"a[1].txt"_s, u"a1.txt/f.txt"_s, u"a1.txt/b1.txt/f.txt"_s}));
        // A folder gone since it was listed: its error, and the list as it was.
        QVERIFY(QDir(s.folder.path(u"f\\"_s)).removeRecursively());
        QTest::keyClick(pattern, Qt::Key_Return);
        QCOMPARE(itemTexts(File1) + u' ' + takeBoxes(s.platform).join(u';'), u"a1.txt/b1.txt/f.txt error:76"_s);
    }
};

QTEST_MAIN(tst_frmredigera)
#include "tst_frmredigera.moc"
