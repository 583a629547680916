#include "store/programfolder.h"

#include "store/collections.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>

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

QString optionColumn(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names.append(dashed(name));
    QString column = names.join(u", "_s);
    if (!option.valueName().isEmpty())
        column += u" <"_s + option.valueName() + u'>';
    return column;
}

QString helpText(const QList<QCommandLineOption> &options)
{
    QString text = u"Användning: tankedosan [alternativ]\n\n"
                   u"Tankedosan läser, söker i och sköter samlingar av ordspråk och citat.\n"
                   u"Samlingarna ligger i programmets egen mapp, eller i ~/.local/share/Tankedosan\n"
                   u"när programmet är installerat.\n\n"
                   u"Alternativ:\n"_s;
    for (const QCommandLineOption &option : options)
        text += u"  "_s + optionColumn(option).leftJustified(18) + u"  "_s + option.description() + u'\n';
    return text;
}

CommandLine failed(const QString &why, CommandLine::Action action = CommandLine::Action::Error)
{
    return {action, {},
            u"tankedosan: "_s + why + u"\nSkriv \"tankedosan --help\" för att se alternativen.\n"_s};
}
} // namespace

CommandLine readCommandLine(const QStringList &arguments)
{
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Visar den här hjälpen."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Visar programmets namn och version."_s);
    const QCommandLineOption folder(u"mapp"_s, u"Använder samlingarna i <mapp>."_s, u"mapp"_s);
    QCommandLineParser parser;
    parser.addOptions({help, version, folder});
    const bool parsed = parser.parse(arguments);

    if (parser.isSet(help))
        return {CommandLine::Action::Help, {}, helpText({help, version, folder})};
    if (parser.isSet(version))
        return {CommandLine::Action::Version, {},
                QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n'};
    if (!parser.unknownOptionNames().isEmpty()) {
        QStringList names;
        for (const QString &name : parser.unknownOptionNames())
            names.append(dashed(name));
        return failed(u"okänt alternativ: "_s + names.join(u", "_s), CommandLine::Action::Unknown);
    }
    if (!parsed)
        return failed(u"--mapp ska följas av en mapp"_s);
    if (!parser.positionalArguments().isEmpty())
        return failed(u"okänt argument: "_s + parser.positionalArguments().constFirst(),
                      CommandLine::Action::Unknown);
    CommandLine line;
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
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

std::optional<int> endsWith(const CommandLine &commandLine, bool qtOptionsTaken)
{
    switch (commandLine.action) {
    case CommandLine::Action::Run:
        return std::nullopt;
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::Unknown:
        if (!qtOptionsTaken)
            return std::nullopt;
        [[fallthrough]];
    case CommandLine::Action::Error:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stderr);
        return 2;
    }
    return std::nullopt;
}

} // namespace store
