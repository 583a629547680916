#include "support/boxes.h"
#include "support/modal.h"

#include "import/frmimport.h"
#include "widgets/windowsetup.h"

using namespace Qt::StringLiterals;

namespace {

// The editor's side of the hand-over, as plain controls; saving and undoing start off.
struct FakeEditor
{
    QStringList lines;
    QLabel lblantal;
    QCheckBox chkändrad;
    QPushButton cmd1, cmd2;
    QComboBox comboordspråk;

    EditorHandOver handOver()
    {
        cmd1.setEnabled(false);
        cmd2.setEnabled(false);
        return {[this](const QString &line) { lines << line; },
                {},
                [this] { return int(lines.size()); },
                &lblantal,
                &chkändrad,
                &cmd1,
                &cmd2,
                &comboordspråk};
    }

    // What a hand-over leaves in the editor: the count, the change mark, saving and undoing on, the box off.
    void verifyTaken(int count) const
    {
        QCOMPARE(lines.size(), count);
        QCOMPARE(lblantal.text(), QString::number(count) + u" st ordspråk."_s);
        QVERIFY(chkändrad.isChecked() && cmd1.isEnabled() && cmd2.isEnabled() && !comboordspråk.isEnabled());
    }
};

// A folder with a Windows-1252 and a UTF-8 text file, a hidden one, another kind and a folder named like one.
struct Opened
{
    FolderFixture folder;
    platform::ScriptedPlatform platform;
    FakeEditor editor;
    std::unique_ptr<frmimport> window;

    Opened()
    {
        folder.write(u"a.txt"_s, "Borta bra\r\n\r\n   \r\nHemma b\xE4st"_ba);
        folder.write(u"b.TXT"_s, "\xC3\xA5l och \xC3\xA4lg\n\xC3\xB6ga\n"_ba);
        folder.write(u".dold.txt"_s, "x"_ba);
        folder.write(u"c.dat"_s, "y"_ba);
        QDir(folder.folder()).mkdir(u"undermapp.txt"_s);
        window = std::make_unique<frmimport>(platform, editor.handOver());
        window->show();
        window->setDirPath(folder.folder());
    }

    void click(const QString &file)
    {
        QListWidget *list = window->File1;
        const QRect rect = list->visualItemRect(list->item(int(itemTexts(list).indexOf(file))));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QStringList importList() const { return window->importList().items(); }
    QString count() const { return window->lblantal->text(); }
};

// A row of the marked-line table: the line marked (-1: none), "Lägg till" or "Ta bort", what is marked and left.
struct Marked
{
    int mark;
    bool add;
    int markedAfter;
    QStringList left;
};

} // namespace

class tst_frmimport : public QObject
{
    Q_OBJECT

private slots:
    void patternsMatchWholeNamesWithoutRegardToCase()
    {
        for (const auto &[name, patterns, matches] :
             std::initializer_list<std::tuple<QString, QString, bool>>{{u"A.TXT"_s, u"*.txt"_s, true},
                                                                       {u"a.dat"_s, u"*.txt ; *.DAT"_s, true},
                                                                       {u"a.txt.bak"_s, u"*.txt"_s, false},
                                                                       {u"x1.txt"_s, u"x?.txt"_s, true},
                                                                       {u"x12.txt"_s, u"x?.txt"_s, false},
                                                                       {u"Ödet.txt"_s, u"öd*"_s, true},
                                                                       {u"a.txt"_s, QString(), false}})
            QVERIFY2(importlogic::matchesPatterns(name, patterns) == matches, qPrintable(name + u" / "_s + patterns));
    }

    // A dialog as the others are: of a fixed size, in the middle of the screen, wherever the editor stands.
    void fixedSizeAndCentred()
    {
        platform::ScriptedPlatform platform;
        FakeEditor editor;
        QWidget editorWindow;
        editorWindow.setGeometry(10, 10, 200, 200);
        editorWindow.show();
        frmimport w(platform, editor.handOver(), &editorWindow);
        w.show();
        QCOMPARE(w.minimumSize(), w.maximumSize());
        // Placed before it is shown, when the frame it gets is not known yet: within that much.
        QVERIFY((w.frameGeometry().center() - w.screen()->availableGeometry().center()).manhattanLength() <= 8);
    }

