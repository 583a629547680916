// SPDX-License-Identifier: LicenseRef-Tankedosan
// What a file is read as and how a text is written, against Qt's own decoders; lines edited and written back.
#include "fuzz.h"

#include "store/encoding.h"
#include "store/linestore.h"

using namespace tankedosan::store;

namespace {
const FileEncoding kEncodings[] = {{},
                                   {TextEncoding::Utf8, false},
                                   {TextEncoding::Utf8, true},
                                   {TextEncoding::Utf16LittleEndian, true},
                                   {TextEncoding::Utf16BigEndian, true}};

// The text's bytes in the encoding, mark and all, when it has a byte for every character.
std::optional<QByteArray> encoded(const QString &text, FileEncoding encoding)
{
    switch (encoding.encoding) {
    case TextEncoding::Windows1252: {
        QStringEncoder encoder("windows-1252", QStringEncoder::Flag::Stateless);
        const QByteArray bytes = encoder.encode(text);
        const QString back = QStringDecoder("windows-1252", QStringDecoder::Flag::Stateless).decode(bytes);
        return encoder.hasError() || back != text ? std::nullopt : std::optional(bytes);
    }
    case TextEncoding::Utf8: return QByteArray(encoding.byteOrderMark ? "\xEF\xBB\xBF" : "") + text.toUtf8();
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian: break;
    }
    const bool little = encoding.encoding == TextEncoding::Utf16LittleEndian;
    QByteArray bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const QChar c : text)
        bytes.append(char(little ? c.cell() : c.row())).append(char(little ? c.row() : c.cell()));
    return bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::AllocationBound bound(size);
    fuzz::Input in(data, size);
    const unsigned steer = in.byte();
    const QByteArrayView file = in.take(in.byte() << 8 | in.byte());

    // UTF-16 by its mark; otherwise the text differs from the bytes read as Windows-1252 only where UTF-8 was
    // chosen (a mark taken off, or fewer characters than bytes).
    const bool utf16 = file.startsWith("\xFF\xFE") || file.startsWith("\xFE\xFF");
    const QString text = fuzz::decoded(file);
    const QString latin = QStringDecoder("windows-1252", QStringDecoder::Flag::Stateless).decode(file);
    const FileEncoding read =
        utf16 ? FileEncoding{file[0] == '\xFF' ? TextEncoding::Utf16LittleEndian : TextEncoding::Utf16BigEndian, true}
        : text != latin ? FileEncoding{TextEncoding::Utf8, file.startsWith("\xEF\xBB\xBF")}
                        : FileEncoding{};
    FUZZ_CHECK(encodingOf(file) == read && startsWithUtf16Bom(file) == utf16 && isUtf16(read.encoding) == utf16);
    const QByteArrayView body = file.sliced(read.markSize());
    FUZZ_CHECK(decodeText(file) == text && decodeAs(body, read.encoding) == text);
    FUZZ_CHECK(decodesExactly(file) == (!utf16 || (file.size() % 2 == 0 && text.isValidUtf16())));
    FUZZ_CHECK(decodeWindows1252(file) == latin);
    for (qsizetype i = 0; i < file.size(); ++i)
        FUZZ_CHECK(windows1252ToUnicode(uchar(file[i])) == latin[i]);
    if (read.encoding == TextEncoding::Utf8)
        FUZZ_CHECK(decodeUtf8(body) == text);

    // Any text, half surrogate pairs too, through each writer.
    const QString any = fuzz::units(file);
    const std::optional<QByteArray> latinBytes = encoded(any, {});
    FUZZ_CHECK(fitsWindows1252(any) == bool(latinBytes));
    if (latinBytes) {
        QByteArray appended = "x";
        appendWindows1252(appended, any);
        FUZZ_CHECK(appended == "x" + *latinBytes);
    }
    if (any.isValidUtf16())
        FUZZ_CHECK(encodeUtf8(any) == any.toUtf8());
    // The encoding it was read as, else Windows-1252, else UTF-8 behind a mark: the first that reads back as it.
    const FileEncoding readAs = kEncodings[steer % std::size(kEncodings)];
    std::optional<QByteArray> expected;
    for (const FileEncoding encoding : {readAs, FileEncoding{}, FileEncoding{TextEncoding::Utf8, true}}) {
        const auto bytes = encoded(any, encoding);
        if (!expected && bytes && fuzz::decoded(*bytes) == any)
            expected = bytes;
    }
    FUZZ_CHECK(encodeText(any, readAs) == expected);

    // Lines appended, inserted and removed, then written and read again.
    const bool keepEmpty = steer & 0x80;
    LineStore store = LineStore::fromFileBytes(file.toByteArray(), keepEmpty);
    QStringList model = store.toStringList();
    while (!in.rest.isEmpty()) {
        const unsigned edit = in.byte();
        const qsizetype at = in.byte() % (model.size() + 1);
        const QString line = QString::fromUtf8(in.part()).remove(u'\r');
        if (edit % 3 == 0)
            store.append(line), model.append(line);
        else if (edit % 3 == 1)
            store.insert(at, line), model.insert(at, line);
        else if (at < model.size())
            store.removeAt(at), model.removeAt(at);
    }
    FUZZ_CHECK(store.toStringList() == model);
    const QByteArray written = store.toFileBytes();
    FUZZ_CHECK(written == fuzz::written(model));
    if (store.writesBackUnchanged())
        FUZZ_CHECK(LineStore::fromFileBytes(written, true).toStringList() == model);
    return 0;
}
