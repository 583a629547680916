// How long the collection editor takes to open on a large collection and show it sorted, to find as the
// user types, to save, and to check for duplicates, and how much memory it needs, next to `sort` of the
// same file and the duplicate check done by comparing every line with every later one.
//
// Each size runs in a fresh child process of this executable ("--one LINES FOLDER"), so every opening is a
// real first opening and the child's peak memory is that of the editor on one collection and nothing else.
// Beside every time stand the page faults it cost (minor/major): a time that includes faulting in fresh
// memory says so.

#include "editor/duplicates.h"
#include "editor/editorsort.h"
#include "editor/frmredigera.h"
#include "main/frmmain.h"
#include "platform/scriptedplatform.h"
#include "store/collections.h"
#include "store/module1.h"
#include "store/programfolder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSizes[] = {32767, 100000, 1000000};
constexpr int kTranscriptionLines = 20000;
constexpr int kKeystrokes = 9;

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

int failed(const QString &what)
{
    err() << "FAILED: " << what << Qt::endl;
    return 2;
}

// ---------------------------------------------------------------------------------------------------------
// Measuring: wall time and the page faults of this process during it.

struct Cost {
    double ms = 0;
    long minor = 0;
    long major = 0;
};

Cost measure(const std::function<void()> &work)
{
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer timer;
    timer.start();
    work();
    const double ms = timer.nsecsElapsed() / 1e6;
    getrusage(RUSAGE_SELF, &after);
    return {ms, after.ru_minflt - before.ru_minflt, after.ru_majflt - before.ru_majflt};
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // kibibytes on Linux
}

Cost medianCost(std::vector<Cost> costs)
{
    std::sort(costs.begin(), costs.end(), [](const Cost &a, const Cost &b) { return a.ms < b.ms; });
    return costs.empty() ? Cost{} : costs[costs.size() / 2];
}

QString fixed(double value, int decimals, int width = 0)
{
    return QString::number(value, 'f', decimals).rightJustified(width);
}

QString shown(const Cost &c)
{
    return fixed(c.ms, 1) + u" ms ("_s + QString::number(c.minor) + u"/"_s + QString::number(c.major) + u" pf)"_s;
}

// ---------------------------------------------------------------------------------------------------------
// The collections: Swedish-looking proverbs of 30 to 120 characters in Windows-1252 with CR LF, in no order,
// with a repeat now and then (exact, or in other letter case) so the duplicate check has groups to find.

QByteArray latin1(const QString &text)
{
    return text.toLatin1(); // every word below is Latin-1, which Windows-1252 agrees with
}

