// How long the program takes to show the first proverb of a large collection, how long one step with
// "Nästa" and "Förra" takes, and how much memory a million proverbs need, next to iconv decoding the same
// file as the yardstick for "as fast as reading the file can be".
//
// Each load runs in a fresh child process of this executable ("--one LINES FOLDER"), so every start is a
// real start and the peak memory of a child is that of one collection of its size and nothing else.

#include "main/frmmain.h"
#include "main/hiddenlist.h"
#include "platform/scriptedplatform.h"
#include "store/programfolder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSizes[] = {32767, 100000, 1000000};
constexpr int kSteps = 2000;
constexpr double kMaxLoadMs = 600.0;
constexpr double kMaxLoadPerIconv = 1.5;
constexpr double kMaxStepUs = 1000.0;
constexpr double kMaxPeakMB = 450.0; // decimal megabytes: the stricter reading of the limit

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

// ---------------------------------------------------------------------------------------------------------
// Windows-1252, written out here on its own so the check of what the window shows does not lean on the
// decoder it checks.

constexpr char16_t kHighHalf[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

// The five bytes Windows-1252 leaves undefined: iconv refuses them, so the files never hold them.
bool undefinedByte(unsigned char b)
{
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(QChar(b >= 0x80 && b < 0xA0 ? kHighHalf[b - 0x80] : char16_t(b)));
    }
    return text;
}

QByteArray toWindows1252(QStringView text)
{
    QByteArray bytes;
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        int b = -1;
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            b = c;
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kHighHalf[i] == c && !undefinedByte(static_cast<unsigned char>(0x80 + i)))
                    b = 0x80 + i;
            }
        }
        if (b < 0) {
            err() << "no Windows-1252 byte for U+" << QString::number(c, 16) << Qt::endl;
            std::exit(2);
        }
        bytes.append(static_cast<char>(b));
    }
    return bytes;
}

// ---------------------------------------------------------------------------------------------------------
// The collections: Swedish-looking proverbs of 30 to 120 bytes, every defined byte of 0x80-0x9F now and
// then, CR LF after each line. A fixed seed and a generator of our own give the same files everywhere.

class SplitMix64 {
public:
    explicit SplitMix64(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }

private:
    quint64 m_state;
};

class ProverbWriter {
public:
    ProverbWriter()
    {
        const QString words[] = {
            u"Den"_s,    u"som"_s,      u"väntar"_s,  u"på"_s,      u"något"_s,    u"gott"_s,   u"väntar"_s,
            u"aldrig"_s, u"förgäves"_s, u"Bättre"_s,  u"sent"_s,    u"än"_s,       u"borta"_s,  u"bra"_s,
            u"men"_s,    u"hemma"_s,    u"bäst"_s,    u"Ärlighet"_s, u"varar"_s,   u"längst"_s, u"Åsna"_s,
            u"öga"_s,    u"för"_s,      u"tand"_s,    u"Ögat"_s,    u"gås"_s,      u"kål"_s,    u"björn"_s,
            u"skog"_s,   u"säger"_s,    u"mormor"_s,  u"Ödet"_s,    u"vill"_s,     u"det"_s,    u"så"_s,
            u"ÅTERVÄNDO"_s, u"ÄNGEL"_s, u"ÖVERALLT"_s, u"i"_s,      u"och"_s,      u"är"_s,     u"när"_s,
            u"sjön"_s,   u"ålen"_s,     u"räven"_s,   u"höken"_s,   u"fågel"_s,    u"stjärt"_s, u"Läsk"_s,
            u"Åke"_s,    u"Östen"_s,    u"Märta"_s,   u"dörr"_s,    u"lördag"_s,   u"höst"_s,   u"vår"_s,
        };
        // Every character of Windows-1252's 0x80-0x9F that it defines: quotes, dashes, the euro and so on.
        const QString marks[] = {
            u"€"_s, u"‚"_s, u"ƒ"_s, u"„citat“"_s, u"…"_s, u"†"_s, u"‡"_s, u"ˆ"_s, u"‰"_s, u"Šta"_s, u"‹"_s,
            u"Œuvre"_s, u"Žil"_s, u"‘ja’"_s, u"”nej”"_s, u"•"_s, u"–"_s, u"—"_s, u"˜"_s, u"™"_s,
            u"šal"_s, u"›"_s, u"œil"_s, u"žu"_s, u"Ÿ"_s,
        };
        for (const QString &w : words)
            m_words.push_back(toWindows1252(w));
        for (const QString &m : marks)
            m_marks.push_back(toWindows1252(m));
    }

