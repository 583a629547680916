// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "common.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace bench {

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

namespace {
// Each text's name in the figures and in a child's arguments.
struct TextNames
{
    Text text;
    const char16_t *shown;
    const char16_t *argument;
};
constexpr TextNames kTextNames[] = {
    {Text::Windows1252, u"Windows-1252", u"windows-1252"},
    {Text::Utf8Swedish, u"UTF-8, Swedish", u"utf-8-swedish"},
    {Text::Utf8SwedishLf, u"UTF-8, Swedish, LF", u"utf-8-swedish-lf"},
    {Text::Utf8CyrillicGreek, u"UTF-8, Cyrillic and Greek", u"utf-8-cyrillic-greek"},
};

const TextNames &namesOf(Text text)
{
    return *std::find_if(std::begin(kTextNames), std::end(kTextNames),
                         [&](const TextNames &names) { return names.text == text; });
}
} // namespace

QString textName(Text text)
{
    return QString::fromUtf16(namesOf(text).shown);
}

QString textArgument(Text text)
{
    return QString::fromUtf16(namesOf(text).argument);
}

std::optional<Text> textFromArgument(QStringView argument)
{
    for (Text text : kTexts) {
        if (argument == textArgument(text))
            return text;
    }
    return std::nullopt;
}

bool isUtf8(Text text)
{
    return text != Text::Windows1252;
}

QByteArray lineEnd(Text text)
{
    return text == Text::Utf8SwedishLf ? "\n" : "\r\n";
}

std::vector<TextAndSize> textsAndSizes()
{
    std::vector<TextAndSize> list;
    for (Text text : kTexts) {
        for (int lines : kSizes) {
            if (!isUtf8(text) || lines == kSizes[std::size(kSizes) - 1])
                list.push_back({text, lines});
        }
    }
    return list;
}

QStringList grepEnvironment(Text text)
{
    if (isUtf8(text))
        return {u"LC_ALL=C.UTF-8"_s};
    return {};
}

QStringList iconvArguments(Text text, const QString &path)
{
    if (isUtf8(text))
        return {u"-f"_s, u"UTF-8"_s, u"-t"_s, u"UTF-16LE"_s, path};
    return {u"-f"_s, u"WINDOWS-1252"_s, u"-t"_s, u"UTF-8"_s, path};
}

// ---------------------------------------------------------------------------------------------------------
// Windows-1252, written out here on its own so the check of what the window shows does not lean on the
// decoder it checks.

constexpr char16_t kHighHalf[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

// The five bytes Windows-1252 leaves undefined: iconv refuses them, so the files never hold them.
bool undefinedByte(unsigned char b)
{
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(QChar(b >= 0x80 && b < 0xA0 ? kHighHalf[b - 0x80] : char16_t(b)));
    }
    return text;
}

QByteArray toWindows1252(QStringView text)
{
    QByteArray bytes;
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        int b = -1;
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            b = c;
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kHighHalf[i] == c && !undefinedByte(static_cast<unsigned char>(0x80 + i)))
                    b = 0x80 + i;
            }
        }
        if (b < 0) {
            err() << "no Windows-1252 byte for U+" << QString::number(c, 16) << Qt::endl;
            std::exit(2);
        }
        bytes.append(static_cast<char>(b));
    }
    return bytes;
}

