// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/fortune.h"

#include "store/bounds.h"
#include "store/encoding.h"
#include "store/linesplitter.h"
#include "store/shown.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

namespace tankedosan::store {

namespace {

constexpr qsizetype kHeaderBytes = 24;
constexpr quint32 kKnownFlags = 0x1 | 0x2 | 0x4 | 0x8; // random, ordered, rotated, comments

quint32 word(QByteArrayView bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.data() + at);
}

// The blanks trimmed from both ends of an entry's lines.
bool isEntryBlank(char c)
{
    return isEdgeBlank(char16_t(uchar(c)));
}

// The line without the blanks at its end, and at its start too unless the line's indentation is kept.
QByteArrayView trimmed(QByteArrayView line, bool keepIndent = false)
{
    while (!keepIndent && !line.isEmpty() && isEntryBlank(line.front()))
        line = line.sliced(1);
    while (!line.isEmpty() && isEntryBlank(line.back()))
        line.chop(1);
    return line;
}

// A line that holds the delimiter alone (an editor on Windows may have left a CR behind it).
bool isDelimiterLine(QByteArrayView line, char delimiter)
{
    if (!line.isEmpty() && line.back() == '\r')
        line.chop(1);
    return line.size() == 1 && line.front() == delimiter;
}

// Where the entry that holds the line beginning at `from` ends: at the first delimiter line from there on, or at
// the text's end. Only that far is walked: an entry may stand near the start of megabytes.
qsizetype entryEnd(QByteArrayView text, qsizetype from, char delimiter)
{
    while (from < text.size()) {
        const qsizetype lf = text.indexOf('\n', from);
        const qsizetype lineEnd = lf < 0 ? text.size() : lf;
        if (isDelimiterLine(text.sliced(from, lineEnd - from), delimiter))
            break;
        from = lf < 0 ? text.size() : lf + 1;
    }
    return from;
}

char rot13(char c)
{
    if (c >= 'a' && c <= 'z')
        return char('a' + (c - 'a' + 13) % 26);
    if (c >= 'A' && c <= 'Z')
        return char('A' + (c - 'A' + 13) % 26);
    return c;
}

// Calls take(line) for every line of the text split at LF alone, as fortune splits it, without its LF.
template<typename Take>
void forEachLfLine(QByteArrayView text, Take take)
{
    const char *p = text.data();
    const char *const end = p + text.size();
    while (p < end) {
        const auto *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *lineEnd = lf ? lf : end;
        take(QByteArrayView(p, lineEnd - p));
        p = lf ? lf + 1 : end;
    }
}

// The entries of the text from `from` on (UTF-8 or 8-bit), each ended by CR LF but the last, written over the
// text itself from its start: an entry never takes more bytes than its lines and the delimiter line after
// them did (each LF written stands for one read), so the writing never overtakes the reading, and a text of
// megabytes is joined without a copy. An entry keeps its lines (parted by LF, empty ones inside it kept, each
// line's indentation kept) or is joined into one, as `form` says.
void joinEntries(QByteArray &text, qsizetype from, const FortuneIndex &index, EntryForm form)
{
    const bool keepLines = form == EntryForm::Lines;
    char *const data = text.data();
    char *out = data;
    char *entry = out; // where the entry being built begins
    qsizetype emptyLines = 0; // inside the entry, written only when a line follows them
    const bool hasCr = std::memchr(data + from, '\r', size_t(text.size() - from)) != nullptr;
    const auto unrotate = [&] {
        // An entry of one line has nothing to line up with: it keeps no indentation, and reads as it is joined.
        if (keepLines && !std::memchr(entry, '\n', size_t(out - entry))) {
            const char *words = entry;
            while (words < out && isEntryBlank(*words))
                ++words;
            out = std::copy(words, static_cast<const char *>(out), entry);
        }
        if (index.rotated())
            std::transform(entry, out, entry, rot13);
    };
    auto endEntry = [&] {
        emptyLines = 0;
        if (out == entry)
            return; // an empty entry
        unrotate();
        *out++ = '\r';
        *out++ = '\n';
        entry = out;
    };
    forEachLfLine(QByteArrayView(data + from, text.size() - from), [&](QByteArrayView line) {
        if (isDelimiterLine(line, index.delimiter))
            return endEntry();
        if (index.comments() && line.size() >= 2 && line[0] == index.delimiter && line[1] == index.delimiter)
            return;
        const QByteArrayView words = trimmed(line, keepLines);
        if (words.isEmpty()) {
            emptyLines += out > entry;
            return;
        }
        if (out > entry) { // where the line end before it was
            if (keepLines)
                out = std::fill_n(out, emptyLines + 1, '\n');
            else
                *out++ = ' ';
        }
        emptyLines = 0;
        char *const wordsAt = out;
        std::memmove(out, words.data(), size_t(words.size()));
        out += words.size();
        // A CR inside a line would end the entry's line when read back. Most texts hold none, and a byte-wise
        // replace in every line was most of the time of joining a folder of fortunes.
        if (hasCr)
            std::replace(wordsAt, out, '\r', ' ');
    });
    // The last entry needs no line end (the read form takes a last line without one), and there may be no
    // room for one where no delimiter line follows it.
    unrotate();
    text.truncate(out - data);
}

bool startsWithByteOrderMark(QByteArrayView bytes)
{
    return bytes.startsWith(kUtf8ByteOrderMark) || startsWithUtf16Bom(bytes);
}

// Entries that would be misread in their own bytes, as UTF-8 behind a mark, which every reader takes as such.
QByteArray asMarkedUtf8(const QString &entries)
{
    return kUtf8ByteOrderMark + encodeUtf8(entries);
}

} // namespace