bool writeCollection(const QString &path, int lines)
{
    const QStringList words{u"Den"_s, u"som"_s, u"väntar"_s, u"på"_s, u"något"_s, u"gott"_s, u"aldrig"_s,
                            u"förgäves"_s, u"Bättre"_s, u"sent"_s, u"än"_s, u"borta"_s, u"bra"_s, u"men"_s,
                            u"hemma"_s, u"bäst"_s, u"Ärlighet"_s, u"varar"_s, u"längst"_s, u"Åsna"_s, u"öga"_s,
                            u"för"_s, u"tand"_s, u"Ögat"_s, u"gås"_s, u"kål"_s, u"björn"_s, u"skog"_s,
                            u"säger"_s, u"mormor"_s, u"Ödet"_s, u"vill"_s, u"det"_s, u"så"_s, u"ÅTERVÄNDO"_s,
                            u"i"_s, u"och"_s, u"är"_s, u"när"_s, u"sjön"_s, u"ålen"_s, u"räven"_s, u"höken"_s,
                            u"fågel"_s, u"Åke"_s, u"Östen"_s, u"Märta"_s, u"dörr"_s, u"lördag"_s, u"höst"_s,
                            u"vår"_s, u"1999"_s, u"\"Ja,"_s, u"nej!\""_s, u"-"_s};
    std::vector<QByteArray> pool;
    for (const QString &w : words)
        pool.push_back(latin1(w));
    std::mt19937_64 random(0x65646974);
    std::vector<QByteArray> written;
    written.reserve(lines);
    QByteArray bytes;
    bytes.reserve(qsizetype(lines) * 80);
    for (int i = 0; i < lines; ++i) {
        QByteArray line;
        if (i > 10 && random() % 64 == 0) {
            line = written[random() % written.size()];
            if (random() % 2)
                line = line.toUpper();
        } else {
            const int length = 30 + int(random() % 91);
            while (line.size() < length) {
                if (!line.isEmpty())
                    line.append(' ');
                line.append(pool[random() % pool.size()]);
            }
            line.truncate(length);
            if (line.endsWith(' '))
                line.back() = '.';
        }
        bytes.append(line);
        bytes.append("\r\n", 2);
        written.push_back(std::move(line));
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void warmCache(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        file.readAll();
}

// ---------------------------------------------------------------------------------------------------------
// The child: the editor opened once on one collection.

struct Figures {
    Cost open, sortOnly, enterFind, findFirstMiss, findMiss, findNearEnd, save, check;
    long peakOpenKiB = 0, peakKiB = 0;
};

int runOne(int argc, char **argv, int lines, const QString &folder)
{
    QApplication app(argc, argv);
    platform::ScriptedPlatform platform;

    // The main window without collections, and a first editor, take the start-up costs of fonts and style.
    QTemporaryDir empty;
    store::setProgramFolder(empty.path());
    frmmain main(platform);
    {
        frmredigera first(main, platform);
        first.show();
        QApplication::processEvents();
    }

    store::setProgramFolder(folder);
    const QString path = store::collectionPath(u"Citat"_s);
    Module1::sökväg = path; // saving refreshes the main window too, as it does for the collection it shows

    // Opening: the window, loading and sorting the collection, and painting the list.
    std::optional<frmredigera> editor;
    Figures f;
    f.open = measure([&] {
        editor.emplace(main, platform);
        editor->comboordspråk->addItem(u"Citat"_s);
        editor->show();
        QApplication::processEvents();
        editor->List1->viewport()->repaint();
    });
    f.peakOpenKiB = peakRssKiB();
    if (editor->lista()->count() != lines)
        return failed(u"the editor holds %1 lines, not %2"_s.arg(editor->lista()->count()).arg(lines));
    if (!platform.boxes().isEmpty())
        return failed(u"a box was shown: "_s + platform.boxes().front().text);

    const SwedishOrder order;
    const store::LineStore &list = editor->lista()->lines();
    for (qsizetype i = 1; i < list.size(); i += std::max<qsizetype>(1, list.size() / 5000)) {
        if (order.less(list.at(i), list.at(i - 1)))
            return failed(u"the list is not sorted at line %1"_s.arg(i));
    }
    {
        store::LineStore unsorted;
        if (store::readCollection(path, unsorted))
            return failed(u"cannot read "_s + path);
        f.sortOnly = measure([&] { (void)sortedLines(unsorted, order); });
    }

    // Find: entering the find box (which makes the lower-case form), one keystroke that matches nothing,
    // then steady ones, then one that matches a line near the end.
    editor->activateWindow();
    f.enterFind = measure([&] {
        editor->txtsök->setFocus();
        QApplication::processEvents();
    });
    if (!editor->txtsök->hasFocus())
        return failed(u"the find box did not take the focus"_s);
    f.findFirstMiss = measure([&] { editor->txtsök->setText(u"qxz"_s); });
    std::vector<Cost> misses, nearEnd;
    for (int i = 0; i < kKeystrokes; ++i)
        misses.push_back(measure([&] { editor->txtsök->setText(i % 2 ? u"qxz"_s : u"qxzw"_s); }));
    f.findMiss = medianCost(misses);
    const QString target = list.at(list.size() - 3);
    for (int i = 0; i < kKeystrokes; ++i) {
        editor->txtsök->setText(u"qxz"_s);
        nearEnd.push_back(measure([&] { editor->txtsök->setText(target); }));
    }
    f.findNearEnd = medianCost(nearEnd);
    if (editor->markedIndex() < list.size() - 1000 || editor->Text1->toPlainText() != target)
        return failed(u"the find marked line %1"_s.arg(editor->markedIndex()));

    // "Spara" after one added line.
    editor->txtordspråk->setText(u"Ny rad för att spara"_s);
    editor->cmdläggtill_Click();
    f.save = measure([&] { editor->cmd1_Click(); });
    if (!platform.boxes().isEmpty() || editor->cmd1->isEnabled() || main.List1->count() != lines + 1)
        return failed(u"saving failed"_s);

    // The duplicate check on whole lines.
    editor->txtdublett->setText(u"0"_s);
    f.check = measure([&] { editor->cmddublett_Click(); });
    if (!platform.boxes().isEmpty() || platform.openedFiles().size() != 1)
        return failed(u"the duplicate check wrote no report"_s);

    f.peakKiB = peakRssKiB();
    const auto field = [](const char *name, const Cost &c) {
        return u" %1=%2,%3,%4"_s.arg(QLatin1StringView(name)).arg(c.ms).arg(c.minor).arg(c.major);
    };
    out() << "RESULT" << field("open", f.open) << field("sort", f.sortOnly) << field("enter", f.enterFind) << field("find1", f.findFirstMiss)
          << field("find", f.findMiss) << field("findend", f.findNearEnd) << field("save", f.save)
          << field("check", f.check) << " peakopen=" << f.peakOpenKiB << " peak=" << f.peakKiB << Qt::endl;
    return 0;
}

// ---------------------------------------------------------------------------------------------------------
// The parent: files, children, the baselines, and the table.

std::optional<Figures> runChild(int lines, const QString &folder)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {u"--one"_s, QString::number(lines), folder});
    if (!child.waitForFinished(30 * 60 * 1000) || child.exitStatus() != QProcess::NormalExit
        || child.exitCode() != 0) {
        err() << "the child for " << lines << " lines failed" << Qt::endl;
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(child.readAllStandardOutput());
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (!line.startsWith(u"RESULT "))
            continue;
        std::map<QString, QStringList> values;
        for (QStringView item : line.sliced(7).split(u' ', Qt::SkipEmptyParts)) {
            const qsizetype eq = item.indexOf(u'=');
            values[item.first(eq).toString()] = item.sliced(eq + 1).toString().split(u',');
        }
        const auto cost = [&](const QString &key) {
            const QStringList v = values[key];
            return v.size() == 3 ? Cost{v[0].toDouble(), v[1].toLong(), v[2].toLong()} : Cost{};
        };
        Figures f;
        f.open = cost(u"open"_s);
        f.sortOnly = cost(u"sort"_s);
        f.enterFind = cost(u"enter"_s);
        f.findFirstMiss = cost(u"find1"_s);
        f.findMiss = cost(u"find"_s);
        f.findNearEnd = cost(u"findend"_s);
        f.save = cost(u"save"_s);
        f.check = cost(u"check"_s);
        f.peakOpenKiB = values[u"peakopen"_s].value(0).toLong();
        f.peakKiB = values[u"peak"_s].value(0).toLong();
        return f;
    }
    return std::nullopt;
}

