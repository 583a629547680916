#include "main/hiddenlist.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_hiddenlist : public QObject {
    Q_OBJECT

private slots:
    void modelStaysConsistentThroughEveryChange()
    {
        HiddenList list(u"List1"_s);
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.setItems({u"a"_s, u"b"_s, u"c"_s});
        list.addItem(u"d"_s);
        list.insertItem(0, u"först"_s);
        QVERIFY(!list.removeItem(2));
        list.clear();
        list.addItem(u"ensam"_s);
        QCOMPARE(list.items(), QStringList{u"ensam"_s});
        QCOMPARE(list.data(list.index(0), Qt::DisplayRole).toString(), u"ensam"_s);
        QCOMPARE(list.objectName(), u"List1"_s);
    }

    void selectionFollowsTheSelectedEntry()
    {
        HiddenList list(u"söklista"_s);
        list.setItems({u"a"_s, u"b"_s, u"c"_s});
        QCOMPARE(list.selectedIndex(), -1);
        QCOMPARE(list.selectedText(), QString());

        QVERIFY(!list.setSelectedIndex(1));
        QCOMPARE(list.selectedText(), u"b"_s);

        // An insertion before the selection keeps the same entry selected.
        list.insertItem(0, u"x"_s);
        QCOMPARE(list.selectedIndex(), 2);
        QCOMPARE(list.selectedText(), u"b"_s);

        // A removal before it does too; removing the selected entry leaves none selected.
        QVERIFY(!list.removeItem(0));
        QCOMPARE(list.selectedText(), u"b"_s);
        QVERIFY(!list.removeItem(1));
        QCOMPARE(list.selectedIndex(), -1);

        // New contents start without a selection.
        QVERIFY(!list.setSelectedIndex(0));
        list.setItems({u"q"_s});
        QCOMPARE(list.selectedIndex(), -1);
    }

    void selectionOutsideTheListIsAFailure_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("below -1") << -2;
        QTest::newRow("at the end") << 3;
        QTest::newRow("far beyond") << 1000;
    }

    void selectionOutsideTheListIsAFailure()
    {
        QFETCH(int, index);
        HiddenList list(u"List1"_s);
        list.setItems({u"a"_s, u"b"_s, u"c"_s});
        QVERIFY(!list.setSelectedIndex(2));
        QVERIFY(list.setSelectedIndex(index).has_value());
        QCOMPARE(list.selectedIndex(), 2); // unchanged
        QVERIFY(!list.setSelectedIndex(-1));
        QCOMPARE(list.selectedText(), QString());
    }

    void removingWithoutAnEntryIsAFailure()
    {
        HiddenList list(u"List1"_s);
        QVERIFY(list.removeItem(-1).has_value());
        QVERIFY(list.removeItem(0).has_value());
        list.addItem(u"a"_s);
        QVERIFY(list.removeItem(1).has_value());
        QCOMPARE(list.count(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_hiddenlist)
#include "tst_hiddenlist.moc"