std::optional<FortuneIndex> fortuneIndexOf(QByteArrayView bytes)
{
    if (bytes.size() < kHeaderBytes)
        return std::nullopt;
    FortuneIndex index;
    index.version = word(bytes, 0);
    index.count = word(bytes, 4);
    index.longest = word(bytes, 8);
    index.flags = word(bytes, 16);
    index.delimiter = bytes[20];
    const bool printable = index.delimiter > ' ' && index.delimiter < 0x7F;
    if ((index.version != 1 && index.version != 2) || !printable || (index.flags & ~kKnownFlags) != 0 || bytes[21] != 0
        || bytes[22] != 0 || bytes[23] != 0)
        return std::nullopt;
    const qint64 offsets = qint64(index.count) + 1;
    const qint64 tail = bytes.size() - kHeaderBytes;
    if (tail != offsets * 4 && tail != offsets * 8)
        return std::nullopt;
    return index;
}

std::optional<qint64> fortuneOffset(QByteArrayView indexBytes, quint32 i)
{
    const auto index = fortuneIndexOf(indexBytes);
    if (!index || i > index->count)
        return std::nullopt;
    const bool wide = indexBytes.size() - kHeaderBytes == (qint64(index->count) + 1) * 8;
    if (!wide)
        return qint64(word(indexBytes, kHeaderBytes + qint64(i) * 4));
    const quint64 offset = qFromBigEndian<quint64>(indexBytes.data() + kHeaderBytes + qint64(i) * 8);
    if (offset > quint64(std::numeric_limits<qint64>::max()))
        return std::nullopt; // no text is that long
    return qint64(offset);
}

std::optional<QString> fortuneEntryAt(QByteArrayView text, QByteArrayView indexBytes, quint32 i, const TextPart &part)
{
    const qint64 textFrom = part.from;
    const std::optional<FortuneIndex> index = fortuneIndexOf(indexBytes);
    const std::optional<qint64> offset = index ? fortuneOffset(indexBytes, i) : std::nullopt;
    if (!offset)
        return std::nullopt;
    if (*offset < textFrom || *offset - textFrom > text.size() || (textFrom == 0 && startsWithUtf16Bom(text))
        || (part.readAs && isUtf16(part.readAs->encoding)))
        return std::nullopt;
    qsizetype at = qsizetype(*offset - textFrom);
    // An entry begins at the text's start or after a line that holds the delimiter alone; anywhere else the
    // text was edited after strfile ran. A part of a text holds the line before the entry whole, or that line
    // is longer than a delimiter line.
    if (*offset > 0) {
        if (at == 0 || text[at - 1] != '\n')
            return std::nullopt;
        const qsizetype lineStart = text.first(at - 1).lastIndexOf('\n') + 1;
        if ((lineStart == 0 && textFrom > 0)
            || !isDelimiterLine(text.sliced(lineStart, at - 1 - lineStart), index->delimiter))
            return std::nullopt;
    }
    // The entry reads as the whole text reads: in its encoding, decided on all of it.
    const FileEncoding encoding = part.readAs ? *part.readAs : encodingOf(text);
    if (textFrom == 0)
        at = std::max(at, encoding.markSize());
    const qsizetype end = entryEnd(text, at, index->delimiter);
    if (end == text.size() && !part.reachesEnd)
        return std::nullopt; // the part ends before the entry does
    QByteArray entry = text.sliced(at, end - at).toByteArray();
    joinEntries(entry, 0, *index, EntryForm::Lines);
    return encoding.encoding == TextEncoding::Utf8 ? decodeUtf8(entry) : decodeWindows1252(entry);
}

