#include "support/modal.h"

#include "editor/frmredigera.h"
#include "search/frmsok.h"
#include "store/module1.h"

using namespace Qt::StringLiterals;

// One run of the program as a user goes through it, with the real windows, from start to closing: the
// collections listed, a proverb shown by the remembered number, stepping with wrap-around, a search whose
// hits become the stepped list, an edit saved in sorted order that refreshes the main window, and the number
// remembered at closing.
class tst_road : public QObject {
    Q_OBJECT

private slots:
    void oneRunOfTheProgram()
    {
        Started s;
        QStringList citat = FolderFixture::numbered(20);
        citat[4] = u"Hunden skäller"_s;
        citat[16] = u"En glad HUND"_s;
        s.folder.writeCollection(u"Citat"_s, citat);
        s.folder.writeCollection(u"Djur"_s, {u"Katt"_s});
        s.folder.write(u"nr.ini"_s, "12\r\n"_ba);
        frmmain &w = s.start();

        // 1. Start.
        QCOMPARE(w.comboordspråk->currentText(), u"Citat"_s);
        QCOMPARE(w.comboordspråk->count(), 2);
        QCOMPARE(w.windowTitle(), u"Tankedosan -  20 st"_s);
        QCOMPARE(w.pp->toPlainText(), citat[11]);

        // 2. Nästa, and past the last proverb to the first.
        w.cmdnästa->click();
        QCOMPARE(w.txtnr->text(), u"13"_s);
        QCOMPARE(w.pp->toPlainText(), citat[12]);
        w.txtnr->setText(u"20"_s);
        w.cmdnästa->click();
        QCOMPARE(w.pp->toPlainText(), citat[0]);

        // 3 and 4. Sök "hund" by any occurrence, OK: the search list is what Nästa steps through.
        whileOpen<frmsök>([&] { w.cmdsök->click(); }, [&](frmsök &search) {
            QVERIFY(search.optsöksätt2->isChecked());
            search.Text1->setText(u"hund"_s);
            QTest::keyClick(search.Text1, Qt::Key_Return);
            QCOMPARE(search.lblresultat->text(), u"2 träffar"_s);
            search.cmdok->click();
        });
        QVERIFY(w.optlista_sök->isChecked());
        QCOMPARE(w.windowTitle(), u"Tankedosan - sökresultat - 2 st"_s);
        w.txtnr->setText(u"1"_s);
        QCOMPARE(w.pp->toPlainText(), citat[4]);
        w.cmdnästa->click();
        QCOMPARE(w.pp->toPlainText(), citat[16]);

        // 5. The editor on the same collection: a line added and saved.
        whileOpen<frmredigera>([&] { w.mnuredigera_redigera->trigger(); }, [&](frmredigera &editor) {
            editor.txtordspråk->setText(u"Aldrig för sent"_s);
            QTest::keyClick(editor.txtordspråk, Qt::Key_Return);
            editor.cmd1->click();
            editor.close();
        });
        QCOMPARE(s.folder.read(u"Citat.dat"_s).left(17), "Aldrig f\xF6r sent\r\n"_ba);
        QCOMPARE(w.List1->count(), 21);
        QCOMPARE(w.List1->item(0), u"Aldrig för sent"_s);
        QVERIFY(w.optlista_hela->isChecked());
        QCOMPARE(w.windowTitle(), u"Tankedosan -  21 st"_s);
        QCOMPARE(Module1::antal, 21);

        // 6. Closing remembers the number box.
        w.txtnr->setText(u"7"_s);
        QVERIFY(w.close());
        QCOMPARE(s.folder.read(u"nr.ini"_s), "7\r\n"_ba);
        QVERIFY(s.platform.boxes().isEmpty());
    }
};

QTEST_MAIN(tst_road)
#include "tst_road.moc"
