// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

// What every area of the benchmark shares: the generated collections, fresh child processes, page faults,
// medians and the printing of figures.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace bench {

// The sizes every area measures: the largest a 16-bit count can address, then two far beyond it.
inline constexpr int kSizes[] = {32767, 100000, 1000000};

QTextStream &out();
QTextStream &err();
int failed(const QString &what);

// The search and shell areas' prefix of a line: one line in a hundred starts with the rare word, in three
// spellings, so both match modes find the same lines and the fold has capitals to fold.
QByteArray rarePrefix(int line);

QString fromWindows1252(QByteArrayView bytes);
QByteArray toWindows1252(QStringView text);
bool undefinedByte(unsigned char b);

// ---------------------------------------------------------------------------------------------------------
// The collections: Swedish-looking proverbs of 30 to 120 bytes, every defined byte of 0x80-0x9F now and
// then, CR LF after each line. A fixed seed and a generator of our own give the same files everywhere.

class SplitMix64
{
public:
    explicit SplitMix64(quint64 seed)
        : m_state(seed)
    { }
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

class ProverbWriter
{
public:
    ProverbWriter();
    // Appends one line and its CR LF.
    void appendLine(QByteArray &bytes);

private:
    SplitMix64 m_random{0x7A6E6B65646F7361ULL};
    std::vector<QByteArray> m_words;
    std::vector<QByteArray> m_marks;
};

// Writes a collection of generated proverbs, CR LF after each; `prefix` (when given) puts text of its own in
// front of line `i`, counted from 0.
bool writeCollection(const QString &path, int lines, const std::function<QByteArray(int i)> &prefix = {});
// Reads the file once through a small buffer, so both the program and a baseline find it in the page cache.
bool warmCache(const QString &path);
// Line `number` (from 1) of the file, decoded; streamed so it costs no memory worth speaking of.
std::optional<QString> lineOfFile(const QString &path, int number);

double median(std::vector<double> values);

// This process's peak resident size (KiB) and its page faults so far.
long peakRssKiB();
long minorFaults();

// Runs this executable again as "--child AREA ARGS..." and gives the numbers of its "RESULT key=value ..."
// line; the child prints one after its checks passed.
std::optional<std::map<QString, double>> runChild(const QString &area, const QStringList &args);
// The child's side: prints the RESULT line.
void printResult(const std::map<QString, double> &values);

// A command timed from start to exit, with its page faults; its output goes to a file, never /dev/null
// (GNU grep stops at the first match when it writes there).
struct CommandRun
{
    double ms = 0;
    long minorFaults = 0;
    QByteArray output;
};
std::optional<CommandRun> runCommand(const QString &program, const QStringList &args);

// The median time and page faults of `repeats` runs of a command; the output of the last.
struct CommandTimes
{
    double ms = 0;
    double faults = 0;
    QByteArray output;
};
std::optional<CommandTimes> timedMedian(const QString &program, const QStringList &args, int repeats);

QString fixed(double value, int decimals, int width);
QString verdict(bool pass);

} // namespace bench
