#include "platform/scriptedplatform.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace platform;

// The window tests rely on these answers of the test double, and on the busy pointer's way out.
class tst_scriptedplatform : public QObject {
    Q_OBJECT

private slots:
    // Scripted answers come in order; then every box is answered as by a user who closes it.
    void answersInOrderThenAsAUserWhoClosesTheBox()
    {
        const std::pair<Buttons, Answer> closed[] = {{Buttons::Ok, Answer::Ok}, {Buttons::YesNo, Answer::No},
                                                     {Buttons::OkCancel, Answer::Cancel}, {Buttons::YesNoCancel, Answer::Cancel}};
        ScriptedPlatform p;
        for (const auto &[buttons, unscripted] : closed) {
            p.setNextAnswer(Answer::Yes);
            p.setNextAnswer(Answer::Ok);
            QCOMPARE(p.messageBox(u"a"_s, buttons, Icon::Question), Answer::Yes);
            QCOMPARE(p.messageBox(u"b"_s, buttons, Icon::Question), Answer::Ok);
            QVERIFY(p.scriptUsedUp());
            QCOMPARE(p.messageBox(u"c"_s, buttons, Icon::Question), unscripted);
        }
        p.setNextInput(u"Ny fil"_s);
        QCOMPARE(p.inputBox(u"Skriv ett namn"_s, u"Ny ordspråkfil"_s), u"Ny fil"_s);
        QCOMPARE(p.inputBox(u"Igen"_s, QString(), u"förslag"_s), QString()); // unscripted: Avbryt
        p.showStandardError({53, u"Filen hittades inte"_s});
        const auto boxes = p.takeBoxes();
        QCOMPARE(boxes.size(), 15);
        QCOMPARE(boxes[0].title, u"Tankedosan"_s);
        QCOMPARE(boxes[13].defaultText, u"förslag"_s);
        QCOMPARE(boxes[14].text, u"Ett fel uppstod.\r\n53 - Filen hittades inte"_s);
        QCOMPARE(boxes[14].buttons, Buttons::Ok);
        QCOMPARE(boxes[14].icon, Icon::Exclamation);
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
