#include "platform/scriptedplatform.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace platform;

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
    }

    void recordsEveryBoxWithTheProgramTitleWhenNoneIsGiven()
    {
        ScriptedPlatform p;
        p.messageBox(u"Fråga?"_s, Buttons::YesNo, Icon::Question, u"Radera"_s);
        p.setNextInput(u"Ny fil"_s);
        QCOMPARE(p.inputBox(u"Skriv ett namn"_s, u"Ny ordspråkfil"_s), u"Ny fil"_s);
        QCOMPARE(p.inputBox(u"Igen"_s, QString(), u"förslag"_s), QString()); // unscripted: Cancel
        p.showStandardError({53, u"Filen hittades inte"_s});

        const auto boxes = p.takeBoxes();
        QCOMPARE(boxes.size(), 4);
        QCOMPARE(boxes[0].title, u"Radera"_s);
        QCOMPARE(boxes[0].icon, Icon::Question);
        QCOMPARE(boxes[1].kind, ScriptedPlatform::Box::Kind::Input);
        QCOMPARE(boxes[1].title, u"Ny ordspråkfil"_s);
        QCOMPARE(boxes[2].title, u"Tankedosan"_s);
        QCOMPARE(boxes[2].defaultText, u"förslag"_s);
        QCOMPARE(boxes[3].text, u"Ett fel uppstod.\r\n53 - Filen hittades inte"_s);
        QCOMPARE(boxes[3].buttons, Buttons::Ok);
        QCOMPARE(boxes[3].icon, Icon::Exclamation);
        QCOMPARE(boxes[3].title, u"Tankedosan"_s);
        QVERIFY(p.boxes().isEmpty());
    }

    void busyPointerIsRestoredOnEveryWayOut()
    {
        ScriptedPlatform p;
        {
            BusyPointer busy(p);
            QCOMPARE(p.pointer(), Pointer::Busy);
        }
        QCOMPARE(p.pointer(), Pointer::Default);
        {
            BusyPointer busy(p);
            busy.restore(); // an error trap restores it before its message
            QCOMPARE(p.pointer(), Pointer::Default);
        }
        // Restoring early does not restore twice.
        QCOMPARE(p.pointers(), (QList{Pointer::Busy, Pointer::Default, Pointer::Busy, Pointer::Default}));
    }

    void pendingEventsRunTheScriptedAction()
    {
        ScriptedPlatform p;
        int clicks = 0;
        p.setOnProcessEvents([&] { ++clicks; });
        p.processEvents();
        p.processEvents();
        QCOMPARE(clicks, 2);
        QCOMPARE(p.processEventsCalls(), 2);
    }

    void clipboardAndOpenedFilesAreRemembered()
    {
        ScriptedPlatform p;
        p.setClipboardText(u"gammalt"_s);
        p.clearClipboard();
        QVERIFY(p.clipboardCleared());
        QCOMPARE(p.clipboard(), QString());
        p.setClipboardText(u"Borta bra men hemma bäst."_s);
        QCOMPARE(p.clipboard(), u"Borta bra men hemma bäst."_s);
        QVERIFY(p.openWithAssociatedProgram(u"/tmp/dublett-check.txt"_s));
        QCOMPARE(p.openedFiles(), QStringList{u"/tmp/dublett-check.txt"_s});
    }
};

QTEST_GUILESS_MAIN(tst_scriptedplatform)
#include "tst_scriptedplatform.moc"
