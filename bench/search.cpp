// SPDX-License-Identifier: LicenseRef-Tankedosan
// How long a search of a large collection takes in both modes, for a word that about 1 % of the proverbs
// hold and for one that none holds, next to two yardsticks measured in the same run: grep -ci on the same
// file, and the plain loop that lower-cases every entry for every search. Windows-1252 is measured at every
// size, the UTF-8 texts at the largest (see common.h for why both). The store folds letter case as it
// scans, so the first search of a run costs what every later one does. Also the time from "Sök" until the
// hits and "N träffar" are shown, "OK" handing the hits to the main window, and the peak memory of the
// program with the collection loaded and searched. Page faults stand beside the times: a scan that touches
// fresh memory shows up there.
//
// Each size runs in a fresh child process; the yardstick loop runs after the peak memory is read, since its
// million strings are not the program's.

#include "support/child.h"
#include "areas.h"
#include "common.h"

#include "main/frmmain.h"
#include "widgets/listboxmodel.h"
#include "support/scriptedplatform.h"
#include "search/frmsok.h"
#include "store/linestore.h"
#include "store/programfolder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

using namespace tankedosan;
using namespace tankedosan::main;
using namespace tankedosan::search;
using namespace tankedosan::store;
using namespace tankedosan::widgets;

using namespace Qt::StringLiterals;

