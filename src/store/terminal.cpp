// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/terminal.h"

#include "store/collections.h"
#include "store/editorsort.h"
#include "store/fortune.h"
#include "store/files.h"
#include "store/failure.h"

#include "store/bounds.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <iconv.h>
#include <langinfo.h>

using namespace Qt::StringLiterals;

namespace store {

namespace {

// The locale's character set when it is neither UTF-8 nor the C locale's ASCII; empty otherwise.
const QByteArray &localeCharset()
{
    static const QByteArray charset = [] {
        std::setlocale(LC_CTYPE, "");
        const QByteArray name = QByteArray(nl_langinfo(CODESET)).toUpper();
        if (name == "UTF-8" || name == "UTF8" || name == "ANSI_X3.4-1968" || name == "ASCII" || name.isEmpty())
            return QByteArray();
        return name;
    }();
    return charset;
}

// iconv over a whole text at once; whatever it cannot convert is left out rather than stopping the output.
QByteArray convert(const char *to, const char *from, QByteArrayView bytes)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return bytes.toByteArray();
    QByteArray out(bytes.size() * 4 + 16, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char *o = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &o, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            const qsizetype done = o - out.data();
            out.resize(out.size() * 2);
            o = out.data() + done;
            outLeft = size_t(out.size() - done);
        } else { // a byte sequence it cannot take: skip one byte
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    out.truncate(o - out.data());
    return out;
}

// Standard output, written in large blocks: a search may print a million proverbs.
class Printer
{
public:
    explicit Printer(FILE *file)
        : m_file(file)
    { }
    ~Printer() { flush(); }
    void line(QStringView text)
    {
        m_buffer += text;
        m_buffer += u'\n';
        if (m_buffer.size() >= (1 << 16))
            flush();
    }
    void flush()
    {
        if (m_buffer.isEmpty())
            return;
        const QByteArray bytes = toTerminal(m_buffer);
        // Out before any error that follows, so the two streams keep their order in a terminal.
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_file);
        std::fflush(m_file);
        m_buffer.clear();
    }
    // False when a write failed (a closed pipe, a full disk): the command then ends with status 2.
    bool finish()
    {
        flush();
        return std::fflush(m_file) == 0 && !std::ferror(m_file);
    }

private:
    FILE *m_file;
    QString m_buffer;
};

void printError(const QString &text)
{
    const QByteArray bytes = toTerminal(u"tankedosan: "_s + text + u'\n');
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// The standard error message on one line: "Ett fel uppstod." number " - " description; a notice as it stands.
void printFailure(const Failure &failure)
{
    if (failure.notice)
        return printError(failure.description);
    printError(u"Ett fel uppstod. "_s + QString::number(failure.number) + u" - "_s + failure.description);
}

constexpr int kFound = 0, kNotFound = 1, kError = 2;

struct Collection
{
    QString name;
    QString path;
};

// Every collection of the folder, in the main window's order, each with its file as it is spelt.
std::vector<Collection> allCollections()
{
    std::vector<Collection> all;
    for (const QString &file : listFiles(u"*.dat"_s))
        all.push_back({withoutExtension(file), pathInProgramFolder(file)});
    return all;
}

// The file of a collection named by the user: the name exactly as given, else in another letter case (the
// file list compares names that way), as the main window finds it.
std::optional<Collection> findCollection(const std::vector<Collection> &all, const QString &name)
{
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const Collection &collection : all) {
            if (collection.name.compare(name, cs) == 0)
                return collection;
        }
    }
    return std::nullopt;
}

// The collections a command reads: the one named, all of them, or the one the main window starts with
// ("Citat", else the first). None, with the message printed, when there is nothing to read.
std::optional<std::vector<Collection>> chosenCollections(const QString &named)
{
    const std::vector<Collection> all = allCollections();
    if (all.empty()) {
        printError(u"Mappen ''"_s + programFolder() + u"'' har ingen samling."_s);
        return std::nullopt;
    }
    if (named == u"alla"_s)
        return all;
    if (named.isEmpty()) {
        const auto citat =
            std::find_if(all.begin(), all.end(), [](const Collection &c) { return c.name == u"Citat"_s; });
        return std::vector<Collection>{citat != all.end() ? *citat : all.front()};
    }
    if (auto failure = checkName(named)) {
        printFailure(*failure);
        return std::nullopt;
    }
    const auto found = findCollection(all, named);
    if (!found) {
        printError(u"Filen ''"_s + named + u"'' saknas i programkatalogen!"_s);
        return std::nullopt;
    }
    return std::vector<Collection>{*found};
}

