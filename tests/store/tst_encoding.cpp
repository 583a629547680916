#include "store/encoding.h"
#include "store/lines.h"

#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(store::TextEncoding)

namespace {
const QByteArray kBom = "\xEF\xBB\xBF"_ba;
}

class tst_encoding : public QObject {
    Q_OBJECT

private slots:
    void windows1252ToUnicode_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("expected");

        QTest::newRow("nul") << 0x00 << 0x0000;
        QTest::newRow("ascii A") << 0x41 << 0x0041;
        QTest::newRow("delete") << 0x7F << 0x007F;
        QTest::newRow("euro") << 0x80 << 0x20AC;
        QTest::newRow("undefined 81") << 0x81 << 0x0081;
        QTest::newRow("low quote") << 0x82 << 0x201A;
        QTest::newRow("S caron") << 0x8A << 0x0160;
        QTest::newRow("undefined 8D") << 0x8D << 0x008D;
        QTest::newRow("Z caron") << 0x8E << 0x017D;
        QTest::newRow("undefined 8F") << 0x8F << 0x008F;
        QTest::newRow("undefined 90") << 0x90 << 0x0090;
        QTest::newRow("en dash") << 0x96 << 0x2013;
        QTest::newRow("em dash") << 0x97 << 0x2014;
        QTest::newRow("trade mark") << 0x99 << 0x2122;
        QTest::newRow("undefined 9D") << 0x9D << 0x009D;
        QTest::newRow("Y diaeresis") << 0x9F << 0x0178;
        QTest::newRow("no-break space") << 0xA0 << 0x00A0;
        QTest::newRow("a ring") << 0xE5 << 0x00E5;
        QTest::newRow("A diaeresis") << 0xC4 << 0x00C4;
        QTest::newRow("y diaeresis") << 0xFF << 0x00FF;
    }

    void windows1252ToUnicode()
    {
        QFETCH(int, byte);
        QFETCH(int, expected);
        QCOMPARE(int(store::windows1252ToUnicode(static_cast<unsigned char>(byte))), expected);
        const char raw = static_cast<char>(byte);
        QCOMPARE(store::decodeWindows1252(QByteArrayView(&raw, 1)), QString(QChar(char16_t(expected))));
    }

    // Every byte must come back as itself, otherwise an unedited file changes when it is saved.
    void everyByteRoundTrips()
    {
        QSet<int> seen;
        for (int b = 0; b < 256; ++b) {
            const char16_t c = store::windows1252ToUnicode(static_cast<unsigned char>(b));
            QVERIFY2(!seen.contains(c), qPrintable(u"byte %1 shares its character"_s.arg(b)));
            seen.insert(c);
            const QString text(QChar{c});
            QVERIFY2(store::fitsWindows1252(text), qPrintable(u"byte %1 does not fit"_s.arg(b)));
            QByteArray out = "x"_ba;
            store::appendWindows1252(out, text);
            QCOMPARE(out, "x"_ba + char(b));
        }
    }

    void fitsWindows1252_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fits");

        // The 27 characters outside Latin-1 that Windows-1252 puts in 0x80..0x9F.
        const QString highHalf = u"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u017D"
                                 u"\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u017E"
                                 u"\u0178"_s;
        for (QChar c : highHalf)
            QTest::addRow("high half U+%04X", c.unicode()) << QString(c) << true;
        for (char16_t c : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            QTest::addRow("undefined U+%04X", unsigned(c)) << QString(QChar(c)) << true;
        QTest::newRow("whole high half together") << highHalf << true;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("ascii and latin-1") << u"Ordspråk: Äta är gött! ÿ ×"_s << true;
        QTest::newRow("C1 80 (byte is the euro)") << u"\u0080"_s << false;
        QTest::newRow("C1 96 (byte is the en dash)") << u"\u0096"_s << false;
        QTest::newRow("C1 99") << u"\u0099"_s << false;
        QTest::newRow("C1 9F") << u"\u009F"_s << false;
        QTest::newRow("A macron") << u"Ā"_s << false;
        QTest::newRow("han") << u"漢"_s << false;
        QTest::newRow("arrow") << u"→"_s << false;
        QTest::newRow("emoji") << u"😀"_s << false;
        QTest::newRow("one misfit at the end") << u"Citat å→"_s << false;
    }

    void fitsWindows1252()
    {
        QFETCH(QString, text);
        QFETCH(bool, fits);
        QCOMPARE(store::fitsWindows1252(text), fits);
    }

    void detectAndDecode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<store::TextEncoding>("encoding");
        QTest::addColumn<QString>("text");

        using E = store::TextEncoding;
        QTest::newRow("empty") << QByteArray() << E::Windows1252 << QString();
        QTest::newRow("pure ascii") << "Borta bra men hemma"_ba << E::Windows1252 << u"Borta bra men hemma"_s;
        QTest::newRow("bom only") << kBom << E::Utf8 << QString();
        QTest::newRow("bom and ascii") << kBom + "abc"_ba << E::Utf8 << u"abc"_s;
        QTest::newRow("bom and a ring") << kBom + "\xC3\xA5"_ba << E::Utf8 << u"å"_s;
        QTest::newRow("utf-8 two bytes") << "r\xC3\xA5tt"_ba << E::Utf8 << u"rått"_s;
        QTest::newRow("utf-8 three bytes") << "\xE2\x82\xAC"_ba << E::Utf8 << u"€"_s;
        QTest::newRow("utf-8 four bytes") << "\xF0\x9F\x98\x80"_ba << E::Utf8 << u"😀"_s;
        QTest::newRow("utf-8 after long ascii") << "abcdefghijklmnopq\xC3\xA5"_ba << E::Utf8
                                                << u"abcdefghijklmnopqå"_s;
        QTest::newRow("lone a ring") << "\xE5"_ba << E::Windows1252 << u"å"_s;
        QTest::newRow("a ring before ascii") << "\xE5ngen"_ba << E::Windows1252 << u"ången"_s;
        QTest::newRow("high byte inside long ascii") << "abcdefghij\xE5klmnop"_ba << E::Windows1252
                                                     << u"abcdefghijåklmnop"_s;
        QTest::newRow("lone continuation byte") << "\x80"_ba << E::Windows1252 << u"€"_s;
        QTest::newRow("overlong nul") << "\xC0\x80"_ba << E::Windows1252 << u"À€"_s;
        QTest::newRow("overlong slash") << "\xE0\x80\xAF"_ba << E::Windows1252 << u"à€¯"_s;
        QTest::newRow("surrogate") << "\xED\xA0\x80"_ba << E::Windows1252 << u"í\u00A0€"_s;
        QTest::newRow("above U+10FFFF") << "\xF4\x90\x80\x80"_ba << E::Windows1252 << u"ô\u0090€€"_s;
        QTest::newRow("F8 lead byte") << "\xF8\x88\x80\x80\x80"_ba << E::Windows1252 << u"øˆ€€€"_s;
        QTest::newRow("truncated at the end") << "a\xC3"_ba << E::Windows1252 << u"aÃ"_s;
        QTest::newRow("truncated three bytes") << "\xE2\x82"_ba << E::Windows1252 << u"â\u201A"_s;
        QTest::newRow("valid then invalid") << "\xC3\xA5 \xE5"_ba << E::Windows1252 << u"Ã¥ å"_s;
        QTest::newRow("bad continuation") << "\xC3(x"_ba << E::Windows1252 << u"Ã(x"_s;
        // A mark in front of bytes that are not UTF-8 would cost those bytes at the next save.
        QTest::newRow("bom before invalid utf-8") << kBom + "\xE5"_ba << E::Windows1252 << u"ï»¿å"_s;
    }

    void detectAndDecode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(store::TextEncoding, encoding);
        QFETCH(QString, text);
        QCOMPARE(store::detectEncoding(bytes), encoding);
        QCOMPARE(store::decodeText(bytes), text);
    }

    // A view ending inside a character must be judged on its own bytes, not on what lies past its end.
    void truncatedViewIsNotUtf8()
    {
        const QByteArray whole = "abc\xC3\xA5"_ba;
        const QByteArrayView view(whole.constData(), 4);
        QCOMPARE(store::detectEncoding(view), store::TextEncoding::Windows1252);
        QCOMPARE(store::decodeText(view), u"abc\u00C3"_s);
        QCOMPARE(store::detectEncoding(whole), store::TextEncoding::Utf8);
    }

    void encodeLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("no lines") << QStringList() << QByteArray();
        QTest::newRow("one empty line keeps its end") << QStringList{QString()} << "\r\n"_ba;
        QTest::newRow("ascii") << QStringList{u"a"_s, u"b c"_s} << "a\r\nb c\r\n"_ba;
        QTest::newRow("latin-1") << QStringList{u"Åsa äter ö"_s} << "\xC5sa \xE4ter \xF6\r\n"_ba;
        QTest::newRow("high half") << QStringList{u"€–—™"_s} << "\x80\x96\x97\x99\r\n"_ba;
        QTest::newRow("undefined bytes") << QStringList{u"\u0081\u009D"_s} << "\x81\x9D\r\n"_ba;
        QTest::newRow("lf inside a line") << QStringList{u"x\ny"_s} << "x\ny\r\n"_ba;
        QTest::newRow("han") << QStringList{u"漢"_s} << kBom + "\xE6\xBC\xA2\r\n"_ba;
        QTest::newRow("one misfit turns the whole file")
            << QStringList{u"å"_s, u"→"_s} << kBom + "\xC3\xA5\r\n\xE2\x86\x92\r\n"_ba;
        QTest::newRow("C1 80 is not the euro") << QStringList{u"\u0080"_s} << kBom + "\xC2\x80\r\n"_ba;
        QTest::newRow("emoji") << QStringList{u"a😀"_s} << kBom + "a\xF0\x9F\x98\x80\r\n"_ba;
        // Windows-1252 bytes that happen to be UTF-8 would read back as other text: "Ã¥" as "å".
        QTest::newRow("windows-1252 that looks like utf-8") << QStringList{u"Ã¥"_s} << kBom + "\xC3\x83\xC2\xA5\r\n"_ba;
        QTest::newRow("windows-1252 that looks like utf-16") << QStringList{u"ÿþa"_s} << kBom + "\xC3\xBF\xC3\xBE" "a\r\n"_ba;
        QTest::newRow("lone surrogate is marked, not a question mark")
            << QStringList{u"a"_s + QChar(0xD800) + u"b"_s} << kBom + "a\xEF\xBF\xBD" "b\r\n"_ba;
    }

    void encodeLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, bytes);
        QCOMPARE(store::encodeLines(lines), bytes);
    }

    // Whatever the writer picks, the reader must get the same lines back.
    void encodeThenRead_data()
    {
        QTest::addColumn<QStringList>("lines");

        QString every1252;
        for (int b = 0x20; b < 256; ++b)
            every1252 += QChar(store::windows1252ToUnicode(static_cast<unsigned char>(b)));
        QTest::newRow("every printable windows-1252 character") << QStringList{every1252};
        QTest::newRow("mixed scripts") << QStringList{u"Äpplet faller"_s, u"漢字 → ok"_s, u"€ 😀"_s};
        QTest::newRow("C1 controls") << QStringList{u"\u0080\u0099"_s, u"\u0081"_s};
        QTest::newRow("first line ascii only, then utf-8")
            << QStringList{u"abcdefghijklmnop"_s, u"å"_s, u"→"_s};
    }

    void encodeThenRead()
    {
        QFETCH(QStringList, lines);
        const QByteArray bytes = store::encodeLines(lines);
        QCOMPARE(store::nonEmptyLines(bytes), lines);
    }
};

QTEST_GUILESS_MAIN(tst_encoding)
#include "tst_encoding.moc"