    // Appends one line and its CR LF.
    void appendLine(QByteArray &bytes)
    {
        const int length = 30 + m_random.below(91);
        QByteArray line;
        line.reserve(length + 16);
        while (line.size() < length) {
            if (!line.isEmpty())
                line.append(' ');
            const auto &pool = m_random.below(8) == 0 ? m_marks : m_words;
            line.append(pool[size_t(m_random.below(int(pool.size())))]);
        }
        line.truncate(length);
        if (line.endsWith(' '))
            line.back() = '.';
        bytes.append(line);
        bytes.append("\r\n", 2);
    }

private:
    SplitMix64 m_random{0x7A6E6B65646F7361ULL};
    std::vector<QByteArray> m_words;
    std::vector<QByteArray> m_marks;
};

bool writeCollection(const QString &path, int lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    ProverbWriter writer;
    QByteArray chunk;
    chunk.reserve(1 << 20);
    for (int i = 0; i < lines; ++i) {
        writer.appendLine(chunk);
        if (chunk.size() >= (1 << 20) - 256 || i + 1 == lines) {
            for (char c : chunk) {
                if (undefinedByte(static_cast<unsigned char>(c)))
                    return false;
            }
            if (file.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    return file.flush();
}

// Reads the file once through a small buffer, so both the program and iconv find it in the page cache.
bool warmCache(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    while (file.read(buffer.data(), buffer.size()) > 0) {
    }
    return true;
}

// Line `number` (from 1) of the file, decoded; streamed so it costs no memory worth speaking of.
std::optional<QString> lineOfFile(const QString &path, int number)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray line;
    for (int i = 0; i < number; ++i) {
        if (file.atEnd())
            return std::nullopt;
        line = file.readLine();
    }
    if (line.endsWith("\r\n"))
        line.chop(2);
    return fromWindows1252(line);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t m = values.size() / 2;
    return values.size() % 2 ? values[m] : (values[m - 1] + values[m]) / 2;
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // kibibytes on Linux
}

// ---------------------------------------------------------------------------------------------------------
// The child: one start of the window on one collection.

int failed(const QString &what)
{
    err() << "FAILED: " << what << Qt::endl;
    return 2;
}

int runOne(int argc, char **argv, int lines, const QString &folder)
{
    QApplication app(argc, argv);
    platform::ScriptedPlatform platform;

    // The first window of a process pays for fonts, style and the like; a window without collections
    // takes that cost, so the timed start is the loading and showing of the proverbs.
    QTemporaryDir empty;
    if (!empty.isValid())
        return failed(u"no temporary folder"_s);
    store::setProgramFolder(empty.path());
    QElapsedTimer timer;
    timer.start();
    std::optional<frmmain> first(std::in_place, platform);
    const double firstWindowMs = timer.nsecsElapsed() / 1e6;
    first.reset();

    store::setProgramFolder(folder);
    timer.start();
    frmmain w(platform);
    const double loadMs = timer.nsecsElapsed() / 1e6;

    const QString shownFirst = w.pp->toPlainText();
    const int count = w.List1->count();

    // One step at a time from near the end, so both buttons wrap around at least once.
    int displayChanges = 0;
    QObject::connect(w.pp, &QPlainTextEdit::textChanged, [&] { ++displayChanges; });
    const int start = lines - 999;
    w.txtnr->setText(QString::number(start));
    displayChanges = 0;
    timer.start();
    for (int i = 0; i < kSteps; ++i)
        w.cmdnästa_Click();
    const double nextUs = timer.nsecsElapsed() / 1e3 / kSteps;
    const int nextChanges = displayChanges;
    const QString afterNext = w.txtnr->text();
    const QString shownAfterNext = w.pp->toPlainText();

    displayChanges = 0;
    timer.start();
    for (int i = 0; i < kSteps; ++i)
        w.cmdförra_Click();
    const double prevUs = timer.nsecsElapsed() / 1e3 / kSteps;
    const int prevChanges = displayChanges;
    const QString afterPrev = w.txtnr->text();
    const QString shownAfterPrev = w.pp->toPlainText();

    // The peak is read before the checks below, which read the file once more.
    const long peakKiB = peakRssKiB();

    if (!platform.boxes().isEmpty())
        return failed(u"a box was shown: "_s + platform.boxes().front().text);
    if (count != lines)
        return failed(u"List1 holds %1 entries, not %2"_s.arg(count).arg(lines));
    const QString path = folder + u"/Citat.dat"_s;
    const auto line1 = lineOfFile(path, 1);
    if (!line1 || shownFirst != *line1)
        return failed(u"the first proverb shown is not line 1: "_s + shownFirst);

    const int expectedAfterNext = (start - 1 + kSteps) % lines + 1;
    if (afterNext != QString::number(expectedAfterNext))
        return failed(u"after Nästa the number is %1, not %2"_s.arg(afterNext).arg(expectedAfterNext));
    if (nextChanges < kSteps)
        return failed(u"Nästa changed the display %1 times in %2 clicks"_s.arg(nextChanges).arg(kSteps));
    if (lineOfFile(path, expectedAfterNext) != shownAfterNext)
        return failed(u"after Nästa the proverb shown is not line %1"_s.arg(expectedAfterNext));

    if (afterPrev != QString::number(start))
        return failed(u"after Förra the number is %1, not %2"_s.arg(afterPrev).arg(start));
    if (prevChanges < kSteps)
        return failed(u"Förra changed the display %1 times in %2 clicks"_s.arg(prevChanges).arg(kSteps));
    if (lineOfFile(path, start) != shownAfterPrev)
        return failed(u"after Förra the proverb shown is not line %1"_s.arg(start));

    out() << "RESULT load_ms=" << loadMs << " next_us=" << nextUs << " prev_us=" << prevUs
          << " peak_kib=" << peakKiB << " first_window_ms=" << firstWindowMs << Qt::endl;
    return 0;
}

// ---------------------------------------------------------------------------------------------------------
// The parent: makes the files, starts the children, times iconv and prints the table.

struct OneRun {
    double loadMs = 0, nextUs = 0, prevUs = 0, firstWindowMs = 0;
    long peakKiB = 0;
};

std::optional<OneRun> runChild(int lines, const QString &folder)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {u"--one"_s, QString::number(lines), folder});
    if (!child.waitForFinished(10 * 60 * 1000) || child.exitStatus() != QProcess::NormalExit
        || child.exitCode() != 0) {
        err() << "the child for " << lines << " lines failed (exit code " << child.exitCode() << ")" << Qt::endl;
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(child.readAllStandardOutput());
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (!line.startsWith(u"RESULT "))
            continue;
        OneRun run;
        for (QStringView field : line.sliced(7).split(u' ')) {
            const qsizetype eq = field.indexOf(u'=');
            if (eq < 0)
                continue;
            const QStringView key = field.first(eq);
            const QStringView value = field.sliced(eq + 1);
            if (key == u"load_ms")
                run.loadMs = value.toDouble();
            else if (key == u"next_us")
                run.nextUs = value.toDouble();
            else if (key == u"prev_us")
                run.prevUs = value.toDouble();
            else if (key == u"peak_kib")
                run.peakKiB = value.toLong();
            else if (key == u"first_window_ms")
                run.firstWindowMs = value.toDouble();
        }
        return run;
    }
    err() << "the child for " << lines << " lines gave no result" << Qt::endl;
    return std::nullopt;
}

