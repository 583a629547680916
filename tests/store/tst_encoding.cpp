#include "store/encoding.h"
#include "store/failure.h"
#include "store/lines.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {
const QByteArray kBom = "\xEF\xBB\xBF"_ba;
// A row of the tables below: lines and the bytes that are their written form, or that read as them.
struct Form
{
    QStringList lines;
    QByteArray bytes;
};
} // namespace

// The written form and the read form of a collection, and the words of a failure.
class tst_encoding : public QObject
{
    Q_OBJECT

private slots:
    // Every byte decodes to its own character and encodes back to itself, or an unedited file changes when it
    // is saved; 0x80..0x9F hold the characters outside Latin-1, the five undefined bytes stand for themselves.
    void everyByteRoundTrips()
    {
        const QString highHalf = u"€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ"_s;
        QByteArray bytes;
        QString expected;
        for (int b = 0; b < 256; ++b) {
            bytes += char(b);
            expected += b >= 0x80 && b < 0xA0 ? highHalf.at(b - 0x80) : QChar(char16_t(b));
            QCOMPARE(store::windows1252ToUnicode(static_cast<unsigned char>(b)), expected.back().unicode());
        }
        QCOMPARE(store::decodeWindows1252(bytes), expected);
        QVERIFY(store::fitsWindows1252(expected));
        QByteArray out = "x"_ba;
        store::appendWindows1252(out, expected);
        QCOMPARE(out, "x"_ba + bytes);
    }

    // A view ending inside a character must be judged on its own bytes, not on what lies past its end.
    void truncatedViewIsNotUtf8()
    {
        const QByteArray whole = "abc\xC3\xA5"_ba;
        QCOMPARE(store::detectEncoding(QByteArrayView(whole).first(4)), store::TextEncoding::Windows1252);
        QCOMPARE(store::decodeText(QByteArrayView(whole).first(4)), u"abc\u00C3"_s);
        QCOMPARE(store::detectEncoding(whole), store::TextEncoding::Utf8);
    }

    // Windows-1252 CR LF when every character fits, else UTF-8 behind a mark.
    void encodeLines_data()
    {
        QTest::addColumn<Form>("c");
        QTest::newRow("high half") << Form{{u"€–—™\u0081\u009D"_s}, "\x80\x96\x97\x99\x81\x9D\r\n"_ba};
        QTest::newRow("one misfit turns the whole file")
            << Form{{u"å"_s, u"→"_s}, kBom + "\xC3\xA5\r\n\xE2\x86\x92\r\n"_ba};
        QTest::newRow("C1 80 is not the euro") << Form{{u"\u0080"_s}, kBom + "\xC2\x80\r\n"_ba};
        QTest::newRow("C1 9F") << Form{{u"a\u009F"_s}, kBom + "a\xC2\x9F\r\n"_ba};
        QTest::newRow("A macron") << Form{{u"Ā"_s}, kBom + "\xC4\x80\r\n"_ba};
        // Windows-1252 bytes that happen to be UTF-8 would read back as other text: "Ã¥" as "å".
        QTest::newRow("windows-1252 that looks like utf-8") << Form{{u"Ã¥"_s}, kBom + "\xC3\x83\xC2\xA5\r\n"_ba};
        QTest::newRow("windows-1252 that looks like utf-16") << Form{{u"ÿþa"_s},
                                                                     kBom
                                                                         + "\xC3\xBF\xC3\xBE"
                                                                           "a\r\n"_ba};
        QTest::newRow("lone surrogate is marked, not a question mark") << Form{{u"a"_s + QChar(0xD800) + u"b"_s},
                                                                               kBom
                                                                                   + "a\xEF\xBF\xBD"
                                                                                     "b\r\n"_ba};
    }

    void encodeLines()
    {
        QFETCH(Form, c);
        const auto &[lines, bytes] = c;
        QCOMPARE(store::encodeLines(lines), bytes);
        const QString text = lines.join(u'|');
        if (!text.contains(u"Ã¥") && !text.contains(u"ÿþ")) // these fit, yet are written as UTF-8
            QCOMPARE(store::fitsWindows1252(text), !bytes.startsWith(kBom));
    }

