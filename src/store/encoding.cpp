// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/encoding.h"

#include <QStringDecoder>

#include <array>
#include <cstring>

namespace tankedosan::store {

namespace {

constexpr char16_t kHighHalf[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

constexpr std::array<char16_t, 256> makeDecodeTable()
{
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = (b >= 0x80 && b < 0xA0) ? kHighHalf[b - 0x80] : char16_t(b);
    return table;
}

constexpr std::array<char16_t, 256> kDecode = makeDecodeTable();

// Byte for a character outside Latin-1, or 0 when Windows-1252 has none.
unsigned char specialByte(char16_t c)
{
    for (int i = 0; i < 32; ++i) {
        if (kHighHalf[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    }
    return 0;
}

// A character below 0x100 fits unless it is one of the C1 controls that Windows-1252 uses for other
// characters (0x80 is the euro sign's byte, and so on); the five undefined bytes stand for themselves.
bool latin1Fits(char16_t c)
{
    return c < 0x80 || c >= 0xA0 || kHighHalf[c - 0x80] == c;
}

bool fitsChar(char16_t c)
{
    return c < 0x100 ? latin1Fits(c) : specialByte(c) != 0;
}

// Valid UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. A Windows-1252 text with a letter
// such as å followed by ASCII fails at its first high byte, so the check costs little on such files.
bool isValidUtf8(QByteArrayView bytes, bool &sawMultiByte)
{
    sawMultiByte = false;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        // Skip ASCII eight bytes at a time: collections are mostly ASCII.
        while (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL)
                break;
            p += 8;
        }
        if (p >= end)
            break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length;
        char32_t min;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            length = 2, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        sawMultiByte = true;
        p += length;
    }
    return true;
}

} // namespace

FileEncoding encodingOf(QByteArrayView bytes)
{
    if (startsWithUtf16Bom(bytes))
        return {bytes[0] == '\xFF' ? TextEncoding::Utf16LittleEndian : TextEncoding::Utf16BigEndian, true};
    // A byte-order mark in front of bytes that are not UTF-8 after all is not trusted: decoding them as UTF-8
    // would turn them into replacement characters and lose them at the next save.
    const bool marked = bytes.startsWith(kUtf8ByteOrderMark);
    bool sawMultiByte = false;
    if (isValidUtf8(marked ? bytes.sliced(3) : bytes, sawMultiByte) && (sawMultiByte || marked))
        return {TextEncoding::Utf8, marked};
    return {};
}

bool isUtf16(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16LittleEndian || encoding == TextEncoding::Utf16BigEndian;
}

qsizetype FileEncoding::markSize() const
{
    return !byteOrderMark ? 0 : encoding == TextEncoding::Utf8 ? 3 : 2;
}

char16_t windows1252ToUnicode(unsigned char byte)
{
    return kDecode[byte];
}

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    auto *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = kDecode[in[i]];
    return text;
}

bool startsWithUtf16Bom(QByteArrayView bytes)
{
    return bytes.size() >= 2 && (bytes.first(2) == "\xFF\xFE" || bytes.first(2) == "\xFE\xFF");
}

QString decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

namespace {
// Unit by unit, so that nothing is dropped or replaced: QStringDecoder takes a second mark for a mark and
// turns half a surrogate pair into U+FFFD. An odd last byte has no unit and is not part of the text.
QString decodeUtf16(QByteArrayView body, bool littleEndian)
{
    QString text(body.size() / 2, Qt::Uninitialized);
    auto *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const unsigned char *>(body.data());
    const int low = littleEndian ? 0 : 1;
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = char16_t(in[2 * i + low] | (in[2 * i + 1 - low] << 8));
    return text;
}

bool hasHalfSurrogatePair(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

// Unit by unit, the mirror of decodeUtf16: half a surrogate pair is written as it was read.
void appendUtf16(QByteArray &out, QStringView text, bool littleEndian)
{
    out.reserve(out.size() + 2 * text.size());
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xFF);
        const char high = char(c.unicode() >> 8);
        out.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
}

// The text's bytes in the encoding, mark and all; nothing when Windows-1252 lacks a character. UTF-8 writes
// U+FFFD for half a pair, which the read back then tells.
std::optional<QByteArray> encodedAs(QStringView text, FileEncoding encoding)
{
    QByteArray bytes;
    switch (encoding.encoding) {
    case TextEncoding::Windows1252:
        if (!fitsWindows1252(text))
            return std::nullopt;
        appendWindows1252(bytes, text);
        break;
    case TextEncoding::Utf8:
        if (encoding.byteOrderMark)
            bytes = kUtf8ByteOrderMark;
        bytes += QStringEncoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless).encode(text);
        break;
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian: {
        const bool littleEndian = encoding.encoding == TextEncoding::Utf16LittleEndian;
        bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
        appendUtf16(bytes, text, littleEndian);
        break;
    }
    }
    return bytes;
}
} // namespace

bool decodesExactly(QByteArrayView bytes)
{
    const FileEncoding encoding = encodingOf(bytes);
    if (!isUtf16(encoding.encoding))
        return true;
    return bytes.size() % 2 == 0 && !hasHalfSurrogatePair(decodeAs(bytes.sliced(2), encoding.encoding));
}

QString decodeAs(QByteArrayView body, TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1252)
        return decodeWindows1252(body);
    if (encoding == TextEncoding::Utf8)
        return decodeUtf8(body);
    return decodeUtf16(body, encoding == TextEncoding::Utf16LittleEndian);
}

QString decodeText(QByteArrayView bytes)
{
    // The same rules as a collection's lines: only the first mark is a mark.
    const FileEncoding encoding = encodingOf(bytes);
    return decodeAs(bytes.sliced(encoding.markSize()), encoding.encoding);
}

bool fitsWindows1252(QStringView text)
{
    for (QChar c : text) {
        if (!fitsChar(c.unicode()))
            return false;
    }
    return true;
}

void appendWindows1252(QByteArray &out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *dst = out.data() + start;
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        *dst++ = static_cast<char>(c < 0x100 ? c : specialByte(c));
    }
}

QByteArray encodeUtf8(QStringView text)
{
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    return encoder.encode(text);
}

// Rare enough to take the long way.
QByteArray utf8WithMark(QByteArrayView utf16File)
{
    return QByteArray(kUtf8ByteOrderMark) + encodeUtf8(decodeText(utf16File));
}

std::optional<QByteArray> encodeText(QStringView text, FileEncoding readAs)
{
    // The last two are the rule of encodeLines, for a text.
    for (const FileEncoding encoding : {readAs, FileEncoding{}, FileEncoding{TextEncoding::Utf8, true}}) {
        std::optional<QByteArray> bytes = encodedAs(text, encoding);
        if (bytes && decodeText(*bytes) == text)
            return bytes;
    }
    return std::nullopt;
}

} // namespace tankedosan::store
