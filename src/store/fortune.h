// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/encoding.h"
#include "store/linestore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

namespace tankedosan::store {

// The quotation files of fortune: a text file of entries, each ended by a line that holds only the
// delimiter ("%"), and beside it NAME.dat, the index that strfile made of it (a header of six big-endian
// 32-bit words, then where each entry begins). The index is what fortune's folders list as *.dat, so the
// collection it stands for is its text file, read as entries, and never written: it belongs to fortune.

struct FortuneIndex
{
    quint32 version = 0;
    quint32 count = 0; // entries; one of blanks alone counts, an empty one does not
    quint32 longest = 0; // bytes of the longest entry
    quint32 flags = 0;
    char delimiter = '%';

    // The offsets shuffled (strfile -r), the one of the text's end among them: a draw takes from all count + 1.
    bool shuffled() const { return flags & 0x1; }
    bool rotated() const { return flags & 0x4; } // the text is ROT13 (fortune's offensive files)
    bool comments() const { return flags & 0x8; } // lines that begin with the delimiter twice are comments
};

// The header of a strfile index, when the bytes are one: version 1 or 2, a printable delimiter, no unknown
// flags, and exactly one offset (of 32 or 64 bits) for each entry and one for the end.
std::optional<FortuneIndex> fortuneIndexOf(QByteArrayView bytes);

// The text file an index at `indexPath` stands for: its name without ".dat", in the same folder (none when
// the index is not named so).
QString fortuneTextPath(const QString &indexPath);

// Neither text nor an index: a NUL among the first kilobyte, where no text but UTF-16 has one.
bool isBinary(QByteArrayView bytes);

// At least two lines that hold only "%": a text in fortune's format (the import offers its entries).
bool isFortuneText(QByteArrayView bytes);

// How an entry's lines come out of its text: kept, parted by LF, as the entry is shown, copied and printed
// (a poem or a drawing keeps its form); or joined into one line, as a collection of one proverb a line
// takes it in. Both leave out the blanks at each line's end, and the lines of blanks at the entry's ends;
// joined, the blanks at each line's start go too (see joinedLines).
enum class EntryForm { Lines, Joined };

// Where entry `i` begins in the text, by the index's bytes (the header and the offsets after it).
std::optional<qint64> fortuneOffset(QByteArrayView indexBytes, quint32 i);
// Where the bytes given for a fortune text lie in its file: all of it, or a part from `from` on (to the file's
// end when `reachesEnd`); read as `readAs` when that was decided on the whole file.
struct TextPart
{
    qint64 from = 0;
    bool reachesEnd = true;
    std::optional<FileEncoding> readAs;
};

// Entry `i` of a fortune text by its index, read in place: with its lines, as fortuneEntries gives them, and decoded as
// the whole text reads. An empty text for an entry of blanks; nothing where the index does not fit the text:
// an offset past its end or where no entry begins (as when the text was edited after strfile made the
// index), or a UTF-16 text, whose lines strfile cannot tell apart. A text too large to read whole is read in a
// part from a few bytes before the entry; without `readAs` it reads as that part reads. Nothing then also when
// the part ends before the entry does.
std::optional<QString> fortuneEntryAt(QByteArrayView text, QByteArrayView indexBytes, quint32 i,
                                      const TextPart &part = {});

// Whether a search can run over a fortune text as it lies and find exactly the entries that the lines of
// fortuneEntries would give: a search anywhere for a needle that no line end, blank, join, ROT13 or dropped
// comment can cut or make, in a text that is no UTF-16 and too small to hold more entries than a collection
// may have lines (so it needs no count).
bool fortuneSearchInPlace(QByteArrayView text, const FortuneIndex &index, QStringView needle, Match match);
// Such a search: each entry that holds a match, with its lines and decoded as fortuneEntryAt reads it, in text
// order. Only the entries found are taken out; the rest of the text is searched where it lies.
void findFortuneEntries(QByteArrayView text, const FortuneIndex &index, QStringView needle,
                        const std::function<void(const QString &)> &hit);

// A fortune text in the read form of a collection, one line per entry, each ended by CR LF: its lines kept
// (parted by LF inside it, so that only CR LF ends an entry: ReadForm::Entries) or joined, as `form` says;
// empty entries left out, ROT13 undone, a CR inside a line turned blank, and comment lines dropped when the
// index says so. Encoded so that encodingOf reads it as the text was read.
QByteArray fortuneEntries(QByteArray text, const FortuneIndex &index, EntryForm form);

} // namespace tankedosan::store
