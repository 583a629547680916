#include "support/boxes.h"
#include "support/modal.h"

#include "import/frmimport.h"
#include "widgets/windowsetup.h"

using namespace Qt::StringLiterals;

class tst_frmimport : public QObject
{
    Q_OBJECT

private slots:
    // Only text files listed; empty lines skipped; the marked line handed over (the next then marked), dropped, or all.
    void readingAndHandingOver()
    {
        FolderFixture folder;
        folder.write(u"a.txt"_s, "Borta bra\r\n\r\n   \r\nHemma b\xE4st\r\nsist"_ba);
        folder.write(u".dold.txt"_s, "x"_ba);
        QDir(folder.folder()).mkdir(u"mapp.TXT"_s);
        platform::ScriptedPlatform platform;
        QStringList handed;
        QLabel count;
        QCheckBox changed;
        QPushButton save, undo;
        QComboBox box;
        const auto add = [&](const QString &line) {
            handed << line;
        };
        frmimport w(platform, {add, {}, [] { return 2; }, &count, &changed, &save, &undo, &box});
        w.show();
        w.setDirPath(folder.folder());
        const auto click = [&](QAbstractItemView *list, int row) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(row, 0)).center());
        };
        QCOMPARE(itemTexts(w.File1), QStringList{u"a.txt"_s});
        click(w.File1, 0);
        click(w.List1, 1);
        QStringList seen{w.importList().items().join(u'/') + u" | "_s + w.lblantal->text()};
        for (QPushButton *b :
             {w.cmdläggtill, w.cmdtabort, w.cmdtabort, w.cmdläggtill, w.cmdtabort, w.cmdläggtillalla}) {
            b->click();
            seen << w.importList().items().join(u'/') + u' ' + QString::number(windowsetup::markedRow(w.List1));
        }
        QCOMPARE(seen.join(u", "_s), u"Borta bra/   /Hemma bäst/sist | 4 st rader, Borta bra/Hemma bäst/sist 1, "
                                     u"Borta bra/sist 0, sist -1, sist -1, sist -1,  -1"_s);
        QCOMPARE(handed, (QStringList{u"   "_s, u"sist"_s}));
        QVERIFY(changed.isChecked() && save.isEnabled() && !box.isEnabled() && count.text() == u"2 st ordspråk."_s);
        click(w.File1, 0); // a file gone since it was listed: its error, and none of the lines read before
        QFile::remove(folder.path(u"a.txt"_s));
        click(w.File1, 0);
        QVERIFY(w.importList().items().isEmpty() && handed.size() == 2);
        QCOMPARE(takeBoxes(platform),
                 (QStringList{u"message|Felmeddelande|Ok|Exclamation|Ingen text markerad i listan!"_s, u"error:53"_s}));
    }
};

QTEST_MAIN(tst_frmimport)
#include "tst_frmimport.moc"
