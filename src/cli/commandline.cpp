// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/commandline.h"

#include "cli/output.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>

#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace tankedosan::cli {

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
           u"  --importera <fil>     Lägger till raderna i <fil> (eller citaten, om <fil> är en\n"
           u"                        fortune-fil) i samlingen som --samling anger, i redigerarens\n"
           u"                        ordning; det som samlingen redan har läggs inte till igen.\n"
           u"                        Samlingen skapas om den inte finns.\n"
           u"  --dagens              Skriver dagens ordspråk: samma hela dagen, ett annat nästa dag.\n"
           u"  --fönster, --fonster  Öppnar huvudfönstret: med --samling och --nummer på det\n"
           u"                        ordspråket, med --sök med sökfönstret öppet på <text>.\n"
           u"  --sökleverantör, --sokleverantor\n"
           u"                        Svarar på skrivbordets sökning (GNOME:s översikt och KDE:s\n"
           u"                        KRunner) över D-Bus. D-Bus startar den vid behov; den slutar\n"
           u"                        själv efter en minut utan frågor.\n"
           u"\n"
           u"Alternativ:\n"
           u"  --samling <namn>      Samlingen som läses; annars Citat, eller den första. Med \"alla\"\n"
           u"                        läser --slump och --sök alla samlingar (--sök skriver samlingens\n"
           u"                        namn och ett kolon före varje ordspråk). --dagens väljer bland\n"
           u"                        alla samlingar när ingen anges.\n"
           u"  --början, --borjan    Med --sök: bara ordspråk som börjar med <text>.\n"
           u"  --avisera             Med --dagens: visar ordspråket som en avisering på skrivbordet.\n"
           u"  --kodning <namn>      Läser filer som varken är UTF-8 eller UTF-16 i teckenkodningen\n"
           u"                        <namn> (som ISO-8859-3, KOI8-R eller IBM850) i stället för i\n"
           u"                        Windows-1252: samlingarna (också i fönstret), och filen som\n"
           u"                        --importera anger.\n"
           u"  --mapp <mapp>         Använder samlingarna i <mapp>. I fortunes mappar (som\n"
           u"                        /usr/share/games/fortunes) är varje citat ett ordspråk; de\n"
           u"                        samlingarna kan bara läsas.\n"
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
const QStringList kQtOptionsWithValue{u"style"_s,
                                      u"stylesheet"_s,
                                      u"platform"_s,
                                      u"platformpluginpath"_s,
                                      u"platformtheme"_s,
                                      u"plugin"_s,
                                      u"qwindowgeometry"_s,
                                      u"qwindowicon"_s,
                                      u"qwindowtitle"_s,
                                      u"session"_s,
                                      u"display"_s,
                                      u"geometry"_s,
                                      u"title"_s,
                                      u"icon"_s,
                                      u"name"_s,
                                      u"qmljsdebugger"_s,
                                      u"dialogs"_s,
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
        QString name = argument.startsWith(u"--"_s) ? argument.mid(2)
                       : argument.startsWith(u'-')  ? argument.mid(1)
                                                    : QString();
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
// The platform Qt is asked for (-platform NAME, -platform=NAME, or QT_QPA_PLATFORM); empty when none is.
QString askedPlatform(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != u"--"_s; ++i) {
        for (const QString &option : {u"-platform"_s, u"--platform"_s}) {
            if (arguments[i] == option && i + 1 < arguments.size())
                return arguments[i + 1];
            if (arguments[i].startsWith(option + u'='))
                return arguments[i].mid(option.size() + 1);
        }
    }
    return qEnvironmentVariable("QT_QPA_PLATFORM");
}

// The names of the platform plugins Qt would find, from their metadata (nothing of them is loaded).
QStringList platformPlugins()
{
    QStringList folders = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH").split(u':', Qt::SkipEmptyParts);
    for (const QString &path : QCoreApplication::libraryPaths())
        folders += path + u"/platforms"_s;
    QStringList names;
    for (const QString &folder : folders) {
        for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files)) {
            const QJsonArray keys =
                QPluginLoader(file.absoluteFilePath()).metaData()[u"MetaData"_s][u"Keys"_s].toArray();
            for (const QJsonValue &key : keys)
                names += key.toString().toLower();
        }
    }
    names.removeDuplicates();
    names.sort();
    return names;
}