    // The file list shows the matching normal files; Enter in the pattern box filters as "ok" does and
    // leaves the window open. A folder that cannot be read is reported and the lists stay where they were.
    void browsingAndPatterns()
    {
        Opened o;
        QCOMPARE(itemTexts(o.window->File1), (QStringList{u"a.txt"_s, u"b.TXT"_s}));
        o.window->txtpattern->setText(u"*.DAT;*.txt"_s);
        QTest::keyClick(o.window->txtpattern, Qt::Key_Return);
        QVERIFY(o.window->isVisible());
        QCOMPARE(itemTexts(o.window->File1), (QStringList{u"a.txt"_s, u"b.TXT"_s, u"c.dat"_s}));
        o.window->setDirPath(o.folder.path(u"undermapp.txt"_s));
        QCOMPARE(o.window->File1->count(), 0);
        o.window->setDirPath(o.folder.folder());
        QVERIFY(o.platform.boxes().isEmpty());
        o.window->setDirPath(o.folder.path(u"saknas"_s));
        QCOMPARE(takeBoxes(o.platform), QStringList{u"error:76"_s});
        QCOMPARE(QDir(o.window->dirPath()), QDir(o.folder.folder()));
        QCOMPARE(o.window->File1->count(), 3);
    }

    // Both encodings of a text file read with their letters intact; empty lines are skipped, blanks kept. A file
    // that vanished after it was listed is reported, and nothing of an earlier file stays in the list.
    void aClickedFileFillsTheImportList()
    {
        Opened o;
        o.click(u"a.txt"_s);
        QCOMPARE(o.importList(), (QStringList{u"Borta bra"_s, u"   "_s, u"Hemma bäst"_s}));
        o.click(u"b.TXT"_s);
        QCOMPARE(o.importList(), (QStringList{u"ål och älg"_s, u"öga"_s}));
        QCOMPARE(o.count(), u"2 st rader"_s);
        o.click(u"a.txt"_s);
        QVERIFY(QFile::remove(o.folder.path(u"b.TXT"_s)));
        o.click(u"b.TXT"_s);
        QCOMPARE(takeBoxes(o.platform), QStringList{u"error:53"_s});
        QVERIFY(o.importList().isEmpty());
    }

    // "Lägg till markerad" hands the line over and marks the one that followed; "Ta bort markerad" drops it
    // and marks the one before.
    void addingOrDroppingTheMarkedLine_data()
    {
        QTest::addColumn<Marked>("c");
        const QStringList all{u"Borta bra"_s, u"   "_s, u"Hemma bäst"_s};
        const QStringList outer{u"Borta bra"_s, u"Hemma bäst"_s};
        QTest::newRow("Lägg till") << Marked{1, true, 1, outer};
        QTest::newRow("Lägg till the last marks none") << Marked{2, true, -1, all.first(2)};
        QTest::newRow("Lägg till, none marked") << Marked{-1, true, -1, all};
        QTest::newRow("Ta bort") << Marked{1, false, 0, outer};
        QTest::newRow("Ta bort the first marks none") << Marked{0, false, -1, all.mid(1)};
        QTest::newRow("Ta bort, none marked: nothing") << Marked{-1, false, -1, all};
    }
    void addingOrDroppingTheMarkedLine()
    {
        QFETCH(Marked, c);
        const auto [mark, add, markedAfter, left] = c;
        Opened o;
        o.click(u"a.txt"_s);
        const QStringList before = o.importList();
        o.window->markLine(mark);
        (add ? o.window->cmdläggtill : o.window->cmdtabort)->click();
        const bool handed = add && mark >= 0;
        QCOMPARE(takeBoxes(o.platform),
                 add && !handed ? QStringList{u"message|Felmeddelande|Ok|Exclamation|Ingen text markerad i listan!"_s}
                                : QStringList());
        QCOMPARE(windowsetup::markedRow(o.window->List1), markedAfter);
        QCOMPARE(o.importList(), left);
        QCOMPARE(o.count(), u"%1 st rader"_s.arg(left.size()));
        if (handed) {
            o.editor.verifyTaken(1);
            QCOMPARE(o.editor.lines, QStringList{before[mark]});
        } else {
            QVERIFY(o.editor.lines.isEmpty() && !o.editor.chkändrad.isChecked());
        }
    }

    void addingAll()
    {
        Opened o;
        o.click(u"a.txt"_s);
        o.editor.lines << u"Hemma bäst"_s;
        o.window->cmdläggtillalla->click();
        o.editor.verifyTaken(4); // a line the editor already has is added again
        QCOMPARE(o.count(), u"0 st rader"_s);
        // Reading the file and handing a million lines over both take long: busy, then normal, each time.
        using platform::Pointer;
        QCOMPARE(o.platform.pointers(), (QList{Pointer::Busy, Pointer::Default, Pointer::Busy, Pointer::Default}));
        o.window->cmdläggtillalla->click();
        QCOMPARE(takeBoxes(o.platform),
                 QStringList{u"message|Felmeddelande|Ok|Exclamation|Ingen text att lägga till!"_s});
        QCOMPARE(o.editor.lines.size(), 4);
    }
};

QTEST_MAIN(tst_frmimport)
#include "tst_frmimport.moc"
