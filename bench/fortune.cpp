// SPDX-License-Identifier: LicenseRef-Tankedosan
// Fortune's own folders, read in place: the real executable's --slump on every collection of
// /usr/share/games/fortunes next to fortune itself on the same folder, and its --sök next to grep -ci on the
// same text files (each NAME beside a NAME.dat), for a word some entries hold and for one none holds; then the
// same on the German folder, with a word of an umlaut besides, which the fold of letter case must find in
// capitals too. Whole processes, start to exit, with page faults beside the times. The files are UTF-8, so grep
// reads them in C.UTF-8, folding letter case as a UTF-8 reader must.
//
// The folders are Debian's (fortune-mod, fortunes, fortunes-de, installed by bench/run.sh); they are read,
// never written.

#include "areas.h"
#include "common.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace bench {

namespace {

// Every run is a few milliseconds, so more of them cost little and steady the medians on a busy machine.
constexpr int kRepeats = 21;
constexpr double kMaxRandomPerFortune = 1.0;
constexpr double kMaxSearchPerGrep = 1.5;

const QString kFortunes = u"/usr/share/games/fortunes"_s;
const QString kGerman = kFortunes + u"/de"_s;
const QString kFound = u"linux"_s;
const QString kNowhere = u"xyzzyq"_s;
const QStringList kUtf8Locale{u"LC_ALL=C.UTF-8"_s};

// The words some entries of the folder hold.
QStringList foundWords(const QString &folder)
{
    if (folder == kGerman)
        return {kFound, u"über"_s};
    return {kFound};
}

// The median of kRepeats runs.
std::optional<CommandTimes> timed(const QString &program, const QStringList &args, const QStringList &environment = {})
{
    return timedMedian(program, args, kRepeats, environment);
}

// The text files fortune reads in the folder: every NAME with a NAME.dat beside it, not its subfolders.
QStringList textFiles(const QString &folder)
{
    QStringList files;
    const QDir dir(folder);
    for (const QString &index : dir.entryList({u"*.dat"_s}, QDir::Files, QDir::Name)) {
        const QString text = dir.filePath(index.chopped(4));
        if (QFileInfo(text).isFile())
            files << text;
    }
    return files;
}

// The sum of grep -c's counts, one "FILE:COUNT" line a file.
long grepCount(const QByteArray &output)
{
    long sum = 0;
    for (const QByteArray &line : output.split('\n')) {
        if (!line.isEmpty())
            sum += line.mid(line.lastIndexOf(':') + 1).toLong();
    }
    return sum;
}

QString fortuneProgram()
{
    const QString games = QStandardPaths::findExecutable(u"fortune"_s, {u"/usr/games"_s});
    return games.isEmpty() ? QStandardPaths::findExecutable(u"fortune"_s) : games;
}

} // namespace

int fortuneChild(const QStringList &args)
{
    if (args.size() != 1)
        return failed(u"fortune child: FOLDER"_s);
    const QString &folder = args[0];
    const QString program = QStringLiteral(TANKEDOSAN_EXECUTABLE);
    const QString fortune = fortuneProgram();
    const QString grep = QStandardPaths::findExecutable(u"grep"_s);
    if (fortune.isEmpty() || grep.isEmpty())
        return failed(u"fortune or grep not found"_s);
    const QStringList files = textFiles(folder);
    if (files.size() < 2)
        return failed(u"no fortune files in "_s + folder);
    const QStringList all{u"--mapp"_s, folder, u"--samling"_s, u"alla"_s};

    const auto start = timed(program, {u"--mapp"_s, folder, u"--version"_s});
    const auto random = timed(program, all + QStringList{u"--slump"_s});
    const auto fortuneRandom = timed(fortune, {folder});
    const auto nowhere = timed(program, all + QStringList{u"--sök"_s, kNowhere});
    const auto grepNowhere = timed(grep, QStringList{u"-ci"_s, kNowhere} + files, kUtf8Locale);
    if (!start || !random || !fortuneRandom || !nowhere || !grepNowhere)
        return 2;
    // An entry is printed with its lines, as fortune prints it: some text, ended by one line end.
    if (!random->output.endsWith('\n') || random->output.trimmed().isEmpty())
        return failed(u"--slump did not print one entry of "_s + folder);
    if (!nowhere->output.isEmpty() || grepCount(grepNowhere->output) != 0)
        return failed(u"--sök or grep found "_s + kNowhere + u" in "_s + folder);
    if (fortuneRandom->output.trimmed().isEmpty())
        return failed(u"fortune printed nothing from "_s + folder);

    std::map<QString, double> results{{u"files"_s, double(files.size())},
                                      {u"start_ms"_s, start->ms},
                                      {u"start_faults"_s, start->faults},
                                      {u"random_ms"_s, random->ms},
                                      {u"random_faults"_s, random->faults},
                                      {u"fortune_ms"_s, fortuneRandom->ms},
                                      {u"fortune_faults"_s, fortuneRandom->faults},
                                      {u"nowhere_ms"_s, nowhere->ms},
                                      {u"nowhere_faults"_s, nowhere->faults},
                                      {u"grep_nowhere_ms"_s, grepNowhere->ms},
                                      {u"grep_nowhere_faults"_s, grepNowhere->faults}};
    const QStringList words = foundWords(folder);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const auto found = timed(program, all + QStringList{u"--sök"_s, words[i]});
        const auto grepFound = timed(grep, QStringList{u"-ci"_s, words[i]} + files, kUtf8Locale);
        if (!found || !grepFound)
            return 2;
        if (found->output.count('\n') < 1 || grepCount(grepFound->output) < 1)
            return failed(u"--sök or grep found no "_s + words[i] + u" in "_s + folder);
        const QString key = u"found"_s + QString::number(i);
        results[key + u"_ms"_s] = found->ms;
        results[key + u"_faults"_s] = found->faults;
        results[key + u"_entries"_s] = double(found->output.count('\n'));
        results[u"grep_"_s + key + u"_ms"_s] = grepFound->ms;
        results[u"grep_"_s + key + u"_faults"_s] = grepFound->faults;
        results[u"grep_"_s + key + u"_lines"_s] = double(grepCount(grepFound->output));
    }
    printResult(results);
    return 0;
}