ProverbWriter::ProverbWriter(Text text)
    : m_text(text)
{
    if (text == Text::Utf8CyrillicGreek) {
        // Capitals in both alphabets, words in capitals and letters such as Ё, Ά and the final ς give the
        // folding of letter case work that a table of Latin-1 cannot do.
        m_words = {
            u"Пословица"_s, u"ВОЛК"_s,  u"волк"_s,    u"лес"_s,     u"Кто"_s,      u"рано"_s,    u"встаёт"_s,
            u"тому"_s,      u"Бог"_s,   u"подаёт"_s,  u"Не"_s,      u"всё"_s,      u"золото"_s,  u"что"_s,
            u"блестит"_s,   u"Тише"_s,  u"едешь"_s,   u"дальше"_s,  u"будешь"_s,   u"ДРУЖБА"_s,  u"Ёжик"_s,
            u"Яблоко"_s,    u"от"_s,    u"яблони"_s,  u"Щука"_s,    u"ЧЕЛОВЕК"_s,  u"Эхо"_s,     u"Цыплят"_s,
            u"по"_s,        u"осени"_s, u"считают"_s, u"Σοφία"_s,   u"ΘΆΛΑΣΣΑ"_s,  u"ψυχή"_s,    u"Ο"_s,
            u"λόγος"_s,     u"και"_s,   u"η"_s,       u"αλήθεια"_s, u"Ένας"_s,     u"κούκος"_s,  u"δεν"_s,
            u"φέρνει"_s,    u"την"_s,   u"άνοιξη"_s,  u"ΦΩΣ"_s,     u"Ωραίος"_s,   u"ουρανός"_s, u"Ψάρι"_s,
            u"Ζωή"_s,       u"Ήλιος"_s, u"σιωπή"_s,   u"χρόνος"_s,  u"ΆΝΘΡΩΠΟΣ"_s, u"Ξένος"_s,   u"θάλασσα"_s,
        };
        m_marks = {
            u"€"_s, u"„"_s, u"“"_s, u"”"_s, u"‘"_s, u"’"_s, u"…"_s, u"–"_s, u"—"_s, u"•"_s, u"™"_s, u"«"_s, u"»"_s,
        };
        return;
    }
    m_words = {
        u"Den"_s,      u"som"_s,      u"väntar"_s, u"på"_s,        u"något"_s, u"gott"_s,     u"väntar"_s, u"aldrig"_s,
        u"förgäves"_s, u"Bättre"_s,   u"sent"_s,   u"än"_s,        u"borta"_s, u"bra"_s,      u"men"_s,    u"hemma"_s,
        u"bäst"_s,     u"Ärlighet"_s, u"varar"_s,  u"längst"_s,    u"Åsna"_s,  u"öga"_s,      u"för"_s,    u"tand"_s,
        u"Ögat"_s,     u"gås"_s,      u"kål"_s,    u"björn"_s,     u"skog"_s,  u"säger"_s,    u"mormor"_s, u"Ödet"_s,
        u"vill"_s,     u"det"_s,      u"så"_s,     u"ÅTERVÄNDO"_s, u"ÄNGEL"_s, u"ÖVERALLT"_s, u"i"_s,      u"och"_s,
        u"är"_s,       u"när"_s,      u"sjön"_s,   u"ålen"_s,      u"räven"_s, u"höken"_s,    u"fågel"_s,  u"stjärt"_s,
        u"Läsk"_s,     u"Åke"_s,      u"Östen"_s,  u"Märta"_s,     u"dörr"_s,  u"lördag"_s,   u"höst"_s,   u"vår"_s,
    };
    // Every character of Windows-1252's 0x80-0x9F that it defines: quotes, dashes, the euro and so on.
    m_marks = {
        u"€"_s,   u"‚"_s, u"ƒ"_s,     u"„citat“"_s, u"…"_s,    u"†"_s,     u"‡"_s, u"ˆ"_s, u"‰"_s,
        u"Šta"_s, u"‹"_s, u"Œuvre"_s, u"Žil"_s,     u"‘ja’"_s, u"”nej”"_s, u"•"_s, u"–"_s, u"—"_s,
        u"˜"_s,   u"™"_s, u"šal"_s,   u"›"_s,       u"œil"_s,  u"žu"_s,    u"Ÿ"_s,
    };
}

void ProverbWriter::appendLine(QByteArray &bytes)
{
    // The line is built in characters, not bytes, so the Swedish text is the same whichever encoding it is
    // written in. Every character here is one UTF-16 unit.
    const int length = 30 + m_random.below(91);
    QString line;
    line.reserve(length + 16);
    while (line.size() < length) {
        if (!line.isEmpty())
            line.append(u' ');
        const auto &pool = m_random.below(8) == 0 ? m_marks : m_words;
        line.append(pool[size_t(m_random.below(int(pool.size())))]);
    }
    line.truncate(length);
    if (line.endsWith(u' '))
        line.back() = u'.';
    bytes.append(isUtf8(m_text) ? line.toUtf8() : toWindows1252(line));
    bytes.append(lineEnd(m_text));
}

