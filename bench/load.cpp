// SPDX-License-Identifier: LicenseRef-Tankedosan
// Loading: how long the program takes to show the first proverb of a large collection, how many page
// faults that costs, how long one step with "Nästa" and "Förra" takes and how much memory a collection needs,
// next to iconv decoding the same file, the yardstick for "as fast as reading the file can be". Windows-1252
// is measured at every size, the UTF-8 texts at the largest (see common.h for why both). Then two
// hostile collections (one line of 50 MB, a proverb of 5 MB of LFs) under a 1.5 GB address-space limit.
//
// Each load runs in a fresh child process, so every start is a real, cold start of the window and the
// peak memory of a child is that of one collection of its size and nothing else.

#include "support/child.h"
#include "areas.h"
#include "common.h"

#include "main/frmmain.h"
#include "widgets/listboxmodel.h"
#include "support/scriptedplatform.h"
#include "store/programfolder.h"

#include <QDir>
#include <QPushButton>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <tuple>

using namespace tankedosan;
using namespace tankedosan::main;
using namespace tankedosan::store;
using namespace tankedosan::widgets;

using namespace Qt::StringLiterals;

namespace bench {

namespace {

constexpr int kSteps = 2000;
constexpr double kMaxLoadMs = 400.0;
constexpr double kMaxLoadPerIconv = 1.5;
// Each text's 1,000,000 lines against iconv decoding that text: the program decodes no more than iconv does.
constexpr double kMaxLargestLoadPerIconv = 0.6;
constexpr double kMaxStepUs = 1000.0;
constexpr double kMaxPeakMB = 200.0; // decimal megabytes: the stricter reading of the limit
constexpr double kMaxHostileMs = 2000.0;
constexpr rlim_t kHostileAddressSpace = rlim_t(1536) << 20;

// The first window of a process pays for fonts, style and the like; a window without collections takes that
// cost, so the timed start is the loading and showing of the proverbs.
std::optional<double> warmUpWindow(platform::ScriptedPlatform &platform)
{
    QTemporaryDir empty;
    if (!empty.isValid())
        return std::nullopt;
    store::setProgramFolder(empty.path());
    QElapsedTimer timer;
    timer.start();
    {
        frmmain first(platform);
    }
    return timer.nsecsElapsed() / 1e6;
}

// One cold start of the window on a folder: the window, how long its constructor took until the first proverb
// was shown, and the page faults on the way.
struct TimedStart
{
    std::unique_ptr<frmmain> window;
    double ms = 0;
    long faults = 0;
};

TimedStart startTimed(platform::ScriptedPlatform &platform, const QString &folder)
{
    store::setProgramFolder(folder);
    const long faultsBefore = minorFaults();
    QElapsedTimer timer;
    timer.start();
    TimedStart start;
    start.window = std::make_unique<frmmain>(platform);
    start.ms = timer.nsecsElapsed() / 1e6;
    start.faults = minorFaults() - faultsBefore;
    return start;
}

int stepChild(int lines, const QString &folder, Text text)
{
    platform::ScriptedPlatform platform;
    const auto firstWindowMs = warmUpWindow(platform);
    if (!firstWindowMs)
        return failed(u"no temporary folder"_s);

    const TimedStart cold = startTimed(platform, folder);
    frmmain &w = *cold.window;
    const double loadMs = cold.ms;
    const long loadFaults = cold.faults;

    auto *const pp = child<QPlainTextEdit>(w, "pp");
    auto *const txtnr = child<QLineEdit>(w, "txtnr");
    const QString shownFirst = pp->toPlainText();
    const int count = child<ListBoxModel>(w, "List1")->count();

    // One step at a time from near the end, so both buttons wrap around at least once.
    int displayChanges = 0;
    QObject::connect(pp, &QPlainTextEdit::textChanged, [&] { ++displayChanges; });
    const int start = lines - 999;
    txtnr->setText(QString::number(start));
    struct Steps
    {
        double us;
        int changes;
        QString number, shown;
    };
    const auto step = [&](const char *button) {
        QPushButton *const stepper = child<QPushButton>(w, button);
        displayChanges = 0;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kSteps; ++i)
            stepper->click();
        const double us = timer.nsecsElapsed() / 1e3 / kSteps;
        return Steps{us, displayChanges, txtnr->text(), pp->toPlainText()};
    };
    const Steps next = step("cmdnästa");
    const Steps prev = step("cmdförra");

