#include "store/programfolder.h"

#include "store/files.h"
#include "store/terminal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace store {

namespace {
QString &folderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

QString programFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString &folder)
{
    folderOverride() = folder;
}

QString pathInProgramFolder(const QString &fileName)
{
    return programFolder() + u'/' + fileName;
}

MaybeFailure checkName(const QString &name)
{
    if (name.startsWith(u'.') || name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        return failures::nameNotAllowed(name);
    return std::nullopt;
}

MaybeFailure checkNameForWriting(const QString &name)
{
    if (auto failure = checkName(name))
        return failure;
    long limit = -1;
#ifdef Q_OS_UNIX
    limit = ::pathconf(QFile::encodeName(programFolder()).constData(), _PC_NAME_MAX);
#endif
    if (limit <= 0)
        limit = 255;
    const qsizetype extension = 4; // ".dat", ".txt"
    if (QFile::encodeName(name).size() + extension + kTemporaryNameBytes > limit)
        return failures::nameTooLong(name);
    return std::nullopt;
}

namespace {
const QString kSamplesBesideBin = u"../share/tankedosan"_s;
const QString kHelpFile = u"help.txt"_s;
const QString kShippedHelpSums = u"help-shipped.sha256"_s;

bool nameTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool holdsCollection(const QString &folder)
{
    QDir dir(folder);
    dir.setNameFilters({u"*.dat"_s});
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    return !dir.entryList().isEmpty();
}

MaybeFailure copyIfAbsent(const QString &from, const QString &to)
{
    if (nameTaken(to))
        return std::nullopt;
    QByteArray bytes;
    if (auto failure = readWholeFile(from, bytes))
        return failure;
    return writeFileAtomically(to, bytes);
}

// The SHA-256 sums (lower-case hex, first word of each line, as sha256sum writes them) of every help text
// that a version of the program shipped.
QList<QByteArray> shippedHelpSums(const QString &samplesFolder)
{
    QByteArray text;
    if (readWholeFile(samplesFolder + u'/' + kShippedHelpSums, text))
        return {};
    QList<QByteArray> sums;
    for (const QByteArray &line : text.split('\n')) {
        const QByteArray word = line.simplified().split(' ').value(0).toLower();
        if (word.size() == 64)
            sums.append(word);
    }
    return sums;
}

// A help text that an earlier version shipped and the user never edited is ours to bring up to date; one the
// user changed, or a link, stays as it is.
MaybeFailure renewHelp(const QString &from, const QString &to, const QString &samplesFolder)
{
    const QFileInfo info(to);
    if (info.isSymLink() || !info.isFile())
        return std::nullopt;
    QByteArray mine, shipped;
    if (readWholeFile(to, mine) || readWholeFile(from, shipped) || mine == shipped)
        return std::nullopt;
    const QByteArray sum = QCryptographicHash::hash(mine, QCryptographicHash::Sha256).toHex();
    if (!shippedHelpSums(samplesFolder).contains(sum))
        return std::nullopt;
    return writeFileAtomically(to, shipped);
}
} // namespace

FolderChoice chooseProgramFolder(const QString &executableFolder, const QString &namedFolder,
                                 const QString &perUserFolder)
{
    if (!namedFolder.isEmpty())
        return {QDir::cleanPath(namedFolder), {}};
    const QString samples = QDir::cleanPath(executableFolder + u'/' + kSamplesBesideBin);
    if (!perUserFolder.isEmpty() && QFileInfo(samples).isDir())
        return {QDir::cleanPath(perUserFolder), samples};
    return {QDir::cleanPath(executableFolder), {}};
}

namespace {
// Copies the samples that are missing, collections only into a folder that holds none; the first failure.
MaybeFailure copySamples(const QString &folder, const QString &samplesFolder)
{
    QStringList names;
    if (!holdsCollection(folder)) {
        QDir samples(samplesFolder);
        samples.setNameFilters({u"*.dat"_s});
        samples.setFilter(QDir::Files);
        names = samples.entryList();
    }
    names.append(kHelpFile);
    MaybeFailure first;
    for (const QString &name : std::as_const(names)) {
        const QString from = samplesFolder + u'/' + name;
        if (name == kHelpFile && !QFileInfo::exists(from))
            continue;
        auto failure = copyIfAbsent(from, folder + u'/' + name);
        if (!failure && name == kHelpFile)
            failure = renewHelp(from, folder + u'/' + name, samplesFolder);
        if (failure && !first)
            first = std::move(failure);
    }
    return first;
}

// The first seeding fills a folder of its own beside the user's and renames it into place only once every
// sample is in it: a start that fails half-way leaves no folder, so the next start seeds it whole instead of
// finding a collection there and taking the folder for seeded. Gives true in `seeded` when it took place.
MaybeFailure seedNewFolder(const QString &folder, const QString &samplesFolder, bool &seeded)
{
    seeded = false;
    const QFileInfo target(folder);
    const QString parent = target.absolutePath();
    errno = 0;
    if (!QDir().mkpath(parent))
        return errno != 0 ? failures::fromSystemError(errno, folder) : failures::pathAccessError(folder);
    QString scratch;
    for (int attempt = 0; scratch.isEmpty(); ++attempt) {
        const QString name = parent + u"/."_s + target.fileName() + u"-ny-"_s
                             + QString::number(QCoreApplication::applicationPid()) + u'-' + QString::number(attempt);
        errno = 0;
        if (QDir().mkdir(name))
            scratch = name;
        else if (errno != EEXIST || attempt > 100)
            return errno != 0 ? failures::fromSystemError(errno, folder) : failures::pathAccessError(folder);
    }
    if (auto failure = copySamples(scratch, samplesFolder)) {
        QDir(scratch).removeRecursively();
        return failure;
    }
    errno = 0;
    if (::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(folder).constData()) != 0) {
        const int error = errno;
        QDir(scratch).removeRecursively();
        // Another copy of the program made the folder meanwhile: it is seeded there, or is seeding it.
        if (error == EEXIST || error == ENOTEMPTY)
            return std::nullopt;
        return failures::fromSystemError(error, folder);
    }
    seeded = true;
    return std::nullopt;
}
} // namespace