namespace bench {

namespace {

constexpr double kMaxScanPerGrep = 1.5;
constexpr double kMaxShownMs = 300.0;
constexpr double kMaxPeakMB = 300.0;
constexpr double kMaxFirstPerGrep = 1.2;
constexpr double kMaxPeakOverFileMB = 100.0;
// Every text's 1,000,000 lines: the first search of the run, and a word on no line, the one search whose
// every byte must be read and folded.
constexpr double kMaxFirstShownMs = 250.0;
constexpr double kMaxNoHitPerGrep = 1.2;

int rareCount(int lines)
{
    return (lines + 99) / 100;
}

struct Case
{
    const char *name;
    const char16_t *word;
    store::Match match;
    const char *grepPattern;
    bool rare;
};

const Case kCases[] = {
    {"anywhere", u"zebrafink", store::Match::Anywhere, "zebrafink", true},
    {"anywhere", u"xyzzyq", store::Match::Anywhere, "xyzzyq", false},
    {"beginning", u"ZEBRAFINK", store::Match::Beginning, "^zebrafink", true},
    {"beginning", u"xyzzyq", store::Match::Beginning, "^xyzzyq", false},
};

QString caseKey(const Case &c)
{
    return QString::fromLatin1(c.name) + u'_' + QString::fromUtf16(c.word).toLower();
}

struct Timed
{
    double ms = 0;
    long faults = 0;
};

// The median time of `repeats` runs of `run`, and the page faults of one run on average.
template<typename Run>
Timed measure(int repeats, Run run)
{
    std::vector<double> times;
    long faults = 0;
    QElapsedTimer timer;
    for (int i = 0; i < repeats; ++i) {
        const long before = minorFaults();
        timer.start();
        run();
        times.push_back(timer.nsecsElapsed() / 1e6);
        faults += minorFaults() - before;
    }
    return {median(times), faults / repeats};
}

} // namespace

int searchChild(const QStringList &args)
{
    if (args.size() != 2)
        return failed(u"search child: LINES FOLDER"_s);
    const int lines = args[0].toInt();
    const QString &folder = args[1];
    // The offscreen platform says so for every fixed-size window; it is not a finding.
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (!message.contains(u"propagateSizeHints"_s) && previous)
            previous(type, context, message);
    });
    platform::ScriptedPlatform platform;
    store::setProgramFolder(folder);
    frmmain w(platform);
    w.show();
    QCoreApplication::processEvents();
    if (child<ListBoxModel>(w, "List1")->count() != lines)
        return failed(u"List1 holds %1 entries, not %2"_s.arg(child<ListBoxModel>(w, "List1")->count()).arg(lines));
    const store::LineStore &proverbs = child<ListBoxModel>(w, "List1")->lines();
    const int repeats = lines >= 1000000 ? 5 : 9;

    // The first "Sök" of a run: nothing is prepared before it.
    Timed fold;
    {
        frmsök search(platform, w.link(), &w);
        search.show();
        QCoreApplication::processEvents();
        child<QLineEdit>(search, "Text1")->setText(u"zebrafink"_s);
        fold = measure(1, [&] {
            child<QPushButton>(search, "cmdsök")->click();
            QCoreApplication::processEvents();
        });
        if (child<ListBoxModel>(search, "lista")->count() != rareCount(lines))
            return failed(
                u"the first search found %1 lines, not %2"_s.arg(child<ListBoxModel>(search, "lista")->count())
                    .arg(rareCount(lines)));
    }

    std::map<QString, double> results;
    for (const Case &c : kCases) {
        const QString word = QString::fromUtf16(c.word);
        const int expected = c.rare ? rareCount(lines) : 0;
        qsizetype found = -1;
        const Timed scan = measure(repeats, [&] { found = qsizetype(proverbs.findAll(word, c.match).size()); });
        if (found != expected)
            return failed(u"%1 found %2 lines, not %3"_s.arg(caseKey(c)).arg(found).arg(expected));

        // Through the window, as the user does it: from "Sök" until the hits and the count are painted.
        frmsök search(platform, w.link(), &w);
        search.show();
        QCoreApplication::processEvents();
        child<QLineEdit>(search, "Text1")->setText(word);
        (c.match == store::Match::Beginning ? child<QRadioButton>(search, "optsöksätt1")
                                            : child<QRadioButton>(search, "optsöksätt2"))
            ->setChecked(true);
        const Timed shown = measure(3, [&] {
            child<QPushButton>(search, "cmdsök")->click();
            QCoreApplication::processEvents();
        });
        if (child<QLabel>(search, "lblresultat")->text() != QString::number(expected) + u" träffar"_s)
            return failed(caseKey(c) + u" shows "_s + child<QLabel>(search, "lblresultat")->text());
        const QString key = caseKey(c);
        results[key + u"_hits"_s] = expected;
        results[key + u"_scan_ms"_s] = scan.ms;
        results[key + u"_scan_faults"_s] = double(scan.faults);
        results[key + u"_shown_ms"_s] = shown.ms;
        results[key + u"_shown_faults"_s] = double(shown.faults);
    }

    const long searchedPeakKiB = peakRssKiB();

    // Every line a hit: the hit list and the count are whole, the result box shows the first hits.
    Timed everyLine;
    {
        frmsök search(platform, w.link(), &w);
        search.show();
        QCoreApplication::processEvents();
        everyLine = measure(1, [&] {
            child<QPushButton>(search, "cmdsök")->click();
            QCoreApplication::processEvents();
        });
        if (child<ListBoxModel>(search, "lista")->count() != lines)
            return failed(u"an empty search text found %1 lines"_s.arg(child<ListBoxModel>(search, "lista")->count()));
    }

    // "OK" hands the rare word's hits to the main window, which shows its search list.
    Timed ok;
    {
        frmsök search(platform, w.link(), &w);
        search.show();
        child<QLineEdit>(search, "Text1")->setText(u"zebrafink"_s);
        child<QPushButton>(search, "cmdsök")->click();
        QCoreApplication::processEvents();
        ok = measure(1, [&] {
            child<QPushButton>(search, "cmdok")->click();
            QCoreApplication::processEvents();
        });
        const QString caption = u"Tankedosan - sökresultat - %1 st"_s.arg(rareCount(lines));
        if (child<ListBoxModel>(w, "söklista")->count() != rareCount(lines) || w.windowTitle() != caption)
            return failed(u"OK left the main window at "_s + w.windowTitle());
    }
    if (!platform.boxes().isEmpty())
        return failed(u"a box was shown: "_s + platform.boxes().front().text);
    const long peakKiB = peakRssKiB();

    // The yardstick: every entry lower-cased for every search, as a program that does not fold while it scans does.
    const QStringList entries = proverbs.toStringList();
    for (const Case &c : kCases) {
        const QString word = QString::fromUtf16(c.word).toLower();
        int found = 0;
        const Timed lower = measure(lines >= 1000000 ? 1 : 3, [&] {
            found = 0;
            for (const QString &entry : entries) {
                const QString folded = entry.toLower();
                if (c.match == store::Match::Beginning ? folded.startsWith(word) : folded.contains(word))
                    ++found;
            }
        });
        if (found != (c.rare ? rareCount(lines) : 0))
            return failed(u"the lower-casing loop found %1 lines for %2"_s.arg(found).arg(caseKey(c)));
        results[caseKey(c) + u"_lower_ms"_s] = lower.ms;
    }
    results[u"first_ms"_s] = fold.ms;
    results[u"first_faults"_s] = double(fold.faults);
    results[u"every_ms"_s] = everyLine.ms;
    results[u"ok_ms"_s] = ok.ms;
    results[u"searched_peak_kib"_s] = double(searchedPeakKiB);
    results[u"peak_kib"_s] = double(peakKiB);
    printResult(results);
    return 0;
}

