// SPDX-License-Identifier: LicenseRef-Tankedosan
// The terminal: the real executable's --sök on a large collection next to grep -ci on the same file, its
// --slump next to wc -l, and its peak memory next to the file's size. Whole processes, start to exit, with
// page faults beside the times; "own work" takes off the start of the process (the median of --version,
// which loads the same libraries and reads no collection). Each text of common.h in turn, grep in C.UTF-8 on
// the UTF-8 ones.
//
// The measured processes run under a child of the benchmark, so the peak resident size of its children is
// that of the largest of them: the program's (grep and wc hold a few megabytes).

#include "areas.h"
#include "common.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace bench {

namespace {

constexpr int kLines = 1000000;
constexpr int kRepeats = 7;
constexpr double kMaxSearchPerGrep = 1.5;
constexpr double kMaxOwnPerGrep = 1.2;
constexpr double kMaxRandomPerWc = 2.0;
constexpr double kMaxExtraMB = 60.0;

// The median of kRepeats runs.
std::optional<CommandTimes> timed(const QString &program, const QStringList &args, const QStringList &environment = {})
{
    return timedMedian(program, args, kRepeats, environment);
}

} // namespace

int shellChild(const QStringList &args)
{
    if (args.size() != 3 || !textFromArgument(args[2]))
        return failed(u"shell child: FOLDER FILE TEXT"_s);
    const QString &folder = args[0];
    const QString &path = args[1];
    const QStringList grepLocale = grepEnvironment(*textFromArgument(args[2]));
    const QString program = QStringLiteral(TANKEDOSAN_EXECUTABLE);
    const QString grep = QStandardPaths::findExecutable(u"grep"_s);
    const QString wc = QStandardPaths::findExecutable(u"wc"_s);
    if (grep.isEmpty() || wc.isEmpty())
        return failed(u"grep or wc not found"_s);
    const QStringList in{u"--mapp"_s, folder};

    const auto start = timed(program, in + QStringList{u"--version"_s});
    const auto search = timed(program, in + QStringList{u"--sök"_s, u"zebrafink"_s});
    const auto beginning = timed(program, in + QStringList{u"--sök"_s, u"zebrafink"_s, u"--början"_s});
    const auto none = timed(program, in + QStringList{u"--sök"_s, u"xyzzyq"_s});
    const auto grepRare = timed(grep, {u"-ci"_s, u"zebrafink"_s, path}, grepLocale);
    const auto grepBeginning = timed(grep, {u"-ci"_s, u"^zebrafink"_s, path}, grepLocale);
    const auto grepNone = timed(grep, {u"-ci"_s, u"xyzzyq"_s, path}, grepLocale);
    const auto random = timed(program, in + QStringList{u"--slump"_s});
    const auto count = timed(wc, {u"-l"_s, path});
    if (!start || !search || !beginning || !none || !grepRare || !grepBeginning || !grepNone || !random || !count)
        return 2;
    const int hits = (kLines + 99) / 100;
    if (search->output.count('\n') != hits || beginning->output.count('\n') != hits || !none->output.isEmpty()
        || grepRare->output.trimmed().toInt() != hits || random->output.count('\n') != 1)
        return failed(u"the commands did not find what the collection holds"_s);

    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    printResult({{u"start_ms"_s, start->ms},
                 {u"start_faults"_s, start->faults},
                 {u"anywhere_ms"_s, search->ms},
                 {u"anywhere_faults"_s, search->faults},
                 {u"beginning_ms"_s, beginning->ms},
                 {u"beginning_faults"_s, beginning->faults},
                 {u"none_ms"_s, none->ms},
                 {u"none_faults"_s, none->faults},
                 {u"grep_anywhere_ms"_s, grepRare->ms},
                 {u"grep_anywhere_faults"_s, grepRare->faults},
                 {u"grep_beginning_ms"_s, grepBeginning->ms},
                 {u"grep_beginning_faults"_s, grepBeginning->faults},
                 {u"grep_none_ms"_s, grepNone->ms},
                 {u"grep_none_faults"_s, grepNone->faults},
                 {u"random_ms"_s, random->ms},
                 {u"random_faults"_s, random->faults},
                 {u"wc_ms"_s, count->ms},
                 {u"wc_faults"_s, count->faults},
                 {u"peak_kib"_s, double(usage.ru_maxrss)}});
    return 0;
}

