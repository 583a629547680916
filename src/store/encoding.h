#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace store {

// How the bytes of a text file are turned into characters. Files of the classic Windows program are
// Windows-1252; files saved by other tools may be UTF-8. Nothing is ever lost on the way in or out.
enum class TextEncoding { Windows1252, Utf8 };

// UTF-8 when the bytes start with a UTF-8 byte-order mark, or are valid UTF-8 holding at least one multi-byte
// sequence; Windows-1252 otherwise (plain ASCII reads the same either way).
TextEncoding detectEncoding(QByteArrayView bytes);

// The byte-order mark is not part of the text: the bytes after it.
QByteArrayView withoutByteOrderMark(QByteArrayView bytes);

// All 256 bytes map to a character; the five that Windows-1252 leaves undefined map to the C1 controls of the
// same value, so an unedited file round-trips byte for byte.
char16_t windows1252ToUnicode(unsigned char byte);
QString decodeWindows1252(QByteArrayView bytes);

// True when the bytes begin with a UTF-16 byte-order mark (FF FE or FE FF).
bool startsWithUtf16Bom(QByteArrayView bytes);

// Decodes UTF-8 that has no file mark in front (the caller took it off): a U+FEFF is a character wherever it
// stands, where QString::fromUtf8 would drop one at the start.
QString decodeUtf8(QByteArrayView bytes);

// Decodes a whole file's bytes: UTF-16 behind its mark, else by the detected encoding. A U+FEFF right after
// the UTF-16 mark is a character; half a surrogate pair stays in the text as it is.
QString decodeText(QByteArrayView bytes);

// False for a UTF-16 file that no text written back can reproduce: one with half a surrogate pair (which
// neither Windows-1252 nor UTF-8 can hold) or an odd last byte. Every other file decodes exactly.
bool decodesExactly(QByteArrayView bytes);

// True when every character has a Windows-1252 byte.
bool fitsWindows1252(QStringView text);

// Appends the Windows-1252 bytes of text, which must fit.
void appendWindows1252(QByteArray &out, QStringView text);

// The bytes of a file holding lines, each followed by CR LF: Windows-1252 when every character fits and the
// bytes read back as the same text, else UTF-8 behind a byte-order mark (never a "?" in place of a character).
QByteArray encodeLines(const QStringList &lines);

} // namespace store