int searchArea(const QString &temp)
{
    const QString grep = QStandardPaths::findExecutable(u"grep"_s);
    if (grep.isEmpty())
        return failed(u"grep not found"_s);

    // The targets that stood before the UTF-8 texts were measured read Windows-1252's rows alone.
    double worstScanPerGrep = 0, worstShownMs = 0, bigPeakMB = 0, bigFirstPerGrep = 0, bigFileMB = 0;
    struct Largest
    {
        Text text;
        double firstMs = 0, firstPerGrep = 0, worstNoHitPerGrep = 0;
    };
    std::vector<Largest> largestOfText;
    out() << "     lines  mode       word        hits   scan ms  faults   grep -ci ms  scan/grep  lower-all ms"
             "  Sök→shown ms  faults"
          << Qt::endl;
    std::optional<Text> previousText;
    for (const auto &[text, lines] : textsAndSizes()) {
        if (text != previousText)
            out() << textName(text) << ':' << Qt::endl;
        previousText = text;
        const QString folder = u"%1/search-%2-%3"_s.arg(temp, textArgument(text)).arg(lines);
        const QString path = folder + u"/Citat.dat"_s;
        if (!QDir().mkpath(folder) || !writeCollection(path, lines, rarePrefix, text) || !warmCache(path))
            return failed(u"could not write "_s + path);
        const double fileMB = double(QFileInfo(path).size()) / 1e6;
        const auto run = runChild(u"search"_s, {QString::number(lines), folder});
        if (!run)
            return 2;
        const auto value = [&](const QString &key) {
            return run->count(key) ? run->at(key) : 0.0;
        };
        const bool largestSize = lines == kSizes[std::size(kSizes) - 1];
        const bool largest = largestSize && text == Text::Windows1252;
        Largest ofText{text};
        for (const Case &c : kCases) {
            // grep -ci counts the lines in which the word occurs, letter case ignored: the same question.
            std::vector<double> grepTimes;
            for (int i = 0; i < (lines >= 1000000 ? 5 : 9); ++i) {
                const auto timed =
                    runCommand(grep, {u"-ci"_s, QString::fromLatin1(c.grepPattern), path}, grepEnvironment(text));
                const int expected = c.rare ? rareCount(lines) : 0;
                if (!timed || timed->output.trimmed().toInt() != expected)
                    return failed(
                        u"grep -ci %1 did not count %2"_s.arg(QString::fromLatin1(c.grepPattern)).arg(expected));
                grepTimes.push_back(timed->ms);
            }
            const QString key = caseKey(c);
            const double grepMs = median(grepTimes);
            const double scanMs = value(key + u"_scan_ms"_s);
            const double shownMs = value(key + u"_shown_ms"_s);
            out() << QString::number(lines).rightJustified(10) << "  " << QString::fromLatin1(c.name).leftJustified(10)
                  << ' ' << QString::fromUtf16(c.word).leftJustified(10) << fixed(value(key + u"_hits"_s), 0, 6)
                  << fixed(scanMs, 1, 10) << fixed(value(key + u"_scan_faults"_s), 0, 8) << fixed(grepMs, 1, 14)
                  << fixed(scanMs / grepMs, 2, 10) << u"×"_s << fixed(value(key + u"_lower_ms"_s), 1, 13)
                  << fixed(shownMs, 1, 14) << fixed(value(key + u"_shown_faults"_s), 0, 8) << Qt::endl;
            if (largest) {
                worstScanPerGrep = std::max(worstScanPerGrep, scanMs / grepMs);
                worstShownMs = std::max(worstShownMs, shownMs);
                if (&c == &kCases[0]) // the first search of the run looks for this word
                    bigFirstPerGrep = value(u"first_ms"_s) / grepMs;
            }
            if (&c == &kCases[0])
                ofText.firstPerGrep = value(u"first_ms"_s) / grepMs;
            if (!c.rare)
                ofText.worstNoHitPerGrep = std::max(ofText.worstNoHitPerGrep, shownMs / grepMs);
        }
        const double firstMs = value(u"first_ms"_s);
        ofText.firstMs = firstMs;
        if (largestSize)
            largestOfText.push_back(ofText);
        const double peakMB = value(u"peak_kib"_s) * 1024 / 1e6;
        if (largest) {
            worstShownMs = std::max(worstShownMs, firstMs);
            bigPeakMB = peakMB;
            bigFileMB = fileMB;
        }
        out() << "            first Sök→shown of the run: " << fixed(firstMs, 1, 0) << " ms, "
              << fixed(value(u"first_faults"_s), 0, 0)
              << " faults; every line a hit: " << fixed(value(u"every_ms"_s), 1, 0)
              << " ms; OK to the main window: " << fixed(value(u"ok_ms"_s), 1, 0) << " ms; peak "
              << fixed(value(u"searched_peak_kib"_s) * 1024 / 1e6, 1, 0) << " MB after the searches, "
              << fixed(peakMB, 1, 0) << " MB with every line a hit" << Qt::endl;
        QFile::remove(path);
    }
    out() << "(medians; scan is LineStore::findAll on the loaded collection; Sök→shown is the window's search "
             "and the paint after it; faults are minor page faults of one run; grep runs in C.UTF-8 on UTF-8)"
          << Qt::endl;

    out() << Qt::endl << "Targets:" << Qt::endl;
    out() << "  " << verdict(worstScanPerGrep <= kMaxScanPerGrep) << "  1,000,000 lines scanned within "
          << kMaxScanPerGrep << "× grep -ci: worst " << fixed(worstScanPerGrep, 2, 0) << "×" << Qt::endl;
    out() << "  " << verdict(worstShownMs <= kMaxShownMs) << "  1,000,000 lines from Sök to the hits shown within "
          << kMaxShownMs << " ms: worst " << fixed(worstShownMs, 1, 0) << " ms" << Qt::endl;
    // The stricter reading: the peak includes a search that makes every line a hit.
    out() << "  " << verdict(bigPeakMB < kMaxPeakMB) << "  peak memory with 1,000,000 lines loaded and searched under "
          << kMaxPeakMB << " MB: " << fixed(bigPeakMB, 1, 0) << " MB" << Qt::endl;
    out() << "  " << verdict(bigFirstPerGrep <= kMaxFirstPerGrep) << "  the first Sök→shown of 1,000,000 lines within "
          << kMaxFirstPerGrep << "× grep -ci: " << fixed(bigFirstPerGrep, 2, 0) << "×" << Qt::endl;
    out() << "  " << verdict(bigPeakMB <= bigFileMB + kMaxPeakOverFileMB) << "  that peak within the file's size ("
          << fixed(bigFileMB, 1, 0) << " MB) + " << kMaxPeakOverFileMB << " MB: " << fixed(bigPeakMB - bigFileMB, 1, 0)
          << " MB over it" << Qt::endl;
    for (const Largest &r : largestOfText) {
        out() << "  " << verdict(r.firstPerGrep <= kMaxFirstPerGrep && r.firstMs <= kMaxFirstShownMs) << "  "
              << textName(r.text) << ": the first Sök→shown of 1,000,000 lines within " << kMaxFirstPerGrep
              << "× grep -ci and " << kMaxFirstShownMs << " ms: " << fixed(r.firstPerGrep, 2, 0) << "×, "
              << fixed(r.firstMs, 1, 0) << " ms" << Qt::endl;
        out() << "  " << verdict(r.worstNoHitPerGrep <= kMaxNoHitPerGrep) << "  " << textName(r.text)
              << ": Sök→shown of a word on no line within " << kMaxNoHitPerGrep << "× grep -ci, both modes: worst "
              << fixed(r.worstNoHitPerGrep, 2, 0) << "×" << Qt::endl;
    }
    return 0;
}

} // namespace bench
