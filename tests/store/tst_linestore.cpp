#include "store/encoding.h"
#include "store/linestore.h"
#include "store/shown.h"

#include <QRandomGenerator>
#include <QTest>

#include <atomic>
#include <cstdlib>

using namespace Qt::StringLiterals;

// Counts the heap blocks the process asks for, so a test can tell a load that allocates per line from one
// that does not. Sanitizer builds bring their own allocator, which must not be wrapped.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define TANKEDOSAN_COUNT_ALLOCATIONS 1
static std::atomic<long> g_allocations{0};
static std::atomic<size_t> g_largest{0}; // the largest block asked for
extern "C" void *__libc_malloc(size_t size);
extern "C" void *__libc_realloc(void *ptr, size_t size);
static void count(size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    for (size_t was = g_largest.load(); size > was && !g_largest.compare_exchange_weak(was, size);) { }
}
extern "C" void *malloc(size_t size)
{
    count(size);
    return __libc_malloc(size);
}
extern "C" void *realloc(void *ptr, size_t size)
{
    count(size);
    return __libc_realloc(ptr, size);
}
#endif

namespace {

using store::LineStore;
using store::Match;

// A line a user may type or a file may hold: mostly Windows-1252 (all 256 of its bytes), now and then a
// character outside it, a U+FEFF, a NUL, an LF or a surrogate pair. Never a CR, which ends a line by the read form.
QString randomLine(QRandomGenerator &random, bool windows1252Only, int maxLength = 12)
{
    static const char16_t others[] = {0x2192, 0x6F22, 0xFEFF, 0x0000, u'\n', 0x0130, 0x0080, 0x03A3, 0x212B, 0x20BF};
    QString line;
    for (int i = random.bounded(maxLength + 1); i > 0; --i) {
        const auto byte = static_cast<unsigned char>(random.bounded(256));
        if (random.bounded(windows1252Only ? 20 : 24) >= 20)
            line += QChar(others[random.bounded(int(std::size(others)))]);
        else
            line += byte == '\r' ? QChar(u'x') : QChar(store::windows1252ToUnicode(byte));
    }
    if (!windows1252Only && random.bounded(10) == 0)
        line += u"😀"_s;
    return line;
}

} // namespace

