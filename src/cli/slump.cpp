// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/slump.h"

#include "cli/commands.h"
#include "cli/output.h"
#include "cli/reading.h"
#include "store/bounds.h"
#include "store/collections.h"
#include "store/fortune.h"

#include <QRandomGenerator>

#include <algorithm>

namespace tankedosan::cli {

using namespace store;

namespace {

// An entry of fortune's drawn by its index: read once the draw is over, by its offset alone.
struct IndexedDraw
{
    QString path; // the index
    QByteArray index;
    qsizetype at = 0;
};

enum class Drawn { Proverb, Nothing, BlankEntry, Failed };

// Entry `i` of the text. A small text is read whole; a larger one in parts from just before the entry, doubled
// until the entry ends in one, after its encoding is decided on all of it through a small buffer: a text of
// megabytes is never held whole for one entry.
std::optional<QString> drawnEntry(const QString &text, const QByteArray &index, quint32 i)
{
    constexpr qint64 kFirstPart = qint64(64) << 10;
    const FileStamp stamp = stampOf(text);
    if (stamp.size <= kFirstPart) {
        const Result<QByteArray> whole = readWholeFile(text);
        return whole.ok() ? fortuneEntryAt(*whole, index, i) : std::nullopt;
    }
    TextPart part;
    // Past what a read takes whole no other command reads the text: its parts read as they read.
    if (stamp.size <= maxReadBytes) {
        const Result<FileEncoding> encoding = encodingOfFile(text);
        if (!encoding.ok())
            return std::nullopt;
        part.readAs = *encoding;
    }
    const std::optional<qint64> offset = fortuneOffset(index, i);
    if (!offset)
        return std::nullopt;
    part.from = std::max<qint64>(*offset - 4, 0);
    for (qint64 size = kFirstPart; size <= maxReadBytes; size *= 2) {
        const Result<QByteArray> bytes = readFilePart(text, part.from, size);
        if (!bytes.ok())
            return std::nullopt;
        part.reachesEnd = bytes->size() < size;
        if (auto entry = fortuneEntryAt(*bytes, index, i, part); entry || part.reachesEnd)
            return entry;
    }
    return std::nullopt;
}

// The entry an index's draw fell on, read from its text by its offset. An entry of blanks (which strfile
// counts) makes the draw start again, so every proverb stays equally likely; an index that no longer fits its
// text (edited since strfile ran) gives way to the text read whole.
Drawn readIndexedDraw(const IndexedDraw &drawn, ProverbDraw &draw)
{
    const auto entry = drawnEntry(fortuneTextPath(drawn.path), drawn.index, quint32(drawn.at));
    if (entry) {
        draw.setProverb(*entry);
        return entry->isEmpty() ? Drawn::BlankEntry : Drawn::Proverb;
    }
    const Result<CollectionText> whole = readCollectionBytes(drawn.path);
    if (auto failure = whole.failure()) {
        printFailure(*failure);
        return Drawn::Failed;
    }
    const LineStore::FileLines lines(whole->bytes, whole->form);
    ProverbDraw within(draw.next());
    within.offer(lines);
    draw.setProverb(within.proverb());
    return within.isEmpty() ? Drawn::Nothing : Drawn::Proverb;
}

// One draw over the collections: a collection of lines is read whole and let go, an index of fortune's is
// weighed by the count in its header and its text read only when the draw falls on it (a UTF-16 text, which
// strfile cannot count, is read whole as a collection of lines, and so is any text when the user named an
// encoding, which only a text read whole is decoded in).
Drawn drawOnce(const std::vector<Collection> &collections, ProverbDraw &draw, bool &allRead,
               const ChosenEncoding &encoding, bool inPlace, const Collection *&from)
{
    std::optional<IndexedDraw> indexed;
    for (const Collection &collection : collections) {
        FileStamp stamp;
        const Result<CollectionFile> file = readCollectionFile(collection.path, &stamp);
        MaybeFailure failure = file.failure();
        CollectionText text{file.ok() ? file->bytes : QByteArray()};
        if (!failure && file->form == CollectionForm::FortuneIndex && inPlace && encoding.isWindows1252()
            && fortuneIndexServesText(collection.path)) {
            const FortuneIndex header = *fortuneIndexOf(text.bytes);
            // The end's offset, where a shuffled index has it among the entries', reads as an entry of blanks.
            if (draw.offer(qsizetype(header.count) + (header.shuffled() ? 1 : 0))) {
                indexed = IndexedDraw{collection.path, text.bytes, draw.drawn()};
                from = &collection;
            }
            continue;
        }
        if (!failure && file->form == CollectionForm::FortuneIndex) {
            const Result<CollectionText> whole = readCollectionBytes(collection.path, &stamp);
            failure = whole.failure();
            text = whole.ok() ? *whole : CollectionText();
        }
        if (!failure) {
            failure = checkWhole(collection.path, text.bytes, stamp);
            if (!failure) {
                text.bytes = encoding.asStoreBytes(std::move(text.bytes));
                const LineStore::FileLines lines(text.bytes, text.form);
                failure = checkLines(collection.path, lines);
                if (!failure && draw.offer(lines)) {
                    indexed.reset();
                    from = &collection;
                }
            }
        }
        if (failure) {
            printFailure(*failure);
            allRead = false;
        }
    }
    if (!indexed)
        return draw.isEmpty() ? Drawn::Nothing : Drawn::Proverb;
    return readIndexedDraw(*indexed, draw);
}
} // namespace

std::optional<DrawnProverb> drawProverb(const std::vector<Collection> &collections, ProverbDraw &draw,
                                        const ChosenEncoding &encoding, bool numbered, bool &allRead)
{
    const Collection *from = nullptr;
    Drawn drawn = Drawn::BlankEntry;
    // Entries of blanks are few: a handful of draws finds a proverb unless there is none.
    for (int round = 0; round < 64 && drawn == Drawn::BlankEntry; ++round) {
        draw.restart();
        drawn = drawOnce(collections, draw, allRead, encoding, !numbered, from);
        if (!allRead)
            break;
    }
    if (drawn == Drawn::Failed)
        allRead = false;
    if (drawn != Drawn::Proverb || draw.proverb().isEmpty())
        return std::nullopt;
    return DrawnProverb{draw.proverb(), from->name, numbered ? draw.drawn() + 1 : 0};
}

int randomProverb(const CommandLine &line)
{
    const auto collections = chosenCollections(line.collection);
    if (!collections)
        return kError;
    ProverbDraw draw(QRandomGenerator::system()->generate64());
    bool allRead = true;
    const std::optional<DrawnProverb> drawn = drawProverb(*collections, draw, line.encoding, false, allRead);
    if (!drawn)
        return allRead ? kNotFound : kError;
    Printer out(stdout);
    out.line(drawn->proverb);
    if (!out.finish())
        return kError;
    return allRead ? kFound : kError;
}

ProverbDraw::ProverbDraw(std::uint64_t seed)
    : m_random(seed)
{ }

bool ProverbDraw::offer(qsizetype size)
{
    if (size == 0)
        return false;
    m_seen += size;
    // One number below all the proverbs seen so far: it falls on this collection's with the chance of its
    // share, and is then a uniform position inside it.
    const qsizetype drawn = std::uniform_int_distribution<qsizetype>(0, m_seen - 1)(m_random);
    if (drawn >= size)
        return false;
    m_drawn = drawn;
    return true;
}

bool ProverbDraw::offer(const LineStore::FileLines &lines)
{
    if (!offer(lines.size()))
        return false;
    m_proverb = lines.at(m_drawn); // only that proverb is decoded
    return true;
}

void ProverbDraw::restart()
{
    m_seen = 0;
    m_proverb.clear();
}

} // namespace tankedosan::cli
