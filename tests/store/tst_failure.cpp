#include "store/failure.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(store::Failure)

class tst_failure : public QObject {
    Q_OBJECT

private slots:
    void standardErrorMessage_data()
    {
        QTest::addColumn<store::Failure>("failure");
        QTest::addColumn<QString>("message");

        QTest::newRow("file not found") << store::Failure{53, u"X"_s} << u"Ett fel uppstod.\r\n53 - X"_s;
        QTest::newRow("overflow") << store::Failure{6, u"Spill"_s} << u"Ett fel uppstod.\r\n6 - Spill"_s;
        QTest::newRow("empty text") << store::Failure{75, QString()} << u"Ett fel uppstod.\r\n75 - "_s;
        QTest::newRow("text with line end")
            << store::Failure{57, u"a\r\nb"_s} << u"Ett fel uppstod.\r\n57 - a\r\nb"_s;
    }

    void standardErrorMessage()
    {
        QFETCH(store::Failure, failure);
        QFETCH(QString, message);
        QCOMPARE(store::standardErrorMessage(failure), message);
    }
};

QTEST_GUILESS_MAIN(tst_failure)
#include "tst_failure.moc"
