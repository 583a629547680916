// How long the program takes to show the first proverb of a large collection, how long one step with
// "Nästa" and "Förra" takes, and how much memory a million proverbs need, next to iconv decoding the same
// file as the yardstick for "as fast as reading the file can be".
//
// Each load runs in a fresh child process of this executable ("--one LINES FOLDER"), so every start is a
// real start and the peak memory of a child is that of one collection of its size and nothing else.

#include "common.h"
#include "areas.h"

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

#include <algorithm>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace bench {

namespace {

constexpr int kSizes[] = {32767, 100000, 1000000};
constexpr int kSteps = 2000;
constexpr double kMaxLoadMs = 600.0;
constexpr double kMaxLoadPerIconv = 1.5;
constexpr double kMaxStepUs = 1000.0;
constexpr double kMaxPeakMB = 450.0; // decimal megabytes: the stricter reading of the limit

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

} // namespace

int runLoadingChild(int argc, char **argv, int lines, const QString &folder)
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

int runLoading()
{
    const QString iconv = QStandardPaths::findExecutable(u"iconv"_s);
    if (iconv.isEmpty())
        return failed(u"iconv not found (it comes with libc-bin)"_s);
    QTemporaryDir temp;
    if (!temp.isValid())
        return failed(u"no temporary folder"_s);

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


} // namespace bench
