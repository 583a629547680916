// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "dbus/desktopsearch.h"

#include "cli/reading.h"
#include "store/collections.h"
#include "store/fortune.h"
#include "store/linestore.h"
#include "store/shown.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tankedosan::dbus {

using namespace store;

namespace {

// What a collection is on disk: its file, and for an index of fortune's the text it stands for, which an
// editor may change without touching the index.
std::pair<FileStamp, FileStamp> collectionStamps(const QString &path)
{
    const QString text = fortuneTextPath(path);
    return {stampOf(path), text.isEmpty() ? FileStamp() : stampOf(text)};
}

// A single letter would find most of every collection: the desktop asks again as the user types on.
bool searchable(const QStringList &terms)
{
    return std::any_of(terms.begin(), terms.end(), [](const QString &term) { return term.size() >= 2; });
}

// The term the collection is scanned for: the longest, which the fewest lines hold; the others are checked
// on the lines it finds.
qsizetype scannedTerm(const QStringList &terms)
{
    return std::max_element(terms.begin(), terms.end(),
                            [](const QString &a, const QString &b) { return a.size() < b.size(); })
           - terms.begin();
}

bool holdsAll(const QString &proverb, const QStringList &terms)
{
    return std::all_of(terms.begin(), terms.end(),
                       [&](const QString &term) { return textMatches(proverb, term, Match::Anywhere); });
}

} // namespace

std::optional<FoundId> readId(const QString &id)
{
    const qsizetype slash = id.lastIndexOf(u'/');
    bool ok = false;
    const qsizetype number = slash > 0 ? id.mid(slash + 1).toLongLong(&ok) : 0;
    if (!ok || number < 1 || id.mid(slash + 1).startsWith(u'+'))
        return std::nullopt;
    return FoundId{id.first(slash), number};
}

QString shortProverb(const QString &proverb, qsizetype most)
{
    const QString row = joinedLines(proverb);
    if (row.size() <= most)
        return row;
    qsizetype cut = most;
    if (row[cut - 1].isHighSurrogate())
        --cut;
    // After a word, where one ends in the last third; a word longer than that is cut inside.
    for (qsizetype at = cut; at > most * 2 / 3; --at) {
        if (row[at].isSpace()) {
            cut = at;
            break;
        }
    }
    QString shown = row.first(cut);
    while (!shown.isEmpty() && (shown.back().isSpace() || shown.back().isPunct()))
        shown.chop(1);
    return shown + u'…';
}

// The hits of one query as they are found: those that begin with the first term, and the others, each in the
// folder's order. No more of either is kept than a reply can take, and once the first are enough no later hit
// can enter the reply.
struct DesktopSearch::Hits
{
    QString first;
    std::vector<Found> beginning, others;
    bool complete() const { return qsizetype(beginning.size()) >= kMostHits; }
};

void DesktopSearch::searchCollection(const QString &name, const QString &path, const QStringList &terms, Hits &hits,
                                     const std::vector<qsizetype> *only)
{
    // Taken before the read: a file changed while it is read is then read again at the next query.
    const Stamps stamps = collectionStamps(path);
    const Result<CollectionText> text = cli::readWholeCollection(path, {}, folderEncoding());
    if (!text.ok())
        return; // the desktop's search shows what it finds; a file it cannot read is the window's to tell
    const LineStore::FileLines lines(text->bytes, text->form);
    if (cli::checkLines(path, lines))
        return;
    m_searched[name] = stamps;
    // The hits that can still enter the reply, numbered once the scan is over: a number costs a count of the
    // lines before the hit, which a hit left out need not pay. Hits kept only among `only` are numbered as they
    // are found, for which those are is known only then.
    struct Pending
    {
        const char *at;
        qsizetype number;
        QString proverb;
        bool begins;
    };
    std::vector<Pending> pending;
    LineStore::FileLines::Counted counted;
    qsizetype beginning = qsizetype(hits.beginning.size()), others = qsizetype(hits.others.size());
    lines.findLinesWhile(terms[scannedTerm(terms)], Match::Anywhere, [&](QByteArrayView line) {
        const qsizetype number = only ? lines.indexAt(line.data(), counted) + 1 : 0;
        if (only && !std::binary_search(only->begin(), only->end(), number))
            return true;
        QString proverb = lines.decoded(line);
        if (!holdsAll(proverb, terms))
            return true;
        const bool begins = textMatches(proverb, hits.first, Match::Beginning);
        qsizetype &count = begins ? beginning : others;
        if (count < kMostHits) {
            pending.push_back({line.data(), number, std::move(proverb), begins});
            ++count;
        }
        return beginning < kMostHits;
    });
    for (Pending &hit : pending) {
        const qsizetype number = only ? hit.number : lines.indexAt(hit.at, counted) + 1;
        (hit.begins ? hits.beginning : hits.others).push_back({name, number, std::move(hit.proverb)});
    }
}

