#include "main/numbers.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_numbers : public QObject {
    Q_OBJECT

private slots:
    // Both conversions on the same texts; the strict one fails with 13 on what is not a number and with 6 on
    // what does not fit, where the lenient one takes the number in front and keeps it in range.
    void conversions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("strict"); // when strictFailure is 0
        QTest::addColumn<int>("strictFailure");
        QTest::addColumn<int>("lenient");
        const int max = 2147483647, min = -max - 1;
        const std::tuple<const char *, int, int, int> rows[] = {
            {"12", 12, 0, 12}, {"007", 7, 0, 7}, {"00", 0, 0, 0}, {"  5 ", 5, 0, 5}, {"+3", 3, 0, 3}, {"-4", -4, 0, -4},
            {"32768", 32768, 0, 32768}, {"2147483647", max, 0, max}, {"-2147483648", min, 0, min},
            {"2147483648", 0, 6, max}, {"-2147483649", 0, 6, min}, {"99999999999999999999999", 0, 6, max},
            {"", 0, 13, 0}, {"abc", 0, 13, 0}, {"12abc", 0, 13, 12}, {"-", 0, 13, 0}, {"1 2", 0, 13, 1},
            // Halves round to even, decided from the digits so that no binary fraction tips a half over.
            {"2.5", 2, 0, 2}, {"3.5", 4, 0, 4}, {"2.6", 3, 0, 3}, {"2.50001", 3, 0, 3}, {"2.05", 2, 0, 2}, {"-0.5", 0, 0, 0},
            {"-1.7", -2, 0, -2}, {".6", 1, 0, 1}, {" 7. ", 7, 0, 7}, {"2147483647.5", 0, 6, max}, {"2147483647.4", max, 0, max},
            {".", 0, 13, 0}, {"1.2.3", 0, 13, 1}, {"2,5", 0, 13, 2}, {"\u0661", 0, 13, 0}};
        for (const auto &[text, strict, failure, lenient] : rows)
            QTest::addRow("'%s'", text) << QString::fromUtf8(text) << strict << failure << lenient;
    }

    void conversions()
    {
        QFETCH(QString, text);
        QFETCH(int, strict);
        QFETCH(int, strictFailure);
        QFETCH(int, lenient);
        const auto result = numbers::strictNumber(text);
        if (strictFailure == 0) {
            QVERIFY(std::holds_alternative<int>(result));
            QCOMPARE(std::get<int>(result), strict);
        } else {
            QVERIFY(std::holds_alternative<store::Failure>(result));
            QCOMPARE(std::get<store::Failure>(result).number, strictFailure);
            QVERIFY(!std::get<store::Failure>(result).description.isEmpty());
        }
        QCOMPARE(numbers::lenientNumber(text), lenient);
    }
};

QTEST_GUILESS_MAIN(tst_numbers)
#include "tst_numbers.moc"