class tst_linestore : public QObject
{
    Q_OBJECT

private slots:
    // Random inserts, removals and searches against a plain list that does the same, the plain list
    // lower-casing with QString::toLower. Catches a span that points at the wrong bytes after an insert, stale
    // hits after a removal, a compaction that loses or reorders lines, the switch to UTF-8 when a line that
    // Windows-1252 cannot hold arrives in the middle of a list, a fold that differs from Qt's for any
    // Windows-1252 byte or Latin-1 letter in UTF-8, and a hit across the line end of a file read (a needle
    // holding CR LF is found in no line).
    void editsAndSearchesAgreeWithAPlainList()
    {
        QRandomGenerator random(20261206);
        for (int round = 0; round < 200; ++round) {
            LineStore store;
            QStringList plain;
            const bool windows1252Only = round % 2 == 0;
            if (round % 4 >= 2) {
                for (int i = random.bounded(30); i > 0; --i) {
                    const QString line = randomLine(random, windows1252Only || i % 2, 40);
                    if (!line.isEmpty())
                        plain << line;
                }
                store = LineStore::fromFileBytes(store::encodeLines(plain));
            }
            for (int step = 0; step < 120; ++step) {
                const int op = random.bounded(10);
                if (op < 5 || plain.isEmpty()) {
                    const qsizetype at = random.bounded(int(plain.size()) + 1);
                    const QString line = randomLine(random, windows1252Only || step < 60);
                    store.insert(at, line);
                    plain.insert(at, line);
                } else if (op < 8) {
                    const qsizetype at = random.bounded(int(plain.size()));
                    store.removeAt(at);
                    plain.removeAt(at);
                } else {
                    const int at = plain.isEmpty() ? 0 : random.bounded(int(plain.size()));
                    QString needle =
                        plain.isEmpty() ? QString() : plain.at(at).mid(random.bounded(3), 1 + random.bounded(4));
                    if (random.bounded(4) == 0 && at + 1 < plain.size())
                        needle = plain.at(at).right(2) + u"\r\n"_s + plain.at(at + 1).left(2);
                    if (std::any_of(needle.begin(), needle.end(), [](QChar c) { return c.isSurrogate(); }))
                        needle.clear(); // half a pair is not something a user can type
                    const Match match = op == 8 ? Match::Beginning : Match::Anywhere;
                    std::vector<qsizetype> expected; // an empty needle matches every line, even a null one
                    for (qsizetype i = 0; i < plain.size(); ++i) {
                        const QString line = plain.at(i).toLower(), lower = needle.toLower();
                        if (lower.isEmpty()
                            || (match == Match::Beginning ? line.startsWith(lower) : line.contains(lower)))
                            expected.push_back(i);
                    }
                    QCOMPARE(store.findAll(needle, match), expected);
                    const auto fromSecond =
                        std::find_if(expected.begin(), expected.end(), [](qsizetype i) { return i >= 1; });
                    QCOMPARE(store.findFirst(needle, match, 1), fromSecond == expected.end() ? -1 : *fromSecond);
                }
                QCOMPARE(store.size(), plain.size());
            }
            QCOMPARE(store.toStringList(), plain);
            // Removals never leave the text mostly garbage.
            qsizetype live = 0;
            for (const QString &line : plain)
                live += line.toUtf8().size();
            QVERIFY2(store.bufferBytes() <= 2 * live + 64,
                     qPrintable(u"%1 bytes held for %2"_s.arg(store.bufferBytes()).arg(live)));
        }
    }

    // The plain list's lower case covers every Windows-1252 capital (Å, Ä, Ö, É, Š, Œ, Ÿ …); a needle that
    // Windows-1252 cannot hold is never random, and is found in no Windows-1252 store.
    void needleOutsideWindows1252()
    {
        const QStringList lines{u"ÅSNA"_s, u"漢字 åsna"_s};
        QCOMPARE(LineStore::fromFileBytes(store::encodeLines(lines.first(1))).findAll(u"漢"_s, Match::Anywhere),
                 std::vector<qsizetype>{});
        QCOMPARE(LineStore::fromFileBytes(store::encodeLines(lines)).findAll(u"漢"_s, Match::Anywhere),
                 std::vector<qsizetype>{1});
    }

    // Properties of the written form, whatever the lines hold: they read back as they were, and however a list
    // was read (Windows-1252, or UTF-8 with or without a mark), it and its copies are written by the store's one
    // rule, so a UTF-8 file whose lines all fit is written as Windows-1252. About one random Windows-1252 line
    // in forty happens to be valid UTF-8 ("Ã¥"); such a list must not be written so that it reads as other text.
    void writtenFormReadsBackAndFollowsTheOneRule()
    {
        QRandomGenerator random(1252);
        for (int round = 0; round < 20000; ++round) {
            QStringList lines;
            const bool windows1252Only = random.bounded(4) != 0;
            for (int i = random.bounded(5); i > 0; --i)
                lines << randomLine(random, windows1252Only, 6);
            if (!LineStore::fromStrings(lines).writesBackUnchanged())
                continue; // more LFs than lines: written, they would read as a Unix file, so no writer writes them
            const QByteArray rule = store::encodeLines(lines);
            QByteArray utf8 = random.bounded(2) ? "\xEF\xBB\xBF"_ba : QByteArray();
            for (const QString &line : std::as_const(lines))
                utf8 += line.toUtf8() + "\r\n"_ba;
            for (const QByteArray &bytes : {rule, utf8}) {
                const LineStore loaded = LineStore::fromFileBytes(bytes, true);
                if (loaded.toStringList() != lines) {
                    if (bytes == rule)
                        QFAIL(qPrintable(u"round %1: %2 came back as %3 (bytes %4)"_s.arg(round).arg(
                            lines.join(u'|'), loaded.toStringList().join(u'|'),
                            QString::fromLatin1(bytes.toHex(' ')))));
                    continue; // UTF-8 without its mark that is not valid reads as other text
                }
                LineStore copy(loaded), assigned;
                assigned = copy;
                assigned = std::as_const(assigned);
                for (const LineStore *store : {&loaded, &std::as_const(copy), &std::as_const(assigned)})
                    if (store->toFileBytes() != rule)
                        QFAIL(qPrintable(u"round %1: %2 read from %3 was written as %4"_s.arg(round).arg(
                            lines.join(u'|'), QString::fromLatin1(bytes.toHex(' ')),
                            QString::fromLatin1(store->toFileBytes().toHex(' ')))));
            }
        }
    }