// The bytes of a collection, read as the windows read them and with their failures. A file that gave fewer
// bytes than it held when it was opened was cut short by another program meanwhile (failure 57): what was
// read is then only a part of it.
MaybeFailure checkWhole(const QString &path, const QByteArray &bytes, const FileStamp &stamp)
{
    if (stamp.state == FileStamp::State::Present && bytes.size() < stamp.size)
        return failures::ioError(path);
    return std::nullopt;
}

// As the windows refuse a collection of too many lines.
MaybeFailure checkLines(const QString &path, const LineStore::FileLines &lines)
{
    return lines.size() > kMaxReadLines ? MaybeFailure(failures::tooLarge(path)) : std::nullopt;
}

MaybeFailure readWholeCollection(const QString &path, QByteArray &bytes)
{
    FileStamp stamp;
    if (auto failure = readCollectionBytes(path, bytes, &stamp))
        return failure;
    return checkWhole(path, bytes, stamp);
}

// Reads each collection in turn and gives its lines to use. One that cannot be read is told on standard
// error, after what was printed so far, and the others still go; false when any could not be read.
template<typename Use>
bool readEach(const std::vector<Collection> &collections, Printer *out, Use use)
{
    bool all = true;
    for (const Collection &collection : collections) {
        QByteArray bytes;
        MaybeFailure failure = readWholeCollection(collection.path, bytes);
        if (!failure) {
            const LineStore::FileLines lines(bytes);
            failure = checkLines(collection.path, lines);
            if (!failure)
                use(collection, lines);
        }
        if (failure) {
            if (out)
                out->flush();
            printFailure(*failure);
            all = false;
        }
    }
    return all;
}

// An entry of fortune's drawn by its index: read once the draw is over, by its offset alone.
struct IndexedDraw
{
    QString path; // the index
    QByteArray index;
    qsizetype at = 0;
};

enum class Drawn { Proverb, Nothing, BlankEntry, Failed };

// The entry an index's draw fell on. An entry of blanks (which strfile counts) makes the draw start again,
// so every proverb stays equally likely; an index that no longer fits its text (edited since strfile ran)
// gives way to the text read whole.
Drawn readIndexedDraw(const IndexedDraw &drawn, ProverbDraw &draw)
{
    const FortuneIndex index = *fortuneIndexOf(drawn.index);
    const QString text = fortuneTextPath(drawn.path);
    const std::optional<qint64> at = fortuneOffset(drawn.index, quint32(drawn.at));
    const qint64 before = std::min<qint64>(at.value_or(0), 2);
    const qint64 size = qint64(index.longest) + 3 + before; // the entry, and the delimiter line after it
    QByteArray bytes;
    if (at && !readFilePart(text, *at - before, size, bytes) && bytes.size() >= before) {
        const auto entry = fortuneEntryAt(QByteArrayView(bytes).first(before), QByteArrayView(bytes).sliced(before),
                                          bytes.size() < size, index);
        if (entry) {
            draw.setProverb(*entry);
            return entry->isEmpty() ? Drawn::BlankEntry : Drawn::Proverb;
        }
    }
    QByteArray whole;
    if (auto failure = readCollectionBytes(drawn.path, whole)) {
        printFailure(*failure);
        return Drawn::Failed;
    }
    const LineStore::FileLines lines(whole);
    ProverbDraw within(draw.next());
    within.offer(lines);
    draw.setProverb(within.proverb());
    return within.isEmpty() ? Drawn::Nothing : Drawn::Proverb;
}

