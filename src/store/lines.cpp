#include "store/lines.h"

#include "store/encoding.h"

#include <cstring>

namespace store {

namespace {

// Calls take(begin, end) for every line of the byte range, by the read form. Splitting the bytes before
// decoding keeps a single copy of each line: CR and LF are single bytes in both encodings.
template <typename Take>
void forEachLine(QByteArrayView bytes, Take take)
{
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    while (p < end) {
        const auto *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(end - p)));
        const char *lineEnd = cr ? cr : end;
        take(p, lineEnd);
        if (!cr)
            break;
        p = cr + 1;
        if (p < end && *p == '\n')
            ++p;
    }
}

template <typename Decode>
QStringList split(QByteArrayView bytes, bool keepEmpty, Decode decode)
{
    QStringList lines;
    forEachLine(bytes, [&](const char *b, const char *e) {
        if (b != e || keepEmpty)
            lines.append(decode(QByteArrayView(b, e - b)));
    });
    return lines;
}

QStringList splitDecoded(QByteArrayView bytes, bool keepEmpty)
{
    if (detectEncoding(bytes) == TextEncoding::Utf8) {
        return split(withoutByteOrderMark(bytes), keepEmpty,
                     [](QByteArrayView line) { return QString::fromUtf8(line); });
    }
    return split(bytes, keepEmpty, [](QByteArrayView line) { return decodeWindows1252(line); });
}

} // namespace

QStringList nonEmptyLines(QByteArrayView bytes)
{
    return splitDecoded(bytes, false);
}

QStringList allLines(QByteArrayView bytes)
{
    return splitDecoded(bytes, true);
}

} // namespace store
