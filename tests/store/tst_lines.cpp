#include "store/lines.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_lines : public QObject {
    Q_OBJECT

private slots:
    // Both readers share one table: they must agree on where lines end and differ only on empty lines.
    void readForm_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("nonEmpty");
        QTest::addColumn<QStringList>("all");

        const QString e; // an empty line
        QTest::newRow("empty file") << QByteArray() << QStringList() << QStringList();
        QTest::newRow("crlf lines") << "a\r\nb\r\n"_ba << QStringList{u"a"_s, u"b"_s}
                                    << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("last line without end") << "a\r\nb"_ba << QStringList{u"a"_s, u"b"_s}
                                               << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("empty line between") << "a\r\n\r\nb"_ba << QStringList{u"a"_s, u"b"_s}
                                            << QStringList{u"a"_s, e, u"b"_s};
        QTest::newRow("only line ends") << "\r\n\r\n"_ba << QStringList() << QStringList{e, e};
        QTest::newRow("leading empty line") << "\r\na"_ba << QStringList{u"a"_s} << QStringList{e, u"a"_s};
        QTest::newRow("lone cr ends a line") << "a\rb"_ba << QStringList{u"a"_s, u"b"_s}
                                             << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("two lone crs") << "a\r\rb"_ba << QStringList{u"a"_s, u"b"_s}
                                      << QStringList{u"a"_s, e, u"b"_s};
        QTest::newRow("cr then crlf") << "a\r\r\nb"_ba << QStringList{u"a"_s, u"b"_s}
                                      << QStringList{u"a"_s, e, u"b"_s};
        QTest::newRow("trailing lone cr") << "a\r"_ba << QStringList{u"a"_s} << QStringList{u"a"_s};
        QTest::newRow("lone cr only") << "\r"_ba << QStringList() << QStringList{e};
        // A file without any CR is a Unix text file; once a CR is there, an LF is text.
        QTest::newRow("unix lines") << "x\n\ny\n"_ba << QStringList{u"x"_s, u"y"_s} << QStringList{u"x"_s, e, u"y"_s};
        QTest::newRow("unix last line without end") << "x\ny"_ba << QStringList{u"x"_s, u"y"_s}
                                                    << QStringList{u"x"_s, u"y"_s};
        QTest::newRow("lone lf") << "\n"_ba << QStringList() << QStringList{e};
        QTest::newRow("one cr makes lfs text") << "x\ny\rz"_ba << QStringList{u"x\ny"_s, u"z"_s}
                                              << QStringList{u"x\ny"_s, u"z"_s};
        QTest::newRow("lf after crlf starts the next line") << "a\r\n\nb"_ba << QStringList{u"a"_s, u"\nb"_s}
                                                            << QStringList{u"a"_s, u"\nb"_s};
        QTest::newRow("lf before crlf") << "a\n\r\nb"_ba << QStringList{u"a\n"_s, u"b"_s}
                                        << QStringList{u"a\n"_s, u"b"_s};
        QTest::newRow("blanks are not empty") << "   "_ba << QStringList{u"   "_s} << QStringList{u"   "_s};
        QTest::newRow("tab line") << "\t\r\n"_ba << QStringList{u"\t"_s} << QStringList{u"\t"_s};
        QTest::newRow("windows-1252") << "\xE5l\r\n\x80"_ba << QStringList{u"ål"_s, u"€"_s}
                                      << QStringList{u"ål"_s, u"€"_s};
        QTest::newRow("utf-8 with bom") << "\xEF\xBB\xBF\xC3\xA5\r\n"_ba << QStringList{u"å"_s}
                                        << QStringList{u"å"_s};
        QTest::newRow("bom then empty line") << "\xEF\xBB\xBF\r\n"_ba << QStringList() << QStringList{e};
        QTest::newRow("bom then cr lf") << "\xEF\xBB\xBF\r\nx"_ba << QStringList{u"x"_s} << QStringList{e, u"x"_s};
        QTest::newRow("utf-8 without bom") << "\xC3\xA5\r\nx\r\n\xE2\x86\x92"_ba
                                           << QStringList{u"å"_s, u"x"_s, u"→"_s}
                                           << QStringList{u"å"_s, u"x"_s, u"→"_s};
        // One line that is not UTF-8 makes the whole file Windows-1252.
        QTest::newRow("encoding is per file") << "\xC3\xA5\r\n\xE5"_ba << QStringList{u"Ã¥"_s, u"å"_s}
                                              << QStringList{u"Ã¥"_s, u"å"_s};
        // Only the start of a file carries a byte-order mark; anywhere else U+FEFF is a character.
        QTest::newRow("feff alone on a line") << "\xEF\xBB\xBF" "a\r\n\xEF\xBB\xBF\r\n"_ba
                                              << QStringList{u"a"_s, u"\uFEFF"_s} << QStringList{u"a"_s, u"\uFEFF"_s};
        QTest::newRow("feff starting a line") << "x\r\n\xEF\xBB\xBFy"_ba << QStringList{u"x"_s, u"\uFEFFy"_s}
                                              << QStringList{u"x"_s, u"\uFEFFy"_s};
        QTest::newRow("two marks, the second is text") << "\xEF\xBB\xBF\xEF\xBB\xBFz"_ba
                                                       << QStringList{u"\uFEFFz"_s} << QStringList{u"\uFEFFz"_s};
        QTest::newRow("utf-16 le") << "\xFF\xFE\xE5\0\r\0\n\0\x3D\xD8\0\xDE"_ba
                                   << QStringList{u"å"_s, u"😀"_s} << QStringList{u"å"_s, u"😀"_s};
        QTest::newRow("utf-16 be, unix lines") << "\xFE\xFF\0a\0\n\0\n\x6F\x22"_ba
                                               << QStringList{u"a"_s, u"漢"_s} << QStringList{u"a"_s, e, u"漢"_s};
        QTest::newRow("multi-byte character split by cr")
            << "\xC3\r\xA5"_ba << QStringList{u"Ã"_s, u"¥"_s} << QStringList{u"Ã"_s, u"¥"_s};
    }

    void readForm()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, nonEmpty);
        QFETCH(QStringList, all);
        QCOMPARE(store::nonEmptyLines(bytes), nonEmpty);
        QCOMPARE(store::allLines(bytes), all);
    }

    // Line ends are found in the bytes before decoding: a long file must still give every line, in order.
    void manyLinesKeepTheirOrder()
    {
        QByteArray bytes;
        QStringList expected;
        for (int i = 0; i < 5000; ++i) {
            const QString line = u"rad %1 \u00E5"_s.arg(i);
            expected << line;
            bytes += "rad "_ba + QByteArray::number(i) + " \xE5"_ba + ((i % 3) ? "\r\n"_ba : "\r"_ba);
            if (i % 7 == 0)
                bytes += "\r\n"_ba;
        }
        QCOMPARE(store::nonEmptyLines(bytes), expected);
        QCOMPARE(store::allLines(bytes).size(), 5000 + (4999 / 7) + 1);
    }
};

QTEST_GUILESS_MAIN(tst_lines)
#include "tst_lines.moc"