MaybeFailure seedFolder(const QString &folder, const QString &samplesFolder)
{
    if (samplesFolder.isEmpty())
        return std::nullopt;
    if (!nameTaken(folder)) {
        bool seeded = false;
        auto failure = seedNewFolder(folder, samplesFolder, seeded);
        if (failure || seeded)
            return failure;
    }
    if (!QFileInfo(folder).isDir())
        return failures::pathAccessError(folder);
    return copySamples(folder, samplesFolder);
}

MaybeFailure settleProgramFolder(const QString &namedFolder)
{
    const FolderChoice choice =
        chooseProgramFolder(QCoreApplication::applicationDirPath(), namedFolder,
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    setProgramFolder(choice.folder);
    return seedFolder(choice.folder, choice.samplesFolder);
}

namespace {
// An option as it is typed: one dash before a letter, two before a word.
QString dashed(const QString &name)
{
    return (name.size() == 1 ? u"-"_s : u"--"_s) + name;
}

QString helpText()
{
    return u"Användning: tankedosan [alternativ]\n"
           u"\n"
           u"Tankedosan läser, söker i och sköter samlingar av ordspråk och citat. Utan kommando öppnas\n"
           u"huvudfönstret; kommandona nedan skriver i terminalen och behöver ingen skärm.\n"
           u"Samlingarna ligger i programmets egen mapp, eller i ~/.local/share/Tankedosan\n"
           u"när programmet är installerat.\n"
           u"\n"
           u"Kommandon:\n"
           u"  --slump               Skriver ett slumpvis valt ordspråk.\n"
           u"  --sök, --sok <text>   Skriver varje ordspråk som innehåller <text>; stora och små\n"
           u"                        bokstäver räknas lika, som i sökfönstret.\n"
           u"  --nummer <n>          Skriver ordspråk nummer <n>, räknat från 1.\n"
           u"  --samlingar           Skriver varje samlings namn och antal ordspråk, åtskilda av tab.\n"
           u"\n"
           u"Alternativ:\n"
           u"  --samling <namn>      Samlingen som läses; annars Citat, eller den första. Med \"alla\"\n"
           u"                        läser --slump och --sök alla samlingar (--sök skriver samlingens\n"
           u"                        namn och ett kolon före varje ordspråk).\n"
           u"  --början, --borjan    Med --sök: bara ordspråk som börjar med <text>.\n"
           u"  --mapp <mapp>         Använder samlingarna i <mapp>.\n"
           u"  -h, --help            Visar den här hjälpen.\n"
           u"  -v, --version         Visar programmets namn och version och mappen som används.\n"
           u"\n"
           u"Slutstatus: 0 när något skrevs ut, 1 när inget hittades, 2 vid fel.\n"_s;
}

CommandLine failed(const QString &why)
{
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.text = u"tankedosan: "_s + why + u"\nSkriv \"tankedosan --help\" för att se alternativen.\n"_s;
    return line;
}

// The options Qt's application object reads from the command line, as `-name` or `--name`: those with a
// value take the next argument, or stand as `-name=value`.
const QStringList kQtOptionsWithValue{u"style"_s, u"stylesheet"_s, u"platform"_s, u"platformpluginpath"_s,
                                      u"platformtheme"_s, u"plugin"_s, u"qwindowgeometry"_s, u"qwindowicon"_s,
                                      u"qwindowtitle"_s, u"session"_s, u"display"_s, u"geometry"_s,
                                      u"title"_s, u"icon"_s, u"name"_s, u"qmljsdebugger"_s, u"dialogs"_s,
                                      u"fontengine"_s};
const QStringList kQtFlags{u"widgetcount"_s, u"reverse"_s, u"nograb"_s, u"dograb"_s, u"sync"_s, u"testability"_s};

QStringList withoutQtOptions(const QStringList &arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (i > 0 && argument == u"--"_s) {
            kept += arguments.mid(i);
            break;
        }
        QString name = argument.startsWith(u"--"_s) ? argument.mid(2) : argument.startsWith(u'-') ? argument.mid(1) : QString();
        const qsizetype eq = name.indexOf(u'=');
        if (i > 0 && eq > 0 && kQtOptionsWithValue.contains(name.first(eq)))
            continue;
        if (i > 0 && kQtFlags.contains(name))
            continue;
        if (i > 0 && kQtOptionsWithValue.contains(name)) {
            ++i;
            continue;
        }
        kept.append(argument);
    }
    return kept;
}
} // namespace

