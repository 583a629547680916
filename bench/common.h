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

// The texts a generated collection is written in. The program reads a file as UTF-8 when it is valid UTF-8
// holding a multi-byte sequence, else as Windows-1252, so each of its two decoders has collections of its own:
// the Swedish proverbs in either encoding, and proverbs of Cyrillic and Greek letters, whose folding of
// letter case is not Latin-1's. The Swedish UTF-8 comes once more with LF alone after each line, as a Linux
// editor writes it: the line ends are looked for around every hit.
enum class Text { Windows1252, Utf8Swedish, Utf8SwedishLf, Utf8CyrillicGreek };

// The texts every area measures, in the order their rows are printed.
inline constexpr Text kTexts[] = {Text::Windows1252, Text::Utf8Swedish, Text::Utf8SwedishLf, Text::Utf8CyrillicGreek};
// What ends each line of the text: CR LF, or LF alone.
QByteArray lineEnd(Text text);

QString textName(Text text);
// The text's name on a child's command line, and back.
QString textArgument(Text text);
std::optional<Text> textFromArgument(QStringView argument);
bool isUtf8(Text text);
// What the load and search areas measure, in the order their rows are printed: Windows-1252 at every size, the
// UTF-8 texts at the largest alone, which keeps the run's length bounded.
struct TextAndSize
{
    Text text;
    int lines;
};
std::vector<TextAndSize> textsAndSizes();
// What grep runs under for the text: a UTF-8 locale for UTF-8, so it folds letter case as a UTF-8 reader must;
// Windows-1252 as it always was, in the benchmark's own locale.
QStringList grepEnvironment(Text text);
// iconv's arguments for decoding the file the way the program must: Windows-1252 to UTF-8, UTF-8 to UTF-16
// (the program's own strings).
QStringList iconvArguments(Text text, const QString &path);

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
// The collections: Swedish-looking proverbs of 30 to 120 characters, every character Windows-1252 defines in
// 0x80-0x9F now and then, CR LF after each line; or Cyrillic and Greek ones of the same lengths. A fixed seed
// and a generator of our own give the same files everywhere, and the same Swedish text in both encodings.

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
    explicit ProverbWriter(Text text = Text::Windows1252);
    // Appends one line and its CR LF.
    void appendLine(QByteArray &bytes);

private:
    Text m_text;
    SplitMix64 m_random{0x7A6E6B65646F7361ULL};
    std::vector<QString> m_words;
    std::vector<QString> m_marks;
};

// Writes a collection of generated proverbs, each ended by lineEnd(text); `prefix` (when given) puts text of its own in
// front of line `i`, counted from 0.
bool writeCollection(const QString &path, int lines, const std::function<QByteArray(int i)> &prefix = {},
                     Text text = Text::Windows1252);
// Reads the file once through a small buffer, so both the program and a baseline find it in the page cache.
bool warmCache(const QString &path);
// Line `number` (from 1) of the file, decoded; streamed so it costs no memory worth speaking of.
std::optional<QString> lineOfFile(const QString &path, int number, Text text = Text::Windows1252);

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
// Whether the output is read back. A large output held here would raise the peak memory that every later
// child of this process reports: QProcess starts children the vfork way, and Linux hands an exec'd child the
// peak resident size of the memory it was started from.
enum class Output { Read, Discard };
// `environment` holds NAME=VALUE settings on top of this process's own.
std::optional<CommandRun> runCommand(const QString &program, const QStringList &args,
                                     const QStringList &environment = {}, Output output = Output::Read);

// The median time and page faults of `repeats` runs of a command; the output of the last.
struct CommandTimes
{
    double ms = 0;
    double faults = 0;
    QByteArray output;
};
std::optional<CommandTimes> timedMedian(const QString &program, const QStringList &args, int repeats,
                                        const QStringList &environment = {});

QString fixed(double value, int decimals, int width);
QString verdict(bool pass);

} // namespace bench
