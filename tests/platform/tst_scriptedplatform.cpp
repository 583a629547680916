#include "support/scriptedplatform.h"

#include <QTest>

using namespace platform;

// The busy pointer, program code every long command goes through; the scripted answers of the test double
// are checked by every window test that answers a box.
class tst_scriptedplatform : public QObject {
    Q_OBJECT

private slots:
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
