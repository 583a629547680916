#include "main/numbers.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<int>)

class tst_numbers : public QObject {
    Q_OBJECT

private slots:
    void strictNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<int>>("expected"); // nullopt: a failure
        QTest::addColumn<int>("failureNumber");

        QTest::newRow("plain") << u"12"_s << std::optional(12) << 0;
        QTest::newRow("leading zeros") << u"007"_s << std::optional(7) << 0;
        QTest::newRow("double zero is zero") << u"00"_s << std::optional(0) << 0;
        QTest::newRow("blanks around") << u"  5 "_s << std::optional(5) << 0;
        QTest::newRow("plus sign") << u"+3"_s << std::optional(3) << 0;
        QTest::newRow("negative") << u"-4"_s << std::optional(-4) << 0;
        QTest::newRow("beyond 16 bits") << u"32768"_s << std::optional(32768) << 0;
        QTest::newRow("a million") << u"1000000"_s << std::optional(1000000) << 0;
        QTest::newRow("largest") << u"2147483647"_s << std::optional(2147483647) << 0;
        QTest::newRow("smallest") << u"-2147483648"_s << std::optional(int(-2147483648LL)) << 0;
        QTest::newRow("one past largest") << u"2147483648"_s << std::optional<int>() << 6;
        QTest::newRow("one past smallest") << u"-2147483649"_s << std::optional<int>() << 6;
        QTest::newRow("many digits") << u"99999999999999999999999"_s << std::optional<int>() << 6;
        QTest::newRow("empty") << QString() << std::optional<int>() << 13;
        QTest::newRow("blanks only") << u"   "_s << std::optional<int>() << 13;
        QTest::newRow("letters") << u"abc"_s << std::optional<int>() << 13;
        QTest::newRow("trailing letters") << u"12abc"_s << std::optional<int>() << 13;
        QTest::newRow("sign only") << u"-"_s << std::optional<int>() << 13;
        QTest::newRow("blank inside") << u"1 2"_s << std::optional<int>() << 13;
        QTest::newRow("half rounds to even, down") << u"2.5"_s << std::optional(2) << 0;
        QTest::newRow("half rounds to even, up") << u"3.5"_s << std::optional(4) << 0;
        QTest::newRow("fraction above half") << u"2.6"_s << std::optional(3) << 0;
        QTest::newRow("just above half") << u"2.50001"_s << std::optional(3) << 0;
        QTest::newRow("below half after a zero") << u"2.05"_s << std::optional(2) << 0;
        QTest::newRow("negative half") << u"-0.5"_s << std::optional(0) << 0;
        QTest::newRow("negative fraction") << u"-1.7"_s << std::optional(-2) << 0;
        QTest::newRow("fraction only") << u".6"_s << std::optional(1) << 0;
        QTest::newRow("point at the end") << u" 7. "_s << std::optional(7) << 0;
        QTest::newRow("rounds past largest") << u"2147483647.5"_s << std::optional<int>() << 6;
        QTest::newRow("rounds down to largest") << u"2147483647.4"_s << std::optional(2147483647) << 0;
        QTest::newRow("point alone") << u"."_s << std::optional<int>() << 13;
        QTest::newRow("two points") << u"1.2.3"_s << std::optional<int>() << 13;
        QTest::newRow("comma is not a point") << u"2,5"_s << std::optional<int>() << 13;
        QTest::newRow("arabic-indic digits") << u"\u0661"_s << std::optional<int>() << 13;
    }

    void strictNumber()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<int>, expected);
        QFETCH(int, failureNumber);
        const auto result = numbers::strictNumber(text);
        if (expected) {
            QVERIFY(std::holds_alternative<int>(result));
            QCOMPARE(std::get<int>(result), *expected);
        } else {
            QVERIFY(std::holds_alternative<store::Failure>(result));
            const auto &failure = std::get<store::Failure>(result);
            QCOMPARE(failure.number, failureNumber);
            QVERIFY(!failure.description.isEmpty());
        }
    }

    void lenientNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");

        QTest::newRow("plain") << u"12"_s << 12;
        QTest::newRow("number then text") << u"12abc"_s << 12;
        QTest::newRow("not a number") << u"abc"_s << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("leading blanks") << u"  9"_s << 9;
        QTest::newRow("negative") << u"-3"_s << -3;
        QTest::newRow("plus") << u"+8"_s << 8;
        QTest::newRow("sign only") << u"-"_s << 0;
        QTest::newRow("half rounds to even, down") << u"2.5"_s << 2;
        QTest::newRow("half rounds to even, up") << u"3.5"_s << 4;
        QTest::newRow("fraction above half") << u"2.6"_s << 3;
        QTest::newRow("point only") << u"7."_s << 7;
        QTest::newRow("beyond 16 bits") << u"40000"_s << 40000;
        QTest::newRow("too large is kept in range") << u"99999999999"_s << 2147483647;
        QTest::newRow("too small is kept in range") << u"-99999999999"_s << int(-2147483648LL);
    }

    void lenientNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(numbers::lenientNumber(text), expected);
    }
};

QTEST_GUILESS_MAIN(tst_numbers)
#include "tst_numbers.moc"
