// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/dagens.h"
#include "cli/slump.h"
#include "store/bounds.h"
#include "store/fortune.h"
#include "store/linestore.h"
#include "support/folderfixture.h"
#include "support/systemfixtures.h"

#include "../editor/swedishreference.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <dlfcn.h>
#include <map>

using namespace tankedosan;
using namespace tankedosan::cli;
using namespace tankedosan::store;

using namespace Qt::StringLiterals;

static const QString kExecutable = QStringLiteral(TANKEDOSAN_EXECUTABLE);

// Started with TANKEDOSAN_WINDOW_PROBE=LIBRARY, this test is the executable's window side instead, opened as main.cpp
// opens it and watched from inside: it prints each box shown before the window, then the desktop name, the locale,
// the window shown, and the window active once a dialog of it has closed.
static void watchWindow()
{
    if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
        std::printf("%s\n", qPrintable(box->text().replace(u"\r\n"_s, u" "_s)));
        box->close();
        return QTimer::singleShot(0, watchWindow);
    }
    QWidget *window = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        window = w->isVisible() ? w : window;
    if (window) {
        window->activateWindow();
        auto *dialog = new QDialog(window);
        dialog->show();
        QApplication::processEvents();
        dialog->hide();
        QApplication::processEvents();
    }
    QWidget *active = QApplication::activeWindow();
    std::printf("%s %s %s %s\n", qPrintable(qApp->property("desktopFileName").toString()), qPrintable(QLocale().name()),
                window ? window->metaObject()->className() : "-", active ? active->metaObject()->className() : "-");
    QCoreApplication::exit(0);
}
static const int windowProbe = [] {
    const QByteArray library = qgetenv("TANKEDOSAN_WINDOW_PROBE");
    if (library.isEmpty())
        return 0;
    qAddPreRoutine([] { QTimer::singleShot(0, watchWindow); });
    QCoreApplication::setApplicationName(u"Tankedosan"_s);
    using Window = int(int &, char **, const QString &, const store::ChosenEncoding &, const store::WindowStart &);
    auto *window = reinterpret_cast<Window *>(dlsym(dlopen(library.constData(), RTLD_NOW), "tankedosanWindow"));
    static char program[] = "tankedosan";
    char *argv[] = {program, nullptr};
    int argc = 1;
    std::exit(window ? window(argc, argv, {}, {}, {}) : 3);
}();

// A command and what it gives; as run, status -1 if it did not end by itself within a minute.
struct Case
{
    QString arguments; // separated by "|"
    int status;
    QByteArray out; // exactly
    QString err; // expected: a part of standard error, its end if it ends a line; empty: nothing on it
};

// The real executable without a display, on collections in Windows-1252, in UTF-8, empty and very long.
class tst_terminal : public QObject
{
    Q_OBJECT

    const FolderFixture m_dir;

