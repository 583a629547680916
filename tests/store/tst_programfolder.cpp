#include "store/commandline.h"
#include "store/programfolder.h"
#include "support/systemfixtures.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using store::CommandLine;
using Action = CommandLine::Action;

namespace {

// A scratch file tree: "a/b/c.dat" makes its folders and holds its own name; a name ending in "/" is a folder.
struct Tree
{
    QTemporaryDir dir;

    explicit Tree(const QStringList &entries = {})
    {
        for (const QString &entry : entries)
            entry.endsWith(u'/') ? void(QDir().mkpath(path(entry))) : put(entry, entry.toUtf8() + "\r\n");
    }
    QString path(const QString &relative = {}) const { return QDir::cleanPath(dir.path() + u'/' + relative); }
    void put(const QString &relative, const QByteArray &bytes) const
    {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile file(path(relative));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the fixture");
    }
    QByteArray get(const QString &relative) const
    {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "<none>"_ba;
    }
};

// The rows of the tables below. `folder`: under the scratch folder; `text`: a part of the printed text.
struct Seeding
{
    QStringList before, after;
};
struct Command
{
    QStringList arguments;
    Action action;
    QString folder, text;
};

} // namespace

class tst_programfolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(u"Tankedosan"_s);
        QCoreApplication::setApplicationVersion(u"2.2"_s);
    }

    // A named folder first; else the per-user folder, seeded from ../share/tankedosan beside the executable's
    // folder, when both are there; else the executable's own folder.
    void choice()
    {
        const Tree t({u"usr/bin/tankedosan"_s, u"usr/share/tankedosan/Citat.dat"_s, u"mine/"_s, u"opt/bin/tankedosan"_s,
                      u"opt/share/other/x.dat"_s});
        const QString user = t.path(u"home/.local/share/Tankedosan"_s), bin = t.path(u"usr/bin"_s),
                      opt = t.path(u"opt/bin"_s);
        const auto choose = [](const QString &executable, const QString &named, const QString &perUser) {
            const store::FolderChoice choice = store::chooseProgramFolder(executable, named, perUser);
            return QStringList{choice.folder, choice.samplesFolder};
        };
        QCOMPARE(choose(bin, {}, user), (QStringList{user, t.path(u"usr/share/tankedosan"_s)}));
        QCOMPARE(choose(bin, t.path(u"mine"_s), user), (QStringList{t.path(u"mine"_s), QString()}));
        QCOMPARE(choose(bin, {}, {}), (QStringList{bin, QString()}));
        QCOMPARE(choose(opt, {}, user), (QStringList{opt, QString()})); // a share folder without the samples
    }

    // The per-user folder is seeded from the samples, never over a file that is there (nor through a link,
    // even one that points nowhere); no collection is seeded beside one of the user's. A name marked "*" is
    // the user's own file, "~" a help text an earlier version shipped, "@" a link that leads nowhere; with
    // nothing before, the folder is not there yet.
    void seeding_data()
    {
        QTest::addColumn<Seeding>("c");
        QTest::newRow("first start") << Seeding{{}, {u"Citat.dat"_s, u"Djur.dat"_s, u"help.txt"_s}};
        QTest::newRow("own collection: no samples beside it")
            << Seeding{{u"Mina.dat*"_s}, {u"Mina.dat*"_s, u"help.txt"_s}};
        QTest::newRow("changed help, no collections")
            << Seeding{{u"help.txt*"_s}, {u"Citat.dat"_s, u"Djur.dat"_s, u"help.txt*"_s}};
        QTest::newRow("changed Citat stays, deleted Djur stays away")
            << Seeding{{u"Citat.dat*"_s, u"help.txt*"_s}, {u"Citat.dat*"_s, u"help.txt*"_s}};
        QTest::newRow("dangling link") << Seeding{{u"help.txt@"_s}, {u"Citat.dat"_s, u"Djur.dat"_s, u"help.txt@"_s}};
        QTest::newRow("help an earlier version shipped")
            << Seeding{{u"Mina.dat*"_s, u"help.txt~"_s}, {u"Mina.dat*"_s, u"help.txt"_s}};
    }
    void seeding()
    {
        QFETCH(Seeding, c);
        const auto &[before, after] = c;
        const Tree t({u"share/Citat.dat"_s, u"share/Djur.dat"_s, u"share/help.txt"_s, u"share/notes.txt"_s,
                      u"share/sub.dat/"_s});
        t.put(u"share/help-shipped.sha256"_s,
              QCryptographicHash::hash("~", QCryptographicHash::Sha256).toHex() + "  help.txt\n");
        const QString user = t.path(u"user"_s);
        for (const QString &name : before) {
            QDir().mkpath(user);
            if (name.endsWith(u'*') || name.endsWith(u'~'))
                t.put(u"user/"_s + name.chopped(1), name.right(1).toUtf8());
            else
                QVERIFY(QFile::link(t.path(u"nowhere"_s), user + u'/' + name.chopped(1)));
        }
        QCOMPARE(store::seedFolder(user, t.path(u"share"_s)), store::MaybeFailure());
        QStringList found; // marked as above; "?" for a file that is neither the user's nor its sample
        for (const QFileInfo &info :
             QDir(user).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
            const QByteArray bytes = t.get(u"user/"_s + info.fileName());
            found << info.fileName()
                         + (info.isSymLink()                                ? u"@"_s
                            : bytes == "*"                                  ? u"*"_s
                            : bytes == t.get(u"share/"_s + info.fileName()) ? QString()
                                                                            : u"?"_s);
        }
        QCOMPARE(found, after);
        QVERIFY(!QFileInfo::exists(t.path(u"nowhere"_s)));
    }

    // A folder that cannot be made, or a full disk: the failure comes back naming the file. The first seeding is
    // all or nothing: a copy that does not fit leaves no folder behind, so the next start seeds it whole (not
    // one that finds a collection there and takes the folder for seeded). No samples, or no help among them,
    // is no failure.
    void seedingFailsAsAValue()
    {
        const Tree t({u"share/Citat.dat"_s, u"home"_s}); // "home" is a file: nothing can be made below it
        const store::MaybeFailure failure = store::seedFolder(t.path(u"home/Tankedosan"_s), t.path(u"share"_s));
        QVERIFY2(failure && failure->description.contains(QDir::toNativeSeparators(t.path(u"home/Tankedosan"_s))),
                 failure ? qPrintable(failure->description) : "no failure");
        QCOMPARE(store::seedFolder(t.path(u"x"_s), QString()), store::MaybeFailure());
        QVERIFY(!QFileInfo::exists(t.path(u"x"_s)));

        SmallFileSystem disk(16 * 1024);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNot()));
        const Tree big({u"share/B.dat"_s, u"share/help.txt"_s});
        big.put(u"share/A.dat"_s, QByteArray(64 * 1024, 'x'));
        const QString user = disk.path() + u"/Tankedosan"_s;
        const store::MaybeFailure full = store::seedFolder(user, big.path(u"share"_s));
        QVERIFY2(full && full->description.contains(u"A.dat"_s), full ? qPrintable(full->description) : "no failure");
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(disk.path()).entryList(all), QStringList());
        big.put(u"share/A.dat"_s, "A\r\n");
        QCOMPARE(store::seedFolder(user, big.path(u"share"_s)), store::MaybeFailure());
        QCOMPARE(QDir(user).entryList(all, QDir::Name), (QStringList{u"A.dat"_s, u"B.dat"_s, u"help.txt"_s}));
    }

    void settling()
    {
        const Tree t({u"mine/"_s});
        QCOMPARE(store::settleProgramFolder(t.path(u"mine"_s)), store::MaybeFailure());
        QCOMPARE(store::programFolder(), t.path(u"mine"_s));
        // The test's own folder has no samples beside a bin folder: it is used as it is, as a build folder.
        QCOMPARE(store::settleProgramFolder(QString()), store::MaybeFailure());
        QCOMPARE(store::programFolder(), QCoreApplication::applicationDirPath());
        store::setProgramFolder(QString());
    }

    void commandLine_data()
    {
        QTest::addColumn<Command>("c");
        const QString noFolder = u"--mapp ska följas av en mapp"_s;
        QTest::newRow("nothing") << Command{{}, Action::Run, {}, {}};
        QTest::newRow("--help") << Command{{u"--help"_s}, Action::Help, {}, u"--mapp <mapp>"_s};
        QTest::newRow("-h beside an unknown option") << Command{{u"-x"_s, u"-h"_s}, Action::Help, {}, u"Användning"_s};
        QTest::newRow("--version") << Command{{u"--version"_s}, Action::Version, {}, u"Tankedosan 2.2\n"_s};
        QTest::newRow("--mapp=") << Command{{u"--mapp=<scratch>/mine/"_s}, Action::Run, u"mine"_s, {}};
        QTest::newRow("--mapp, relative") << Command{{u"--mapp"_s, u"."_s}, Action::Run, u"<cwd>"_s, {}};
        // Qt's own options are QApplication's: passed over here, so the wrong folder is what is refused.
        QTest::newRow("Qt's option beside a wrong --mapp")
            << Command{{u"-style"_s, u"fusion"_s, u"--reverse"_s, u"-platform=xcb"_s, u"--mapp"_s, u"<scratch>/none"_s},
                       Action::Error,
                       {},
                       u"mappen finns inte"_s};
        QTest::newRow("--mapp without a folder") << Command{{u"--mapp"_s}, Action::Error, {}, noFolder};
        QTest::newRow("--mapp empty") << Command{{u"--mapp="_s}, Action::Error, {}, noFolder};
        QTest::newRow("unknown option") << Command{
            {u"--färg"_s}, Action::Error, {}, u"okänt alternativ: --färg\nSkriv \"tankedosan --help\""_s};
        QTest::newRow("argument") << Command{{u"Citat.dat"_s}, Action::Error, {}, u"okänt argument: Citat.dat"_s};
        QTest::newRow("two commands") << Command{
            {u"--slump"_s, u"--samlingar"_s}, Action::Error, {}, u"ett kommando åt gången"_s};
        QTest::newRow("--början alone") << Command{
            {u"--borjan"_s, u"--slump"_s}, Action::Error, {}, u"--början hör till --sök"_s};
        QTest::newRow("--nummer 0") << Command{{u"--nummer"_s, u"0"_s}, Action::Error, {}, u"från 1 och uppåt"_s};
        QTest::newRow("--nummer alla") << Command{
            {u"--nummer=2"_s, u"--samling=alla"_s}, Action::Error, {}, u"inte alla"_s};
        QTest::newRow("--sök without text")
            << Command{{u"--sök"_s}, Action::Error, {}, u"--sök ska följas av en text"_s};
    }
    void commandLine()
    {
        QFETCH(Command, c);
        auto [arguments, action, folder, text] = c;
        const Tree t({u"mine/"_s, u"file"_s});
        for (QString &argument : arguments)
            argument.replace(u"<scratch>"_s, t.path());
        const CommandLine line = store::readCommandLine(QStringList{u"tankedosan"_s} + arguments);
        QCOMPARE(line.action, action);
        QCOMPARE(line.folder, folder.isEmpty()       ? QString()
                              : folder == u"<cwd>"_s ? QDir::currentPath()
                                                     : t.path(folder));
        QVERIFY2(line.text.contains(text), qPrintable(line.text));
    }
};

QTEST_GUILESS_MAIN(tst_programfolder)
#include "tst_programfolder.moc"
