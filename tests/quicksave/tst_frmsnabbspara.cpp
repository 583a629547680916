#include "support/folderfixture.h"
#include "support/modal.h"
#include "support/openfiles.h"

#include "main/frmmain.h"
#include "platform/scriptedplatform.h"
#include "quicksave/frmsnabbspara.h"
#include "quicksave/quicksavelist.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using platform::Answer;
using platform::ScriptedPlatform;

namespace {

struct Started {
    FolderFixture folder;
    ScriptedPlatform platform;
    std::unique_ptr<frmmain> window;

    explicit Started(const QStringList &proverbs = {u"A"_s, u"B"_s, u"C"_s})
    {
        folder.writeCollection(u"Citat"_s, proverbs);
        window = std::make_unique<frmmain>(platform);
        window->show();
    }

    frmsnabbspara *existing() const { return window->findChild<frmsnabbspara *>(u"frmsnabbspara"_s); }

    void putAside(int number)
    {
        window->txtnr->setText(QString::number(number));
        window->mnuarkiv_snabbspara->trigger();
    }

    // Opens the window from the menu, runs `inside` while it is up, and closes it with `close`.
    void whileOpen(const std::function<void(frmsnabbspara &)> &inside,
                   const std::function<void(frmsnabbspara &)> &close)
    {
        whileModal([&] { window->mnuarkiv_öppnasnabbspara->trigger(); },
                   [&](QWidget *modal) {
                       auto *quick = dynamic_cast<frmsnabbspara *>(modal);
                       QVERIFY(quick);
                       inside(*quick);
                       close(*quick);
                   });
    }
};

void byStäng(frmsnabbspara &w) { QTest::mouseClick(w.cmdstäng, Qt::LeftButton); }
void byCloseBox(frmsnabbspara &w) { w.close(); }

} // namespace

