#include "support/boxes.h"
#include "support/modal.h"

#include "editor/frmredigera.h"
#include "import/frmimport.h"
#include "widgets/windowsetup.h"

using namespace Qt::StringLiterals;

class tst_frmimport : public QObject
{
    Q_OBJECT

private slots:
    // Only text files listed; empty lines skipped; the marked line handed over (the next then marked), dropped, or
    // all; the editor then holds them at their sorted places, shows its count and is in its changed state.
    void readingAndHandingOver()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, {u"Zebra"_s});
        s.folder.write(u"a.txt"_s, "Borta bra\r\n\r\n   \r\nHemma b\xE4st\r\nsist"_ba);
        s.folder.write(u".dold.txt"_s, "x"_ba);
        QDir(s.folder.folder()).mkdir(u"mapp.TXT"_s);
        s.start();
        frmredigera editor(s.window->link(), s.platform);
        editor.takeCollectionsFromMain();
        frmimport w(s.platform, editor, &editor);
        w.show();
        w.setDirPath(s.folder.folder());
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
        const auto editorSide = [&] {
            return editor.lista()->lines().toStringList().join(u'/') + editor.lblantal->text()
                   + QString::number(editor.chkändrad->isChecked() + 2 * editor.cmd1->isEnabled()
                                     + 4 * editor.cmd2->isEnabled() + 8 * editor.comboordspråk->isEnabled());
        };
        QCOMPARE(editorSide(), u"   /sist/Zebra3 st ordspråk.7"_s);
        click(w.File1, 0); // a file gone since it was listed: its error, and none of the lines read before
        QFile::remove(s.folder.path(u"a.txt"_s));
        click(w.File1, 0);
        QVERIFY(w.importList().items().isEmpty() && editorSide() == u"   /sist/Zebra3 st ordspråk.7"_s);
        QCOMPARE(takeBoxes(s.platform),
                 (QStringList{u"message|Felmeddelande|Ok|Exclamation|Ingen text markerad i listan!"_s, u"error:53"_s}));
    }
};

QTEST_MAIN(tst_frmimport)
#include "tst_frmimport.moc"