CommandLine readCommandLine(const QStringList &arguments)
{
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s});
    const QCommandLineOption version(QStringList{u"v"_s, u"version"_s});
    const QCommandLineOption folder(u"mapp"_s, QString(), u"mapp"_s);
    const QCommandLineOption random(QStringList{u"slump"_s});
    const QCommandLineOption search({u"sök"_s, u"sok"_s}, QString(), u"text"_s);
    const QCommandLineOption beginning(QStringList{u"början"_s, u"borjan"_s});
    const QCommandLineOption collection(u"samling"_s, QString(), u"namn"_s);
    const QCommandLineOption collections(QStringList{u"samlingar"_s});
    const QCommandLineOption number(u"nummer"_s, QString(), u"n"_s);
    QCommandLineParser parser;
    parser.addOptions({help, version, folder, random, search, beginning, collection, collections, number});
    const bool parsed = parser.parse(withoutQtOptions(arguments));

    if (parser.isSet(help)) {
        CommandLine line;
        line.action = CommandLine::Action::Help;
        line.text = helpText();
        return line;
    }
    if (!parser.unknownOptionNames().isEmpty()) {
        QStringList names;
        for (const QString &name : parser.unknownOptionNames())
            names.append(dashed(name));
        return failed(u"okänt alternativ: "_s + names.join(u", "_s));
    }
    if (!parsed) {
        // An option that takes a value was given none; Qt's text of it is English and names the option.
        const std::pair<QString, QString> missing[] = {{u"mapp"_s, u"--mapp ska följas av en mapp"_s},
                                                       {u"samling"_s, u"--samling ska följas av en samlings namn, eller alla"_s},
                                                       {u"nummer"_s, u"--nummer ska följas av ett heltal från 1 och uppåt"_s},
                                                       {u"sök"_s, u"--sök ska följas av en text"_s},
                                                       {u"sok"_s, u"--sök ska följas av en text"_s}};
        for (const auto &[name, why] : missing) {
            if (parser.errorText().contains(u"--"_s + name + u'\''))
                return failed(why);
        }
        return failed(u"ett alternativ saknar sitt värde"_s);
    }
    if (!parser.positionalArguments().isEmpty())
        return failed(u"okänt argument: "_s + parser.positionalArguments().constFirst());

    CommandLine line;
    const std::pair<const QCommandLineOption *, CommandLine::Action> commands[] = {
        {&random, CommandLine::Action::Random}, {&search, CommandLine::Action::Search},
        {&number, CommandLine::Action::Number}, {&collections, CommandLine::Action::Collections},
        {&version, CommandLine::Action::Version}};
    for (const auto &[option, action] : commands) {
        if (!parser.isSet(*option))
            continue;
        if (line.action != CommandLine::Action::Run)
            return failed(u"välj ett kommando åt gången: --slump, --sök, --nummer, --samlingar eller --version"_s);
        line.action = action;
    }
    if (line.action == CommandLine::Action::Version)
        line.text = QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n';
    if (parser.isSet(beginning) && line.action != CommandLine::Action::Search)
        return failed(u"--början hör till --sök"_s);
    if (parser.isSet(collection)) {
        if (line.action != CommandLine::Action::Random && line.action != CommandLine::Action::Search
            && line.action != CommandLine::Action::Number)
            return failed(u"--samling hör till --slump, --sök och --nummer"_s);
        line.collection = parser.value(collection);
        if (line.collection.isEmpty())
            return failed(u"--samling ska följas av en samlings namn, eller alla"_s);
        if (line.collection == u"alla"_s && line.action == CommandLine::Action::Number)
            return failed(u"--nummer läser en samling, inte alla"_s);
    }
    line.needle = parser.value(search);
    line.beginning = parser.isSet(beginning);
    if (line.action == CommandLine::Action::Number) {
        bool ok = false;
        const QString value = parser.value(number);
        line.number = value.toLongLong(&ok);
        if (!ok || line.number < 1 || value.startsWith(u'+'))
            return failed(u"--nummer ska följas av ett heltal från 1 och uppåt: "_s + value);
    }
    if (parser.isSet(folder)) {
        const QString named = parser.value(folder);
        if (named.isEmpty())
            return failed(u"--mapp ska följas av en mapp"_s);
        if (!QFileInfo(named).isDir())
            return failed(u"mappen finns inte: "_s + named);
        line.folder = QDir::cleanPath(QFileInfo(named).absoluteFilePath());
    }
    return line;
}

QStringList argumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(fromTerminal(argv[i]));
    return arguments;
}

} // namespace store