QString fortuneTextPath(const QString &indexPath)
{
    return indexPath.endsWith(u".dat"_s, Qt::CaseInsensitive) ? indexPath.chopped(4) : QString();
}

bool isBinary(QByteArrayView bytes)
{
    if (startsWithUtf16Bom(bytes))
        return false;
    const QByteArrayView head = bytes.first(std::min<qsizetype>(bytes.size(), 1024));
    return head.contains('\0');
}

bool isFortuneText(QByteArrayView bytes)
{
    int delimiters = 0;
    forEachLfLine(bytes, [&](QByteArrayView line) { delimiters += isDelimiterLine(line, '%'); });
    return delimiters >= 2;
}

bool fortuneSearchInPlace(QByteArrayView text, const FortuneIndex &index, QStringView needle, Match match)
{
    // A match then lies inside one line of the text, in the entry the line belongs to, and the same match lies
    // in that entry joined. Every entry takes four bytes at least ("x", a line end, "%", a line end).
    const auto cuttable = [](QChar c) {
        return c.unicode() <= u' ';
    }; // a blank, a line end, a control
    return match == Match::Anywhere && !needle.isEmpty() && std::none_of(needle.begin(), needle.end(), cuttable)
           && !index.rotated() && !index.comments() && !startsWithUtf16Bom(text)
           && (text.size() + 3) / 4 <= maxReadLines;
}

void findFortuneEntries(QByteArrayView text, const FortuneIndex &index, QStringView needle,
                        const std::function<void(const QString &)> &hit)
{
    // Lines parted at every LF and CR, so that each lies within one line of the text's own (parted at LF).
    const LineStore::FileLines lines(text, LineEnds::Unix);
    const char *const begin = lines.text().data(), *const end = begin + lines.text().size();
    const auto lineStart = [&](const char *p) { // of the line that p lies in, or begins just after
        return begin + QByteArrayView(begin, p - begin).lastIndexOf('\n') + 1;
    };
    const auto delimiterLine = [&](const char *from) {
        const void *lf = std::memchr(from, '\n', size_t(end - from));
        return isDelimiterLine(QByteArrayView(from, lf ? static_cast<const char *>(lf) : end), index.delimiter);
    };
    const char *found = begin; // the end of the entry found last: a later match in it adds nothing
    lines.findAllLines(needle, Match::Anywhere, [&](QByteArrayView line) {
        const char *const at = lineStart(line.data());
        if (at < found || delimiterLine(at))
            return;
        const char *entry = at;
        while (entry > begin && !delimiterLine(lineStart(entry - 1)))
            entry = lineStart(entry - 1);
        found = begin + entryEnd(lines.text(), at - begin, index.delimiter);
        QByteArray whole(entry, found - entry);
        joinEntries(whole, 0, index, EntryForm::Lines);
        hit(lines.decoded(whole));
    });
}

QByteArray fortuneEntries(QByteArray text, const FortuneIndex &index, EntryForm form)
{
    // Joining keeps every byte above 127 beside the bytes it stood beside and adds only ASCII, so valid UTF-8
    // stays valid and the rest stays not: the entries read in the encoding the text reads in. Only the start
    // can change: what was a text's first words after a blank line or an empty entry may look like a
    // byte-order mark once it stands first.
    if (!index.comments() && !startsWithByteOrderMark(text)) {
        joinEntries(text, 0, index, form);
        if (!startsWithByteOrderMark(text))
            return text;
        // FF and FE are no UTF-8, so such a text was Windows-1252; EF BB BF is U+FEFF in a UTF-8 one.
        const bool utf8 = !startsWithUtf16Bom(text) && encodingOf(text).encoding == TextEncoding::Utf8;
        return asMarkedUtf8(utf8 ? decodeUtf8(text) : decodeWindows1252(text));
    }
    const FileEncoding encoding = encodingOf(text);
    qsizetype from = encoding.markSize();
    if (isUtf16(encoding.encoding)) {
        text = utf8WithMark(text); // as a collection in UTF-16 is read
        from = 3;
    }
    joinEntries(text, from, index, form);
    // Lines of UTF-8 joined are UTF-8 again, or ASCII, which reads alike either way. Windows-1252 could read as
    // UTF-8 once a comment is gone, and either could begin with what looks like a mark.
    const FileEncoding joined = encodingOf(text);
    if (encoding.encoding == TextEncoding::Windows1252)
        return joined.encoding == TextEncoding::Windows1252 && !startsWithByteOrderMark(text)
                   ? text
                   : asMarkedUtf8(decodeWindows1252(text));
    return startsWithByteOrderMark(text) ? asMarkedUtf8(decodeUtf8(text)) : text;
}

} // namespace tankedosan::store