    // The command with "|" between its arguments, on the folder (none: no --mapp), without a display; leading
    // NAME=VALUE words go into its environment. "<dir>" stands for the folder.
    static Case run(const QString &arguments, const QString &folder, const QString &program = kExecutable)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        QStringList words = QString(arguments).replace(u"<dir>"_s, folder).split(u'|');
        for (QString word; !words.isEmpty() && !words.front().startsWith(u'-') && words.front().contains(u'=');) {
            word = words.takeFirst();
            environment.insert(word.section(u'=', 0, 0), word.section(u'=', 1));
        }
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, folder.isEmpty() ? words : words + QStringList{u"--mapp"_s, folder});
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return {arguments, -1, {}, process.errorString()};
        return {arguments, process.exitCode(), process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // Standard output exactly ("<dir>" for the folder), standard error in part, the status.
    static void expect(const QString &folder, const QString &arguments, int status, const QByteArray &out,
                       const QString &err = {})
    {
        const Case ran = run(arguments, folder);
        QCOMPARE(ran.out, QByteArray(out).replace("<dir>", folder.toUtf8()));
        QVERIFY2(err.isEmpty()         ? ran.err.isEmpty()
                 : err.endsWith(u'\n') ? ran.err.endsWith(err)
                                       : ran.err.contains(err),
                 qPrintable(ran.err));
        QCOMPARE(ran.status, status);
    }
    static QString strfile() { return QStandardPaths::findExecutable(u"strfile"_s, {u"/usr/bin"_s, u"/usr/sbin"_s}); }
    // The text and its index as strfile makes it.
    static void indexed(const FolderFixture &f, const QString &name, const QByteArray &text,
                        const QString &flag = u"-s"_s)
    {
        f.write(name, text);
        QCOMPARE(QProcess::execute(strfile(), {u"-s"_s, flag, f.path(name)}), 0);
    }
    // Each draw of the collection one of the entries; with draws enough, each of them.
    static void draws(const QString &folder, const QString &name, const QSet<QByteArray> &entries, int times)
    {
        QSet<QByteArray> seen;
        for (int i = 0; i < times; ++i) {
            const Case ran = run(u"--slump|--samling|"_s + name, folder);
            QVERIFY2(ran.status == 0 && entries.contains(ran.out), ran.out.toHex().constData());
            seen.insert(ran.out);
        }
        QVERIFY(seen.size() == qsizetype(entries.size()) || times < 4 * entries.size());
    }

private slots:
    void initTestCase()
    {
        // Listed before Citat, which is still the collection the commands read when none is named.
        m_dir.write(u"Alfa.dat"_s, "Alfa\r\n"_ba);
        m_dir.write(u"Citat.dat"_s, "Gud ser dig\r\n\r\nMin gud\r\n\xC5sna \xE5lar\r\n"_ba);
        m_dir.write(u"En.dat"_s, "Ensam rad"_ba);
        m_dir.write(u"Eo.dat"_s, "A\xF8o maljuna\r\n\xA6oj\r\n"_ba); // ISO-8859-3: Aĝo, Ĥoj
        m_dir.write(u"Tom.dat"_s, {});
        m_dir.write(u"Lang.dat"_s, QByteArray(12000, 'x') + "\xE5\r\n"_ba);
        m_dir.write(u"Utf.dat"_s,
                    "\xEF\xBB\xBF\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\r\n\xC3\x84ngel\r\n\xE6\xBC\xA2 \xC3\x85SNA\r\n");
        // A Swedish locale in ISO-8859-1: a terminal whose character set is not UTF-8 (glibc's localedef).
        QVERIFY(QDir().mkpath(m_dir.path(u"loc"_s)));
        const QStringList locale{u"-i"_s, u"sv_SE"_s, u"-f"_s, u"ISO-8859-1"_s, m_dir.path(u"loc/sv_SE.ISO-8859-1"_s)};
        QCOMPARE(QProcess::execute(u"localedef"_s, locale), 0);
    }

    static void row(const char *name, const QString &arguments, int status, const QByteArray &out,
                    const QString &err = {})
    {
        QTest::newRow(name) << Case{arguments, status, out, err};
    }
    void commands_data()
    {
        QTest::addColumn<Case>("c");
        row("--slump, one line", u"--slump|--samling|En"_s, 0, "Ensam rad\n");
        row("climbs out", u"--slump|--samling|../Citat"_s, 2, {}, u"52 - Namnet ''../Citat''"_s);
        row("--sök, Citat by default", u"--sök|GUD"_s, 0, "Gud ser dig\nMin gud\n");
        row("--sok --borjan", u"--sok|gud|--borjan"_s, 0, "Gud ser dig\n");
        row("--sök å in Windows-1252", u"--sök=ÅSNA ÅL"_s, 0, "\xC3\x85sna \xC3\xA5lar\n");
        row("UTF-8", u"--sök|öGA|--samling|utf"_s, 0, "\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n");
        const QByteArray both = "Citat:\xC3\x85sna \xC3\xA5lar\nUtf:\xE6\xBC\xA2 \xC3\x85SNA\n";
        row("alla", u"--sök|åsna|--samling|alla"_s, 0, both);
        row("C locale: UTF-8", u"LC_ALL=C|--sök|åsna|--samling|alla"_s, 0, both);
        row("ISO-8859-1", u"LOCPATH=<dir>/loc|LC_ALL=sv_SE.ISO-8859-1|--sok|sna|--samling|Citat"_s, 0,
            "\xC5sna \xE5lar\n");
        row("--nummer", u"--nummer|3"_s, 0, "\xC3\x85sna \xC3\xA5lar\n");
        row("past the end", u"--nummer|4"_s, 2, {}, u"har 3 ordspråk; nummer 4 finns inte"_s);
        row("--nummer of all", u"--nummer|1|--samling|alla"_s, 2, {},
            u"--nummer och --fönster läser en samling, inte alla"_s);
        row("huge line", u"--nummer=1|--samling=Lang"_s, 0, QByteArray(12000, 'x') + "\xC3\xA5\n");
        row("--dagens of one", u"--dagens|--samling|En"_s, 0, "Ensam rad\n");
        row("--dagens of an empty one", u"--dagens|--samling|Tom"_s, 1, {});
        row("names", u"--samlingar"_s, 0, "Alfa\t1\nCitat\t3\nEn\t1\nEo\t2\nLang\t1\nTom\t0\nUtf\t3\n");
        // --kodning reads what is neither UTF-8 nor UTF-16 in the encoding named, Windows-1252 without it.
        const QByteArray ago = u"Aĝo maljuna\n"_s.toUtf8();
        row("Windows-1252 by default", u"--nummer|1|--samling|Eo"_s, 0, u"Aøo maljuna\n"_s.toUtf8());
        row("--kodning", u"--nummer|1|--samling|Eo|--kodning|ISO-8859-3"_s, 0, ago);
        row("--kodning=alias", u"--sök|AĜO|--samling|alla|--kodning=latin3"_s, 0, "Eo:" + ago);
        row("--kodning, Windows-1252 file", u"--nummer|3|--kodning|ISO-8859-3"_s, 0, u"Ċsna ċlar\n"_s.toUtf8());
        row("--kodning, Windows-1251", u"--nummer|3|--kodning|windows-1251"_s, 0,
            u"Еsna еlar\n"_s.toUtf8()); // not 1252
        row("--kodning, UTF-8 file", u"--sök|öGA|--samling|utf|--kodning|KOI8-R"_s, 0,
            "\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n");
        row("--kodning, ASCII file", u"--slump|--samling|En|--kodning|IBM037"_s, 0, "Ensam rad\n"); // EBCDIC
        row("--kodning, --samlingar", u"--samlingar|--kodning|UTF-16LE"_s, 0, // CR LF pairs as one character
            "Alfa\t1\nCitat\t1\nEn\t1\nEo\t1\nLang\t1\nTom\t0\nUtf\t3\n");
        row("unknown encoding", u"--slump|--kodning|latin99"_s, 2, {},
            u"tankedosan: okänd teckenkodning: latin99\nSkriv \"tankedosan --help\" för att se alternativen.\n"_s);
        row("no encoding named", u"--slump|--kodning="_s, 2, {}, u"--kodning ska följas av en teckenkodnings namn"_s);
        row("--kodning with --version", u"--kodning|latin3|--version"_s, 2, {}, u"--kodning hör till fönstret"_s);
        row("backslash", u"--slump|--samling|Djur\\Katt"_s, 2, {},
            u"Ett fel uppstod. 52 - Namnet ''Djur\\Katt'' är inte tillåtet"_s);
        row("no collection named", u"--slump|--samling="_s, 2, {},
            u"tankedosan: --samling ska följas av en samlings namn, eller alla"_s);
        row("--avisera alone", u"--slump|--avisera"_s, 2, {}, u"tankedosan: --avisera hör till --dagens"_s);
        // --fönster takes no number it was not given: what is wrong is the platform, refused before a window opens.
        row("--fönster, no such platform", u"--fönster|-platform|xy"_s, 2, {}, u"plattformen ''xy'' finns inte"_s);
        row("no such platform", u"--platform|x"_s, 2, {}, u"plattformen ''x'' finns inte"_s);
        row("-platform=", u"-platform=xy"_s, 2, {}, u"plattformen ''xy'' finns inte"_s);
        row("Qt's option, then unknown", u"-style|fusion|-x"_s, 2, {},
            u"tankedosan: okänt alternativ: -x\nSkriv \"tankedosan --help\" för att se alternativen.\n"_s);
        // Qt's own options are left to Qt wherever they stand; a platform may carry its plugin's options after ":".
        row("Qt's options with values",
            u"--style=fusion|-platform|offscreen:fontengine=freetype|--slump|--samling|En"_s, 0, "Ensam rad\n");
        row("Qt's flag, then --version", u"-reverse|--version"_s, 0, "Tankedosan 2.2\nMapp: <dir>\n");
    }
    void commands()
    {
        QFETCH(Case, c);
        expect(m_dir.folder(), c.arguments, c.status, c.out, c.err);
    }

    // --help names every option the program takes, each where its line begins; its parts follow a blank line.
    void helpNamesEveryOption()
    {
        const Case ran = run(u"--help"_s, m_dir.folder());
        const QString help = QString::fromUtf8(ran.out);
        static const QRegularExpression option(u"(?:^  |, )(--?[\\wåö]+)"_s, QRegularExpression::MultilineOption);
        QStringList named;
        for (const QRegularExpressionMatch &found : option.globalMatch(help))
            named << found.captured(1);
        QCOMPARE(named.join(u' '), u"--slump --sök --sok --nummer --samlingar --importera --dagens --fönster --fonster "
                                   u"--sökleverantör --sokleverantor --samling --början --borjan --avisera --kodning "
                                   u"--mapp -h --help -v --version"_s);
        // bash's completion offers each of them by its long name.
        QFile completion(QStringLiteral(TANKEDOSAN_COMPLETION));
        QVERIFY(completion.open(QIODevice::ReadOnly));
        const QStringList offered = QRegularExpression(u"compgen -W '([^']*)'"_s)
                                        .match(QString::fromUtf8(completion.readAll()))
                                        .captured(1)
                                        .simplified()
                                        .split(u' ');
        named.removeIf([](const QString &name) { return !name.startsWith(u"--"_s); });
        QCOMPARE(QSet<QString>(named.begin(), named.end()), QSet<QString>(offered.begin(), offered.end()));
        for (const QString &part : {u"Kommandon:"_s, u"Alternativ:"_s, u"Slutstatus:"_s}) // the first line of each
            QVERIFY2(help.indexOf(u'\n' + part) == help.indexOf(u"\n\n"_s + part) + 1, qPrintable(part));
        QCOMPARE(help.count(u'('), help.count(u')'));
        // --kodning's help gives an example of a name and what is read without it.
        QVERIFY(help.contains(u"(som ISO-8859-3,"_s)
                && help.contains(u"i stället för i\n                        Windows-1252:"_s));
        QVERIFY(help.startsWith(u"Användning: tankedosan [alternativ]\n\nTankedosan läser"_s));
        QCOMPARE(ran.status, 0);
        // The program's own name is no option, whatever it is.
        for (const QString &name : {u"-platform"_s, u"-reverse"_s}) {
            const QString renamed =
                u"-c|exec -a %1 \"$0\" \"$@\"|"_s.arg(name) + kExecutable + u"|--slump|--samling|En"_s;
            QCOMPARE(run(renamed, m_dir.folder(), u"/bin/bash"_s).out, "Ensam rad\n");
        }
    }

    // A collection that cannot be read is an error, told after what the others gave: one too large (7), one read
    // shorter than its size, which was cut short (57; a sysfs file, one page by its size, is one).
    void collectionsThatCannotBeRead()
    {
        const FolderFixture dir;
        dir.write(u"Alfa.dat"_s, "Alfa\r\n"_ba);
        dir.write(u"Stor.dat"_s, {});
        QVERIFY(QFile::resize(dir.path(u"Stor.dat"_s), store::kMaxReadBytes + 1)); // sparse: it takes no room
        expect(dir.folder(), u"--samlingar"_s, 2, "Alfa\t1\n", u"7 - Filen ''"_s + dir.path(u"Stor.dat"_s));
        expect(dir.folder(), u"--nummer|1|--samling|Stor"_s, 2, {}, u"7 - "_s);
        const QString sys = u"/sys/kernel/mm/transparent_hugepage/enabled"_s;
        QFile file(sys);
        if (!file.open(QIODevice::ReadOnly) || file.readAll().size() >= QFileInfo(sys).size())
            QSKIP("no sysfs file that reads shorter than its size");
        QVERIFY(QFile::link(sys, dir.path(u"Sys.dat"_s)));
        expect(dir.folder(), u"--sök=a|--samling=alla"_s, 2, "Alfa:Alfa\n", u"57 - In-/utdatafel i filen ''"_s);
    }

    // An installed copy takes the user's folder, finds its window in ../lib/tankedosan/window beside its bin folder
    // and opens it there. The window's side: a folder that cannot be made is told first, then the window is up,
    // named for the desktop, in Swedish, and has the focus back when a dialog of it closes.
    void installedCopyOpensItsWindow()
    {
        const FolderFixture tree, data;
        const QString module = u"/libtankedosan-window.so"_s, installed = tree.path(u"lib/tankedosan/window"_s),
                      copy = tree.path(u"bin/tankedosan"_s);
        QVERIFY(QDir().mkpath(tree.path(u"bin"_s)) && QDir().mkpath(installed)
                && QDir().mkpath(tree.path(u"share/tankedosan"_s)));
        QVERIFY(QFile::copy(kExecutable, copy)
                && QFile::copy(QFileInfo(kExecutable).absolutePath() + module, installed + module));
        QCOMPARE(run(u"XDG_DATA_HOME="_s + data.folder() + u"|--version"_s, {}, copy).out,
                 "Tankedosan 2.2\nMapp: "_ba + data.folder().toUtf8() + "/Tankedosan\n");
        QProcess process; // on the offscreen screen the tests run on
        process.start(copy, {u"--mapp"_s, data.folder()});
        QVERIFY(process.waitForStarted());
        const auto opened = [&, maps = u"/proc/%1/maps"_s.arg(process.processId())] { // the screen's plugin too
            QFile file(maps);
            const QString mapped = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
            return mapped.contains(installed + module) && mapped.contains(u"/platforms/libqoffscreen.so"_s);
        };
        QTRY_VERIFY_WITH_TIMEOUT(process.state() != QProcess::Running || opened(), 30000);
        QVERIFY2(process.state() == QProcess::Running, process.readAllStandardError().constData());
        process.kill();
        process.waitForFinished();
        // This test as the executable (windowProbe), the user's folder to be made under a file.
        const QString probe = tree.path(u"bin/probe"_s);
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), probe));
        const QString environment = u"QT_QPA_PLATFORM=offscreen|TANKEDOSAN_WINDOW_PROBE=%1|XDG_DATA_HOME=%2"_s;
        const QStringList shown =
            QString::fromUtf8(run(environment.arg(installed + module, probe), {}, probe).out).split(u'\n');
        QVERIFY2(shown.size() == 4 && shown[0].startsWith(u"Ett fel uppstod. 57 - "_s), qPrintable(shown.join(u'|')));
        QCOMPARE(shown[2], u"org.example.tankedosan sv_SE tankedosan::main::frmmain tankedosan::main::frmmain"_s);
        // Without its window it says so, as an error.
        QVERIFY(QFile::remove(installed + module));
        const Case missing = run(u"QT_QPA_PLATFORM=offscreen|--mapp|"_s + data.folder(), {}, copy);
        QVERIFY2(missing.status == 2 && missing.err.startsWith(u"tankedosan: fönstret kan inte öppnas: "_s),
                 qPrintable(QString::number(missing.status) + missing.err));
        // Nor is the bus's side there, which the desktop's search needs.
        const Case noBus = run(u"--mapp|"_s + data.folder() + u"|--sökleverantör"_s, {}, copy);
        QVERIFY2(noBus.status == 2 && noBus.err.startsWith(u"tankedosan: D-Bus kan inte nås: "_s),
                 qPrintable(noBus.err));
    }

    // Each command in each situation: 0 when it wrote something, 1 when it found nothing to write, 2 on an error.
    void exitStatuses_data()
    {
        QTest::addColumn<QString>("file"); // name:bytes, or none
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        const QString commands[] = {u"--slump"_s, u"--sök|gud"_s, u"--nummer|1"_s, u"--dagens"_s, u"--samlingar"_s};
        const QString wrong[] = {u"--slump|--början"_s, u"--sök|gud|--nummer|1"_s, u"--nummer|0"_s,
                                 u"--dagens|--början"_s, u"--samlingar|--samling|Citat"_s};
        const std::tuple<const char *, QString, QString, const char *> situations[] = {
            {"empty folder", {}, {}, "22221"},
            {"missing collection", u"Djur.dat:Gud"_s, u"|--samling|Saknas"_s, "22220"},
            {"no hit", u"Citat.dat:Hund\r\n"_s, {}, "01000"},
            {"nothing in it", u"Citat.dat:"_s, {}, "11210"},
            {"a hit", u"Citat.dat:Gud ser dig\r\n"_s, {}, "00000"},
            {"bad option", u"Citat.dat:Gud ser dig\r\n"_s, {}, "22222"}};
        for (const auto &[situation, file, extra, statuses] : situations)
            for (int i = 0; i < 5; ++i)
                QTest::addRow("%s, %s", qPrintable(commands[i].section(u'|', 0, 0)), situation)
                    << file << (qstrcmp(situation, "bad option") ? commands[i] + (i < 4 ? extra : QString()) : wrong[i])
                    << statuses[i] - '0';
    }
    void exitStatuses()
    {
        QFETCH(QString, file);
        QFETCH(QString, arguments);
        const FolderFixture folder;
        if (!file.isEmpty())
            folder.write(file.section(u':', 0, 0), file.section(u':', 1).toUtf8());
        const Case ran = run(arguments, folder.folder());
        QTEST(ran.status, "status");
        // A folder without a collection is told as such by every command that reads one.
        QCOMPARE(ran.err.contains(u"tankedosan: Mappen ''"_s + folder.folder() + u"'' har ingen samling.\n"_s),
                 file.isEmpty() && ran.status == 2);
    }

    // Every proverb equally likely over several collections, not by byte position nor one per collection.
    void drawIsUniform()
    {
        const QByteArray files[] = {QByteArray(300, 'L') + "\r\nb\r\n", "e\r\n", "f\r\ng\r\nh\r\n"};
        std::map<QString, int> seen;
        for (int i = 0; i < 12000; ++i) {
            const std::uint64_t seed = 20261207u + std::uint64_t(i) * 7919u;
            cli::ProverbDraw draw(seed), alsoEmpty(seed);
            alsoEmpty.offer(store::LineStore::FileLines({})); // an empty collection takes no part in the draw
            for (const QByteArray &bytes : files)
                draw.offer(store::LineStore::FileLines(bytes)), alsoEmpty.offer(store::LineStore::FileLines(bytes));
            QCOMPARE(alsoEmpty.proverb(), draw.proverb());
            ++seen[draw.proverb().left(1)];
        }
        QCOMPARE(seen.size(), size_t(6));
        for (const auto &[proverb, count] : seen) // 2000 each, give or take 41
            QVERIFY2(qAbs(count - 2000) < 180, qPrintable(proverb + u' ' + QString::number(count)));
    }

    // The proverb of the day: the same all day, mostly another the next, each proverb as often over the days, over
    // every collection (fortune's too, its index shuffled), and numbered as the window numbers its collection.
    void proverbOfTheDay()
    {
        const Case first = run(u"--dagens"_s, m_dir.folder());
        QVERIFY(first.status == 0 && !first.out.isEmpty() && first.out.count('\n') == 1);
        QCOMPARE(run(u"--dagens"_s, m_dir.folder()).out, first.out);
        const FolderFixture f;
        f.write(u"Alfa.dat"_s, "a1\r\n\r\na2\r\na3\r\n"_ba);
        indexed(f, u"ff"_s, "f1\n%\nf2\n%\nf3\n%\n", u"-r"_s);
        const QMap<QString, QString> places{{u"a1"_s, u"Alfa 1"_s}, {u"a2"_s, u"Alfa 2"_s}, {u"a3"_s, u"Alfa 3"_s},
                                            {u"f1"_s, u"ff 1"_s},   {u"f2"_s, u"ff 2"_s},   {u"f3"_s, u"ff 3"_s}};
        CommandLine line;
        std::map<QString, int> seen;
        int changes = 0;
        QString yesterday;
        for (int d = 0; d < 1200; ++d) {
            const QDate day = QDate(2026, 12, 1).addDays(d);
            const DailyProverb daily = proverbOfDay(line, day);
            QVERIFY(daily.drawn && daily.status == 0);
            const DrawnProverb &drawn = *daily.drawn;
            QCOMPARE(proverbOfDay(line, day).drawn->proverb, drawn.proverb);
            QCOMPARE(drawn.collection + u' ' + QString::number(drawn.number), places.value(drawn.proverb));
            changes += drawn.proverb != yesterday;
            yesterday = drawn.proverb;
            ++seen[drawn.proverb];
        }
        QVERIFY2(changes > 900, qPrintable(QString::number(changes))); // 1000 when each day draws anew
        QCOMPARE(seen.size(), size_t(6));
        for (const auto &[proverb, count] : seen) // 200 each, give or take 13
            QVERIFY2(qAbs(count - 200) < 60, qPrintable(proverb + u' ' + QString::number(count)));
        line.collection = u"ff"_s;
        for (int d = 0; d < 20; ++d)
            QVERIFY(proverbOfDay(line, QDate(2027, 1, 1).addDays(d)).drawn->proverb.startsWith(u'f'));
    }

    // The commands' own scan of a file's bytes (random files, some past its 64 KiB marks) gives the store's lines.
    void fileLinesAreTheStores()
    {
        const QByteArray many = QByteArray("a\n").repeated(300000);
        const qint64 before = bytesInUse();
        const store::LineStore::FileLines counted(many);
        QVERIFY(counted.size() == 300000 && bytesInUse() - before < 4096); // nothing held per line
        // The limit on lines is weighed by the bytes first: one-letter lines packed as tightly as they go.
        for (const QByteArray &tight : {QByteArray("a\nb\nc"), QByteArray("a\rb\rc")})
            QVERIFY(store::LineStore::FileLines(tight).holdsMoreThan(2));
        const QList<QByteArray> pieces = QByteArray("\n|\r\n|\n|\r|a|B|\xC5|\xC3\xA5|\xEF\xBB\xBF|\xFF\xFE").split('|');
        QRandomGenerator random(18);
        for (int round = 0; round < 400; ++round) {
            QByteArray bytes;
            for (int i = random.bounded(round % 25 ? 30 : 200000); i > 0; --i)
                bytes += pieces[random.bounded(round % 25 ? 2 : 1000) ? 4 + random.bounded(round % 3 ? 2 : 6)
                                                                      : random.bounded(3 + round % 2)];
            const store::LineStore store = store::LineStore::fromFileBytes(bytes);
            const QByteArray followed = bytes + '\n'; // what follows a view is none of its text
            const store::LineStore::FileLines lines(QByteArrayView(followed).chopped(1));
            QCOMPARE(lines.size(), store.size());
            QVERIFY(lines.holdsMoreThan(store.size() - 1) && !lines.holdsMoreThan(store.size()));
            QVERIFY(lines.at(store.size()).isNull() && lines.at(-1).isNull());
            for (qsizetype i = 0; i < store.size(); i += 1 + random.bounded(round % 25 ? 1 : 500))
                QCOMPARE(lines.at(i), store.at(i));
            for (const QString &needle : {u"a"_s, u"bA"_s, u"å"_s, u"\n"_s, u"\na"_s, u"b\r"_s, QString()})
                for (const store::Match match : {store::Match::Beginning, store::Match::Anywhere}) {
                    QStringList found;
                    lines.findAll(needle, match, [&](const QString &line) { found << line; });
                    QCOMPARE(found, store.reordered(store.findAll(needle, match)).toStringList());
                }
        }
    }

    // fortune's folder read in place: each entry whole, drawn by the index (never one of blanks, nor a piece
    // once the text changed under the index); an import adds each new entry once, in the editor's order.
    void fortuneFolderAndImport()
    {
        QVERIFY2(!strfile().isEmpty(), "strfile (fortune-mod) is one of the test packages");
        const FolderFixture f;
        const QString dir = f.folder();
        indexed(f, u"en"_s, "Ensam\n%\n");
        indexed(f, u"zitate"_s,
                "\xC3\x84rlighet\n  varar l\xC3\xA4ngst\n%\n \n%\n\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n%\nAlfa\n");
        expect(dir, u"--samlingar"_s, 0, "en\t1\nzitate\t3\n");
        // fortune's text in ISO-8859-3, searched and drawn in the encoding named, never in place.
        indexed(f, u"eo"_s, "Ne \xF8ojo\n%\nA\xF8o\n%\n");
        expect(dir, u"--sök|aĝo|--samling|eo|--kodning|ISO-8859-3"_s, 0, u"Aĝo\n%\n"_s.toUtf8());
        draws(dir, u"eo|--kodning|ISO-8859-3"_s, {u"Ne ĝojo\n"_s.toUtf8(), u"Aĝo\n"_s.toUtf8()}, 12);
        QVERIFY(QFile::remove(f.path(u"eo.dat"_s)) && QFile::remove(f.path(u"eo"_s)));
        // A text behind a link (as in Debian's folders) and past what a read takes whole: only the entry drawn is read.
        indexed(f, u"stor"_s, "Stor\n%\nLiten\n%\n");
        QVERIFY(QFile::resize(f.path(u"stor"_s), store::kMaxReadBytes + 1)
                && QFile::rename(f.path(u"stor"_s), f.path(u"stor.txt"_s))
                && QFile::link(f.path(u"stor.txt"_s), f.path(u"stor"_s)));
        draws(dir, u"stor"_s, {"Stor\n", "Liten\n"}, 7);
        draws(dir, u"zitate"_s,
              {"\xC3\x84rlighet\n  varar l\xC3\xA4ngst\n", "\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n", "Alfa\n"}, 30);
        // Edited after strfile ran: the entries of the text as it is now.
        f.write(u"zitate"_s, "Ny f\xC3\xB6rst\n%\nAlfa\n%\n\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n");
        draws(dir, u"zitate"_s, {"Ny f\xC3\xB6rst\n", "Alfa\n", "\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n"}, 30);
        // An entry grown past the index's longest since strfile ran is read whole, not cut at that length; an
        // index whose text is gone is a failure, told.
        indexed(f, u"kort"_s, "ab\n%\n");
        indexed(f, u"borta"_s, "ab\n%\n");
        f.write(u"kort"_s, "abcdefghij\n%\n");
        QVERIFY(QFile::remove(f.path(u"borta"_s)));
        expect(dir, u"--slump|--samling|kort"_s, 0, "abcdefghij\n");
        expect(dir, u"--slump|--samling|borta"_s, 2, {}, u"53 - "_s);

        const QByteArray index = f.read(u"zitate.dat"_s), text = f.read(u"zitate"_s);
        f.write(u"mer.txt"_s, "\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n%\nBeta\n%\nbeta\n%\nBeta\n");
        f.write(u"rader.txt"_s, "Alfa\r\nbeta\r\n");
        f.write(u"Egen.dat"_s, "Zeta\r\nGamma\r\n"); // not in the editor's order: an import sorts it
        const QString mer = u"--importera|<dir>/mer.txt|--samling|"_s,
                      rader = u"--importera|<dir>/rader.txt|--samling|"_s;
        expect(dir, mer + u"Egen"_s, 0, "3 ordspråk lades till i ''Egen''; 1 fanns redan där.\n");
        expect(dir, rader + u"Egen"_s, 0, "1 ordspråk lades till i ''Egen''; 1 fanns redan där.\n");
        expect(dir, mer + u"egen"_s, 1, "0 ordspråk lades till i ''Egen''; 4 fanns redan där.\n");
        expect(dir, rader + u"Ny"_s, 0, "2 ordspråk lades till i ''Ny''; 0 fanns redan där.\n");
        expect(dir, mer + u"zitate"_s, 2, {}, u"tankedosan: Samlingen i ''"_s);
        expect(dir, u"--importera|<dir>/saknas|--samling|Egen"_s, 2, {}, u"53 - "_s);
        expect(dir, u"--importera|<dir>/borta.dat|--samling|Egen"_s, 2, {}, u"53 - "_s); // an index without its text
        expect(dir, u"--importera|<dir>/mer.txt"_s, 2, {}, u"ange den med --samling"_s);
        // A file in ISO-8859-3 stores its own letters, in UTF-8, which alone holds them.
        f.write(u"eo.txt"_s, "A\xF8o maljuna\r\n\xA6oj\r\n");
        expect(dir, u"--importera|<dir>/eo.txt|--samling|Eo|--kodning|ISO-8859-3"_s, 0,
               "2 ordspråk lades till i ''Eo''; 0 fanns redan där.\n");
        QCOMPARE(QStringDecoder("UTF-8").decode(f.read(u"Eo.dat"_s)), u"Aĝo maljuna\r\nĤoj\r\n"_s);
        // The collection taken into keeps its own letters: the encoding named is the file's, not the collection's.
        f.write(u"Sv.dat"_s, "F\xE5r\r\n");
        expect(dir, u"--importera|<dir>/eo.txt|--samling|Sv|--kodning|latin3"_s, 0,
               "2 ordspråk lades till i ''Sv''; 0 fanns redan där.\n");
        QVERIFY(QString(QStringDecoder("UTF-8").decode(f.read(u"Sv.dat"_s))).contains(u"Får\r\n"_s));
        QStringList expected{u"Öga för öga"_s, u"Beta"_s, u"beta"_s, u"Alfa"_s, u"Zeta"_s, u"Gamma"_s};
        std::stable_sort(expected.begin(), expected.end(), referenceLess);
        QCOMPARE(QStringDecoder("windows-1252").decode(f.read(u"Egen.dat"_s)), expected.join(u"\r\n"_s) + u"\r\n"_s);
        QVERIFY(f.read(u"zitate.dat"_s) == index && f.read(u"zitate"_s) == text && index.size() > 24);
        QCOMPARE(f.read(u"Ny.dat"_s), "Alfa\r\nbeta\r\n"_ba); // made by the import

        // A poem keeps its lines and a drawing its indentation, printed as fortune prints them; a search finds
        // across a line break as across a blank, in place or not; an import joins each entry into one line.
        indexed(f, u"dikt"_s,
                u"Ros\n  är röd \n\n  Viol\n%\n  /\\\n /  \\\n/____\\\n%\n\n  Ett\r två  \n%\n"_s.toUtf8());
        const QByteArray poem = u"Ros\n  är röd\n\n  Viol\n"_s.toUtf8();
        expect(dir, u"--nummer|1|--samling|dikt"_s, 0, poem);
        expect(dir, u"--nummer|2|--samling|dikt"_s, 0, "  /\\\n /  \\\n/____\\\n");
        expect(dir, u"--nummer|3|--samling|dikt"_s, 0, "Ett  tv\xC3\xA5\n");
        for (const QString &needle : {u"RÖD VIOL"_s, u"viol"_s})
            expect(dir, u"--sök|"_s + needle + u"|--samling|dikt"_s, 0, poem + "%\n");
        expect(dir, u"--sök|ros är|--början|--samling|dikt"_s, 0, poem + "%\n");
        expect(dir, u"--sök|/\\ /|--början|--samling|dikt"_s, 0, "  /\\\n /  \\\n/____\\\n%\n");
        expect(dir, u"--importera|<dir>/dikt.dat|--samling|Dikter"_s, 0,
               "3 ordspråk lades till i ''Dikter''; 0 fanns redan där.\n");
        const QStringList joined =
            QString(QStringDecoder("windows-1252").decode(f.read(u"Dikter.dat"_s))).split(u"\r\n"_s);
        QCOMPARE(QSet<QString>(joined.begin(), joined.end()),
                 (QSet<QString>{u"Ros är röd Viol"_s, u"/\\ /  \\ /____\\"_s, u"Ett  två"_s, QString()}));
    }

    // fortune's files as an attacker or a stale index leaves them: an entry reads as its whole text reads,
    // whichever command reads it, and an index is trusted for nothing its text can contradict.
    void hostileFortuneFiles()
    {
        const QString prlimit = QStandardPaths::findExecutable(u"prlimit"_s);
        QVERIFY(!strfile().isEmpty() && !prlimit.isEmpty());
        const FolderFixture f;
        const QString dir = f.folder();
        // A text and a strfile header (version 2, no flags, "%") with offsets, as a hostile or stale index has them.
        const auto index = [&](const QString &name, const QByteArray &text, quint32 count, quint32 longest,
                               std::vector<quint64> at) {
            QByteArray bytes;
            for (quint64 word : {quint64(2), quint64(count), quint64(longest), quint64(0), quint64(0)})
                bytes += QByteArray::fromHex(QByteArray::number(word, 16).rightJustified(8, '0'));
            bytes += QByteArray("%\0\0\0", 4);
            for (quint64 offset : at)
                bytes += QByteArray::fromHex(QByteArray::number(offset, 16).rightJustified(at[0] >> 32 ? 16 : 8, '0'));
            f.write(name, text);
            f.write(name + u".dat"_s, bytes);
        };
        // Windows-1252: words that look like a UTF-16 mark once a blank line before them is gone, an entry that
        // alone would pass for UTF-8, and a last delimiter with no line end.
        indexed(f, u"blandat"_s,
                "\n\xFF\xFEx\n%\nb\xC3\xA4r\n%\n\xE4\n%\n\xFF\xFE"
                "a\n%");
        // UTF-8 whose first words begin with U+FEFF; UTF-16, whose lines strfile cannot tell apart, with half
        // a surrogate pair.
        indexed(f, u"blandad"_s, "ett\n%\ntv\xC3\xA5\n%\ntre\n%\n", u"-r"_s); // offsets shuffled, the end's among them
        indexed(f, u"feff"_s, "\n\xEF\xBB\xBFhej\n%\nh\xC3\xA4r\n%\n");
        const auto utf16 = [](const QString &text) {
            return "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        };
        indexed(f, u"u16"_s, utf16(u"a\n%\nb\n%\nc"_s + QChar(0xD800) + u"\n%\n"_s));
        f.write(u"u16kopia.dat"_s, utf16(u"a\nb\nc"_s + QChar(0xD800) + u"\n"_s));
        // An index that asks for half a gigabyte per entry, offsets past 2^63, and offsets edited stale.
        index(u"lang"_s, "L\xE5ng\n%\n", 1, (512u << 20) - 8, {0, 7});
        index(u"brett"_s, "Alfa\n%\n", 1, 5, {quint64(1) << 63, 7});
        index(u"gammal"_s, "x%\nb\n%\n", 2, 3, {0, 3, 7});
        expect(dir, u"--samlingar"_s, 0,
               "blandad\t3\nblandat\t4\nbrett\t1\nfeff\t2\ngammal\t1\nlang\t1\nu16\t3\nu16kopia\t3\n");
        expect(dir, u"--sök|þx|--samling|blandat"_s, 0, "\xC3\xBF\xC3\xBEx\n%\n");
        expect(dir, u"--sök|hej|--samling|feff"_s, 0, "\xEF\xBB\xBFhej\n%\n");
        expect(dir, u"--sök|c|--samling|alla"_s, 0, "(u16)\n%\nc\xEF\xBF\xBD\n%\nu16kopia:c\xEF\xBF\xBD\n");
        expect(dir, u"--importera|<dir>/blandat|--samling|Egen"_s, 0,
               "4 ordspråk lades till i ''Egen''; 0 fanns redan där.\n");
        QVERIFY(f.read(u"Egen.dat"_s).contains("\r\n\xFF\xFEx\r\n"));
        // The draw in place itself, where a draw that fell back on the whole text would print the same.
        const QByteArray mixed = f.read(u"blandat"_s), mixedIndex = f.read(u"blandat.dat"_s);
        const QStringList entries{u"ÿþx"_s, u"bÃ¤r"_s, u"ä"_s, u"ÿþa"_s};
        for (quint32 i = 0; i < 4; ++i)
            QCOMPARE(store::fortuneEntryAt(mixed, mixedIndex, i), std::optional(entries[i]));
        QCOMPARE(store::fortuneEntryAt(mixed, mixedIndex, 5), std::nullopt);
        QCOMPARE(store::fortuneEntryAt(f.read(u"u16"_s), f.read(u"u16.dat"_s), 0), std::nullopt);
        draws(dir, u"blandat"_s,
              {"\xC3\xBF\xC3\xBEx\n", "b\xC3\x83\xC2\xA4r\n", "\xC3\xA4\n",
               "\xC3\xBF\xC3\xBE"
               "a\n"},
              40);
        draws(dir, u"blandad"_s, {"ett\n", "tv\xC3\xA5\n", "tre\n"}, 30);
        draws(dir, u"feff"_s, {"\xEF\xBB\xBFhej\n", "h\xC3\xA4r\n"}, 24);
        draws(dir, u"u16"_s, {"a\n", "b\n", "c\xEF\xBF\xBD\n"}, 30);
        draws(dir, u"brett"_s, {"Alfa\n"}, 2);
        draws(dir, u"gammal"_s, {"x%\nb\n"}, 16);
        // Within an address space a quarter of what the index asks for; and where memory runs out after all,
        // the failure is told.
#ifndef __SANITIZE_ADDRESS__ // the sanitizer reserves terabytes of address space for itself
        f.write(u"Stor.dat"_s, {});
        QVERIFY(QFile::resize(f.path(u"Stor.dat"_s), qint64(300) << 20));
        const auto limited = [&](const QString &arguments) {
            QProcess process;
            process.start(prlimit,
                          QStringList{u"--as=157286400"_s, kExecutable, u"--mapp"_s, dir} + arguments.split(u'|'));
            process.waitForFinished(60000);
            return std::pair(process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError()));
        };
        QCOMPARE(limited(u"--slump|--samling|lang"_s).first, "L\xC3\xA5ng\n"_ba);
        QVERIFY(limited(u"--samlingar"_s).second.endsWith(u"7 - Slut på minne\n"_s));
#endif
    }

    // A text larger than one read of its pieces: the entry drawn reads as the whole text reads, by what lies far
    // from it (an invalid byte at the end) and by a character its pieces cut in two.
    void largeTextDrawsInItsEncoding()
    {
        const FolderFixture f;
        const QByteArray filler(65528, 'x'); // the euro sign's bytes at 65535 to 65537
        indexed(f, u"stor"_s, "h\xC3\xA4r\n%\n" + filler + "\xE2\x82\xACx\n%\n");
        draws(f.folder(), u"stor"_s, {"h\xC3\xA4r\n"_ba, filler + "\xE2\x82\xACx\n"}, 16);
        indexed(f, u"stor"_s, "h\xC3\xA4r\n%\n" + filler + "\xE2\x82\xACx\xE4\n%\n");
        draws(f.folder(), u"stor"_s, {"h\xC3\x83\xC2\xA4r\n"_ba, filler + "\xC3\xA2\xE2\x80\x9A\xC2\xACx\xC3\xA4\n"},
              16);
    }
};

QTEST_GUILESS_MAIN(tst_terminal)
#include "tst_terminal.moc"
