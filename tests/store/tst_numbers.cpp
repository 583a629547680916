#include "store/numbers.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Both conversions on the same text; the strict one fails with 13 on what is not a number and with 6 on what
// does not fit (strict is then 0), where the lenient one takes the number in front and keeps it in range.
struct Conversion
{
    const char *text;
    int strict, strictFailure, lenient;
};

class tst_numbers : public QObject
{
    Q_OBJECT

private slots:
    void conversions_data()
    {
        QTest::addColumn<Conversion>("c");
        const int max = 2147483647, min = -max - 1;
        const Conversion rows[] = {
            {"12", 12, 0, 12},
            {"007", 7, 0, 7},
            {"00", 0, 0, 0},
            {"  5 ", 5, 0, 5},
            {"+3", 3, 0, 3},
            {"-4", -4, 0, -4},
            {"32768", 32768, 0, 32768},
            {"2147483647", max, 0, max},
            {"-2147483648", min, 0, min},
            {"2147483648", 0, 6, max},
            {"-2147483649", 0, 6, min},
            {"99999999999999999999999", 0, 6, max},
            {"", 0, 13, 0},
            {"abc", 0, 13, 0},
            {"12abc", 0, 13, 12},
            {"-", 0, 13, 0},
            {"1 2", 0, 13, 1},
            // Halves round to even, decided from the digits so that no binary fraction tips a half over.
            {"2.5", 2, 0, 2},
            {"3.5", 4, 0, 4},
            {"2.6", 3, 0, 3},
            {"2.50001", 3, 0, 3},
            {"2.05", 2, 0, 2},
            {"-0.5", 0, 0, 0},
            {"-1.7", -2, 0, -2},
            {".6", 1, 0, 1},
            {" 7. ", 7, 0, 7},
            {"2147483647.5", 0, 6, max},
            {"2147483647.4", max, 0, max},
            {".", 0, 13, 0},
            {"1.2.3", 0, 13, 1},
            {"2,5", 0, 13, 2},
            {"\u0661", 0, 13, 0}};
        for (const Conversion &row : rows)
            QTest::addRow("'%s'", row.text) << row;
    }

    void conversions()
    {
        QFETCH(Conversion, c);
        const auto &[bytes, strict, strictFailure, lenient] = c;
        const QString text = QString::fromUtf8(bytes);
        const auto result = numbers::strictNumber(text);
        const auto *failure = std::get_if<store::Failure>(&result);
        QCOMPARE(failure ? failure->number : 0, strictFailure);
        QCOMPARE(failure ? 0 : std::get<int>(result), strict);
        QVERIFY(!failure || !failure->description.isEmpty());
        QCOMPARE(numbers::lenientNumber(text), lenient);
    }
};

QTEST_GUILESS_MAIN(tst_numbers)
#include "tst_numbers.moc"
