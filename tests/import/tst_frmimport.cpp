#include "support/boxes.h"
#include "support/modal.h"

#include "import/frmimport.h"

using namespace Qt::StringLiterals;

class tst_frmimport : public QObject
{
    Q_OBJECT

private slots:
    // Normal files matching whole names listed, Enter filters, a folder that cannot be read reported; a clicked file
    // read in either encoding, empty lines skipped, one gone since reported; the marked line handed over (the next
    // then marked), dropped (the one before marked) or all.
    void browsingReadingAndHandingOver()
    {
        FolderFixture folder;
        const std::pair<QString, QByteArray> files[]{{u"a.txt"_s, "Borta bra\r\n\r\n   \r\nHemma b\xE4st\r\nsist"_ba},
                                                     {u"b.TXT"_s, "\xC3\xA5l och \xC3\xA4lg\n\xC3\xB6ga\n"_ba},
                                                     {u".dold.txt"_s, "x"_ba},
                                                     {u"c.dat"_s, "y"_ba},
                                                     {u"x12.txt"_s, "z"_ba}};
        for (const auto &[name, bytes] : files)
            folder.write(name, bytes);
        QDir(folder.folder()).mkdir(u"undermapp.txt"_s);
        platform::ScriptedPlatform platform;
        QStringList handed;
        QLabel count;
        QCheckBox changed;
        QPushButton save, undo;
        QComboBox box;
        const auto add = [&](const QString &line) {
            handed << line;
        };
        const auto size = [&] {
            return int(handed.size());
        };
        frmimport w(platform, {add, {}, size, &count, &changed, &save, &undo, &box});
        w.show();
        w.setDirPath(folder.folder());
        const auto click = [&](QAbstractItemView *list, int row) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(row, 0)).center());
            return w.importList().items().join(u'/') + u" | "_s + w.lblantal->text() + u' '
                   + QString::number(w.markedLine());
        };
        QCOMPARE(itemTexts(w.File1), (QStringList{u"a.txt"_s, u"b.TXT"_s, u"x12.txt"_s}));
        QCOMPARE(click(w.File1, 1), u"ål och älg/öga | 2 st rader -1"_s);
        QVERIFY(QFile::remove(folder.path(u"b.TXT"_s)));
        QCOMPARE(click(w.File1, 1), u" | 2 st rader -1"_s); // the failed read leaves the count
        w.setDirPath(folder.path(u"saknas"_s));
        w.txtpattern->setText(u"*.DAT ; ?.txt"_s);
        QTest::keyClick(w.txtpattern, Qt::Key_Return);
        QCOMPARE(itemTexts(w.File1), (QStringList{u"a.txt"_s, u"c.dat"_s}));
        QCOMPARE(click(w.File1, 0), u"Borta bra/   /Hemma bäst/sist | 4 st rader -1"_s);
        QStringList seen{click(w.List1, 1)};
        for (QPushButton *b :
             {w.cmdläggtill, w.cmdtabort, w.cmdtabort, w.cmdläggtill, w.cmdtabort, w.cmdläggtillalla}) {
            b->click();
            seen << w.importList().items().join(u'/') + u' ' + QString::number(w.markedLine());
        }
        QCOMPARE(seen.join(u", "_s), u"Borta bra/   /Hemma bäst/sist | 4 st rader 1, Borta bra/Hemma bäst/sist 1, "
                                     u"Borta bra/sist 0, sist -1, sist -1, sist -1,  -1"_s);
        QCOMPARE(handed, (QStringList{u"   "_s, u"sist"_s}));
        QVERIFY(w.isVisible() && changed.isChecked() && save.isEnabled() && !box.isEnabled()
                && count.text() == u"2 st ordspråk."_s);
        QCOMPARE(takeBoxes(platform),
                 (QStringList{u"error:53"_s, u"error:76"_s,
                              u"message|Felmeddelande|Ok|Exclamation|Ingen text markerad i listan!"_s}));
    }
};

QTEST_MAIN(tst_frmimport)
#include "tst_frmimport.moc"
