// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace tankedosan::store {

// How the bytes of a text file are turned into characters. Files of the classic Windows program are
// Windows-1252; files saved by other tools may be UTF-8 or UTF-16. Nothing is ever lost on the way in or out.
enum class TextEncoding { Windows1252, Utf8, Utf16LittleEndian, Utf16BigEndian };

// What a file was read as: its encoding and whether a byte-order mark stands in front of the text.
struct FileEncoding
{
    TextEncoding encoding = TextEncoding::Windows1252;
    bool byteOrderMark = false;

    // The bytes of the mark in front of the text (0 without one).
    qsizetype markSize() const;

    friend bool operator==(const FileEncoding &, const FileEncoding &) = default;
};

inline constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// The one decision of how a file's bytes are read, for every reader (collections, the text files, the help
// text, nr.ini, the import): UTF-16 behind its mark (FF FE or FE FF); UTF-8 when the bytes, after a UTF-8 mark
// if one is there, are valid UTF-8 and either have that mark or hold a multi-byte sequence; Windows-1252
// otherwise (plain ASCII reads the same either way). A mark in front of bytes that are not UTF-8 after all is
// no mark: the file is Windows-1252, so nothing of it turns into replacement characters.
FileEncoding encodingOf(QByteArrayView bytes);

// encodingOf decided on bytes fed in pieces, in their order, so that a file need not be held whole to know how
// it reads: fed all of a file's bytes, however cut, it answers as encodingOf on them together.
class EncodingOfPieces
{
public:
    void feed(QByteArrayView piece);
    // Nothing fed later can change the answer (the bytes are not UTF-8, or are UTF-16).
    bool settled() const { return m_notUtf8 || m_utf16; }
    FileEncoding result() const;

private:
    void take(QByteArrayView piece);
    void check(QByteArrayView bytes);

    QByteArray m_pending; // the first bytes, until a mark can be told; then a sequence cut by a piece's end
    bool m_headDone = false;
    bool m_marked = false;
    bool m_notUtf8 = false;
    bool m_multiByte = false;
    std::optional<FileEncoding> m_utf16;
};
bool isUtf16(TextEncoding encoding);

// All 256 bytes map to a character; the five that Windows-1252 leaves undefined map to the C1 controls of the
// same value, so an unedited file round-trips byte for byte.
char16_t windows1252ToUnicode(unsigned char byte);
QString decodeWindows1252(QByteArrayView bytes);

// True when the bytes begin with a UTF-16 byte-order mark (FF FE or FE FF).
bool startsWithUtf16Bom(QByteArrayView bytes);

// Decodes UTF-8 that has no file mark in front (the caller took it off): a U+FEFF is a character wherever it
// stands, where QString::fromUtf8 would drop one at the start.
QString decodeUtf8(QByteArrayView bytes);

// Decodes a whole file's bytes by encodingOf. A U+FEFF right after the mark is a character; half a surrogate
// pair of a UTF-16 file stays in the text as it is.
QString decodeText(QByteArrayView bytes);
// Decodes the bytes behind the mark, if any, of a file read as `encoding`.
QString decodeAs(QByteArrayView body, TextEncoding encoding);

// False for a UTF-16 file whose lines cannot be written back as they were read: one with half a surrogate
// pair (a line store holds UTF-8, which has no form for it) or an odd last byte. Every other file decodes
// exactly.
bool decodesExactly(QByteArrayView bytes);

// The encoding of a file that is neither UTF-16 behind its mark nor UTF-8 (with its mark, or valid without
// one): Windows-1252, by the table above, unless the user names another that ICU knows, for a file written
// elsewhere in the world (ISO-8859-3 for Esperanto, KOI8-R for Russian).
class ChosenEncoding
{
public:
    ChosenEncoding() = default; // Windows-1252
    // The encoding of that name in any of its spellings ("latin3", "ISO-8859-3"); nothing when ICU knows no
    // such name. Windows-1252 itself is the default, however it is spelt.
    static std::optional<ChosenEncoding> named(const QString &name);
    bool isWindows1252() const { return m_name.isEmpty(); }
    // The encoding's own name, which named() takes back; empty for Windows-1252.
    QString name() const { return QString::fromLatin1(m_name); }
    // Bytes this encoding applies to (appliesTo) as the line store takes them: UTF-8 behind its mark. Any other
    // bytes, or any bytes when this is Windows-1252, come back as they are, for the store reads those itself.
    QByteArray asStoreBytes(QByteArray bytes) const;

    // Whether the encoding a user chooses decides how the bytes read: they are no UTF-16 behind its mark, no
    // UTF-8 with its mark and no valid UTF-8 (plain ASCII is valid UTF-8, and reads the same either way).
    static bool appliesTo(QByteArrayView bytes);

private:
    QByteArray m_name; // empty for Windows-1252
};

// True when every character has a Windows-1252 byte.
bool fitsWindows1252(QStringView text);

// Appends the Windows-1252 bytes of text, which must fit.
void appendWindows1252(QByteArray &out, QStringView text);

// The UTF-8 bytes of a text. UTF-8 has no form for half a surrogate pair: the replacement character keeps
// its place visible.
QByteArray encodeUtf8(QStringView text);
// The text of a UTF-16 file as UTF-8 behind a byte-order mark, as the line store holds such a file.
QByteArray utf8WithMark(QByteArrayView utf16File);

// The bytes of a text written back over a file read as `readAs`: in that encoding, its mark kept or left off
// as it was, when the encoding holds every character and the bytes read back as the text exactly, so an
// unchanged file comes back byte for byte; else as encodeLines writes. Nothing when no encoding reads back as
// the text (half a surrogate pair outside UTF-16): no U+FFFD is ever written in place of a character.
std::optional<QByteArray> encodeText(QStringView text, FileEncoding readAs);

} // namespace tankedosan::store