    // Both readers share one table: they agree on where lines end and differ only on empty lines.
    void readForm_data()
    {
        QTest::addColumn<Form>("c");
        const QString e; // an empty line
        QTest::newRow("empty file") << Form{{}, QByteArray()};
        QTest::newRow("empty lines, last without end") << Form{{e, u"a"_s, e, u"b"_s}, "\r\na\r\n\r\nb"_ba};
        QTest::newRow("lone crs end lines") << Form{{u"a"_s, u"b"_s, e, u"c"_s, e, u"d"_s}, "a\rb\r\rc\r\r\nd"_ba};
        QTest::newRow("trailing lone cr") << Form{{u"a"_s}, "a\r"_ba};
        QTest::newRow("lone cr only") << Form{{e}, "\r"_ba};
        // A file without any CR is a Unix text file; once a CR is there, an LF is text.
        QTest::newRow("unix lines") << Form{{u"x"_s, e, u"y"_s}, "x\n\ny\n"_ba};
        QTest::newRow("one cr makes lfs text") << Form{{u"x\ny"_s, u"z"_s}, "x\ny\rz"_ba};
        QTest::newRow("lf beside crlf") << Form{{u"a\n"_s, u"\nb"_s}, "a\n\r\n\nb\r\n"_ba};
        // Once lone LFs outnumber the CRs, the file is a Unix one: CR LF, CR and LF each end a line.
        QTest::newRow("unix file with one windows line") << Form{{u"a"_s, u"b"_s, e, u"c"_s}, "a\nb\r\n\nc\n"_ba};
        QTest::newRow("a first lf is text") << Form{{u"\nb"_s, e}, "\nb\r\n\r\n"_ba};
        QTest::newRow("unix file with a lone cr") << Form{{u"a"_s, u"b"_s, u"c"_s}, "a\rb\nc\n"_ba};
        QTest::newRow("blanks and tabs are not empty") << Form{{u"   "_s, u"\t"_s}, "   \r\n\t"_ba};
        QTest::newRow("utf-8 with bom") << Form{{u"å"_s}, kBom + "\xC3\xA5"_ba};
        QTest::newRow("utf-8 without bom") << Form{{u"å"_s, u"x"_s, u"→"_s}, "\xC3\xA5\r\nx\r\n\xE2\x86\x92"_ba};
        // One line that is not UTF-8 makes the whole file Windows-1252.
        QTest::newRow("encoding is per file") << Form{{u"Ã¥"_s, u"å"_s}, "\xC3\xA5\r\n\xE5"_ba};
        // Only the start of a file carries a byte-order mark; anywhere else U+FEFF is a character.
        QTest::newRow("feff starting a line") << Form{{u"x"_s, u"\uFEFFy"_s}, "x\r\n\xEF\xBB\xBFy"_ba};
        QTest::newRow("two marks, the second is text") << Form{{u"\uFEFFz"_s}, kBom + kBom + "z"_ba};
        QTest::newRow("utf-16 le") << Form{{u"å"_s, u"😀"_s}, "\xFF\xFE\xE5\0\r\0\n\0\x3D\xD8\0\xDE"_ba};
        QTest::newRow("utf-16 be, one line") << Form{{u"漢a"_s}, "\xFE\xFF\x6F\x22\0a"_ba};
        QTest::newRow("utf-16 feff after the mark") << Form{{u"\uFEFFa"_s},
                                                            "\xFF\xFE\xFF\xFE"
                                                            "a\0"_ba};
        QTest::newRow("multi-byte character split by cr") << Form{{u"Ã"_s, u"¥"_s}, "\xC3\r\xA5"_ba};
        // Valid UTF-8 only: no overlong form, no surrogate, nothing past U+10FFFF, no character cut short.
        QTest::newRow("utf-8 four bytes") << Form{{u"😀"_s}, "\xF0\x9F\x98\x80"_ba};
        QTest::newRow("utf-8 inside a long ascii run") << Form{{u"abcdefghåijklmn"_s}, "abcdefgh\xC3\xA5ijklmn"_ba};
        QTest::newRow("overlong nul") << Form{{u"À€"_s}, "\xC0\x80"_ba};
        QTest::newRow("overlong slash") << Form{{u"à€¯"_s}, "\xE0\x80\xAF"_ba};
        QTest::newRow("surrogate") << Form{{u"í\u00A0€"_s}, "\xED\xA0\x80"_ba};
        QTest::newRow("above U+10FFFF") << Form{{u"ô\u0090€€"_s}, "\xF4\x90\x80\x80"_ba};
        QTest::newRow("F8 lead byte") << Form{{u"øˆ€€€"_s}, "\xF8\x88\x80\x80\x80"_ba};
        QTest::newRow("truncated at the end") << Form{{u"aÃ"_s}, "a\xC3"_ba};
        QTest::newRow("bad continuation") << Form{{u"Ã(x"_s}, "\xC3(x"_ba};
        // A mark in front of bytes that are not UTF-8 would cost those bytes at the next save.
        QTest::newRow("bom before invalid utf-8") << Form{{u"ï»¿å"_s}, kBom + "\xE5"_ba};
    }

    void readForm()
    {
        QFETCH(Form, c);
        auto [all, bytes] = c;
        QCOMPARE(store::allLines(bytes), all);
        // One line: nr.ini decodes it whole, by the same rules.
        if (!bytes.contains('\r') && !bytes.contains('\n'))
            QCOMPARE(store::decodeText(bytes), all.value(0));
        all.removeAll(QString());
        QCOMPARE(store::nonEmptyLines(bytes), all);
    }

    // What the user reads for a failure: the program's number and Swedish words, never the system's text; a
    // missing folder is told from a missing file. (The numbers of each error reach the user through tst_faults.)
    void standardErrorMessage()
    {
        const QTemporaryDir dir;
        for (const QString &path : {dir.filePath(u"Citat.dat"_s), dir.filePath(u"saknas/Citat.dat"_s)})
            QCOMPARE(store::standardErrorMessage(store::failures::fromSystemError(ENOENT, path)),
                     u"Ett fel uppstod.\r\n"_s
                         + (path.contains(u"saknas"_s) ? u"76 - Sökvägen hittades inte: "_s
                                                       : u"53 - Filen hittades inte: "_s)
                         + u"''"_s + QDir::toNativeSeparators(path) + u"''"_s);
    }
};

QTEST_GUILESS_MAIN(tst_encoding)
#include "tst_encoding.moc"
