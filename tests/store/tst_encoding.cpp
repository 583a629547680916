// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/encoding.h"
#include "store/lines.h"
#include "store/linestore.h"

#include "../fuzz/fuzz.h" // the plain references of the read and write rules, from Qt's own decoders

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

using namespace tankedosan;
using namespace tankedosan::store;

using namespace Qt::StringLiterals;

class tst_encoding : public QObject
{
    Q_OBJECT

private slots:
    void readAndWriteAgreeWithAPlainReference()
    {
        // ICU's Windows-1252 byte when it decodes back as the character, else UTF-8 (all of 1252 lies below U+D800).
        for (char16_t c = 0; c < 0xD800; ++c)
            QCOMPARE(store::encodeText(QString(QChar(c)) + u"\r\n"_s, {}).value(), fuzz::written({QString(QChar(c))}));
        // Line ends, Windows-1252, UTF-8 valid or not, marks, text like another encoding; behind a UTF-16 mark, half
        // pairs. UTF-8's bounds from both sides: the shortest form of each length, surrogates, U+10FFFF.
        const QList<QByteArray> starts = "||\xEF\xBB\xBF|\xFF\xFE|\xFE\xFF"_ba.split('|');
        const QList<QByteArray> pieces =
            "a|B| |\r|\n|\r\n|\r|\n|\xC3\xA5|\xE5|\xC5|\x80|\x81|\x9F|\xEF\xBB\xBF|\xF0\x9F\x98\x80|"
            "\xC0\x80|\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x86\x92|\xC3|\xC2\x80|\xC3\x83\xC2\xA5|"
            "\xFF\xFE|\xC3\xBF\xC3\xBE|\xC4\xB0|\r\0|\n\0|\0\r|\0\n|\0|\x3D\xD8\0\xDE|\xC1\xBF|\xDF\xBF|"
            "\xE0\x9F\xBF|\xE0\xA0\x80|\xED\x9F\xBF|\xED\xBF\xBF|\xEE\x80\x80|\xF0\x8F\xBF\xBF|\xF0\x90\x80\x80|"
            "\xF4\x8F\xBF\xBF|\xF1\x80\x80\x80|\xF1\x80\x80|\xF5\x80\x80\x80|\xE1\x7F\x80|"
            "\xF1\x7F\x80\x80"_ba.split('|');
        QRandomGenerator random(1252);
        for (int round = 0; round < 20000; ++round) {
            QByteArray bytes = starts[random.bounded(int(starts.size()))];
            // One text in four is long enough to be judged 32 bytes at a time, across the edges of those blocks.
            for (int i = random.bounded(round % 4 ? 14 : 80); i > 0; --i)
                bytes += pieces[random.bounded(int(pieces.size()))];
            const QString text = fuzz::decoded(bytes), whole = fuzz::whole(text);
            const QStringList kept = fuzz::lines(whole, false);
            // Decided in three pieces cut anywhere, as on the bytes together.
            const bool utf16 = store::startsWithUtf16Bom(bytes);
            const bool read1252 = !utf16 && text == QStringDecoder("windows-1252").decode(bytes);
            store::EncodingOfPieces inPieces;
            const auto [low, high] =
                std::minmax({random.bounded(int(bytes.size()) + 1), random.bounded(int(bytes.size()) + 1)});
            for (const QByteArray &piece : {bytes.first(low), bytes.sliced(low, high - low), bytes.sliced(high)})
                inPieces.feed(piece);
            const auto encoding = [](store::FileEncoding e) {
                return std::pair(int(e.encoding), e.byteOrderMark);
            };
            const store::TextEncoding expected =
                utf16      ? (bytes.startsWith('\xFF') ? store::TextEncoding::Utf16LittleEndian
                                                       : store::TextEncoding::Utf16BigEndian)
                : read1252 ? store::TextEncoding::Windows1252
                           : store::TextEncoding::Utf8;
            const store::LineStore store = store::LineStore::fromFileBytes(bytes);
            const bool odd = bytes.size() % 2 && store::startsWithUtf16Bom(bytes); // a last byte that is no text
            store::LineStore added = store; // nor is a line added with half a pair written as given
            added.append(QStringView(u"\xD83D"));
            const auto show = [&](const auto &...v) {
                return QStringList{QDebug::toString(std::pair(bytes, v))...};
            };
            // Lines of a file that did not decode exactly stay refused, also reordered; written back as read, a file is
            // itself again. A view ending inside a character is judged on its own bytes.
            QCOMPARE(show(store::decodeText(bytes), store::allLines(bytes), store.toStringList(),
                          store.reordered(store.findAll({}, store::Match::Beginning)).writesBackUnchanged(),
                          store::encodeText(text, store::encodingOf(bytes)).value_or("-"),
                          store::encodeText(text, {}).has_value(), store.toFileBytes(), added.writesBackUnchanged(),
                          store::decodeText(QByteArrayView(bytes).chopped(!bytes.isEmpty())),
                          encoding(inPieces.result())),
                     show(text, fuzz::lines(whole, true), kept,
                          whole == text && !odd && kept.join(QString()).count(u'\n') <= kept.size(), bytes.chopped(odd),
                          whole == text, fuzz::written(kept), false, store::decodeText(bytes.chopped(!bytes.isEmpty())),
                          std::pair(int(expected), utf16 || (!read1252 && bytes.startsWith("\xEF\xBB\xBF")))));
        }
    }
};

QTEST_GUILESS_MAIN(tst_encoding)
#include "tst_encoding.moc"
