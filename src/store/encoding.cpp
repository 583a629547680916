// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/encoding.h"

#include <QStringDecoder>

#include <array>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

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

// The first byte from p on that is not ASCII, or end. Sixteen at a time where the processor has SSE2.
const unsigned char *skipAscii(const unsigned char *p, const unsigned char *end)
{
#ifdef __SSE2__
    for (; end - p >= 16; p += 16) {
        if (const int mask = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p))); mask != 0)
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

// Valid UTF-8 from p on, byte by byte: no overlong forms, no surrogates, nothing above U+10FFFF. ASCII is
// skipped sixteen bytes at a time and a sequence is judged by its first two bytes, as the table of
// well-formed sequences in the Unicode standard does. p must begin a character.
bool validUtf8From(const unsigned char *p, const unsigned char *end, bool &sawMultiByte)
{
    const auto continuation = [](unsigned char b) {
        return (b & 0xC0) == 0x80;
    };
    while ((p = skipAscii(p, end)) < end) {
        sawMultiByte = true;
        do {
            const unsigned char c = *p;
            const qsizetype left = end - p;
            if (c >= 0xC2 && c <= 0xDF) {
                if (left < 2 || !continuation(p[1]))
                    return false;
                p += 2;
            } else if (c >= 0xE0 && c <= 0xEF) {
                // E0 needs A0 or more (else overlong), ED less than A0 (else a surrogate).
                const unsigned char low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
                if (left < 3 || p[1] < low || p[1] > high || !continuation(p[2]))
                    return false;
                p += 3;
            } else if (c >= 0xF0 && c <= 0xF4) {
                // F0 needs 90 or more (else overlong), F4 less than 90 (else past U+10FFFF).
                const unsigned char low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
                if (left < 4 || p[1] < low || p[1] > high || !continuation(p[2]) || !continuation(p[3]))
                    return false;
                p += 4;
            } else {
                return false; // a continuation byte with no lead, C0, C1, or F5 and above
            }
        } while (p < end && *p >= 0x80);
    }
    return true;
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TANKEDOSAN_AVX2_UTF8 1

// A lookup table of sixteen entries, in both halves of the register.
#define TANKEDOSAN_TABLE16(...) _mm256_setr_epi8(__VA_ARGS__, __VA_ARGS__)

__attribute__((target("avx2"))) inline __m256i highHalf(__m256i v, __m256i lowNibble)
{
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), lowNibble);
}

// Judges [p, end) 32 bytes at a time with AVX2, by the method of Keiser and Lemire ("Validating UTF-8 in less
// than one instruction per byte", 2021): every byte is judged against the one to three before it by three
// lookups of sixteen entries, each bit of which stands for one way of going wrong. Swedish text, with a
// letter outside ASCII every fifteen bytes or so, is checked about ten times as fast as byte by byte.
// Returns where the byte-wise check must go on (the start of a character the blocks left unfinished, or of
// the last bytes, fewer than 32), or null when the blocks are not valid.
__attribute__((target("avx2"))) const unsigned char *validUtf8Blocks(const unsigned char *p, const unsigned char *end,
                                                                     bool &sawMultiByte)
{
    constexpr char kTooShort = 1 << 0; // a lead not followed by a continuation
    constexpr char kTooLong = 1 << 1; // a continuation after ASCII
    constexpr char kOverlong3 = 1 << 2;
    constexpr char kTooLarge = 1 << 3; // past U+10FFFF
    constexpr char kSurrogate = 1 << 4;
    constexpr char kOverlong2 = 1 << 5;
    constexpr char kTooLarge1000 = 1 << 6;
    constexpr char kOverlong4 = 1 << 6;
    constexpr char kTwoContinuations = char(1 << 7);
    constexpr char kCarry = kTooShort | kTooLong | kTwoContinuations;
    // By the high half of the byte before.
    const __m256i firstHigh = TANKEDOSAN_TABLE16(
        kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoContinuations,
        kTwoContinuations, kTwoContinuations, kTwoContinuations, char(kTooShort | kOverlong2), kTooShort,
        char(kTooShort | kOverlong3 | kSurrogate), char(kTooShort | kTooLarge | kTooLarge1000 | kOverlong4));
    // By the low half of the byte before.
    constexpr char large = kCarry | kTooLarge | kTooLarge1000;
    const __m256i firstLow =
        TANKEDOSAN_TABLE16(char(kCarry | kOverlong3 | kOverlong2 | kOverlong4), char(kCarry | kOverlong2), kCarry,
                           kCarry, char(kCarry | kTooLarge), large, large, large, large, large, large, large, large,
                           char(large | kSurrogate), large, large);
    // By the high half of the byte itself.
    constexpr char continuation8 = kTooLong | kOverlong2 | kTwoContinuations | kOverlong3 | kTooLarge1000 | kOverlong4;
    constexpr char continuation9 = kTooLong | kOverlong2 | kTwoContinuations | kOverlong3 | kTooLarge;
    constexpr char continuationAB = kTooLong | kOverlong2 | kTwoContinuations | kSurrogate | kTooLarge;
    const __m256i secondHigh = TANKEDOSAN_TABLE16(kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
                                                  kTooShort, kTooShort, continuation8, continuation9, continuationAB,
                                                  continuationAB, kTooShort, kTooShort, kTooShort, kTooShort);
    const __m256i lowNibble = _mm256_set1_epi8(0x0F);

    const unsigned char *const start = p;
    __m256i previous = _mm256_setzero_si256();
    __m256i any = _mm256_setzero_si256();
    for (; end - p >= 32; p += 32) {
        const __m256i input = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
        any = _mm256_or_si256(any, input);
        // The bytes one, two and three places back, across the two halves and the block before.
        const __m256i joined = _mm256_permute2x128_si256(previous, input, 0x21);
        const __m256i back1 = _mm256_alignr_epi8(input, joined, 15);
        const __m256i back2 = _mm256_alignr_epi8(input, joined, 14);
        const __m256i back3 = _mm256_alignr_epi8(input, joined, 13);
        const __m256i special =
            _mm256_and_si256(_mm256_and_si256(_mm256_shuffle_epi8(firstHigh, highHalf(back1, lowNibble)),
                                              _mm256_shuffle_epi8(firstLow, _mm256_and_si256(back1, lowNibble))),
                             _mm256_shuffle_epi8(secondHigh, highHalf(input, lowNibble)));
        // A byte two after a lead of three or four, or three after one of four, must continue it.
        const __m256i mustContinue =
            _mm256_and_si256(_mm256_or_si256(_mm256_subs_epu8(back2, _mm256_set1_epi8(char(0xE0 - 0x80))),
                                             _mm256_subs_epu8(back3, _mm256_set1_epi8(char(0xF0 - 0x80)))),
                             _mm256_set1_epi8(char(0x80)));
        const __m256i error = _mm256_xor_si256(mustContinue, special);
        // A Windows-1252 text fails at its first letter outside ASCII: the rest need not be read.
        if (!_mm256_testz_si256(error, error))
            return nullptr;
        previous = input;
    }
    sawMultiByte = _mm256_movemask_epi8(any) != 0;
    // A character the last block began and did not finish is judged again whole.
    for (int back = 1; back <= 3 && back <= p - start; ++back) {
        const unsigned char c = p[-back];
        if (c >= 0xC0) {
            const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            return length > back ? p - back : p;
        }
    }
    return p;
}
#undef TANKEDOSAN_TABLE16
#endif

