#include "platform/scriptedplatform.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace platform;

// The window tests rely on these answers of the test double, and on the busy pointer's way out.
class tst_scriptedplatform : public QObject {
    Q_OBJECT

private slots:
    void answersInOrderThenAsAUserWhoClosesTheBox_data()
    {
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<Answer>("unscripted");
        QTest::newRow("OK") << Buttons::Ok << Answer::Ok;
        QTest::newRow("Ja/Nej") << Buttons::YesNo << Answer::No;
        QTest::newRow("OK/Avbryt") << Buttons::OkCancel << Answer::Cancel;
        QTest::newRow("Ja/Nej/Avbryt") << Buttons::YesNoCancel << Answer::Cancel;
    }

    void answersInOrderThenAsAUserWhoClosesTheBox()
    {
        QFETCH(Buttons, buttons);
        QFETCH(Answer, unscripted);
        ScriptedPlatform p;
        p.setNextAnswer(Answer::Yes);
        p.setNextAnswer(Answer::Ok);
        QCOMPARE(p.messageBox(u"a"_s, buttons, Icon::Question), Answer::Yes);
        QCOMPARE(p.messageBox(u"b"_s, buttons, Icon::Question), Answer::Ok);
        QVERIFY(p.scriptUsedUp());
        QCOMPARE(p.messageBox(u"c"_s, buttons, Icon::Question), unscripted);
        p.setNextInput(u"Ny fil"_s);
        QCOMPARE(p.inputBox(u"Skriv ett namn"_s, u"Ny ordspråkfil"_s), u"Ny fil"_s);
        QCOMPARE(p.inputBox(u"Igen"_s, QString(), u"förslag"_s), QString()); // unscripted: Avbryt
        p.showStandardError({53, u"Filen hittades inte"_s});
        const auto boxes = p.takeBoxes();
        QCOMPARE(boxes.size(), 6);
        QCOMPARE(boxes[0].title, u"Tankedosan"_s);
        QCOMPARE(boxes[4].defaultText, u"förslag"_s);
        QCOMPARE(boxes[5].text, u"Ett fel uppstod.\r\n53 - Filen hittades inte"_s);
        QCOMPARE(boxes[5].buttons, Buttons::Ok);
        QCOMPARE(boxes[5].icon, Icon::Exclamation);
    }

    void busyPointerIsRestoredOnEveryWayOut()
    {
        ScriptedPlatform p;
        {
            BusyPointer busy(p);
            QCOMPARE(p.pointer(), Pointer::Busy);
        }
        {
            BusyPointer busy(p);
            busy.restore(); // an error trap restores it before its message
            QCOMPARE(p.pointer(), Pointer::Default);
        }
        // Restoring early does not restore twice.
        QCOMPARE(p.pointers(), (QList{Pointer::Busy, Pointer::Default, Pointer::Busy, Pointer::Default}));
    }
};

QTEST_GUILESS_MAIN(tst_scriptedplatform)
#include "tst_scriptedplatform.moc"
