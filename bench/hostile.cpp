// SPDX-License-Identifier: LicenseRef-Tankedosan
// Hostile files: what a window costs on a file no user means to open as a collection. A file of 200 MB of
// CRs (200 million empty lines), 64 million one-character lines, 16 million (the line bound itself) and a
// file of 2 GB, each in the window a user would open it with, and /proc/self/pagemap, which has no size and
// never ends, read as the import window reads a file. Each is measured in a fresh child against the same
// child's memory just before, and checked against the bounds of store/bounds.h: refused with a message past
// them, and a collection's memory within the file's size + 24 bytes per line + 60 MB.
//
// The files go in the run's temporary folder and are removed after their case; the 2 GB file is sparse.

#include "support/child.h"
#include "areas.h"
#include "common.h"

#include "main/frmmain.h"
#include "widgets/listboxmodel.h"
#include "support/scriptedplatform.h"
#include "store/bounds.h"
#include "store/collections.h"
#include "store/programfolder.h"
#include "textfiles/frmtextedit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QListView>

#include <functional>
#include <memory>
#include <vector>

using namespace tankedosan;
using namespace tankedosan::main;
using namespace tankedosan::store;
using namespace tankedosan::textfiles;
using namespace tankedosan::widgets;

using namespace Qt::StringLiterals;