// Qt ends the program when none of the platforms asked for is there (a list of them is separated by ";",
// each name may carry options after ":"): refused here, as any other bad option.
std::optional<CommandLine> refusedPlatform(const QStringList &arguments)
{
    const QString asked = askedPlatform(arguments);
    if (asked.isEmpty())
        return std::nullopt;
    const QStringList known = platformPlugins();
    for (const QString &name : asked.split(u';', Qt::SkipEmptyParts)) {
        if (known.contains(name.section(u':', 0, 0).toLower()))
            return std::nullopt;
    }
    return failed(u"plattformen ''"_s + asked + u"'' finns inte; de som finns: "_s + known.join(u", "_s));
}

// The program's options, each as its names and the name of its value.
struct Options
{
    QCommandLineOption help{QStringList{u"h"_s, u"help"_s}};
    QCommandLineOption version{QStringList{u"v"_s, u"version"_s}};
    QCommandLineOption folder{u"mapp"_s, QString(), u"mapp"_s};
    QCommandLineOption random{QStringList{u"slump"_s}};
    QCommandLineOption search{{u"sök"_s, u"sok"_s}, QString(), u"text"_s};
    QCommandLineOption beginning{QStringList{u"början"_s, u"borjan"_s}};
    QCommandLineOption collection{u"samling"_s, QString(), u"namn"_s};
    QCommandLineOption collections{QStringList{u"samlingar"_s}};
    QCommandLineOption number{u"nummer"_s, QString(), u"n"_s};
    QCommandLineOption import{u"importera"_s, QString(), u"fil"_s};
    QCommandLineOption encoding{u"kodning"_s, QString(), u"namn"_s};
    QCommandLineOption daily{QStringList{u"dagens"_s}};
    QCommandLineOption notify{QStringList{u"avisera"_s}};
    QCommandLineOption provider{QStringList{u"sökleverantör"_s, u"sokleverantor"_s}};
    QCommandLineOption window{QStringList{u"fönster"_s, u"fonster"_s}};
};

