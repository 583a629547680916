#include "support/folderfixture.h"

#include "import/frmimport.h"
#include "platform/scriptedplatform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using platform::ScriptedPlatform;

namespace {

QStringList texts(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// The editor's side of the hand-over, as plain controls.
struct FakeEditor {
    QStringList lines;
    QLabel lblantal;
    QCheckBox chkändrad{u"ändrad"_s};
    QPushButton cmd1{u"Spara"_s};
    QPushButton cmd2{u"Ångra"_s};
    QComboBox comboordspråk;

    EditorHandOver handOver()
    {
        cmd1.setEnabled(false);
        cmd2.setEnabled(false);
        return {[this](const QString &line) { lines << line; }, {}, [this] { return int(lines.size()); },
                &lblantal, &chkändrad, &cmd1, &cmd2, &comboordspråk};
    }
};

struct Opened {
    FolderFixture folder;
    ScriptedPlatform platform;
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
        const QRect rect = list->visualItemRect(list->item(int(texts(list).indexOf(file))));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QStringList importList() const { return window->importList().items(); }
};

} // namespace

class tst_frmimport : public QObject {
    Q_OBJECT

private slots:
    void patternsMatchWholeNamesWithoutRegardToCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<bool>("matches");
        QTest::newRow("letter case") << u"A.TXT"_s << u"*.txt"_s << true;
        QTest::newRow("second pattern") << u"a.dat"_s << u"*.txt;*.DAT"_s << true;
        QTest::newRow("blanks around patterns") << u"a.dat"_s << u"*.txt ; *.dat"_s << true;
        QTest::newRow("whole name only") << u"a.txt.bak"_s << u"*.txt"_s << false;
        QTest::newRow("question mark is one character") << u"x1.txt"_s << u"x?.txt"_s << true;
        QTest::newRow("question mark is not two") << u"x12.txt"_s << u"x?.txt"_s << false;
        QTest::newRow("Swedish letters") << u"Ödet.txt"_s << u"öd*"_s << true;
        QTest::newRow("no pattern") << u"a.txt"_s << QString() << false;
    }

    void patternsMatchWholeNamesWithoutRegardToCase()
    {
        QFETCH(QString, name);
        QFETCH(QString, patterns);
        QFETCH(bool, matches);
        QCOMPARE(importlogic::matchesPatterns(name, patterns), matches);
    }

    // The file list shows the matching normal files; Enter in the pattern box filters as "ok" does and
    // leaves the window open.
    void browsingAndPatterns()
    {
        Opened o;
        QCOMPARE(texts(o.window->File1), (QStringList{u"a.txt"_s, u"b.TXT"_s}));
        o.window->txtpattern->setText(u"*.DAT;*.txt"_s);
        QTest::keyClick(o.window->txtpattern, Qt::Key_Return);
        QVERIFY(o.window->isVisible());
        QCOMPARE(texts(o.window->File1), (QStringList{u"a.txt"_s, u"b.TXT"_s, u"c.dat"_s}));
        // Down into a folder and back: the folder list starts with the ancestors and the file list follows.
        o.window->setDirPath(o.folder.path(u"undermapp.txt"_s));
        QCOMPARE(o.window->File1->count(), 0);
        o.window->setDirPath(o.folder.folder());
        QCOMPARE(o.window->File1->count(), 3);
        QVERIFY(o.platform.boxes().isEmpty());
    }

    // A folder that cannot be read gives a message and the lists stay where they were.
    void anUnreadableFolderKeepsThePreviousOne()
    {
        Opened o;
        o.window->setDirPath(o.folder.path(u"saknas"_s));
        QCOMPARE(o.platform.boxes().size(), 1);
        QCOMPARE(o.platform.boxes().front().text.section(u" - "_s, 0, 0), u"Ett fel uppstod.\r\n76"_s);
        QCOMPARE(QDir(o.window->dirPath()), QDir(o.folder.folder()));
        QCOMPARE(o.window->File1->count(), 2);
    }