class tst_frmsnabbspara : public QObject {
    Q_OBJECT

private slots:
    void appendRule_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("proverb");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first proverb") << QString() << u"A"_s << u"A"_s;
        QTest::newRow("second proverb") << u"A"_s << u"B"_s << u"A\r\nB"_s;
        QTest::newRow("after the user's line break") << u"A\r\n"_s << u"B"_s << u"A\r\n\r\nB"_s;
        QTest::newRow("empty proverb on a list") << u"A"_s << QString() << u"A\r\n"_s;
        QTest::newRow("empty proverb on no list") << QString() << QString() << QString();
    }

    void appendRule()
    {
        QFETCH(QString, list);
        QFETCH(QString, proverb);
        QFETCH(QString, expected);
        QCOMPARE(quicksave::appended(list, proverb), expected);
    }

    void putAsideFromTheMainWindowWithoutShowing()
    {
        Started s;
        QVERIFY(!s.existing());
        s.putAside(1);
        s.putAside(2);
        frmsnabbspara *quick = s.existing();
        QVERIFY(quick);
        QVERIFY(!quick->isVisible());
        QCOMPARE(quick->lista(), u"A\r\nB"_s);
        QCOMPARE(quick->windowIcon().cacheKey(), s.window->windowIcon().cacheKey());
        // Hidden, it does not hold up the end of the program, and the list stays.
        QVERIFY(quick->close());
        QCOMPARE(quick->lista(), u"A\r\nB"_s);
    }

    void aLongProverbIsPutAsideWhole()
    {
        const QString longProverb = QString(30000, u'x') + u" slut"_s;
        Started s({longProverb});
        s.putAside(1);
        QVERIFY(s.window->pp->toPlainText().size() < longProverb.size());
        QCOMPARE(s.existing()->lista(), longProverb);
    }

    void openingBeforeAnyQuickSaveShowsAnEmptyList()
    {
        Started s;
        s.whileOpen([](frmsnabbspara &w) { QCOMPARE(w.Text1->toPlainText(), QString()); }, byStäng);
    }

    void closingKeepsTheListAndTheUsersEdits_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Stäng") << false;
        QTest::newRow("close box") << true;
    }

    void closingKeepsTheListAndTheUsersEdits()
    {
        QFETCH(bool, closeBox);
        Started s;
        s.putAside(1);
        frmsnabbspara *first = s.existing();
        s.whileOpen(
            [](frmsnabbspara &w) {
                QVERIFY(w.isVisible());
                QCOMPARE(w.Text1->toPlainText(), u"A"_s);
                w.Text1->setPlainText(u"A\nmitt eget\n"_s);
            },
            closeBox ? byCloseBox : byStäng);
        QCOMPARE(s.existing(), first);
        QVERIFY(!first->isVisible());
        // The user's own trailing line break counts: the next proverb follows an empty line.
        s.putAside(3);
        s.whileOpen([](frmsnabbspara &w) { QCOMPARE(w.Text1->toPlainText(), u"A\nmitt eget\n\nC"_s); }, byStäng);
    }

    void emptyingAsksFirst_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("afterNextPutAside");
        QTest::newRow("No keeps the list") << Answer::No << u"A\r\nB\r\nC"_s;
        QTest::newRow("Yes empties it") << Answer::Yes << u"C"_s;
    }

    void emptyingAsksFirst()
    {
        QFETCH(Answer, answer);
        QFETCH(QString, afterNextPutAside);
        Started s;
        s.putAside(1);
        s.putAside(2);
        s.platform.setNextAnswer(answer);
        s.whileOpen([](frmsnabbspara &w) { QTest::mouseClick(w.cmdtöm, Qt::LeftButton); }, byStäng);
        QCOMPARE(s.platform.boxes().size(), 1);
        const auto box = s.platform.boxes().front();
        QCOMPARE(box.text, u"Detta kommer att tömma listan!\r\nVill du göra detta?"_s);
        QCOMPARE(box.title, u"Töm lista?"_s);
        QCOMPARE(box.buttons, platform::Buttons::YesNo);
        QCOMPARE(box.icon, platform::Icon::Question);
        s.putAside(3);
        QCOMPARE(s.existing()->lista(), afterNextPutAside);
    }

    void savingWritesTheListAndKeepsIt_data()
    {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::addColumn<QString>("lastBox");
        QTest::newRow("saved") << false << u"Textfil sparad.\r\n"_s;
        QTest::newRow("failed") << true << u"Ett fel uppstod.\r\n"_s;
    }

    void savingWritesTheListAndKeepsIt()
    {
        QFETCH(bool, folderInTheWay);
        QFETCH(QString, lastBox);
        Started s;
        s.putAside(1);
        s.putAside(2);
        if (folderInTheWay) {
            // A folder by the file's name: the user agrees to replace it, and the write fails.
            QDir(s.folder.folder()).mkdir(u"lista.txt"_s);
            s.platform.setNextAnswer(Answer::Yes);
        }
        s.platform.setNextInput(u"lista"_s);
        const qsizetype openBefore = openFileCount();
        s.whileOpen([](frmsnabbspara &w) { QTest::mouseClick(w.cmdspara, Qt::LeftButton); }, byStäng);
        const auto boxes = s.platform.boxes();
        QCOMPARE(boxes.front().title, u"Spara sökresultat"_s);
        QVERIFY(boxes.back().text.startsWith(lastBox));
        if (!folderInTheWay)
            QCOMPARE(s.folder.read(u"lista.txt"_s), "A\r\nB\r\n"_ba);
        else
            QCOMPARE(boxes.back().icon, platform::Icon::Exclamation);
        QCOMPARE(s.existing()->lista(), u"A\r\nB"_s);
        QCOMPARE(openFileCount(), openBefore);
    }

    void aListEmptiedByHandTakesTheNextProverbAlone()
    {
        Started s;
        s.putAside(1);
        s.whileOpen([](frmsnabbspara &w) { w.Text1->clear(); }, byStäng);
        s.putAside(2);
        QCOMPARE(s.existing()->lista(), u"B"_s);
    }
};

QTEST_MAIN(tst_frmsnabbspara)
#include "tst_frmsnabbspara.moc"