bool writeCollection(const QString &path, int lines, const std::function<QByteArray(int i)> &prefix, Text text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    ProverbWriter writer(text);
    QByteArray chunk;
    chunk.reserve(1 << 20);
    for (int i = 0; i < lines; ++i) {
        if (prefix)
            chunk.append(prefix(i));
        writer.appendLine(chunk);
        if (chunk.size() >= (1 << 20) - 256 || i + 1 == lines) {
            for (char c : chunk) {
                if (!isUtf8(text) && undefinedByte(static_cast<unsigned char>(c)))
                    return false;
            }
            if (file.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    return file.flush();
}

// Reads the file once through a small buffer, so both the program and iconv find it in the page cache.
bool warmCache(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    while (file.read(buffer.data(), buffer.size()) > 0) { }
    return true;
}

// Line `number` (from 1) of the file, decoded; streamed so it costs no memory worth speaking of.
std::optional<QString> lineOfFile(const QString &path, int number, Text text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray line;
    for (int i = 0; i < number; ++i) {
        if (file.atEnd())
            return std::nullopt;
        line = file.readLine();
    }
    if (line.endsWith(lineEnd(text)))
        line.chop(lineEnd(text).size());
    return isUtf8(text) ? QString::fromUtf8(line) : fromWindows1252(line);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t m = values.size() / 2;
    return values.size() % 2 ? values[m] : (values[m - 1] + values[m]) / 2;
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // kibibytes on Linux
}

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

std::optional<std::map<QString, double>> runChild(const QString &area, const QStringList &args)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), QStringList{u"--child"_s, area} + args);
    if (!child.waitForFinished(10 * 60 * 1000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        err() << "the " << area << " child " << args.join(u' ') << " failed (exit code " << child.exitCode() << ")"
              << Qt::endl;
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(child.readAllStandardOutput());
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (!line.startsWith(u"RESULT "))
            continue;
        std::map<QString, double> values;
        for (QStringView field : line.sliced(7).split(u' ')) {
            const qsizetype eq = field.indexOf(u'=');
            if (eq > 0)
                values[field.first(eq).toString()] = field.sliced(eq + 1).toDouble();
        }
        return values;
    }
    err() << "the " << area << " child " << args.join(u' ') << " gave no result" << Qt::endl;
    return std::nullopt;
}

void printResult(const std::map<QString, double> &values)
{
    out() << "RESULT";
    for (const auto &[key, value] : values)
        out() << ' ' << key << '=' << QString::number(value, 'g', 12);
    out() << Qt::endl;
}

std::optional<CommandTimes> timedMedian(const QString &program, const QStringList &args, int repeats,
                                        const QStringList &environment)
{
    std::vector<double> times, faults;
    CommandTimes result;
    for (int i = 0; i < repeats; ++i) {
        const auto run = runCommand(program, args, environment);
        if (!run)
            return std::nullopt;
        times.push_back(run->ms);
        faults.push_back(double(run->minorFaults));
        result.output = run->output;
    }
    result.ms = median(times);
    result.faults = median(faults);
    return result;
}

std::optional<CommandRun> runCommand(const QString &program, const QStringList &args, const QStringList &environment,
                                     Output kept)
{
    QTemporaryFile output;
    if (!output.open())
        return std::nullopt;
    QProcess process;
    if (!environment.isEmpty()) {
        QProcessEnvironment settings = QProcessEnvironment::systemEnvironment();
        for (const QString &setting : environment) {
            const qsizetype eq = setting.indexOf(u'=');
            settings.insert(setting.first(eq), setting.sliced(eq + 1));
        }
        process.setProcessEnvironment(settings);
    }
    process.setStandardOutputFile(output.fileName());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    rusage before{};
    getrusage(RUSAGE_CHILDREN, &before);
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    const bool finished = process.waitForFinished(10 * 60 * 1000);
    CommandRun run;
    run.ms = timer.nsecsElapsed() / 1e6;
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &after);
    // grep's exit code 1 means "no line matched", which is a result, not a failure.
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() > 1) {
        err() << program << " failed (exit code " << process.exitCode() << ")" << Qt::endl;
        return std::nullopt;
    }
    run.minorFaults = after.ru_minflt - before.ru_minflt;
    if (kept == Output::Read)
        run.output = output.readAll();
    return run;
}

QString fixed(double value, int decimals, int width)
{
    return QString::number(value, 'f', decimals).rightJustified(width);
}

QString verdict(bool pass)
{
    return pass ? u"PASS"_s : u"MISS"_s;
}

QByteArray rarePrefix(int line)
{
    if (line % 100 != 0)
        return {};
    static const QByteArray spellings[] = {"Zebrafink ", "ZEBRAFINK ", "zebraFink "};
    return spellings[(line / 100) % 3];
}

} // namespace bench