namespace {

// What the targets read of one text's block.
struct Figures
{
    Text text;
    double worstWhole = 0, worstOwn = 0, randomPerWc = 0, peakMB = 0, fileSizeMB = 0;
};

// Measures one text's collection and prints its block.
std::optional<Figures> measureText(const QString &temp, Text text)
{
    const QString folder = temp + u"/shell-"_s + textArgument(text);
    const QString path = folder + u"/Citat.dat"_s;
    if (!QDir().mkpath(folder) || !writeCollection(path, kLines, rarePrefix, text) || !warmCache(path)) {
        failed(u"could not write "_s + path);
        return std::nullopt;
    }
    Figures figures{text};
    figures.fileSizeMB = double(QFileInfo(path).size()) / 1e6;
    const auto run = runChild(u"shell"_s, {folder, path, textArgument(text)});
    QFile::remove(path);
    if (!run)
        return std::nullopt;
    const auto value = [&](const QString &key) {
        return run->count(key) ? run->at(key) : 0.0;
    };
    const double startMs = value(u"start_ms"_s);

    out() << kLines << " lines of " << textName(text) << ", whole processes, medians of " << kRepeats
          << " runs:" << Qt::endl;
    out() << "  command                            ms   faults   yardstick          ms   faults   whole   own work"
          << Qt::endl;
    const struct
    {
        const char *name, *key, *yardstick, *yardstickKey;
    } rows[] = {
        {"--sök zebrafink", "anywhere", "grep -ci", "grep_anywhere"},
        {"--sök zebrafink --början", "beginning", "grep -ci ^", "grep_beginning"},
        {"--sök xyzzyq (no hit)", "none", "grep -ci", "grep_none"},
        {"--slump", "random", "wc -l", "wc"},
    };
    for (const auto &row : rows) {
        const QString key = QString::fromLatin1(row.key), yard = QString::fromLatin1(row.yardstickKey);
        const double ms = value(key + u"_ms"_s), yardMs = value(yard + u"_ms"_s);
        const double whole = ms / yardMs, own = (ms - startMs) / yardMs;
        out() << "  " << QString::fromUtf8(row.name).leftJustified(28) << fixed(ms, 1, 9)
              << fixed(value(key + u"_faults"_s), 0, 9) << "   " << QString::fromLatin1(row.yardstick).leftJustified(12)
              << fixed(yardMs, 1, 8) << fixed(value(yard + u"_faults"_s), 0, 9) << fixed(whole, 2, 7) << u"×"_s
              << fixed(own, 2, 9) << u"×"_s << Qt::endl;
        if (key == u"random"_s) {
            figures.randomPerWc = whole;
        } else {
            figures.worstWhole = std::max(figures.worstWhole, whole);
            figures.worstOwn = std::max(figures.worstOwn, own);
        }
    }
    out() << "  start of the process (--version): " << fixed(startMs, 1, 0) << " ms, "
          << fixed(value(u"start_faults"_s), 0, 0) << " faults" << Qt::endl;

    figures.peakMB = value(u"peak_kib"_s) * 1024 / 1e6;
    out() << "  peak resident size of the program: " << fixed(figures.peakMB, 1, 0) << " MB for a file of "
          << fixed(figures.fileSizeMB, 1, 0) << " MB" << Qt::endl;
    return figures;
}

} // namespace

int shellArea(const QString &temp)
{
    std::vector<Figures> all;
    for (Text text : kTexts) {
        if (!all.empty())
            out() << Qt::endl;
        const auto figures = measureText(temp, text);
        if (!figures)
            return 2;
        all.push_back(*figures);
    }

    out() << Qt::endl << "Targets:" << Qt::endl;
    for (const Figures &f : all) {
        const QString name = textName(f.text);
        out() << "  " << verdict(f.worstWhole <= kMaxSearchPerGrep) << "  " << name << ": --sök within "
              << kMaxSearchPerGrep << "× grep -ci, whole process: worst " << fixed(f.worstWhole, 2, 0) << "×"
              << Qt::endl;
        out() << "  " << verdict(f.worstOwn <= kMaxOwnPerGrep) << "  " << name << ": --sök within " << kMaxOwnPerGrep
              << "× grep -ci, own work: worst " << fixed(f.worstOwn, 2, 0) << "×" << Qt::endl;
        out() << "  " << verdict(f.randomPerWc <= kMaxRandomPerWc) << "  " << name << ": --slump within "
              << kMaxRandomPerWc << "× wc -l, whole process: " << fixed(f.randomPerWc, 2, 0) << "×" << Qt::endl;
        out() << "  " << verdict(f.peakMB <= f.fileSizeMB + kMaxExtraMB) << "  " << name
              << ": peak memory within the file's size + " << kMaxExtraMB
              << " MB: " << fixed(f.peakMB - f.fileSizeMB, 1, 0) << " MB over it" << Qt::endl;
    }
    return 0;
}

} // namespace bench
