// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "widgets/listboxmodel.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace Qt::StringLiterals;

// The lines themselves are the line store's, tested there; here the selection and the model's signals.
class tst_listboxmodel : public QObject
{
    Q_OBJECT

private slots:
    void selectionFollowsTheSelectedEntryAndStaysInTheList()
    {
        ListBoxModel list(u"söklista"_s);
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.setItems({u"a"_s, u"b"_s, u"c"_s});
        QCOMPARE(list.selectedText(), QString());
        QVERIFY(!list.setSelectedIndex(1));
        // An insertion or a removal before the selection keeps the same entry selected.
        list.insertItem(0, u"x"_s);
        QCOMPARE(list.selectedIndex(), 2);
        QVERIFY(!list.removeItem(0));
        QCOMPARE(list.selectedText(), u"b"_s);
        // Removing the selected entry leaves none selected; so do new contents.
        QVERIFY(!list.removeItem(1));
        QCOMPARE(list.selectedIndex(), -1);
        QVERIFY(!list.setSelectedIndex(0));
        list.setItems({u"a"_s, u"b"_s, u"c"_s});
        QCOMPARE(list.selectedIndex(), -1);
        // An entry outside the list is a failure that changes nothing; -1 clears the selection.
        QVERIFY(!list.setSelectedIndex(2));
        QVERIFY(list.setSelectedIndex(-2) && list.setSelectedIndex(3) && list.removeItem(-1) && list.removeItem(3));
        QCOMPARE(list.selectedIndex(), 2);
        QCOMPARE(list.count(), 3);
        QVERIFY(!list.setSelectedIndex(-1));
        QCOMPARE(list.selectedText(), QString());
    }
};

QTEST_GUILESS_MAIN(tst_listboxmodel)
#include "tst_listboxmodel.moc"
