// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QRegularExpression>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken promise ends the run in every build, whether Qt's assertions or a sanitizer are on or not.
#define FUZZ_CHECK(cond) \
    do { \
        if (!(cond)) { \
            std::fprintf(stderr, "%s:%d: FUZZ_CHECK(%s) failed\n", __FILE__, __LINE__, #cond); \
            std::abort(); \
        } \
    } while (false)

namespace fuzz {

// The most one allocation may take while an input runs (allocations.cpp ends the run past it): a reader that
// trusts a size its input states must not ask for gigabytes where the input is a few bytes.
inline std::atomic<size_t> allocationBound = SIZE_MAX;
struct AllocationBound
{
    explicit AllocationBound(size_t inputSize) { allocationBound = (size_t(1) << 20) + 64 * inputSize; }
    ~AllocationBound() { allocationBound = SIZE_MAX; }
};

// The input taken from the front: a few bytes steer a run, the rest is what is read.
struct Input
{
    QByteArrayView rest;
    Input(const uint8_t *data, size_t size)
        : rest(reinterpret_cast<const char *>(data), qsizetype(size))
    { }
    unsigned byte() { return rest.isEmpty() ? 0 : uchar(take(1)[0]); }
    QByteArrayView take(qsizetype n)
    {
        const QByteArrayView part = rest.first(qBound<qsizetype>(0, n, rest.size()));
        rest = rest.sliced(part.size());
        return part;
    }
    // Up to the next NUL, which is taken too.
    QByteArrayView part()
    {
        const qsizetype nul = rest.indexOf('\0');
        const QByteArrayView part = take(nul < 0 ? rest.size() : nul);
        take(1);
        return part;
    }
};

// Two bytes a unit: any UTF-16, half a surrogate pair too; an odd last byte is none.
inline QString units(QByteArrayView bytes, bool littleEndian = true)
{
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(char16_t(uchar(bytes[i + !littleEndian]) | uchar(bytes[i + littleEndian]) << 8)));
    return text;
}

// A file's text by the read rule, from Qt's decoders: UTF-16 behind its mark; valid UTF-8 behind a mark or
// with a multi-byte character; else Windows-1252. Only the first mark is one.
inline QString decoded(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return units(bytes.sliced(2), bytes[0] == '\xFF');
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(bytes.sliced(marked ? 3 : 0));
    if (!utf8.hasError() && (marked || text.size() < bytes.size()))
        return text;
    return QStringDecoder("windows-1252", QStringDecoder::Flag::Stateless).decode(bytes);
}

// Half a surrogate pair as a line holds it, which is UTF-8: U+FFFD.
inline QString whole(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

// CR LF and a lone CR end a line; so does an LF once the lone LFs outnumber the CRs. The last line needs no end.
inline QStringList lines(const QString &text, bool keepEmpty)
{
    const bool unix = text.count(u'\n') - text.count(u"\r\n") > text.count(u'\r');
    QStringList lines{QString()};
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || (unix && text[i] == u'\n')) {
            i += text[i] == u'\r' && text.sliced(i + 1).startsWith(u'\n');
            lines.append(QString());
        } else {
            lines.last().append(text[i]);
        }
    }
    if (lines.last().isEmpty())
        lines.removeLast();
    if (!keepEmpty)
        lines.removeAll(QString());
    return lines;
}

// Windows-1252 when every character has a byte and those bytes read back as the text, else UTF-8 behind a mark.
inline QByteArray written(const QStringList &lines)
{
    const QString text = lines.isEmpty() ? QString() : lines.join(u"\r\n").append(u"\r\n");
    const QByteArray bytes = QStringEncoder("windows-1252", QStringEncoder::Flag::Stateless).encode(text);
    return decoded(bytes) == text ? bytes : "\xEF\xBB\xBF" + text.toUtf8();
}

// A line with breaks as a search and a list see it: its lines without the blanks at their ends, CRs as blanks,
// the empty ones left out, joined by a blank.
inline QString joined(const QString &line)
{
    static const QRegularExpression both(QStringLiteral("^[ \t\r\f\v]+|[ \t\r\f\v]+$"));
    if (!line.contains(u'\n'))
        return line;
    QStringList parts;
    for (QString part : line.split(u'\n'))
        if (!part.remove(both).isEmpty())
            parts << part.replace(u'\r', u' ');
    return parts.join(u' ');
}

// fortune's entries: a line (split at LF) of the delimiter alone, a CR after it or not, ends one; flagged comment
// lines go; a line's blanks at its end go, at its start too when joined, and its CRs turn blanks; lines join by
// a blank, or kept, by LF, without the empty ones at the entry's ends (and an entry of one line without its
// indentation); ROT13 is undone; no empties.
inline QStringList fortuneEntries(const QString &text, QChar delimiter, bool comments, bool rotated,
                                  bool keepLines = false)
{
    static const QRegularExpression both(QStringLiteral("^[ \t\r\f\v]+|[ \t\r\f\v]+$")),
        end(QStringLiteral("[ \t\r\f\v]+$"));
    QList<QStringList> lines{QStringList()};
    for (QString line : text.split(u'\n')) {
        if (line == delimiter || line == QString(delimiter) + u'\r')
            lines.append(QStringList());
        else if (!(comments && line.startsWith(QString(2, delimiter))))
            lines.last() += line.remove(keepLines ? end : both).replace(u'\r', u' ');
    }
    QStringList entries;
    for (QStringList &entry : lines) {
        if (!keepLines)
            entry.removeAll(QString());
        while (!entry.isEmpty() && entry.first().isEmpty())
            entry.removeFirst();
        while (!entry.isEmpty() && entry.last().isEmpty())
            entry.removeLast();
        if (entry.size() == 1)
            entry.first().remove(both);
        if (!entry.isEmpty())
            entries += entry.join(keepLines ? u'\n' : u' ');
    }
    for (QString &entry : entries)
        for (QChar &c : entry)
            if (rotated && c.unicode() < 128 && c.isLetter())
                c = QChar(char16_t(((c.unicode() & 0x1F) + 12) % 26 + 1 + (c.unicode() & 0xE0)));
    return entries;
}

} // namespace fuzz