std::optional<double> timeIconv(const QString &iconv, const QString &path)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(iconv, {u"-f"_s, u"WINDOWS-1252"_s, u"-t"_s, u"UTF-8"_s, path});
    const bool finished = process.waitForFinished(10 * 60 * 1000);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        err() << "iconv failed on " << path << " (exit code " << process.exitCode() << ")" << Qt::endl;
        return std::nullopt;
    }
    return ms;
}

struct SizeResult {
    int lines = 0;
    qint64 bytes = 0;
    double loadMs = 0, iconvMs = 0, nextUs = 0, prevUs = 0, firstWindowMs = 0;
    long peakKiB = 0;
};

QString fixed(double value, int decimals, int width)
{
    return QString::number(value, 'f', decimals).rightJustified(width);
}

QString verdict(bool pass)
{
    return pass ? u"PASS"_s : u"MISS"_s;
}

int runAll(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString iconv = QStandardPaths::findExecutable(u"iconv"_s);
    if (iconv.isEmpty())
        return failed(u"iconv not found (it comes with libc-bin)"_s);
    QTemporaryDir temp;
    if (!temp.isValid())
        return failed(u"no temporary folder"_s);
    // Qt warns in every child when the session has no runtime folder; a private one keeps the output clean.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(temp.path()));

    bool ok = true;
    std::vector<SizeResult> results;
    // Ascending, so a reader watching the output sees the small sizes first.
    for (int lines : kSizes) {
        const int repeats = lines >= 1000000 ? 3 : 5;
        const QString folder = temp.path() + u'/' + QString::number(lines);
        const QString path = folder + u"/Citat.dat"_s;
        if (!QDir().mkpath(folder) || !writeCollection(path, lines) || !warmCache(path))
            return failed(u"could not write "_s + path);

        SizeResult r;
        r.lines = lines;
        r.bytes = QFile(path).size();
        out() << "Measuring " << lines << " lines (" << fixed(r.bytes / 1e6, 1, 0) << " MB), " << repeats
              << " runs each..." << Qt::endl;

        std::vector<double> load, next, prev, firstWindow, iconvTimes;
        for (int i = 0; i < repeats && ok; ++i) {
            const auto run = runChild(lines, folder);
            if (!run) {
                ok = false;
                break;
            }
            load.push_back(run->loadMs);
            next.push_back(run->nextUs);
            prev.push_back(run->prevUs);
            firstWindow.push_back(run->firstWindowMs);
            r.peakKiB = std::max(r.peakKiB, run->peakKiB);
        }
        for (int i = 0; i < repeats && ok; ++i) {
            const auto ms = timeIconv(iconv, path);
            if (!ms) {
                ok = false;
                break;
            }
            iconvTimes.push_back(*ms);
        }
        if (!ok)
            break;
        r.loadMs = median(load);
        r.nextUs = median(next);
        r.prevUs = median(prev);
        r.firstWindowMs = median(firstWindow);
        r.iconvMs = median(iconvTimes);
        results.push_back(r);
        QFile::remove(path); // the next size needs the disk and the page cache more
    }
    if (!ok) {
        err() << "A check failed: no figures are printed." << Qt::endl;
        return 2;
    }

    out() << Qt::endl
          << "     lines       MB   load ms  load/iconv  Nästa µs  Förra µs  iconv ms  peak MB" << Qt::endl;
    for (const SizeResult &r : results) {
        out() << QString::number(r.lines).rightJustified(10) << fixed(r.bytes / 1e6, 1, 9)
              << fixed(r.loadMs, 1, 10) << fixed(r.loadMs / r.iconvMs, 2, 11) << u"×"_s
              << fixed(r.nextUs, 1, 10) << fixed(r.prevUs, 1, 10) << fixed(r.iconvMs, 1, 10)
              << fixed(r.peakKiB * 1024 / 1e6, 1, 9) << Qt::endl;
    }
    out() << "(medians; load is the window's constructor, after a first window without collections that took "
          << fixed(results.front().firstWindowMs, 1, 0) << " ms; peak is ru_maxrss of the child)" << Qt::endl;

    const SizeResult &big = results.back();
    const double peakMB = big.peakKiB * 1024 / 1e6;
    out() << Qt::endl
          << "Peak memory at " << big.lines << " lines: " << fixed(peakMB, 1, 0) << " MB ("
          << fixed(big.peakKiB / 1024.0, 1, 0) << " MiB)" << Qt::endl;

    double worstNext = 0, worstPrev = 0;
    for (const SizeResult &r : results) {
        worstNext = std::max(worstNext, r.nextUs);
        worstPrev = std::max(worstPrev, r.prevUs);
    }
    out() << Qt::endl << "Targets:" << Qt::endl;
    out() << "  " << verdict(big.loadMs <= kMaxLoadMs) << "  1,000,000 lines shown within " << kMaxLoadMs
          << " ms: " << fixed(big.loadMs, 1, 0) << " ms" << Qt::endl;
    out() << "  " << verdict(big.loadMs <= kMaxLoadPerIconv * big.iconvMs) << "  1,000,000 lines within "
          << kMaxLoadPerIconv << "× iconv: " << fixed(big.loadMs / big.iconvMs, 2, 0) << "×" << Qt::endl;
    out() << "  " << verdict(worstNext < kMaxStepUs) << "  Nästa under 1 ms at every size: worst "
          << fixed(worstNext, 1, 0) << " µs" << Qt::endl;
    out() << "  " << verdict(worstPrev < kMaxStepUs) << "  Förra under 1 ms at every size: worst "
          << fixed(worstPrev, 1, 0) << " µs" << Qt::endl;
    out() << "  " << verdict(peakMB < kMaxPeakMB) << "  peak memory at 1,000,000 lines under " << kMaxPeakMB
          << " MB: " << fixed(peakMB, 1, 0) << " MB" << Qt::endl;
    // A miss is a finding, not a failure: only a wrong result makes the exit code non-zero.
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    if (argc == 4 && qstrcmp(argv[1], "--one") == 0) {
        bool okLines = false;
        const int lines = QByteArray(argv[2]).toInt(&okLines);
        if (!okLines || lines < 1000)
            return failed(u"--one needs at least 1000 lines"_s);
        const QString folder = QString::fromLocal8Bit(argv[3]);
        int childArgc = 1;
        return runOne(childArgc, argv, lines, folder);
    }
    if (argc != 1) {
        err() << "usage: tankedosan_bench" << Qt::endl;
        return 2;
    }
    return runAll(argc, argv);
}
