// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "support/modal.h"

#include "quicksave/frmsnabbspara.h"
#include "store/shown.h"

using namespace tankedosan::quicksave;

class tst_frmsnabbspara : public QObject
{
    Q_OBJECT

private slots:
    // Put aside whole, unseen, after the user's own line break; "Töm lista..." empties on Yes; long lines laid out cut.
    void putAsideEditAndEmpty()
    {
        const QString longProverb = QString(30000, u'x');
        Started s;
        s.folder.writeCollection(u"Citat"_s, {u"A"_s, u"B"_s, longProverb});
        frmsnabbspara &w = s.start().snabbsparaFönster();
        const auto putAside = [&](int number) {
            child<QLineEdit>(s.window, "txtnr")->setText(QString::number(number));
            child<QAction>(s.window, "mnuarkiv_snabbspara")->trigger();
            return w.isVisible() ? QString() : child<QPlainTextEdit>(w, "Text1")->toPlainText();
        };
        QCOMPARE(putAside(1), u"A"_s);
        w.show();
        child<QPlainTextEdit>(w, "Text1")->setPlainText(u"A\nmitt eget\n"_s);
        QTest::mouseClick(child<QPushButton>(w, "cmdstäng"), Qt::LeftButton);
        QCOMPARE(putAside(2), u"A\nmitt eget\n\nB"_s);
        for (const auto answer : {Answer::No, Answer::Yes}) {
            s.platform.setNextAnswer(answer);
            QTest::mouseClick(child<QPushButton>(w, "cmdtöm"), Qt::LeftButton);
            QCOMPARE(w.lista().isEmpty(), answer == Answer::Yes);
        }
        QCOMPARE(takeBoxes(s.platform),
                 QStringList(
                     2, u"message|Töm lista?|YesNo|Question|Detta kommer att tömma listan!\r\nVill du göra detta?"_s));
        QCOMPARE(putAside(2), u"B"_s);
        QVERIFY(putAside(3).size() < kShownCharacters + 200 && w.lista() == u"B\r\n"_s + longProverb);
        s.platform.setNextInput(u"lista"_s); // "Spara..." saves the long line whole, not as the box shows it
        QTest::mouseClick(child<QPushButton>(w, "cmdspara"), Qt::LeftButton);
        QCOMPARE(s.folder.read(u"lista.txt"_s), "B\r\n"_ba + longProverb.toLatin1() + "\r\n"_ba);
    }
};

QTEST_MAIN(tst_frmsnabbspara)
#include "tst_frmsnabbspara.moc"