bool isValidUtf8(QByteArrayView bytes, bool &sawMultiByte)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    sawMultiByte = false;
#ifdef TANKEDOSAN_AVX2_UTF8
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        p = validUtf8Blocks(p, end, sawMultiByte);
        if (!p)
            return false;
    }
#endif
    return validUtf8From(p, end, sawMultiByte);
}

// The bytes of a sequence by its lead byte (one of 0xC0 and above), as the lead claims them.
qsizetype sequenceLength(uchar lead)
{
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
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

void EncodingOfPieces::check(QByteArrayView bytes)
{
    bool multiByte = false;
    m_notUtf8 = m_notUtf8 || !isValidUtf8(bytes, multiByte);
    m_multiByte = m_multiByte || multiByte;
}

void EncodingOfPieces::feed(QByteArrayView piece)
{
    if (settled())
        return;
    if (!m_headDone) {
        // A mark is told by the first three bytes, whatever pieces they come in.
        const qsizetype more = std::min<qsizetype>(3 - m_pending.size(), piece.size());
        m_pending += piece.first(more);
        piece = piece.sliced(more);
        if (m_pending.size() < 3)
            return;
        m_headDone = true;
        if (startsWithUtf16Bom(m_pending)) {
            m_utf16 = encodingOf(m_pending);
            return;
        }
        m_marked = m_pending == kUtf8ByteOrderMark;
        const QByteArray head = std::exchange(m_pending, {});
        if (!m_marked)
            take(head);
    }
    take(piece);
}

void EncodingOfPieces::take(QByteArrayView piece)
{
    // A sequence that the last piece cut is checked whole, once its last bytes are here.
    if (!m_pending.isEmpty()) {
        const qsizetype length = sequenceLength(uchar(m_pending.front()));
        const qsizetype more = std::min<qsizetype>(length - m_pending.size(), piece.size());
        m_pending += piece.first(more);
        piece = piece.sliced(more);
        if (m_pending.size() < length)
            return;
        check(std::exchange(m_pending, {}));
    }
    // The piece's end may cut a sequence: its lead byte is among the last three.
    qsizetype cut = piece.size();
    for (qsizetype back = 1; back <= std::min<qsizetype>(3, piece.size()); ++back) {
        const auto byte = uchar(piece[piece.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        if (byte >= 0xC0 && sequenceLength(byte) > back)
            cut = piece.size() - back;
        break;
    }
    check(piece.first(cut));
    m_pending = piece.sliced(cut).toByteArray();
}

FileEncoding EncodingOfPieces::result() const
{
    if (m_utf16)
        return *m_utf16;
    if (!m_headDone)
        return encodingOf(m_pending);
    // A sequence still waiting for its last bytes when the file ends is no UTF-8.
    if (m_notUtf8 || !m_pending.isEmpty() || !(m_multiByte || m_marked))
        return {};
    return {TextEncoding::Utf8, m_marked};
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

std::optional<ChosenEncoding> ChosenEncoding::named(const QString &name)
{
    const QStringDecoder decoder(name.toUtf8().constData());
    if (!decoder.isValid())
        return std::nullopt;
    ChosenEncoding chosen;
    const QByteArray canonical = decoder.name();
    if (canonical.compare("windows-1252", Qt::CaseInsensitive) != 0)
        chosen.m_name = canonical;
    return chosen;
}

bool ChosenEncoding::appliesTo(QByteArrayView bytes)
{
    if (encodingOf(bytes) != FileEncoding{})
        return false;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    return skipAscii(p, p + bytes.size()) != p + bytes.size();
}

QByteArray ChosenEncoding::asStoreBytes(QByteArray bytes) const
{
    if (isWindows1252() || !appliesTo(bytes))
        return bytes;
    QStringDecoder decoder(m_name.constData(), QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return kUtf8ByteOrderMark + encodeUtf8(text);
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
