// SPDX-License-Identifier: LicenseRef-Tankedosan
// The desktop's search: the real executable's --sökleverantör on a folder of a million lines in all (four
// collections), started once on a session bus of the benchmark's own and asked as GNOME Shell asks it, through
// gdbus round trips: the first reply for a word one line in a hundred begins with, for one no line holds (which
// reads everything), and the narrowing of the first one's hits as the user types on. Beside them gdbus on a
// call that does no work (the floor of a round trip) and grep -ci on the same files; the service's page faults
// per call, and its resident size against the files' size.
// Windows-1252 and UTF-8, each a folder of its own.

#include "areas.h"
#include "common.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

using namespace Qt::StringLiterals;

namespace bench {

namespace {

constexpr int kCollections = 4;
constexpr int kLinesEach = 250'000;
constexpr int kRepeats = 21;
constexpr double kMaxFirstMs = 100.0;
constexpr double kMaxNarrowMs = 30.0;
constexpr double kMaxResidentPerSize = 1.2;

const QString kName = u"org.example.tankedosan.SearchProvider"_s;
const QString kPath = u"/org/example/tankedosan/SearchProvider"_s;

// A field of /proc/PID/status ("VmRSS", "VmHWM") in KiB, or of /proc/PID/stat by its number (10: minor faults).
long statusKiB(qint64 pid, const QByteArray &field)
{
    QFile file(u"/proc/%1/status"_s.arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').front().toLong();
    }
    return -1;
}

long minorFaultsOf(qint64 pid)
{
    QFile file(u"/proc/%1/stat"_s.arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    // After the command's name in parentheses, which may hold blanks: state is field 3, minor faults field 10.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 7 ? fields[7].toLong() : -1;
}

struct Figures
{
    double firstMs = 0, firstFaults = 0, scanMs = 0, scanFaults = 0, narrowMs = 0, narrowFaults = 0, floorMs = 0,
           grepMs = 0;
    double sizeMB = 0, residentMB = 0, peakMB = 0;
    qsizetype hits = 0, narrowed = 0;
};

// A bus of the benchmark's own and the service on it, for one folder; both end with the object.
class Service
{
public:
    bool start(const QString &folder)
    {
        m_bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
        if (!m_bus.waitForReadyRead(10'000))
            return false;
        m_address = QString::fromUtf8(m_bus.readLine().trimmed());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_address);
        m_service.setProcessEnvironment(environment);
        m_service.setProcessChannelMode(QProcess::ForwardedChannels);
        m_service.start(QStringLiteral(TANKEDOSAN_EXECUTABLE), {u"--mapp"_s, folder, u"--sökleverantör"_s});
        for (int i = 0; i < 100; ++i) {
            const auto owned = call(u"org.freedesktop.DBus"_s, u"/"_s, u"org.freedesktop.DBus.NameHasOwner"_s, {kName});
            if (owned && owned->output.startsWith("(true,)"))
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    ~Service()
    {
        for (QProcess *process : {&m_service, &m_bus}) {
            process->kill();
            process->waitForFinished();
        }
    }
    qint64 pid() const { return m_service.processId(); }
    std::optional<CommandRun> call(const QString &destination, const QString &path, const QString &method,
                                   const QStringList &arguments) const
    {
        return runCommand(u"gdbus"_s,
                          QStringList{u"call"_s, u"--session"_s, u"--dest"_s, destination, u"--object-path"_s, path,
                                      u"--method"_s, method}
                              + arguments,
                          {u"DBUS_SESSION_BUS_ADDRESS="_s + m_address});
    }
    std::optional<CommandRun> search(const QString &method, const QStringList &arguments) const
    {
        return call(kName, kPath, u"org.gnome.Shell.SearchProvider2."_s + method, arguments);
    }

private:
    QProcess m_bus, m_service;
    QString m_address;
};

// The median time and service's page faults of kRepeats calls, and the reply of the last.
struct Timed
{
    double ms = 0, faults = 0;
    QByteArray reply;
};
std::optional<Timed> timedCalls(const Service &service, const std::function<std::optional<CommandRun>()> &call)
{
    std::vector<double> times, faults;
    Timed timed;
    for (int i = 0; i < kRepeats; ++i) {
        const long before = minorFaultsOf(service.pid());
        const std::optional<CommandRun> run = call();
        if (!run)
            return std::nullopt;
        times.push_back(run->ms);
        faults.push_back(double(minorFaultsOf(service.pid()) - before));
        timed.reply = run->output;
    }
    timed.ms = median(times);
    timed.faults = median(faults);
    return timed;
}

QString gvariantList(const QStringList &items)
{
    QStringList quoted;
    for (const QString &item : items)
        quoted.append(u'\'' + item + u'\'');
    return u'[' + quoted.join(u", "_s) + u']';
}

QStringList repliedIds(const QByteArray &reply)
{
    QStringList ids;
    for (const QByteArray &part : reply.split('\'')) {
        if (part.contains('/'))
            ids.append(QString::fromUtf8(part));
    }
    return ids;
}

std::optional<Figures> measure(const QString &temp, Text text)
{
    const QString folder = temp + u"/desktop-"_s + textArgument(text);
    QDir().mkpath(folder);
    Figures figures;
    QStringList files;
    for (int c = 0; c < kCollections; ++c) {
        const QString path = folder + u"/Samling%1.dat"_s.arg(c + 1);
        if (!writeCollection(path, kLinesEach, rarePrefix, text) || !warmCache(path))
            return std::nullopt;
        files << path;
        figures.sizeMB += double(QFileInfo(path).size()) / (1 << 20);
    }
    Service service;
    if (!service.start(folder)) {
        failed(u"the search service did not come up on its bus"_s);
        return std::nullopt;
    }
    const QString word = u"['zebrafink']"_s;
    const auto first = timedCalls(service, [&] { return service.search(u"GetInitialResultSet"_s, {word}); });
    if (!first)
        return std::nullopt;
    const QStringList hits = repliedIds(first->reply);
    // A word no proverb holds: every line of every collection is read and searched, the slowest first reply.
    const auto scan = timedCalls(service, [&] { return service.search(u"GetInitialResultSet"_s, {u"['xyzzyq']"_s}); });
    // The hits of a word most proverbs hold besides, as a second word typed narrows them.
    const auto narrow = timedCalls(service, [&] {
        return service.search(u"GetSubsearchResultSet"_s, {gvariantList(hits), u"['zebrafink', 'en']"_s});
    });
    const auto floor = timedCalls(
        service, [&] { return service.call(u"org.freedesktop.DBus"_s, u"/"_s, u"org.freedesktop.DBus.GetId"_s, {}); });
    const auto grep =
        timedMedian(u"grep"_s, QStringList{u"-ci"_s, u"zebrafink"_s} + files, kRepeats, grepEnvironment(text));
    if (!scan || !narrow || !floor || !grep)
        return std::nullopt;
    figures.scanMs = scan->ms;
    figures.scanFaults = scan->faults;
    figures.firstMs = first->ms;
    figures.firstFaults = first->faults;
    figures.narrowMs = narrow->ms;
    figures.narrowFaults = narrow->faults;
    figures.floorMs = floor->ms;
    figures.grepMs = grep->ms;
    figures.hits = hits.size();
    figures.narrowed = repliedIds(narrow->reply).size();
    figures.residentMB = double(statusKiB(service.pid(), "VmRSS")) / 1024;
    figures.peakMB = double(statusKiB(service.pid(), "VmHWM")) / 1024;
    return figures;
}

} // namespace

int desktopArea(const QString &temp)
{
    out() << "The desktop's search (--sökleverantör), " << kCollections << " collections of " << kLinesEach
          << " lines, gdbus round trips, medians of " << kRepeats << Qt::endl;
    out() << "  text                   first ms  faults  whole ms  faults  narrow ms  faults  floor ms  grep -ci ms"
             "   hits  size MB  resident MB  peak MB"
          << Qt::endl;
    bool pass = true;
    for (const Text text : {Text::Windows1252, Text::Utf8Swedish}) {
        const std::optional<Figures> f = measure(temp, text);
        if (!f)
            return failed(u"the desktop's search could not be measured"_s);
        out() << "  " << textName(text).leftJustified(20) << fixed(f->firstMs, 1, 11) << fixed(f->firstFaults, 0, 8)
              << fixed(f->scanMs, 1, 10) << fixed(f->scanFaults, 0, 8) << fixed(f->narrowMs, 1, 11)
              << fixed(f->narrowFaults, 0, 8) << fixed(f->floorMs, 1, 10) << fixed(f->grepMs, 1, 13)
              << fixed(double(f->hits), 0, 7) << fixed(f->sizeMB, 1, 9) << fixed(f->residentMB, 1, 13)
              << fixed(f->peakMB, 1, 9) << Qt::endl;
        const bool ok = f->hits == 100 && f->narrowed > 0 && f->narrowed <= f->hits && f->firstMs <= kMaxFirstMs
                        && f->scanMs <= kMaxFirstMs && f->narrowMs <= kMaxNarrowMs
                        && f->residentMB <= kMaxResidentPerSize * f->sizeMB;
        out() << "  " << verdict(ok) << "  first reply (and one that reads everything) within " << kMaxFirstMs
              << " ms, narrowing within " << kMaxNarrowMs << " ms, resident within " << kMaxResidentPerSize
              << "× the files" << Qt::endl;
        pass = pass && ok;
    }
    return pass ? 0 : 1;
}

int desktopChild(const QStringList &)
{
    return failed(u"the desktop area has no child"_s);
}

} // namespace bench