    // The peak is read before the checks below, which read the file once more.
    const long peakKiB = peakRssKiB();

    if (!platform.boxes().isEmpty())
        return failed(u"a box was shown: "_s + platform.boxes().front().text);
    if (count != lines)
        return failed(u"List1 holds %1 entries, not %2"_s.arg(count).arg(lines));
    const QString path = folder + u"/Citat.dat"_s;
    const auto line1 = lineOfFile(path, 1, text);
    if (!line1 || shownFirst != *line1)
        return failed(u"the first proverb shown is not line 1: "_s + shownFirst);

    // Nästa from `start` wraps to the beginning; Förra from there comes back to `start`.
    const int afterNext = (start - 1 + kSteps) % lines + 1;
    for (const auto &[button, steps, expected] :
         {std::tuple{u"Nästa"_s, &next, afterNext}, {u"Förra"_s, &prev, start}}) {
        if (steps->number != QString::number(expected))
            return failed(u"after %1 the number is %2, not %3"_s.arg(button, steps->number).arg(expected));
        if (steps->changes < kSteps)
            return failed(
                u"%1 changed the display %2 times in %3 clicks"_s.arg(button).arg(steps->changes).arg(kSteps));
        if (lineOfFile(path, expected, text) != steps->shown)
            return failed(u"after %1 the proverb shown is not line %2"_s.arg(button).arg(expected));
    }

    printResult({{u"load_ms"_s, loadMs},
                 {u"load_faults"_s, double(loadFaults)},
                 {u"next_us"_s, next.us},
                 {u"prev_us"_s, prev.us},
                 {u"peak_kib"_s, double(peakKiB)},
                 {u"first_window_ms"_s, *firstWindowMs}});
    return 0;
}

// A collection no proverb of which is ordinary: the window must still show its first proverb at once.
int hostileChild(const QString &folder, qint64 expectedFirstSize)
{
    platform::ScriptedPlatform platform;
    const auto firstWindowMs = warmUpWindow(platform);
    if (!firstWindowMs)
        return failed(u"no temporary folder"_s);
    // Memory is limited only now: the limit is for the collection, not for starting Qt.
    const rlimit limit{kHostileAddressSpace, kHostileAddressSpace};
    if (setrlimit(RLIMIT_AS, &limit) != 0)
        return failed(u"setrlimit(RLIMIT_AS) failed"_s);
    const TimedStart cold = startTimed(platform, folder);
    const frmmain &w = *cold.window;
    const double loadMs = cold.ms;
    const long loadFaults = cold.faults;
    if (!platform.boxes().isEmpty())
        return failed(u"a box was shown: "_s + platform.boxes().front().text);
    const ListBoxModel *const proverbs = child<ListBoxModel>(w, "List1");
    if (proverbs->count() < 1 || proverbs->lines().at(0).size() != expectedFirstSize)
        return failed(u"the first proverb was not loaded whole"_s);
    if (child<QPlainTextEdit>(w, "pp")->toPlainText().isEmpty())
        return failed(u"nothing is shown"_s);
    printResult(
        {{u"load_ms"_s, loadMs}, {u"load_faults"_s, double(loadFaults)}, {u"peak_kib"_s, double(peakRssKiB())}});
    return 0;
}

struct SizeResult
{
    Text text = Text::Windows1252;
    int lines = 0;
    qint64 bytes = 0;
    double loadMs = 0, loadFaults = 0, iconvMs = 0, iconvFaults = 0, nextUs = 0, prevUs = 0, firstWindowMs = 0;
    double peakKiB = 0;
};

std::optional<SizeResult> measureSize(Text text, int lines, const QString &folder, const QString &iconv)
{
    const int repeats = lines >= 1000000 ? 3 : 5;
    const QString path = folder + u"/Citat.dat"_s;
    if (!QDir().mkpath(folder) || !writeCollection(path, lines, {}, text) || !warmCache(path)) {
        failed(u"could not write "_s + path);
        return std::nullopt;
    }
    SizeResult r;
    r.text = text;
    r.lines = lines;
    r.bytes = QFile(path).size();
    out() << "Measuring " << lines << " lines of " << textName(text) << " (" << fixed(r.bytes / 1e6, 1, 0) << " MB), "
          << repeats << " runs each..." << Qt::endl;

    std::vector<double> load, faults, next, prev, firstWindow, iconvTimes, iconvFaults;
    for (int i = 0; i < repeats; ++i) {
        const auto run = runChild(u"load"_s, {u"steps"_s, QString::number(lines), folder, textArgument(text)});
        if (!run)
            return std::nullopt;
        load.push_back(run->at(u"load_ms"_s));
        faults.push_back(run->at(u"load_faults"_s));
        next.push_back(run->at(u"next_us"_s));
        prev.push_back(run->at(u"prev_us"_s));
        firstWindow.push_back(run->at(u"first_window_ms"_s));
        r.peakKiB = std::max(r.peakKiB, run->at(u"peak_kib"_s));
    }
    for (int i = 0; i < repeats; ++i) {
        const auto run = runCommand(iconv, iconvArguments(text, path), {}, Output::Discard);
        if (!run)
            return std::nullopt;
        iconvTimes.push_back(run->ms);
        iconvFaults.push_back(double(run->minorFaults));
    }
    r.loadMs = median(load);
    r.loadFaults = median(faults);
    r.nextUs = median(next);
    r.prevUs = median(prev);
    r.firstWindowMs = median(firstWindow);
    r.iconvMs = median(iconvTimes);
    r.iconvFaults = median(iconvFaults);
    QFile::remove(path); // the next size needs the disk and the page cache more
    return r;
}

struct HostileResult
{
    QString name;
    double loadMs = 0, loadFaults = 0, peakKiB = 0;
};

std::optional<HostileResult> measureHostile(const QString &name, const QString &folder, const QByteArray &first,
                                            const QByteArray &rest)
{
    const QString path = folder + u"/Citat.dat"_s;
    QFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || file.write(first) != first.size()
        || file.write(rest) != rest.size() || !file.flush()) {
        failed(u"could not write "_s + path);
        return std::nullopt;
    }
    file.close();
    warmCache(path);
    std::vector<double> load, faults;
    HostileResult r{name};
    for (int i = 0; i < 3; ++i) {
        const auto run = runChild(u"load"_s, {u"hostile"_s, folder, QString::number(first.size())});
        if (!run)
            return std::nullopt;
        load.push_back(run->at(u"load_ms"_s));
        faults.push_back(run->at(u"load_faults"_s));
        r.peakKiB = std::max(r.peakKiB, run->at(u"peak_kib"_s));
    }
    r.loadMs = median(load);
    r.loadFaults = median(faults);
    QFile::remove(path);
    return r;
}

} // namespace