namespace bench {

namespace {

constexpr double kMaxMs = 500.0; // shown, or refused, within half a second
constexpr double kSlackMB = 60.0; // beyond the file's size and 24 bytes per line
constexpr double kBytesPerLine = 24.0;

struct Case
{
    QString name;
    QString window; // "main", "textfiles" or "read"
    QString fileName; // in the case's folder; empty for pagemap
    qint64 repeat; // how often `unit` is written, or the sparse size when `unit` is empty
    QByteArray unit;
    qint64 keptLines; // lines a window that loads it holds (0 when it is refused)
    bool refused;
};

const std::vector<Case> &cases()
{
    static const std::vector<Case> list{
        {u"200 MB of CRs, main window"_s, u"main"_s, u"Citat.dat"_s, 200'000'000, "\r"_ba, 0, false},
        {u"200 MB of CRs, text files"_s, u"textfiles"_s, u"cr.txt"_s, 200'000'000, "\r"_ba, 0, true},
        {u"64 M short lines, main window"_s, u"main"_s, u"Citat.dat"_s, 64'000'000, "x\r\n"_ba, 0, true},
        {u"16 M short lines, main window"_s, u"main"_s, u"Citat.dat"_s, store::kMaxReadLines, "x\r\n"_ba,
         store::kMaxReadLines, false},
        {u"2 GB file, main window"_s, u"main"_s, u"Citat.dat"_s, qint64(2) << 30, {}, 0, true},
        {u"/proc/self/pagemap, import read"_s, u"read"_s, {}, 0, {}, 0, true},
    };
    return list;
}

bool writeCase(const Case &c, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (c.unit.isEmpty())
        return file.resize(c.repeat);
    const qint64 perBlock = std::max<qint64>(1, (1 << 20) / c.unit.size());
    const QByteArray block = c.unit.repeated(perBlock);
    for (qint64 left = c.repeat; left > 0; left -= perBlock) {
        const QByteArray &bytes = left >= perBlock ? block : c.unit.repeated(left);
        if (file.write(bytes) != bytes.size())
            return false;
    }
    return file.flush();
}

int hostileCaseChild(int index, const QString &folder)
{
    const Case &c = cases().at(size_t(index));
    platform::ScriptedPlatform platform;
    {
        // The first window pays for fonts and style; the memory after it is the baseline.
        QTemporaryDir empty;
        store::setProgramFolder(empty.path());
        frmmain first(platform);
    }
    const long baseKiB = peakRssKiB();
    const long faultsBefore = minorFaults();
    store::setProgramFolder(folder);
    QElapsedTimer timer;
    timer.start();
    bool refused = false;
    qint64 lines = 0;
    std::unique_ptr<QWidget> window;
    if (c.window == u"main") {
        auto *main = new frmmain(platform);
        window.reset(main);
        lines = child<ListBoxModel>(main, "List1")->count();
        refused = !platform.boxes().isEmpty();
    } else if (c.window == u"textfiles") {
        auto *text = new frmtextedit(platform, nullptr);
        window.reset(text);
        const QAbstractItemModel *shown = child<QListView>(text, "List1")->model();
        lines = shown->rowCount();
        refused = lines == 2 && shown->index(0, 0).data(Qt::EditRole) == u"Ett fel uppstod."_s;
    } else {
        const auto read = store::readCollection(u"/proc/self/pagemap"_s);
        refused = !read.ok() && read.failure()->number == 7;
        lines = read.ok() ? read->size() : 0;
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    const long faults = minorFaults() - faultsBefore;
    const long peakKiB = peakRssKiB();
    printResult({{u"ms"_s, ms},
                 {u"faults"_s, double(faults)},
                 {u"base_kib"_s, double(baseKiB)},
                 {u"peak_kib"_s, double(peakKiB)},
                 {u"refused"_s, refused ? 1.0 : 0.0},
                 {u"lines"_s, double(lines)}});
    return 0;
}

} // namespace

int hostileChild(const QStringList &args)
{
    if (args.size() != 2)
        return failed(u"hostile child: unknown arguments "_s + args.join(u' '));
    return hostileCaseChild(args[0].toInt(), args[1]);
}

int hostileArea(const QString &temp)
{
    out() << "Bounds: " << (store::kMaxReadBytes >> 20) << " MB and " << store::kMaxReadLines
          << " lines a file; memory of a collection within its size + " << kBytesPerLine << " B a line + " << kSlackMB
          << " MB" << Qt::endl
          << Qt::endl
          << "case                                   ms   faults   file MB  extra MB  budget MB  lines       refused"
          << Qt::endl;
    bool allWell = true;
    for (size_t i = 0; i < cases().size(); ++i) {
        const Case &c = cases()[i];
        const QString folder = temp + u"/hostile-"_s + QString::number(i);
        QDir().mkpath(folder);
        qint64 fileBytes = 0;
        if (!c.fileName.isEmpty()) {
            const QString path = folder + u'/' + c.fileName;
            if (!writeCase(c, path))
                return failed(u"could not write "_s + path);
            warmCache(path);
            fileBytes = QFile(path).size();
        }
        const auto run = runChild(u"hostile"_s, {QString::number(i), folder});
        QDir(folder).removeRecursively();
        if (!run)
            return failed(u"the child of \""_s + c.name + u"\" failed: no figures are printed"_s);
        const double extraMB = (run->at(u"peak_kib"_s) - run->at(u"base_kib"_s)) * 1024 / 1e6;
        // A file without a size is read up to the byte bound; one past the bound by its size is not read at all.
        const double readMB = c.fileName.isEmpty()               ? store::kMaxReadBytes / 1e6
                              : fileBytes > store::kMaxReadBytes ? 0.0
                                                                 : fileBytes / 1e6;
        const double budgetMB = readMB + kBytesPerLine * double(c.keptLines) / 1e6 + kSlackMB;
        const bool refused = run->at(u"refused"_s) != 0;
        const bool well =
            run->at(u"ms"_s) <= kMaxMs && extraMB <= budgetMB && refused == c.refused
            && qint64(run->at(u"lines"_s)) == (c.refused ? (c.window == u"textfiles" ? 2 : 0) : c.keptLines);
        allWell = allWell && well;
        out() << c.name.leftJustified(34) << fixed(run->at(u"ms"_s), 1, 9) << fixed(run->at(u"faults"_s), 0, 9)
              << fixed(fileBytes / 1e6, 1, 10) << fixed(extraMB, 1, 10) << fixed(budgetMB, 1, 11)
              << QString::number(qint64(run->at(u"lines"_s))).rightJustified(10) << (refused ? "   yes" : "   no ")
              << "  " << verdict(well) << Qt::endl;
    }
    out() << "(one fresh child each; ms from the window's constructor, or the read, until it is shown or refused;"
             " faults are ru_minflt meanwhile; extra is the child's peak RSS past its peak after a first empty"
             " window; a sparse or endless file counts as read up to the byte bound)"
          << Qt::endl;
    out() << "  " << verdict(allWell) << "  every hostile file shown or refused within " << kMaxMs
          << " ms, within its memory budget" << Qt::endl;
    return 0;
}

} // namespace bench