    // A million proverbs must not be a million heap blocks: the load asks for the same few blocks whatever
    // the number of lines, and the last line of a long file is still whole; empty lines take no room. The slot exists in every build,
    // because moc does not see the compiler's sanitizer macros.
    void loadAllocatesAFewBlocksWhateverTheLineCount()
    {
#ifndef TANKEDOSAN_COUNT_ALLOCATIONS
        QSKIP("a sanitizer brings its own allocator, which is not counted");
#else
        long blocks[2] = {};
        const int counts[2] = {1000, 100000};
        for (int k = 0; k < 2; ++k) {
            QByteArray bytes;
            for (int i = 0; i < counts[k]; ++i)
                bytes += "Ordspr\xE5k nummer "_ba + QByteArray::number(i) + "\r\n"_ba;
            const long before = g_allocations.load();
            const LineStore store = LineStore::fromFileBytes(std::move(bytes));
            blocks[k] = g_allocations.load() - before;
            QCOMPARE(store.size(), counts[k]);
            QCOMPARE(store.at(counts[k] - 1), u"Ordspråk nummer %1"_s.arg(counts[k] - 1));
        }
        QCOMPARE(blocks[1], blocks[0]);
        QVERIFY2(blocks[1] <= 4, qPrintable(QString::number(blocks[1])));
        // A file of 4 M line ends and no proverb holds no place for 4 M lines (16 bytes each).
        QByteArray ends(4 << 20, '\r');
        g_largest = 0;
        QCOMPARE(LineStore::fromFileBytes(std::move(ends)).size(), 0);
        QVERIFY2(g_largest < (1 << 20), qPrintable(QString::number(g_largest)));
#endif
    }

    // A view lays out a bounded part of a huge line, never half a surrogate pair; the line itself stays whole
    // for copies and writes. Of a huge UTF-8 line (the last two) only the first bytes are decoded, cut at a character.
    void hugeLinesAreShownInPart()
    {
        const qsizetype n = store::kShownCharacters;
        const std::pair<QString, qsizetype> cases[] = {{QString(n, u'x'), n},
                                                       {QString(n + 1, u'x'), n + 1},
                                                       {QString(1 << 20, u'\n'), n + 1},
                                                       {QString(n - 1, u'a') + u"😀😀"_s, n},
                                                       {QString(20000, u'→'), n + 1},
                                                       {u"a"_s + u"😀"_s.repeated(15000), n}};
        for (const auto &[line, shownLength] : cases) {
            LineStore store;
            store.append(line);
            const QString shown = store.shownAt(0);
            QCOMPARE(shown.size(), shownLength);
            QCOMPARE(shown, store::shownPart(line));
            QVERIFY(line.startsWith(line.size() > n ? shown.chopped(1) : shown));
            QCOMPARE(store.at(0), line);
        }
    }
};

QTEST_GUILESS_MAIN(tst_linestore)
#include "tst_linestore.moc"
