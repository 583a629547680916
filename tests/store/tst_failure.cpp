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

    // Users look these numbers up; the path and the system's reason are what let them fix the problem.
    void numbersAndDetails_data()
    {
        QTest::addColumn<store::Failure>("failure");
        QTest::addColumn<int>("number");
        QTest::addColumn<QStringList>("mentions");

        namespace f = store::failures;
        const QString path = u"/mapp/Citat.dat"_s;
        QTest::newRow("invalid call") << f::invalidCall() << 5 << QStringList();
        QTest::newRow("overflow") << f::overflow() << 6 << QStringList();
        QTest::newRow("index out of range") << f::indexOutOfRange() << 9 << QStringList();
        QTest::newRow("type mismatch") << f::typeMismatch() << 13 << QStringList();
        QTest::newRow("name not allowed") << f::nameNotAllowed(u"a/b"_s) << 52
                                          << QStringList{u"a/b"_s, u"inte tillåtet"_s};
        QTest::newRow("file not found") << f::fileNotFound(path) << 53 << QStringList{path};
        QTest::newRow("io error") << f::ioError(path, u"Disken är full"_s) << 57
                                  << QStringList{path, u"Disken är full"_s};
        QTest::newRow("access denied") << f::accessDenied(path) << 70 << QStringList{path};
        QTest::newRow("path access") << f::pathAccessError(path, u"Is a directory"_s) << 75
                                     << QStringList{path, u"Is a directory"_s};
    }

    void numbersAndDetails()
    {
        QFETCH(store::Failure, failure);
        QFETCH(int, number);
        QFETCH(QStringList, mentions);
        QCOMPARE(failure.number, number);
        QVERIFY(!failure.description.isEmpty());
        for (const QString &text : mentions)
            QVERIFY2(failure.description.contains(text), qPrintable(failure.description));
    }
};

QTEST_GUILESS_MAIN(tst_failure)
#include "tst_failure.moc"
