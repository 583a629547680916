// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/encoding.h"
#include "store/lines.h"
#include "store/linestore.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// The plain reference: UTF-16 by its mark; valid UTF-8 behind a mark or with a multi-byte character; else 1252.
QString decode(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) // stateful: an odd last byte is no text
        return QStringDecoder(bytes[0] == '\xFF' ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                              QStringDecoder::Flag::ConvertInitialBom)
            .decode(bytes.sliced(2));
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(bytes.sliced(marked ? 3 : 0));
    if (!utf8.hasError() && (marked || text.size() < bytes.size()))
        return text;
    return QStringDecoder("windows-1252", QStringDecoder::Flag::Stateless).decode(bytes);
}

// Half a surrogate pair has no UTF-8 form: a line holds U+FFFD in its place, as Qt's UTF-8 encoder writes it.
QString whole(const QString &text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(QStringEncoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless).encode(text));
}

// CR LF and a lone CR end a line; an LF does too once the lone LFs outnumber the CRs (a Unix file).
QStringList lines(const QString &text, bool keepEmpty)
{
    const bool unix = text.count(u'\n') - text.count(u"\r\n"_s) > text.count(u'\r');
    static const QRegularExpression unixEnd(u"\r\n|\r|\n"_s), classicEnd(u"\r\n?"_s);
    QStringList lines = text.split(unix ? unixEnd : classicEnd);
    if (lines.last().isEmpty()) // the last line counts without an end, but not when empty
        lines.removeLast();
    if (!keepEmpty)
        lines.removeAll(QString());
    return lines;
}

// Windows-1252 when every character fits and its bytes read back as the same text, else UTF-8 behind a mark.
QByteArray written(const QStringList &lines)
{
    const QString text = lines.isEmpty() ? QString() : lines.join(u"\r\n"_s) + u"\r\n"_s;
    const QByteArray bytes = QStringEncoder("windows-1252", QStringEncoder::Flag::Stateless).encode(text);
    return decode(bytes) == text ? bytes : "\xEF\xBB\xBF"_ba + text.toUtf8();
}

// Line ends, Windows-1252, UTF-8 valid or not, marks, text like another encoding; behind a UTF-16 mark, half pairs.
// UTF-8's bounds from both sides: the shortest form of each length, surrogates, U+10FFFF.
QByteArray randomFile(QRandomGenerator &random)
{
    static const QList<QByteArray> starts = "||\xEF\xBB\xBF|\xFF\xFE|\xFE\xFF"_ba.split('|');
    static const QList<QByteArray> pieces =
        "a|B| |\r|\n|\r\n|\r|\n|\xC3\xA5|\xE5|\xC5|\x80|\x81|\x9F|\xEF\xBB\xBF|\xF0\x9F\x98\x80|"
        "\xC0\x80|\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x86\x92|\xC3|\xC2\x80|\xC3\x83\xC2\xA5|"
        "\xFF\xFE|\xC3\xBF\xC3\xBE|\xC4\xB0|\r\0|\n\0|\0\r|\0\n|\0|\x3D\xD8\0\xDE|\xC1\xBF|\xDF\xBF|"
        "\xE0\x9F\xBF|\xE0\xA0\x80|\xED\x9F\xBF|\xED\xBF\xBF|\xEE\x80\x80|\xF0\x8F\xBF\xBF|\xF0\x90\x80\x80|"
        "\xF4\x8F\xBF\xBF"_ba.split('|');
    QByteArray bytes = starts[random.bounded(int(starts.size()))];
    for (int i = random.bounded(14); i > 0; --i)
        bytes += pieces[random.bounded(int(pieces.size()))];
    return bytes;
}
} // namespace

class tst_encoding : public QObject
{
    Q_OBJECT

private slots:
    // ICU's Windows-1252 byte when it decodes back as the character, else UTF-8 (all of 1252 lies below U+D800).
    void windows1252IsIcus()
    {
        for (char16_t c = 0; c < 0xD800; ++c)
            QCOMPARE(store::encodeText(QString(QChar(c)) + u"\r\n"_s, {}).value(), written({QString(QChar(c))}));
    }

    void readAndWriteAgreeWithAPlainReference()
    {
        QRandomGenerator random(1252);
        for (int round = 0; round < 20000; ++round) {
            const QByteArray bytes = randomFile(random);
            const QString text = decode(bytes);
            const QStringList kept = lines(whole(text), false);
            const store::LineStore store = store::LineStore::fromFileBytes(bytes);
            const auto with = [&](const auto &v) {
                return QDebug::toString(std::pair(bytes, v));
            };
            const bool odd = bytes.size() % 2 && store::startsWithUtf16Bom(bytes); // a last byte that is no text
            QCOMPARE(with(store::decodeText(bytes)), with(text)); // half a pair kept as it is, for nr.ini
            QCOMPARE(with(store::allLines(bytes)), with(lines(whole(text), true)));
            QCOMPARE(with(store.toStringList()), with(kept));
            // Also once reordered as the editor does: lines of a file that did not decode exactly stay refused.
            QCOMPARE(with(store.reordered(store.findAll({}, store::Match::Beginning)).writesBackUnchanged()),
                     with(whole(text) == text && !odd && kept.join(QString()).count(u'\n') <= kept.size()));
            // Written back as it was read, an unchanged file is itself again; no U+FFFD where UTF-16 alone holds it.
            QCOMPARE(with(store::encodeText(text, store::encodingOf(bytes)).value_or("-")), with(bytes.chopped(odd)));
            QCOMPARE(with(store::encodeText(text, {}).has_value()), with(whole(text) == text));
            QCOMPARE(with(store.toFileBytes()), with(written(kept)));
            store::LineStore added = store; // nor is a line added with half a pair written as given
            added.append(QStringView(u"\xD83D"));
            QVERIFY(!added.writesBackUnchanged());
            // A view ending inside a character is judged on its own bytes.
            QCOMPARE(with(store::decodeText(QByteArrayView(bytes).chopped(!bytes.isEmpty()))),
                     with(store::decodeText(bytes.chopped(!bytes.isEmpty()))));
        }
    }
};

QTEST_GUILESS_MAIN(tst_encoding)
#include "tst_encoding.moc"