int fortuneArea(const QString &)
{
    const QStringList folders{kFortunes, kGerman};
    double worstRandom = 0, worstSearch = 0, worstGermanSearch = 0;
    QString worstRandomFolder, worstSearchFolder;
    out() << "Whole processes, medians of " << kRepeats << " runs, --samling alla; grep in C.UTF-8:" << Qt::endl;
    for (const QString &folder : folders) {
        const QStringList files = textFiles(folder);
        for (const QString &file : files) {
            if (!warmCache(file) || !warmCache(file + u".dat"_s))
                return failed(u"could not read "_s + file);
        }
        const auto run = runChild(u"fortune"_s, {folder});
        if (!run)
            return 2;
        const auto value = [&](const QString &key) {
            return run->count(key) ? run->at(key) : 0.0;
        };
        const QStringList words = foundWords(folder);
        out() << Qt::endl << folder << ": " << value(u"files"_s) << " files";
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString key = u"found"_s + QString::number(i);
            out() << "; \"" << words[i] << "\" in " << value(key + u"_entries"_s) << " entries, "
                  << value(u"grep_"_s + key + u"_lines"_s) << " lines";
        }
        out() << Qt::endl;
        out() << "  command                      ms   faults   yardstick             ms   faults   ratio" << Qt::endl;
        struct Row
        {
            QString name, key, yardstick, yardstickKey;
        };
        std::vector<Row> rows{{u"--slump"_s, u"random"_s, u"fortune FOLDER"_s, u"fortune"_s}};
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString key = u"found"_s + QString::number(i);
            rows.push_back({u"--sök "_s + words[i], key, u"grep -ci "_s + words[i], u"grep_"_s + key});
        }
        rows.push_back(
            {u"--sök "_s + kNowhere + u" (none)"_s, u"nowhere"_s, u"grep -ci "_s + kNowhere, u"grep_nowhere"_s});
        for (const Row &row : rows) {
            const double ms = value(row.key + u"_ms"_s), yardMs = value(row.yardstickKey + u"_ms"_s);
            const double ratio = ms / yardMs;
            out() << "  " << row.name.leftJustified(22) << fixed(ms, 1, 9) << fixed(value(row.key + u"_faults"_s), 0, 9)
                  << "   " << row.yardstick.leftJustified(15) << fixed(yardMs, 1, 9)
                  << fixed(value(row.yardstickKey + u"_faults"_s), 0, 9) << fixed(ratio, 2, 7) << u"×"_s << Qt::endl;
            if (row.key == u"random"_s) {
                if (ratio > worstRandom) {
                    worstRandom = ratio;
                    worstRandomFolder = folder;
                }
                continue;
            }
            if (ratio > worstSearch) {
                worstSearch = ratio;
                worstSearchFolder = folder;
            }
            if (folder == kGerman)
                worstGermanSearch = std::max(worstGermanSearch, ratio);
        }
        out() << "  start of the process (--version): " << fixed(value(u"start_ms"_s), 1, 0) << " ms, "
              << fixed(value(u"start_faults"_s), 0, 0) << " faults" << Qt::endl;
    }

    out() << Qt::endl << "Targets:" << Qt::endl;
    out() << "  " << verdict(worstRandom <= kMaxRandomPerFortune) << "  --slump within " << kMaxRandomPerFortune
          << "× fortune, whole process: worst " << fixed(worstRandom, 2, 0) << "× (" << worstRandomFolder << ")"
          << Qt::endl;
    out() << "  " << verdict(worstSearch <= kMaxSearchPerGrep) << "  --sök within " << kMaxSearchPerGrep
          << "× grep -ci, whole process: worst " << fixed(worstSearch, 2, 0) << "× (" << worstSearchFolder << ")"
          << Qt::endl;
    out() << "  " << verdict(worstGermanSearch <= kMaxSearchPerGrep) << "  --sök on the German fortunes within "
          << kMaxSearchPerGrep << "× grep -ci in C.UTF-8, whole process, found and not found: worst "
          << fixed(worstGermanSearch, 2, 0) << "×" << Qt::endl;
    return 0;
}

} // namespace bench