int loadChild(const QStringList &args)
{
    if (args.size() == 4 && args[0] == u"steps" && textFromArgument(args[3]))
        return stepChild(args[1].toInt(), args[2], *textFromArgument(args[3]));
    if (args.size() == 3 && args[0] == u"hostile")
        return hostileChild(args[1], args[2].toLongLong());
    return failed(u"load child: unknown arguments "_s + args.join(u' '));
}

int loadArea(const QString &temp)
{
    const QString iconv = QStandardPaths::findExecutable(u"iconv"_s);
    if (iconv.isEmpty())
        return failed(u"iconv not found (it comes with libc-bin)"_s);

    std::vector<SizeResult> all;
    for (const auto &[text, lines] : textsAndSizes()) {
        const auto r = measureSize(text, lines, u"%1/load-%2-%3"_s.arg(temp, textArgument(text)).arg(lines), iconv);
        if (!r)
            return failed(u"a check failed: no figures are printed"_s);
        all.push_back(*r);
    }
    // The targets that stood before the UTF-8 texts were measured keep reading Windows-1252's rows alone.
    std::vector<SizeResult> results;
    std::copy_if(all.begin(), all.end(), std::back_inserter(results),
                 [](const SizeResult &r) { return r.text == Text::Windows1252; });

    out() << Qt::endl
          << "     lines      MB  load ms  load faults  load/iconv  iconv ms  iconv faults  Nästa µs  Förra µs  peak MB"
          << Qt::endl;
    for (size_t i = 0; i < all.size(); ++i) {
        const SizeResult &r = all[i];
        if (i == 0 || all[i - 1].text != r.text)
            out() << textName(r.text) << ':' << Qt::endl;
        out() << QString::number(r.lines).rightJustified(10) << fixed(r.bytes / 1e6, 1, 8) << fixed(r.loadMs, 1, 9)
              << fixed(r.loadFaults, 0, 13) << fixed(r.loadMs / r.iconvMs, 2, 11) << u"×"_s << fixed(r.iconvMs, 1, 10)
              << fixed(r.iconvFaults, 0, 14) << fixed(r.nextUs, 1, 10) << fixed(r.prevUs, 1, 10)
              << fixed(r.peakKiB * 1024 / 1e6, 1, 9) << Qt::endl;
    }
    out() << "(medians; load is the window's constructor until the first proverb is shown, after a first window "
             "without collections that took "
          << fixed(results.front().firstWindowMs, 1, 0)
          << " ms; faults are ru_minflt during the load, and of the whole iconv process; peak is ru_maxrss of the "
             "child; iconv decodes Windows-1252 to UTF-8, and UTF-8 to UTF-16LE)"
          << Qt::endl;

    // One line of 50 MB, and a proverb of 5 MB of LFs in a file that holds more CRs than that.
    std::vector<HostileResult> hostile;
    for (const auto &[name, first, rest] :
         {std::tuple{u"one line of 50 MB"_s, QByteArray(50'000'000, 'x'), QByteArray()},
          // As many CRs (empty lines) after it, or the LFs would make it a Unix file, whose lines they end.
          std::tuple{u"5 MB of LFs in one proverb"_s, QByteArray(5'000'000, '\n'),
                     "\r\n"_ba + QByteArray(5'000'000, '\r') + "slut\r\n"_ba}}) {
        const auto r = measureHostile(name, temp + u"/hostile"_s, first, rest);
        if (!r)
            return failed(u"a hostile collection did not open: no figures are printed"_s);
        hostile.push_back(*r);
    }
    out() << Qt::endl << "Hostile collections, 1.5 GB address-space limit:" << Qt::endl;
    for (const HostileResult &r : hostile) {
        out() << "  " << r.name.leftJustified(28) << fixed(r.loadMs, 1, 8) << " ms" << fixed(r.loadFaults, 0, 9)
              << " faults" << fixed(r.peakKiB * 1024 / 1e6, 1, 8) << " MB peak" << Qt::endl;
    }

    const SizeResult &big = results.back();
    const double peakMB = big.peakKiB * 1024 / 1e6;
    double worstNext = 0, worstPrev = 0, worstRatio = 0;
    for (const SizeResult &r : results) {
        worstNext = std::max(worstNext, r.nextUs);
        worstPrev = std::max(worstPrev, r.prevUs);
        worstRatio = std::max(worstRatio, r.loadMs / r.iconvMs);
    }
    out() << Qt::endl << "Targets:" << Qt::endl;
    out() << "  " << verdict(big.loadMs <= kMaxLoadMs) << "  1,000,000 lines shown within " << kMaxLoadMs
          << " ms: " << fixed(big.loadMs, 1, 0) << " ms" << Qt::endl;
    out() << "  " << verdict(worstRatio <= kMaxLoadPerIconv) << "  every size within " << kMaxLoadPerIconv
          << "× iconv: worst " << fixed(worstRatio, 2, 0) << "×" << Qt::endl;
    out() << "  " << verdict(worstNext < kMaxStepUs && worstPrev < kMaxStepUs)
          << "  Nästa and Förra under 1 ms at every size: worst " << fixed(std::max(worstNext, worstPrev), 1, 0)
          << " µs" << Qt::endl;
    out() << "  " << verdict(peakMB < kMaxPeakMB) << "  peak memory at 1,000,000 lines under " << kMaxPeakMB
          << " MB: " << fixed(peakMB, 1, 0) << " MB" << Qt::endl;
    for (const HostileResult &r : hostile) {
        out() << "  " << verdict(r.loadMs <= kMaxHostileMs) << "  " << r.name << " opens within " << kMaxHostileMs
              << " ms: " << fixed(r.loadMs, 1, 0) << " ms" << Qt::endl;
    }
    for (const SizeResult &r : all) {
        if (r.lines != kSizes[std::size(kSizes) - 1])
            continue;
        const double ratio = r.loadMs / r.iconvMs;
        out() << "  " << verdict(ratio <= kMaxLargestLoadPerIconv) << "  " << textName(r.text)
              << ": 1,000,000 lines shown within " << kMaxLargestLoadPerIconv << "× iconv -f "
              << iconvArguments(r.text, {}).at(1) << " -t " << iconvArguments(r.text, {}).at(3) << ": "
              << fixed(ratio, 2, 0) << "×" << Qt::endl;
    }
    // A miss is a finding, not a failure: only a wrong result makes the exit code non-zero.
    return 0;
}

} // namespace bench