// One draw over the collections: a collection of lines is read whole and let go, an index of fortune's is
// weighed by the count in its header and its text read only where the draw falls.
Drawn drawOnce(const std::vector<Collection> &collections, ProverbDraw &draw, bool &allRead)
{
    std::optional<IndexedDraw> indexed;
    for (const Collection &collection : collections) {
        QByteArray bytes;
        CollectionForm form;
        FileStamp stamp;
        MaybeFailure failure = readCollectionFile(collection.path, bytes, form, &stamp);
        if (!failure && form == CollectionForm::FortuneIndex) {
            if (draw.offer(fortuneIndexOf(bytes)->count))
                indexed = IndexedDraw{collection.path, bytes, draw.drawn()};
        } else if (!failure) {
            failure = checkWhole(collection.path, bytes, stamp);
            if (!failure) {
                const LineStore::FileLines lines(bytes);
                failure = checkLines(collection.path, lines);
                if (!failure && draw.offer(lines))
                    indexed.reset();
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

int random(const CommandLine &line)
{
    const auto collections = chosenCollections(line.collection);
    if (!collections)
        return kError;
    ProverbDraw draw(QRandomGenerator::system()->generate64());
    bool allRead = true;
    Drawn drawn = Drawn::BlankEntry;
    // Entries of blanks are few: a handful of draws finds a proverb unless there is none.
    for (int round = 0; round < 64 && drawn == Drawn::BlankEntry; ++round) {
        draw.restart();
        drawn = drawOnce(*collections, draw, allRead);
        if (!allRead)
            break;
    }
    if (drawn != Drawn::Proverb || draw.proverb().isEmpty())
        return allRead && drawn != Drawn::Failed ? kNotFound : kError;
    Printer out(stdout);
    out.line(draw.proverb());
    if (!out.finish())
        return kError;
    return allRead ? kFound : kError;
}

int search(const CommandLine &line)
{
    const auto collections = chosenCollections(line.collection);
    if (!collections)
        return kError;
    const bool named = line.collection == u"alla"_s;
    const Match match = line.beginning ? Match::Beginning : Match::Anywhere;
    bool found = false;
    Printer out(stdout);
    const bool read =
        readEach(*collections, &out, [&](const Collection &collection, const LineStore::FileLines &lines) {
            // The search window's own comparison, so a word is found here exactly where the window finds it.
            const QString prefix = named ? collection.name + u':' : QString();
            lines.findAll(line.needle, match, [&](const QString &proverb) {
                out.line(prefix + proverb);
                found = true;
            });
        });
    if (!out.finish() || !read)
        return kError;
    return found ? kFound : kNotFound;
}

int number(const CommandLine &line)
{
    const auto collections = chosenCollections(line.collection);
    if (!collections)
        return kError;
    const Collection &collection = collections->front();
    LineStore lines;
    if (auto failure = readCollection(collection.path, lines)) {
        printFailure(*failure);
        return kError;
    }
    if (line.number > lines.size()) {
        printError(u"''"_s + collection.name + u"'' har "_s + QString::number(lines.size()) + u" ordspråk; nummer "_s
                   + QString::number(line.number) + u" finns inte."_s);
        return kNotFound;
    }
    Printer out(stdout);
    out.line(lines.at(line.number - 1));
    return out.finish() ? kFound : kError;
}

int collections()
{
    const std::vector<Collection> all = allCollections();
    Printer out(stdout);
    const bool read = readEach(all, &out, [&](const Collection &collection, const LineStore::FileLines &lines) {
        out.line(collection.name + u'\t' + QString::number(lines.size()));
    });
    if (!out.finish() || !read)
        return kError;
    return all.empty() ? kNotFound : kFound;
}

// What an import adds: the lines not yet in the collection (nor earlier in the file), in the file's order.
struct Addition
{
    LineStore added;
    qsizetype alreadyThere = 0;
};

Addition newLines(const LineStore &held, const LineStore &incoming)
{
    Addition addition;
    QSet<QString> seen;
    seen.reserve(held.size() + incoming.size());
    for (qsizetype i = 0; i < held.size(); ++i)
        seen.insert(held.at(i));
    for (qsizetype i = 0; i < incoming.size(); ++i) {
        const QString line = incoming.at(i);
        if (seen.contains(line)) {
            ++addition.alreadyThere;
            continue;
        }
        seen.insert(line);
        addition.added.append(line);
    }
    return addition;
}

// The collection as it is now, or none yet: an import creates it.
MaybeFailure readHeld(const QString &path, LineStore &held, FileStamp &stamp)
{
    stamp = stampOf(path);
    if (stamp.state == FileStamp::State::Absent)
        return std::nullopt;
    return readCollection(path, held, &stamp);
}

// The editor's "Spara" of what the editor would hold after "Lägg till alla": the collection in the editor's
// order with the new lines at their places, written atomically over the file as it was read. When another
// program changes it meanwhile, the addition is worked out again on what it holds then.
int importInto(const CommandLine &line)
{
    if (auto failure = checkNameForWriting(line.collection)) {
        printFailure(*failure);
        return kError;
    }
    LineStore incoming;
    if (auto failure = readImportFile(line.importFile, incoming)) {
        printFailure(*failure);
        return kError;
    }
    const QString path = collectionFile(line.collection);
    const SwedishOrder order;
    for (int attempt = 1;; ++attempt) {
        LineStore held;
        FileStamp stamp;
        MaybeFailure failure = readHeld(path, held, stamp);
        if (!failure && stamp.state == FileStamp::State::Foreign)
            failure = failures::belongsToOtherProgram(path);
        if (failure) {
            printFailure(*failure);
            return kError;
        }
        const Addition addition = newLines(held, incoming);
        if (!addition.added.isEmpty()) {
            failure = writeCollection(path, mergedLines(sortedLines(held, order), addition.added, order), &stamp);
            if (failure && failures::isChangedSinceRead(*failure) && attempt < 3)
                continue;
            if (failure) {
                printFailure(*failure);
                return kError;
            }
        }
        Printer out(stdout);
        out.line(QString::number(addition.added.size()) + u" ordspråk lades till i ''"_s
                 + withoutExtension(QFileInfo(path).fileName()) + u"''; "_s + QString::number(addition.alreadyThere)
                 + u" fanns redan där."_s);
        if (!out.finish())
            return kError;
        return addition.added.isEmpty() ? kNotFound : kFound;
    }
}

} // namespace

QByteArray toTerminal(QStringView text)
{
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    QByteArray bytes = utf8.encode(text);
    const QByteArray &charset = localeCharset();
    return charset.isEmpty() ? bytes : convert(charset + "//TRANSLIT", "UTF-8", bytes);
}

QString fromTerminal(const char *bytes)
{
    const QByteArray &charset = localeCharset();
    if (charset.isEmpty())
        return QString::fromUtf8(bytes);
    return QString::fromUtf8(convert("UTF-8", charset.constData(), QByteArrayView(bytes)));
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

int runInTerminal(const CommandLine &commandLine)
{
    using Action = CommandLine::Action;
    switch (commandLine.action) {
    case Action::Run: return kError;
    case Action::Help: {
        Printer out(stdout);
        out.line(QStringView(commandLine.text).chopped(1));
        return out.finish() ? kFound : kError;
    }
    case Action::Error: {
        const QByteArray bytes = toTerminal(commandLine.text);
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        return kError;
    }
    case Action::Version: {
        // The folder in use, as the window would choose it; nothing is created for asking.
        const FolderChoice choice =
            chooseProgramFolder(QCoreApplication::applicationDirPath(), commandLine.folder,
                                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        Printer out(stdout);
        out.line(QStringView(commandLine.text).chopped(1));
        out.line(u"Mapp: "_s + choice.folder);
        return out.finish() ? kFound : kError;
    }
    case Action::Random:
    case Action::Search:
    case Action::Number:
    case Action::Collections:
    case Action::Import: break;
    }
    // The folder the window would use, seeded as a first start of the window seeds it, so that a proverb at
    // login comes before the window was ever opened.
    if (auto failure = settleProgramFolder(commandLine.folder))
        printFailure(*failure);
    switch (commandLine.action) {
    case Action::Random: return random(commandLine);
    case Action::Search: return search(commandLine);
    case Action::Number: return number(commandLine);
    case Action::Import: return importInto(commandLine);
    default: return collections();
    }
}

} // namespace store
