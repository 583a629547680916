#include "support/modal.h"

#include "main/frmhjalp.h"
#include "main/frmom.h"
#include "main/twips.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

frmhjälp *openHelp(frmmain &w)
{
    w.mnuhjälp_hjälp->trigger();
    return w.findChild<frmhjälp *>(u"frmhjälp"_s);
}

} // namespace

class tst_aboutandhelp : public QObject {
    Q_OBJECT

private slots:
    void aboutOpensModallyFromTheMenuAndThePicture_data()
    {
        QTest::addColumn<bool>("byPicture");
        QTest::newRow("Om ...") << false;
        QTest::newRow("click on Image1") << true;
    }

    void aboutOpensModallyFromTheMenuAndThePicture()
    {
        QFETCH(bool, byPicture);
        Started s;
        frmmain &w = s.start();
        QString shown;
        whileOpen<frmOm>(
            [&] { byPicture ? QTest::mouseClick(w.Image1, Qt::LeftButton) : w.mnuhjälp_om->trigger(); },
            [&](frmOm &about) {
                QCOMPARE(about.windowIcon().cacheKey(), w.windowIcon().cacheKey());
                QVERIFY(!about.Image1->pixmap().isNull());
                shown = about.Text1->toPlainText();
                QTest::mouseClick(about.cmdok, Qt::LeftButton);
            });
        QVERIFY(!w.findChild<frmOm *>(u"frmOm"_s)); // built anew each time
        // Six lines, the third empty, the contact lines filled in, no line end after the last.
        const QStringList lines = shown.split(u'\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], u"Tankedosan v2.2"_s);
        QVERIFY(lines[2].isEmpty() && !lines[3].isEmpty());
        QVERIFY(lines[4].startsWith(u"Hemsida: "_s) && lines[5].startsWith(u"Epost: "_s) && lines[5].contains(u'@'));
    }

    void helpShowsTheFileByTheReadForm_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no help.txt
        QTest::addColumn<QString>("shown");
        QTest::newRow("the second line empty") << "a\r\n\r\nc\r\n"_ba << u"a\n\nc\n"_s;
        QTest::newRow("empty file") << ""_ba << QString();
        QTest::newRow("UTF-8") << "\xef\xbb\xbfs\xc3\xa5\r\n"_ba << u"så\n"_s;
        QTest::newRow("missing") << QByteArray() << u"Hjälpfil kunde inte hittas!"_s;
    }

    void helpShowsTheFileByTheReadForm()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, shown);
        Started s;
        if (!file.isNull())
            s.folder.write(u"help.txt"_s, file);
        frmhjälp *help = openHelp(s.start());
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->Text1->toPlainText(), shown);
        QVERIFY(s.platform.boxes().isEmpty());
    }

    void helpIsModelessOpensOnceAndReadsAnewAfterClosing()
    {
        Started s;
        s.folder.write(u"help.txt"_s, "first\r\n"_ba);
        frmmain &w = s.start();
        frmhjälp *help = openHelp(w);
        QVERIFY(!help->isModal() && !QApplication::activeModalWidget());
        QCOMPARE(help->windowIcon().cacheKey(), w.windowIcon().cacheKey());

        s.folder.write(u"help.txt"_s, "second\r\n"_ba);
        help->setWindowState(Qt::WindowMinimized);
        QCOMPARE(openHelp(w), help);
        QVERIFY(!help->isMinimized());
        QCOMPARE(w.findChildren<frmhjälp *>(u"frmhjälp"_s).size(), 1);
        QCOMPARE(help->Text1->toPlainText(), u"first\n"_s);

        QTest::mouseClick(help->Command1, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w.findChild<frmhjälp *>(u"frmhjälp"_s));
        QCOMPARE(openHelp(w)->Text1->toPlainText(), u"second\n"_s);
    }

    void helpResizesWithinItsMinimum_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("expected");
        const QSize minimum = twips::size(4880, 4490);
        QTest::newRow("larger") << QSize(700, 500) << QSize(700, 500);
        QTest::newRow("too narrow") << QSize(100, 500) << QSize(minimum.width(), 500);
        QTest::newRow("too low") << QSize(700, 100) << QSize(700, minimum.height());
        QTest::newRow("too small") << QSize(10, 10) << minimum;
        QTest::newRow("minimized: the text box stays") << QSize(900, 900) << QSize();
    }

    void helpResizesWithinItsMinimum()
    {
        QFETCH(QSize, asked);
        QFETCH(QSize, expected);
        Started s;
        frmhjälp *help = openHelp(s.start());
        const QRect button = help->Command1->geometry();
        const QRect text = help->Text1->geometry();
        if (expected.isValid()) {
            help->resize(asked);
            QCOMPARE(help->size(), expected);
            // The margins around the text box stay as they were when the window opened.
            QCOMPARE(help->Text1->geometry(), QRect(text.topLeft(), expected - twips::size(5370 - 5175, 4545 - 3975)));
        } else {
            help->setWindowState(Qt::WindowMinimized);
            help->resize(asked);
            help->Form_Resize();
            QCOMPARE(help->Text1->geometry(), text);
        }
        QCOMPARE(help->Command1->geometry(), button);
    }
};

QTEST_MAIN(tst_aboutandhelp)
#include "tst_aboutandhelp.moc"
