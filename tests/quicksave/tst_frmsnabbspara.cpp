#include "support/boxes.h"
#include "support/modal.h"

#include "quicksave/frmsnabbspara.h"
#include "store/shown.h"

using namespace Qt::StringLiterals;
using platform::Answer;

namespace {

struct Quick : Started
{
    explicit Quick(const QStringList &proverbs = {u"A"_s, u"B"_s, u"C"_s})
    {
        folder.writeCollection(u"Citat"_s, proverbs);
        start();
    }

    frmsnabbspara *existing() const { return window->findChild<frmsnabbspara *>(u"frmsnabbspara"_s); }

    void putAside(int number)
    {
        window->txtnr->setText(QString::number(number));
        window->mnuarkiv_snabbspara->trigger();
    }

    // Opens the window from the menu, runs `inside` while it is up, then closes it with Stäng or the close box.
    void whileOpen(const std::function<void(frmsnabbspara &)> &inside, bool closeBox = false)
    {
        ::whileOpen<frmsnabbspara>([&] { window->mnuarkiv_öppnasnabbspara->trigger(); },
                                   [&](frmsnabbspara &w) {
                                       inside(w);
                                       closeBox ? (void)w.close() : QTest::mouseClick(w.cmdstäng, Qt::LeftButton);
                                   });
    }
};

// A row of the closing table: `edited` is the text the user leaves, or "Töm" for "Töm lista...", answered.
struct Closing
{
    bool closeBox;
    QString edited;
    Answer answer;
    QString afterNextPutAside;
};

} // namespace

class tst_frmsnabbspara : public QObject
{
    Q_OBJECT

private slots:
    // Putting aside does not show the window and takes the proverb whole, not the part the main window shows.
    // Hidden, the window does not hold up the end of the program, and its list stays.
    void putAsideWithoutShowingAndWhole()
    {
        const QString longProverb = QString(30000, u'x') + u" slut"_s;
        Quick s({u"A"_s, u"B"_s, longProverb});
        s.putAside(1);
        s.putAside(2);
        frmsnabbspara *quick = s.existing();
        QVERIFY(!quick->isVisible());
        QCOMPARE(quick->lista(), u"A\r\nB"_s);
        QVERIFY(quick->close());
        s.putAside(3);
        QVERIFY(s.window->pp->toPlainText().size() < longProverb.size());
        QCOMPARE(quick->lista(), u"A\r\nB\r\n"_s + longProverb);
        // Its box lays out no more of it than any view does, or a proverb of megabytes freezes the window.
        QVERIFY(quick->Text1->toPlainText().size() < store::kShownCharacters + 200);
        s.putAside(1);
        QCOMPARE(quick->lista(), u"A\r\nB\r\n"_s + longProverb + u"\r\nA"_s);
    }

    // Closing only hides the window; the list, as the user left it, takes the next proverb after a line break
    // of its own (none when empty).
    void closingKeepsTheListAndTheUsersEdits_data()
    {
        QTest::addColumn<Closing>("c");
        // The user's own trailing line break counts: the next proverb follows an empty line.
        QTest::newRow("Stäng") << Closing{false, u"A\nmitt eget\n"_s, Answer::Yes, u"A\nmitt eget\n\nC"_s};
        QTest::newRow("close box") << Closing{true, u"A\nmitt eget\n"_s, Answer::Yes, u"A\nmitt eget\n\nC"_s};
        QTest::newRow("emptied by hand") << Closing{false, QString(), Answer::Yes, u"C"_s};
        QTest::newRow("Töm, No keeps the list") << Closing{false, u"Töm"_s, Answer::No, u"A\nC"_s};
        QTest::newRow("Töm, Yes empties it") << Closing{false, u"Töm"_s, Answer::Yes, u"C"_s};
    }
    void closingKeepsTheListAndTheUsersEdits()
    {
        QFETCH(Closing, c);
        const auto &[closeBox, edited, answer, afterNextPutAside] = c;
        Quick s;
        s.putAside(1);
        frmsnabbspara *first = s.existing();
        s.platform.setNextAnswer(answer);
        s.whileOpen(
            [&](frmsnabbspara &w) {
                QCOMPARE(w.Text1->toPlainText(), u"A"_s);
                edited == u"Töm"_s ? QTest::mouseClick(w.cmdtöm, Qt::LeftButton) : w.Text1->setPlainText(edited);
            },
            closeBox);
        QCOMPARE(
            takeBoxes(s.platform),
            edited == u"Töm"_s
                ? QStringList{u"message|Töm lista?|YesNo|Question|Detta kommer att tömma listan!\r\nVill du göra detta?"_s}
                : QStringList());
        QCOMPARE(s.existing(), first);
        QVERIFY(!first->isVisible());
        s.putAside(3);
        s.whileOpen([&](frmsnabbspara &w) { QCOMPARE(w.Text1->toPlainText(), afterNextPutAside); });
    }

    // The save itself, and its failures, are the shared save's (the search window's tests and the fault tests).
    // Tab in the list moves on to "Spara..." and types nothing.
    void savingWritesTheListAndKeepsIt()
    {
        Quick s;
        s.putAside(1);
        s.putAside(2);
        s.platform.setNextInput(u"lista"_s);
        s.whileOpen([](frmsnabbspara &w) {
            w.Text1->setFocus();
            QTest::keyClick(w.Text1, Qt::Key_Tab);
            QCOMPARE(w.focusWidget(), w.cmdspara);
            QTest::mouseClick(w.cmdspara, Qt::LeftButton);
        });
        QCOMPARE(s.folder.read(u"lista.txt"_s), "A\r\nB\r\n"_ba);
        QCOMPARE(s.existing()->lista(), u"A\r\nB"_s);
    }
};

QTEST_MAIN(tst_frmsnabbspara)
#include "tst_frmsnabbspara.moc"
