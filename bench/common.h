#pragma once

// What every benchmark of the program shares: its output, the generated collections, medians, memory and
// page-fault counters, and the verdict lines.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QTextStream>

#include <optional>
#include <vector>

namespace bench {

QTextStream &out();
QTextStream &err();

// Windows-1252, written out here on its own so the checks of what the program shows do not lean on the
// decoder they check.
QString fromWindows1252(QByteArrayView bytes);
QByteArray toWindows1252(QStringView text);

// Swedish-looking proverbs of 30 to 120 bytes, every defined byte of 0x80-0x9F now and then, CR LF after each
// line. A fixed seed gives the same files everywhere. `prefix(i)` is put before line i (from 0), when given.
bool writeCollection(const QString &path, int lines, QByteArray (*prefix)(int) = nullptr);

// Reads the file once through a small buffer, so the program and the yardstick both find it in the page cache.
bool warmCache(const QString &path);

// Line `number` (from 1) of the file, decoded; streamed so it costs no memory worth speaking of.
std::optional<QString> lineOfFile(const QString &path, int number);

double median(std::vector<double> values);
long peakRssKiB();
// Minor and major page faults of this process so far.
long pageFaults();

// Prints the failure and gives the exit code of a wrong result.
int failed(const QString &what);

QString fixed(double value, int decimals, int width);
QString verdict(bool pass);

// The value of `key` in a line "RESULT key=value key=value ...", or nullopt.
std::optional<QString> resultField(QStringView line, QStringView key);
// Runs this executable with the arguments and gives its "RESULT" lines; nullopt when it failed.
std::optional<QStringList> runChild(const QStringList &arguments);

} // namespace bench