// What the parser could not take: an unknown option, an option without its value, an argument that is none.
std::optional<CommandLine> refusedWords(const QCommandLineParser &parser, bool parsed)
{
    if (!parser.unknownOptionNames().isEmpty()) {
        QStringList names;
        for (const QString &name : parser.unknownOptionNames())
            names.append(dashed(name));
        return failed(u"okänt alternativ: "_s + names.join(u", "_s));
    }
    if (!parsed) {
        // An option that takes a value was given none; Qt's text of it is English and names the option.
        const std::pair<QString, QString> missing[] = {
            {u"mapp"_s, u"--mapp ska följas av en mapp"_s},
            {u"samling"_s, u"--samling ska följas av en samlings namn, eller alla"_s},
            {u"nummer"_s, u"--nummer ska följas av ett heltal från 1 och uppåt"_s},
            {u"importera"_s, u"--importera ska följas av en fil"_s},
            {u"kodning"_s, u"--kodning ska följas av en teckenkodnings namn"_s},
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
    return std::nullopt;
}

// The one command given (Run for none), or the refusal of more than one. With --fönster, --sök and --nummer
// say where the window opens, and no command goes with it.
CommandLine chosenCommand(const QCommandLineParser &parser, const Options &o)
{
    CommandLine line;
    const bool window = parser.isSet(o.window);
    const std::pair<const QCommandLineOption *, CommandLine::Action> commands[] = {
        {&o.random, CommandLine::Action::Random},
        {window ? nullptr : &o.search, CommandLine::Action::Search},
        {window ? nullptr : &o.number, CommandLine::Action::Number},
        {&o.collections, CommandLine::Action::Collections},
        {&o.import, CommandLine::Action::Import},
        {&o.daily, CommandLine::Action::Daily},
        {&o.provider, CommandLine::Action::SearchProvider},
        {&o.version, CommandLine::Action::Version}};
    for (const auto &[option, action] : commands) {
        if (!option || !parser.isSet(*option))
            continue;
        if (window)
            return failed(u"--fönster tar bara --samling, --nummer, --sök, --mapp och --kodning"_s);
        if (line.action != CommandLine::Action::Run)
            return failed(u"välj ett kommando åt gången: --slump, --sök, --nummer, --samlingar, --importera, "
                          u"--dagens, --sökleverantör eller --version"_s);
        line.action = action;
    }
    if (line.action == CommandLine::Action::Version)
        line.text = QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n';
    return line;
}

// The values that go with the command, each where it belongs; the refusal of the first that does not.
std::optional<CommandLine> takeValues(const QCommandLineParser &parser, const Options &o, CommandLine &line)
{
    using Action = CommandLine::Action;
    const bool window = parser.isSet(o.window);
    if (parser.isSet(o.beginning) && line.action != Action::Search)
        return failed(u"--början hör till --sök"_s);
    if (parser.isSet(o.notify) && line.action != Action::Daily)
        return failed(u"--avisera hör till --dagens"_s);
    if (parser.isSet(o.collection)) {
        if (line.action != Action::Random && line.action != Action::Search && line.action != Action::Number
            && line.action != Action::Import && line.action != Action::Daily && !window)
            return failed(u"--samling hör till --slump, --sök, --nummer, --importera, --dagens och --fönster"_s);
        line.collection = parser.value(o.collection);
        if (line.collection.isEmpty())
            return failed(u"--samling ska följas av en samlings namn, eller alla"_s);
        if (line.collection == u"alla"_s && (line.action == Action::Number || window))
            return failed(u"--nummer och --fönster läser en samling, inte alla"_s);
    }
    if (line.action == Action::Import) {
        if (line.collection.isEmpty() || line.collection == u"alla"_s)
            return failed(u"--importera lägger till i en samling: ange den med --samling <namn>"_s);
        const QString file = parser.value(o.import);
        if (file.isEmpty())
            return failed(u"--importera ska följas av en fil"_s);
        line.importFile = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    }
    if (parser.isSet(o.encoding)) {
        if (line.action == Action::Version)
            return failed(u"--kodning hör till fönstret och till --slump, --sök, --nummer, --samlingar, --importera, "
                          u"--dagens och --sökleverantör"_s);
        const QString name = parser.value(o.encoding);
        if (name.isEmpty())
            return failed(u"--kodning ska följas av en teckenkodnings namn"_s);
        const std::optional<store::ChosenEncoding> known = store::ChosenEncoding::named(name);
        if (!known)
            return failed(u"okänd teckenkodning: "_s + name);
        line.encoding = *known;
    }
    line.needle = parser.value(o.search);
    line.beginning = parser.isSet(o.beginning);
    line.notify = parser.isSet(o.notify);
    if (line.action == Action::Number || (window && parser.isSet(o.number))) {
        bool ok = false;
        const QString value = parser.value(o.number);
        line.number = value.toLongLong(&ok);
        if (!ok || line.number < 1 || value.startsWith(u'+'))
            return failed(u"--nummer ska följas av ett heltal från 1 och uppåt: "_s + value);
    }
    if (window)
        line.start = {line.collection, std::exchange(line.number, 0), std::exchange(line.needle, QString())};
    if (parser.isSet(o.folder)) {
        const QString named = parser.value(o.folder);
        if (named.isEmpty())
            return failed(u"--mapp ska följas av en mapp"_s);
        if (!QFileInfo(named).isDir())
            return failed(u"mappen finns inte: "_s + named);
        line.folder = QDir::cleanPath(QFileInfo(named).absoluteFilePath());
    }
    return std::nullopt;
}
} // namespace

CommandLine readCommandLine(const QStringList &arguments)
{
    const Options o;
    QCommandLineParser parser;
    parser.addOptions({o.help, o.version, o.folder, o.random, o.search, o.beginning, o.collection, o.collections,
                       o.number, o.import, o.encoding, o.daily, o.notify, o.provider, o.window});
    const bool parsed = parser.parse(withoutQtOptions(arguments));
    if (parser.isSet(o.help)) {
        CommandLine line;
        line.action = CommandLine::Action::Help;
        line.text = helpText();
        return line;
    }
    if (auto refused = refusedWords(parser, parsed))
        return *refused;
    CommandLine line = chosenCommand(parser, o);
    if (line.action == CommandLine::Action::Error)
        return line;
    if (auto refused = takeValues(parser, o, line))
        return *refused;
    if (line.action == CommandLine::Action::Run) {
        if (auto refused = refusedPlatform(arguments))
            return *refused;
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

} // namespace tankedosan::cli
