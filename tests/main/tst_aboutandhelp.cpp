#include "support/folderfixture.h"
#include "support/modal.h"

#include "main/frmhjalp.h"
#include "main/frmmain.h"
#include "main/frmom.h"
#include "main/twips.h"
#include "platform/scriptedplatform.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Started {
    FolderFixture folder;
    platform::ScriptedPlatform platform;
    std::unique_ptr<frmmain> window;

    void start()
    {
        window = std::make_unique<frmmain>(platform);
        window->show();
    }

    frmhjälp *help() const { return window->findChild<frmhjälp *>(u"frmhjälp"_s); }

    frmhjälp *openHelp() const
    {
        window->mnuhjälp_hjälp->trigger();
        return help();
    }
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
        s.start();
        QString shown;
        whileModal(
            [&] {
                if (byPicture)
                    QTest::mouseClick(s.window->Image1, Qt::LeftButton);
                else
                    s.window->mnuhjälp_om->trigger();
            },
            [&](QWidget *modal) {
                auto *about = dynamic_cast<frmOm *>(modal);
                QVERIFY(about);
                QCOMPARE(about->windowIcon().cacheKey(), s.window->windowIcon().cacheKey());
                QVERIFY(!about->Image1->pixmap().isNull());
                shown = about->Text1->toPlainText();
                QTest::mouseClick(about->cmdok, Qt::LeftButton);
            });
        // Built anew each time: nothing of it stays behind.
        QVERIFY(!s.window->findChild<frmOm *>(u"frmOm"_s));
        // Six lines, the third empty, the contact lines filled in, no line end after the last.
        const QStringList lines = shown.split(u'\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], u"Tankedosan v2.2"_s);
        QVERIFY(lines[2].isEmpty() && !lines[3].isEmpty());
        QVERIFY(lines[4].startsWith(u"Hemsida: "_s) && lines[5].startsWith(u"Epost: "_s) && lines[5].contains(u'@'));
    }

    void helpShowsTheFileByTheReadForm_data()
    {
        QTest::addColumn<QByteArray>("file"); // "-" for no help.txt
        QTest::addColumn<QString>("shown");

        QTest::newRow("three lines, the second empty") << "a\r\n\r\nc\r\n"_ba << u"a\n\nc\n"_s;
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("UTF-8 with byte-order mark") << "\xef\xbb\xbfs\xc3\xa5\r\n"_ba << u"så\n"_s;
        QTest::newRow("missing") << "-"_ba << u"Hjälpfil kunde inte hittas!"_s;
    }

    void helpShowsTheFileByTheReadForm()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, shown);
        Started s;
        if (file != "-")
            s.folder.write(u"help.txt"_s, file);
        s.start();
        frmhjälp *help = s.openHelp();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->Text1->toPlainText(), shown);
        QVERIFY(s.platform.boxes().isEmpty());
    }

    void helpIsModelessOpensOnceAndReadsAnewAfterClosing()
    {
        Started s;
        s.folder.write(u"help.txt"_s, "first\r\n"_ba);
        s.start();
        frmhjälp *help = s.openHelp();
        QVERIFY(!help->isModal());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(help->windowIcon().cacheKey(), s.window->windowIcon().cacheKey());

        s.folder.write(u"help.txt"_s, "second\r\n"_ba);
        help->setWindowState(Qt::WindowMinimized);
        QCOMPARE(s.openHelp(), help);
        QVERIFY(!help->isMinimized());
        QCOMPARE(s.window->findChildren<frmhjälp *>(u"frmhjälp"_s).size(), 1);
        QCOMPARE(help->Text1->toPlainText(), u"first\n"_s);

        QTest::mouseClick(help->Command1, Qt::LeftButton);
        flushDeletes();
        QVERIFY(!s.help());
        QCOMPARE(s.openHelp()->Text1->toPlainText(), u"second\n"_s);
    }

    void helpResizesWithinItsMinimum_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("expected");
        const QSize minimum = twips::size(4880, 4490);
        QTest::newRow("larger") << QSize(700, 500) << QSize(700, 500);
        QTest::newRow("too narrow") << QSize(100, 500) << QSize(minimum.width(), 500);
        QTest::newRow("too low") << QSize(700, 100) << QSize(700, minimum.height());
        QTest::newRow("too small both ways") << QSize(10, 10) << minimum;
    }

    void helpResizesWithinItsMinimum()
    {
        QFETCH(QSize, asked);
        QFETCH(QSize, expected);
        Started s;
        s.start();
        frmhjälp *help = s.openHelp();
        const QRect button = help->Command1->geometry();
        const QPoint textCorner = help->Text1->pos();
        help->resize(asked);
        QCOMPARE(help->size(), expected);
        // The margins around the text box stay as they were when the window opened.
        QCOMPARE(help->Text1->size(), expected - twips::size(5370 - 5175, 4545 - 3975));
        QCOMPARE(help->Text1->pos(), textCorner);
        QCOMPARE(help->Command1->geometry(), button);
    }

    void minimizingLeavesTheTextBoxAlone()
    {
        Started s;
        s.start();
        frmhjälp *help = s.openHelp();
        const QSize before = help->Text1->size();
        help->setWindowState(Qt::WindowMinimized);
        help->resize(900, 900);
        help->Form_Resize();
        QCOMPARE(help->Text1->size(), before);
    }
};

QTEST_MAIN(tst_aboutandhelp)
#include "tst_aboutandhelp.moc"
