// SPDX-License-Identifier: LicenseRef-Tankedosan
// How long the collection editor takes to open on a large collection and show it sorted, to find as the
// user types, to save, and to check for duplicates, and how much memory it needs, next to `sort` of the
// same file and the duplicate check done by comparing every line with every later one.
//
// Each size runs in a fresh child process ("--child editor LINES FOLDER"), so every opening is a real first
// opening and the child's peak memory is that of the editor on one collection and nothing else.
// Beside every time stand the page faults it cost (minor/major): a time that includes faulting in fresh
// memory says so.

#include "support/child.h"
#include "widgets/controls.h"
#include "areas.h"
#include "common.h"

#include "editor/duplicates.h"
#include "store/editorsort.h"
#include "editor/frmredigera.h"
#include "main/frmmain.h"
#include "support/scriptedplatform.h"
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
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <vector>

using namespace tankedosan;
using namespace tankedosan::editor;
using namespace tankedosan::main;
using namespace tankedosan::store;
using namespace tankedosan::widgets;

using namespace Qt::StringLiterals;

namespace bench {

namespace {

constexpr int kTranscriptionLines = 20000;
constexpr int kKeystrokes = 9;

// ---------------------------------------------------------------------------------------------------------
// Measuring: wall time and the page faults of this process during it.

struct Cost
{
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

Cost medianCost(std::vector<Cost> costs)
{
    std::sort(costs.begin(), costs.end(), [](const Cost &a, const Cost &b) { return a.ms < b.ms; });
    return costs.empty() ? Cost{} : costs[costs.size() / 2];
}

QString fixed(double value, int decimals)
{
    return bench::fixed(value, decimals, 0);
}

QString shown(const Cost &c)
{
    return fixed(c.ms, 1) + u" ms ("_s + QString::number(c.minor) + u"/"_s + QString::number(c.major) + u" pf)"_s;
}

// ---------------------------------------------------------------------------------------------------------
// The collections: the loading area's proverbs, in no order, with a repeat now and then (exact, or in capitals)
// so that the duplicate check has groups to find.

bool writeEditorCollection(const QString &path, int lines)
{
    ProverbWriter writer;
    SplitMix64 random(0x65646974);
    QByteArray bytes;
    bytes.reserve(qsizetype(lines) * 80);
    std::vector<std::pair<qsizetype, qsizetype>> written; // where each line lies in `bytes`
    written.reserve(lines);
    for (int i = 0; i < lines; ++i) {
        const qsizetype begin = bytes.size();
        if (i > 10 && random.below(64) == 0) {
            const auto [from, size] = written[size_t(random.below(int(written.size())))];
            QByteArray line = bytes.mid(from, size);
            if (random.below(2))
                line = line.toUpper();
            bytes.append(line);
            bytes.append("\r\n", 2);
        } else {
            writer.appendLine(bytes);
        }
        written.emplace_back(begin, bytes.size() - begin - 2);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// ---------------------------------------------------------------------------------------------------------
// The child: the editor opened once on one collection.

struct Figures
{
    Cost open, sortOnly, enterFind, findFirstMiss, findMiss, findNearEnd, save, check;
    long peakOpenKiB = 0, peakKiB = 0;
};

// The names under which a child reports each cost.
const std::pair<const char *, Cost Figures::*> kCosts[] = {
    {"open", &Figures::open},           {"sort", &Figures::sortOnly}, {"enter", &Figures::enterFind},
    {"find1", &Figures::findFirstMiss}, {"find", &Figures::findMiss}, {"findend", &Figures::findNearEnd},
    {"save", &Figures::save},           {"check", &Figures::check},
};

int runOne(int lines, const QString &folder)
{
    platform::ScriptedPlatform platform;

    // The main window without collections, and a first editor, take the start-up costs of fonts and style.
    QTemporaryDir empty;
    store::setProgramFolder(empty.path());
    frmmain main(platform);
    {
        frmredigera first(main.link(), platform);
        first.show();
        QApplication::processEvents();
    }

    store::setProgramFolder(folder);
    const QString path = store::collectionPath(u"Citat"_s);
    store::Module1::sökväg = path; // saving refreshes the main window too, as it does for the collection it shows

    // Opening: the window, loading and sorting the collection, and painting the list.
    std::optional<frmredigera> editor;
    Figures f;
    f.open = measure([&] {
        editor.emplace(main.link(), platform);
        child<QComboBox>(editor, "comboordspråk")->addItem(u"Citat"_s);
        editor->show();
        QApplication::processEvents();
        child<QListView>(editor, "List1")->viewport()->repaint();
    });
    auto *const txtsök = child<QLineEdit>(editor, "txtsök");
    auto *const List1 = child<QListView>(editor, "List1");
    auto *const cmd1 = child<QPushButton>(editor, "cmd1");
    auto *const cmddublett = child<QPushButton>(editor, "cmddublett");
    f.peakOpenKiB = peakRssKiB();
    if (List1->model()->rowCount() != lines)
        return failed(u"the editor holds %1 lines, not %2"_s.arg(List1->model()->rowCount()).arg(lines));
    if (!platform.boxes().isEmpty())
        return failed(u"a box was shown: "_s + platform.boxes().front().text);

    const store::SwedishOrder order;
    const store::LineStore &list = qobject_cast<const LineListModel *>(List1->model())->lines();
    for (qsizetype i = 1; i < list.size(); i += std::max<qsizetype>(1, list.size() / 5000)) {
        if (order.less(list.at(i), list.at(i - 1)))
            return failed(u"the list is not sorted at line %1"_s.arg(i));
    }
    {
        const auto unsorted = store::readCollection(path);
        if (!unsorted.ok())
            return failed(u"cannot read "_s + path);
        f.sortOnly = measure([&] { (void)store::sortedLines(*unsorted, order); });
    }

    // Find: entering the find box, one keystroke that matches nothing,
    // then steady ones, then one that matches a line near the end.
    editor->activateWindow();
    f.enterFind = measure([&] {
        txtsök->setFocus();
        QApplication::processEvents();
    });
    if (!txtsök->hasFocus())
        return failed(u"the find box did not take the focus"_s);
    f.findFirstMiss = measure([&] { txtsök->setText(u"qxz"_s); });
    std::vector<Cost> misses, nearEnd;
    for (int i = 0; i < kKeystrokes; ++i)
        misses.push_back(measure([&] { txtsök->setText(i % 2 ? u"qxz"_s : u"qxzw"_s); }));
    f.findMiss = medianCost(misses);
    const QString target = list.at(list.size() - 3);
    for (int i = 0; i < kKeystrokes; ++i) {
        txtsök->setText(u"qxz"_s);
        nearEnd.push_back(measure([&] { txtsök->setText(target); }));
    }
    f.findNearEnd = medianCost(nearEnd);
    if (widgets::markedRow(List1) < list.size() - 1000
        || child<QPlainTextEdit>(editor, "Text1")->toPlainText() != target)
        return failed(u"the find marked line %1"_s.arg(widgets::markedRow(List1)));

    // "Spara" after one added line.
    child<QLineEdit>(editor, "txtordspråk")->setText(u"Ny rad för att spara"_s);
    child<QPushButton>(editor, "cmdläggtill")->click();
    f.save = measure([&] { cmd1->click(); });
    if (!platform.boxes().isEmpty() || cmd1->isEnabled() || child<ListBoxModel>(main, "List1")->count() != lines + 1)
        return failed(u"saving failed"_s);

    // The duplicate check on whole lines.
    child<QLineEdit>(editor, "txtdublett")->setText(u"0"_s);
    f.check = measure([&] { cmddublett->click(); });
    if (!platform.boxes().isEmpty() || platform.openedFiles().size() != 1)
        return failed(u"the duplicate check wrote no report"_s);

    f.peakKiB = peakRssKiB();
    std::map<QString, double> values{{u"peakopen"_s, double(f.peakOpenKiB)}, {u"peak"_s, double(f.peakKiB)}};
    for (const auto &[name, member] : kCosts) {
        const QString key = QLatin1StringView(name);
        values[key + u"_ms"_s] = (f.*member).ms;
        values[key + u"_minflt"_s] = double((f.*member).minor);
        values[key + u"_majflt"_s] = double((f.*member).major);
    }
    printResult(values);
    return 0;
}

// ---------------------------------------------------------------------------------------------------------
// The parent: files, children, the baselines, and the table.

std::optional<Figures> runEditorChild(int lines, const QString &folder)
{
    const auto values = runChild(u"editor"_s, {QString::number(lines), folder});
    if (!values)
        return std::nullopt;
    const auto value = [&](const QString &key) {
        const auto it = values->find(key);
        return it == values->end() ? 0.0 : it->second;
    };
    Figures f;
    for (const auto &[name, member] : kCosts) {
        const QString key = QLatin1StringView(name);
        f.*member = {value(key + u"_ms"_s), long(value(key + u"_minflt"_s)), long(value(key + u"_majflt"_s))};
    }
    f.peakOpenKiB = long(value(u"peakopen"_s));
    f.peakKiB = long(value(u"peak"_s));
    return f;
}

// `sort` in the C locale with UTF-8, as a program that only sorts bytes would.
std::optional<Cost> timeSort(const QString &sort, const QString &path)
{
    const QByteArray before = qgetenv("LC_ALL");
    const bool had = qEnvironmentVariableIsSet("LC_ALL");
    qputenv("LC_ALL", "C.UTF-8");
    const auto run = runCommand(sort, {path});
    if (had)
        qputenv("LC_ALL", before);
    else
        qunsetenv("LC_ALL");
    if (!run)
        return std::nullopt;
    return Cost{run->ms, run->minorFaults, 0};
}

// The machine's load over the last 1, 5 and 15 minutes: the figures of a shared machine are read with it.
QString loadAverage()
{
    QFile file(u"/proc/loadavg"_s);
    if (!file.open(QIODevice::ReadOnly))
        return u"unknown"_s;
    return QString::fromLatin1(file.readLine()).section(u' ', 0, 2);
}

} // namespace

int editorArea(const QString &temp)
{
    const QString sort = QStandardPaths::findExecutable(u"sort"_s);
    if (sort.isEmpty())
        return failed(u"sort not found"_s);

    struct Row
    {
        int lines = 0;
        Figures f;
        Cost sort;
    };
    std::vector<Row> rows;
    QString transcriptionSource;
    for (int lines : kSizes) {
        const int repeats = 3;
        const QString folder = temp + u"/editor-"_s + QString::number(lines);
        const QString path = folder + u"/Citat.dat"_s;
        if (!QDir().mkpath(folder) || !writeEditorCollection(path, lines) || !warmCache(path))
            return failed(u"could not write "_s + path);
        out() << "Measuring " << lines << " lines (" << fixed(QFile(path).size() / 1e6, 1) << " MB), " << repeats
              << " runs..." << Qt::endl;
        std::vector<Figures> runs;
        std::vector<Cost> sorts;
        for (int i = 0; i < repeats; ++i) {
            // The child saves over the file; every run starts from the same unsorted one.
            QFile::copy(path, path + u".orig"_s);
            const auto f = runEditorChild(lines, folder);
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
        const auto read = store::readCollection(transcriptionSource);
        if (!read.ok())
            return failed(u"cannot read "_s + transcriptionSource);
        const store::LineStore &all = *read;
        for (qsizetype i = 0; i < kTranscriptionLines; ++i)
            first.append(all.at(i));
        first = store::sortedLines(first, store::SwedishOrder());
    }
    out() << "Comparing every line with every later one on " << kTranscriptionLines << " lines..." << Qt::endl;
    editor::duplicates::Report slow, fast;
    const Cost slowCost = measure([&] { slow = editor::duplicates::findByComparingAll(first, std::nullopt); });
    std::vector<Cost> fastCosts;
    for (int i = 0; i < 5; ++i)
        fastCosts.push_back(measure([&] { fast = editor::duplicates::find(first, std::nullopt); }));
    const Cost fastCost = medianCost(fastCosts);
    if (editor::duplicates::reportFileBytes(slow.report) != editor::duplicates::reportFileBytes(fast.report))
        return failed(u"the one-pass check and the comparing one disagree"_s);

    out() << Qt::endl << "Editor (medians of 3 runs; each figure: time, then minor/major page faults)" << Qt::endl;
    out() << "Load average of the machine: " << loadAverage() << Qt::endl;
    for (const Row &r : rows) {
        out() << Qt::endl << r.lines << " lines:" << Qt::endl;
        out() << "  open and show sorted  " << shown(r.f.open) << "   (sorting alone " << shown(r.f.sortOnly)
              << ";  LC_ALL=C.UTF-8 sort " << shown(r.sort) << ", ratio " << fixed(r.f.open.ms / r.sort.ms, 2) << "×)"
              << Qt::endl;
        out() << "  entering the find box " << shown(r.f.enterFind) << Qt::endl;
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
          << ", one pass " << shown(fastCost) << ", " << fixed(slowCost.ms / fastCost.ms, 0) << "× faster" << Qt::endl;

    const auto at = [&](int lines) -> const Row & {
        return *std::find_if(rows.begin(), rows.end(), [&](const Row &r) { return r.lines == lines; });
    };
    const Row &r100k = at(100000);
    const Row &r1m = at(1000000);
    out() << Qt::endl << "Targets:" << Qt::endl;
    out() << "  " << verdict(r100k.f.open.ms <= 500)
          << "  100,000 lines shown within 0.5 s: " << fixed(r100k.f.open.ms, 1) << " ms" << Qt::endl;
    out() << "  " << verdict(r1m.f.open.ms <= 4000) << "  1,000,000 lines shown within 4 s: " << fixed(r1m.f.open.ms, 1)
          << " ms" << Qt::endl;
    for (const Row *r : {&r100k, &r1m})
        out() << "  " << verdict(r->f.open.ms <= 4 * r->sort.ms) << "  " << r->lines
              << " lines within 4× sort: " << fixed(r->f.open.ms / r->sort.ms, 2) << "×" << Qt::endl;
    // The sort prefix ranks of the editor's order are what keeps this one: the plain collator comparison sorts
    // four to six times slower.
    out() << "  " << verdict(r1m.f.open.ms <= r1m.sort.ms)
          << "  1,000,000 lines within 1× sort: " << fixed(r1m.f.open.ms / r1m.sort.ms, 2) << "×" << Qt::endl;
    const double worstFind = std::max({r100k.f.findFirstMiss.ms, r100k.f.findMiss.ms, r100k.f.findNearEnd.ms});
    out() << "  " << verdict(worstFind <= 16) << "  a find keystroke at 100,000 lines within 16 ms: worst "
          << fixed(worstFind, 1) << " ms" << Qt::endl;
    out() << "  " << verdict(r100k.f.check.ms <= 300)
          << "  duplicate check of 100,000 lines within 300 ms: " << fixed(r100k.f.check.ms, 1) << " ms" << Qt::endl;
    out() << "  " << verdict(r1m.f.check.ms <= 3000)
          << "  duplicate check of 1,000,000 lines within 3 s: " << fixed(r1m.f.check.ms, 1) << " ms" << Qt::endl;
    out() << "  " << verdict(slowCost.ms >= 50 * fastCost.ms) << "  duplicate check at least 50× faster than "
          << "comparing all at 20,000 lines: " << fixed(slowCost.ms / fastCost.ms, 0) << "×" << Qt::endl;
    out() << "  " << verdict(r1m.f.peakOpenKiB * 1024 < 400e6) << "  peak memory with the editor open on "
          << "1,000,000 lines under 400 MB: " << fixed(r1m.f.peakOpenKiB * 1024 / 1e6, 1) << " MB (after saving "
          << "and the check: " << fixed(r1m.f.peakKiB * 1024 / 1e6, 1) << " MB)" << Qt::endl;
    // A miss is a finding, not a failure: only a wrong result makes the exit code non-zero.
    return 0;
}

int editorChild(const QStringList &args)
{
    bool ok = false;
    const int lines = args.value(0).toInt(&ok);
    if (args.size() != 2 || !ok)
        return failed(u"the editor child needs LINES FOLDER"_s);
    return runOne(lines, args.at(1));
}

} // namespace bench