    // Both encodings of a text file read with their letters intact; empty lines are skipped, blanks kept.
    void aClickedFileFillsTheImportList()
    {
        Opened o;
        o.click(u"a.txt"_s);
        QCOMPARE(o.importList(), (QStringList{u"Borta bra"_s, u"   "_s, u"Hemma bäst"_s}));
        QCOMPARE(o.window->lblantal->text(), u"3 st rader"_s);
        o.click(u"b.TXT"_s);
        QCOMPARE(o.importList(), (QStringList{u"ål och älg"_s, u"öga"_s}));
        QCOMPARE(o.window->lblantal->text(), u"2 st rader"_s);
    }

    // A file that vanished after it was listed is reported; nothing of an earlier file stays in the list.
    void aVanishedFileIsReported()
    {
        Opened o;
        o.click(u"a.txt"_s);
        QVERIFY(QFile::remove(o.folder.path(u"b.TXT"_s)));
        o.click(u"b.TXT"_s);
        QCOMPARE(o.platform.boxes().size(), 1);
        QVERIFY(o.platform.boxes().front().text.startsWith(u"Ett fel uppstod.\r\n53 - "_s));
        QVERIFY(o.importList().isEmpty());
        QCOMPARE(o.window->lblantal->text(), u"3 st rader"_s);
    }

    void addingAndDroppingMarkedLines()
    {
        Opened o;
        o.click(u"a.txt"_s);
        o.window->markLine(1);
        o.window->cmdläggtill_Click();
        QCOMPARE(o.editor.lines, QStringList{u"   "_s});
        QCOMPARE(o.window->markedLine(), 1); // the line that followed
        QCOMPARE(o.editor.lblantal.text(), u"1 st ordspråk."_s);
        QVERIFY(o.editor.chkändrad.isChecked());
        QVERIFY(o.editor.cmd1.isEnabled() && o.editor.cmd2.isEnabled() && !o.editor.comboordspråk.isEnabled());
        o.window->cmdläggtill_Click(); // the last line: nothing is marked after it
        QCOMPARE(o.window->markedLine(), -1);
        QCOMPARE(o.window->lblantal->text(), u"1 st rader"_s);

        o.click(u"a.txt"_s);
        o.window->markLine(1);
        o.window->cmdtabort_Click();
        QCOMPARE(o.window->markedLine(), 0); // the line before
        o.window->cmdtabort_Click();
        QCOMPARE(o.window->markedLine(), -1); // the first line had none before it
        o.window->cmdtabort_Click(); // nothing marked: nothing happens, nothing is said
        QCOMPARE(o.importList(), QStringList{u"Hemma bäst"_s});
        QVERIFY(o.platform.boxes().isEmpty());

        o.window->cmdläggtill_Click();
        QCOMPARE(o.platform.boxes().size(), 1);
        const auto box = o.platform.boxes().front();
        QCOMPARE(box.text, u"Ingen text markerad i listan!"_s);
        QCOMPARE(box.title, u"Felmeddelande"_s);
        QCOMPARE(box.icon, platform::Icon::Exclamation);
        QCOMPARE(o.editor.lines.size(), 2);
    }

    void addingAll()
    {
        Opened o;
        o.click(u"a.txt"_s);
        o.editor.lines << u"Hemma bäst"_s;
        o.window->cmdläggtillalla_Click();
        QCOMPARE(o.editor.lines.size(), 4); // a line the editor already has is added again
        QCOMPARE(o.editor.lblantal.text(), u"4 st ordspråk."_s);
        QCOMPARE(o.window->lblantal->text(), u"0 st rader"_s);
        QVERIFY(o.editor.cmd1.isEnabled() && !o.editor.comboordspråk.isEnabled());
        o.window->cmdläggtillalla_Click();
        QCOMPARE(o.platform.boxes().size(), 1);
        QCOMPARE(o.platform.boxes().front().text, u"Ingen text att lägga till!"_s);
        QCOMPARE(o.editor.lines.size(), 4);
    }
};

QTEST_MAIN(tst_frmimport)
#include "tst_frmimport.moc"
