// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/writtenform.h"

#include "store/encoding.h"

#include <algorithm>

namespace tankedosan::store {

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whether the bytes of a Windows-1252 file would be read back as that same text: not when they happen to be
// valid UTF-8 (a text such as "Ã¥") or begin like a UTF-16 file ("ÿþ").
bool readsBackAsWindows1252(QByteArrayView bytes)
{
    return encodingOf(bytes) == FileEncoding{};
}

} // namespace

QByteArray LineStore::toFileBytes() const
{
    qsizetype total = 0;
    for (const Span &span : m_spans)
        total += span.size + 2;

    const auto joined = [&](qsizetype reserve, auto appendLine) {
        QByteArray out;
        out.reserve(reserve);
        for (qsizetype i = 0; i < size(); ++i) {
            appendLine(out, i);
            out.append("\r\n", 2);
        }
        return out;
    };

    if (m_form == Form::Windows1252) {
        QByteArray out = joined(total, [&](QByteArray &o, qsizetype i) { o.append(raw(i)); });
        if (readsBackAsWindows1252(out))
            return out;
    } else {
        bool fits = true;
        for (qsizetype i = 0; i < size() && fits; ++i)
            fits = isAscii(raw(i)) || fitsWindows1252(at(i));
        if (fits) {
            QByteArray out = joined(total, [&](QByteArray &o, qsizetype i) {
                const QByteArrayView bytes = raw(i);
                if (isAscii(bytes))
                    o.append(bytes);
                else
                    appendWindows1252(o, at(i));
            });
            if (readsBackAsWindows1252(out))
                return out;
        }
    }
    // Windows-1252 cannot hold the text, or its bytes would read back as other text: UTF-8 behind a mark.
    QByteArray out(kUtf8ByteOrderMark);
    out += joined(3 + total * 2, [&](QByteArray &o, qsizetype i) {
        const QByteArrayView bytes = raw(i);
        if (m_form == Form::Utf8)
            o.append(bytes);
        else
            o.append(encodeUtf8(decodeWindows1252(bytes)));
    });
    return out;
}

QByteArray encodeLines(const QStringList &lines)
{
    return LineStore::fromStrings(lines).toFileBytes();
}

} // namespace tankedosan::store