std::optional<Cost> timeSort(const QString &sort, const QString &path)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(sort, {path});
    if (!process.waitForFinished(10 * 60 * 1000) || process.exitCode() != 0)
        return std::nullopt;
    return Cost{timer.nsecsElapsed() / 1e6, 0, 0};
}

QString verdict(bool pass)
{
    return pass ? u"PASS"_s : u"MISS"_s;
}

int runAll(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString sort = QStandardPaths::findExecutable(u"sort"_s);
    if (sort.isEmpty())
        return failed(u"sort not found"_s);
    QTemporaryDir temp;
    if (!temp.isValid())
        return failed(u"no temporary folder"_s);
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(temp.path()));

    struct Row {
        int lines = 0;
        Figures f;
        Cost sort;
    };
    std::vector<Row> rows;
    QString transcriptionSource;
    for (int lines : kSizes) {
        const int repeats = 3;
        const QString folder = temp.path() + u'/' + QString::number(lines);
        const QString path = folder + u"/Citat.dat"_s;
        if (!QDir().mkpath(folder) || !writeCollection(path, lines))
            return failed(u"could not write "_s + path);
        warmCache(path);
        out() << "Measuring " << lines << " lines (" << fixed(QFile(path).size() / 1e6, 1) << " MB), " << repeats
              << " runs..." << Qt::endl;
        std::vector<Figures> runs;
        std::vector<Cost> sorts;
        for (int i = 0; i < repeats; ++i) {
            // The child saves over the file; every run starts from the same unsorted one.
            QFile::copy(path, path + u".orig"_s);
            const auto f = runChild(lines, folder);
            QFile::remove(path);
            QFile::rename(path + u".orig"_s, path);
            if (!f)
                return 2;
            runs.push_back(*f);
            const auto s = timeSort(sort, path);
            if (!s)
                return failed(u"sort failed"_s);
            sorts.push_back(*s);
        }
        Row row;
        row.lines = lines;
        const auto pick = [&](Cost Figures::*member) {
            std::vector<Cost> costs;
            for (const Figures &f : runs)
                costs.push_back(f.*member);
            return medianCost(costs);
        };
        row.f.open = pick(&Figures::open);
        row.f.sortOnly = pick(&Figures::sortOnly);
        row.f.enterFind = pick(&Figures::enterFind);
        row.f.findFirstMiss = pick(&Figures::findFirstMiss);
        row.f.findMiss = pick(&Figures::findMiss);
        row.f.findNearEnd = pick(&Figures::findNearEnd);
        row.f.save = pick(&Figures::save);
        row.f.check = pick(&Figures::check);
        for (const Figures &f : runs) {
            row.f.peakOpenKiB = std::max(row.f.peakOpenKiB, f.peakOpenKiB);
            row.f.peakKiB = std::max(row.f.peakKiB, f.peakKiB);
        }
        row.sort = medianCost(sorts);
        rows.push_back(row);
        if (lines == 100000)
            transcriptionSource = path;
        else
            QFile::remove(path);
    }

    // The baseline of the duplicate check: comparing every line with every later one, on the first 20,000
    // lines of the 100,000-line collection in the editor's order, without pending events; the one-pass
    // check beside it must give the same report.
    store::LineStore first;
    {
        store::LineStore all;
        if (store::readCollection(transcriptionSource, all))
            return failed(u"cannot read "_s + transcriptionSource);
        for (qsizetype i = 0; i < kTranscriptionLines; ++i)
            first.append(all.at(i));
        first = sortedLines(first, SwedishOrder());
    }
    out() << "Comparing every line with every later one on " << kTranscriptionLines << " lines..." << Qt::endl;
    duplicates::Result slow, fast;
    const Cost slowCost = measure([&] { slow = duplicates::findByComparingAll(first, std::nullopt); });
    std::vector<Cost> fastCosts;
    for (int i = 0; i < 5; ++i)
        fastCosts.push_back(measure([&] { fast = duplicates::find(first, std::nullopt); }));
    const Cost fastCost = medianCost(fastCosts);
    if (duplicates::reportFileBytes(slow.report) != duplicates::reportFileBytes(fast.report))
        return failed(u"the one-pass check and the comparing one disagree"_s);

    out() << Qt::endl << "Editor (medians of 3 runs; each figure: time, then minor/major page faults)" << Qt::endl;
    for (const Row &r : rows) {
        out() << Qt::endl << r.lines << " lines:" << Qt::endl;
        out() << "  open and show sorted  " << shown(r.f.open) << "   (sorting alone " << shown(r.f.sortOnly)
              << ";  LC_ALL=C.UTF-8 sort " << fixed(r.sort.ms, 1) << " ms, ratio "
              << fixed(r.f.open.ms / r.sort.ms, 2) << "×)" << Qt::endl;
        out() << "  entering the find box " << shown(r.f.enterFind) << "   (makes the lower-case form)" << Qt::endl;
        out() << "  find, first keystroke " << shown(r.f.findFirstMiss) << "   (no match)" << Qt::endl;
        out() << "  find, no match        " << shown(r.f.findMiss) << Qt::endl;
        out() << "  find, match near end  " << shown(r.f.findNearEnd) << Qt::endl;
        out() << "  Spara                 " << shown(r.f.save) << Qt::endl;
        out() << "  Sök dubletter         " << shown(r.f.check) << Qt::endl;
        out() << "  peak memory           open " << fixed(r.f.peakOpenKiB / 1024.0, 1) << " MiB, after all "
              << fixed(r.f.peakKiB / 1024.0, 1) << " MiB" << Qt::endl;
    }
    out() << Qt::endl
          << "Duplicate check on " << kTranscriptionLines << " lines: comparing all " << shown(slowCost)
          << ", one pass " << shown(fastCost) << ", " << fixed(slowCost.ms / fastCost.ms, 0) << "× faster"
          << Qt::endl;

    const auto at = [&](int lines) -> const Row & {
        return *std::find_if(rows.begin(), rows.end(), [&](const Row &r) { return r.lines == lines; });
    };
    const Row &r100k = at(100000);
    const Row &r1m = at(1000000);
    out() << Qt::endl << "Targets:" << Qt::endl;
    out() << "  " << verdict(r100k.f.open.ms <= 500) << "  100,000 lines shown within 0.5 s: " << fixed(r100k.f.open.ms, 1)
          << " ms" << Qt::endl;
    out() << "  " << verdict(r1m.f.open.ms <= 4000) << "  1,000,000 lines shown within 4 s: " << fixed(r1m.f.open.ms, 1)
          << " ms" << Qt::endl;
    for (const Row *r : {&r100k, &r1m})
        out() << "  " << verdict(r->f.open.ms <= 4 * r->sort.ms) << "  " << r->lines << " lines within 4× sort: "
              << fixed(r->f.open.ms / r->sort.ms, 2) << "×" << Qt::endl;
    const double worstFind = std::max({r100k.f.findFirstMiss.ms, r100k.f.findMiss.ms, r100k.f.findNearEnd.ms});
    out() << "  " << verdict(worstFind <= 16) << "  a find keystroke at 100,000 lines within 16 ms: worst "
          << fixed(worstFind, 1) << " ms" << Qt::endl;
    out() << "  " << verdict(r100k.f.check.ms <= 300) << "  duplicate check of 100,000 lines within 300 ms: "
          << fixed(r100k.f.check.ms, 1) << " ms" << Qt::endl;
    out() << "  " << verdict(r1m.f.check.ms <= 3000) << "  duplicate check of 1,000,000 lines within 3 s: "
          << fixed(r1m.f.check.ms, 1) << " ms" << Qt::endl;
    out() << "  " << verdict(slowCost.ms >= 50 * fastCost.ms) << "  duplicate check at least 50× faster than "
          << "comparing all at 20,000 lines: " << fixed(slowCost.ms / fastCost.ms, 0) << "×" << Qt::endl;
    out() << "  " << verdict(r1m.f.peakOpenKiB * 1024 < 400e6) << "  peak memory with the editor open on "
          << "1,000,000 lines under 400 MB: " << fixed(r1m.f.peakOpenKiB * 1024 / 1e6, 1) << " MB (after saving "
          << "and the check: " << fixed(r1m.f.peakKiB * 1024 / 1e6, 1) << " MB)" << Qt::endl;
    // A miss is a finding, not a failure: only a wrong result makes the exit code non-zero.
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && qstrcmp(argv[1], "--one") == 0) {
        const int lines = QByteArray(argv[2]).toInt();
        int childArgc = 1;
        return runOne(childArgc, argv, lines, QString::fromLocal8Bit(argv[3]));
    }
    if (argc != 1) {
        err() << "usage: tankedosan_bench_editor" << Qt::endl;
        return 2;
    }
    return runAll(argc, argv);
}