std::vector<Found> DesktopSearch::answer(Hits &hits, bool narrowing)
{
    std::vector<Found> reply = std::move(hits.beginning);
    for (Found &found : hits.others) {
        if (qsizetype(reply.size()) == kMostHits)
            break;
        reply.push_back(std::move(found));
    }
    // What the reply named is held: the desktop asks for those texts next, and narrows them as the user types
    // on. A narrowing keeps what the reply it narrows held besides, for the desktop narrows that one again when
    // a letter is typed and erased; a new search, or more than a few narrowings, starts anew.
    qsizetype held = 0;
    for (const auto &[name, collection] : m_held)
        held += qsizetype(collection.proverbs.size());
    if (!narrowing || held > 10 * kMostHits)
        m_held.clear();
    // Every hit comes from a collection as it was when last searched (a narrowing uses its held proverbs only
    // while the file is so), and nothing held from an older state of a file may stay beside them.
    std::erase_if(m_held,
                  [&](const auto &collection) { return collection.second.stamps != m_searched.at(collection.first); });
    for (const Found &found : reply) {
        Held &collection = m_held[found.collection];
        collection.stamps = m_searched.at(found.collection);
        collection.proverbs[found.number] = found.proverb;
    }
    return reply;
}

std::vector<Found> DesktopSearch::initial(const QStringList &terms)
{
    if (!searchable(terms))
        return {};
    Hits hits{terms.front(), {}, {}};
    for (const cli::Collection &collection : cli::allCollections()) {
        if (hits.complete())
            break;
        searchCollection(collection.name, collection.path, terms, hits);
    }
    return answer(hits, false);
}

std::vector<Found> DesktopSearch::narrowed(const QStringList &previous, const QStringList &terms)
{
    if (!searchable(terms))
        return {};
    std::map<QString, std::vector<qsizetype>> numbers;
    for (const QString &id : previous) {
        if (const auto read = readId(id))
            numbers[read->collection].push_back(read->number);
    }
    Hits hits{terms.front(), {}, {}};
    for (const cli::Collection &collection : cli::allCollections()) {
        auto wanted = numbers.find(collection.name);
        if (wanted == numbers.end())
            continue;
        std::vector<qsizetype> &only = wanted->second;
        std::sort(only.begin(), only.end());
        const Stamps stamps = collectionStamps(collection.path);
        const auto searched = m_searched.find(collection.name);
        const auto held = m_held.find(collection.name);
        const bool allHeld = held != m_held.end() && held->second.stamps == stamps
                             && std::all_of(only.begin(), only.end(),
                                            [&](qsizetype number) { return held->second.proverbs.count(number) > 0; });
        if (searched != m_searched.end() && searched->second != stamps) {
            // Changed since it was searched: its numbers may name other proverbs now.
            searchCollection(collection.name, collection.path, terms, hits);
        } else if (allHeld) {
            for (const qsizetype number : only) {
                const QString &proverb = held->second.proverbs.at(number);
                auto &list = textMatches(proverb, hits.first, Match::Beginning) ? hits.beginning : hits.others;
                if (holdsAll(proverb, terms) && qsizetype(list.size()) < kMostHits)
                    list.push_back({collection.name, number, proverb});
            }
        } else {
            // Hits this service did not find or no longer holds: found again, and kept only where they were.
            searchCollection(collection.name, collection.path, terms, hits, &only);
        }
    }
    return answer(hits, true);
}

std::vector<Found> DesktopSearch::found(const QStringList &ids)
{
    std::vector<Found> result;
    // Read once a call, and only when a proverb asked for is not held as it is on disk.
    std::map<QString, std::optional<std::pair<QByteArray, ReadForm>>> read;
    for (const QString &id : ids) {
        const std::optional<FoundId> named = readId(id);
        if (!named)
            continue;
        const QString path = collectionFile(named->collection);
        if (!collectionListed(named->collection))
            continue;
        const auto held = m_held.find(named->collection);
        if (held != m_held.end() && held->second.stamps == collectionStamps(path)) {
            const auto proverb = held->second.proverbs.find(named->number);
            if (proverb != held->second.proverbs.end()) {
                result.push_back({named->collection, named->number, proverb->second});
                continue;
            }
        }
        auto &text = read[named->collection];
        if (!text) {
            const Result<CollectionText> whole = cli::readWholeCollection(path, {}, folderEncoding());
            text = whole.ok() ? std::pair{whole->bytes, whole->form} : std::pair{QByteArray(), ReadForm::File};
        }
        const LineStore::FileLines lines(text->first, text->second);
        if (named->number <= lines.size())
            result.push_back({named->collection, named->number, lines.at(named->number - 1)});
    }
    return result;
}

} // namespace tankedosan::dbus
