// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/linestore.h"
#include "store/terminal.h"
#include "support/folderfixture.h"

#include "../editor/swedishreference.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTest>

#include <map>

using namespace Qt::StringLiterals;

struct Case
{
    QString arguments; // separated by "|"
    int status;
    QByteArray out; // exactly
    QString err; // a part of standard error; empty: nothing on it
};

// The real executable without a display, on collections in Windows-1252, in UTF-8, empty and very long.
class tst_terminal : public QObject
{
    Q_OBJECT

    const FolderFixture m_dir;

    // The command with "|" between its arguments, on the folder, without a display.
    static void run(QProcess &process, const QString &arguments, const QString &folder)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TANKEDOSAN_EXECUTABLE), (arguments + u"|--mapp|"_s + folder).split(u'|'));
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    }

    // Standard output exactly ("<dir>" for the folder), a part of standard error, the status.
    static void expect(const Case &c, const QString &folder)
    {
        QProcess process;
        run(process, c.arguments, folder);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
                 QString::fromUtf8(c.out).replace(u"<dir>"_s, folder));
        QVERIFY2(c.err.isEmpty() ? err.isEmpty() : err.contains(c.err), qPrintable(err));
        QCOMPARE(process.exitCode(), c.status);
    }

private slots:
    void initTestCase()
    {
        // Listed before Citat, which is still the collection the commands read when none is named.
        m_dir.write(u"Alfa.dat"_s, "Alfa\r\n"_ba);
        m_dir.write(u"Citat.dat"_s, "Gud ser dig\r\n\r\nMin gud\r\n\xC5sna \xE5lar\r\n"_ba);
        m_dir.write(u"En.dat"_s, "Ensam rad"_ba);
        m_dir.write(u"Tom.dat"_s, {});
        m_dir.write(u"Lang.dat"_s, QByteArray(12000, 'x') + "\xE5\r\n"_ba);
        m_dir.write(u"Utf.dat"_s,
                    "\xEF\xBB\xBF\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\r\n\xC3\x84ngel\r\n\xE6\xBC\xA2 \xC3\x85SNA\r\n");
    }

    void commands_data()
    {
        QTest::addColumn<Case>("c");
        QTest::newRow("--slump, one line") << Case{u"--slump|--samling|En"_s, 0, "Ensam rad\n", {}};
        QTest::newRow("climbs out") << Case{u"--slump|--samling|../Citat"_s, 2, {}, u"52 - Namnet ''../Citat''"_s};
        QTest::newRow("--sök, Citat by default") << Case{u"--sök|GUD"_s, 0, "Gud ser dig\nMin gud\n", {}};
        QTest::newRow("--sok --borjan") << Case{u"--sok|gud|--borjan"_s, 0, "Gud ser dig\n", {}};
        QTest::newRow("--sök å in Windows-1252") << Case{u"--sök=ÅSNA ÅL"_s, 0, "\xC3\x85sna \xC3\xA5lar\n", {}};
        QTest::newRow("UTF-8") << Case{u"--sök|öGA|--samling|utf"_s, 0, "\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n", {}};
        QTest::newRow("alla") << Case{
            u"--sök|åsna|--samling|alla"_s, 0, "Citat:\xC3\x85sna \xC3\xA5lar\nUtf:\xE6\xBC\xA2 \xC3\x85SNA\n", {}};
        QTest::newRow("--nummer") << Case{u"--nummer|3"_s, 0, "\xC3\x85sna \xC3\xA5lar\n", {}};
        QTest::newRow("past the end") << Case{u"--nummer|4"_s, 1, {}, u"har 3 ordspråk; nummer 4 finns inte"_s};
        QTest::newRow("huge line") << Case{
            u"--nummer=1|--samling=Lang"_s, 0, QByteArray(12000, 'x') + "\xC3\xA5\n", {}};
        QTest::newRow("names") << Case{u"--samlingar"_s, 0, "Alfa\t1\nCitat\t3\nEn\t1\nLang\t1\nTom\t0\nUtf\t3\n", {}};
        QTest::newRow("no such platform") << Case{u"-platform|x"_s, 2, {}, u"plattformen ''x'' finns inte"_s};
        QTest::newRow("Qt's option, then unknown") << Case{u"-style|fusion|-x"_s, 2, {}, u"okänt alternativ: -x"_s};
        QTest::newRow("--version") << Case{u"--version"_s, 0, "Tankedosan 2.2\nMapp: <dir>\n", {}};
    }
    void commands()
    {
        QFETCH(Case, c);
        expect(c, m_dir.folder());
    }

    // A collection read shorter than its size was cut short (57); a sysfs file, one page by its size, is one.
    void shrunkWhileRead()
    {
        const QString sys = u"/sys/kernel/mm/transparent_hugepage/enabled"_s;
        QFile file(sys);
        if (!file.open(QIODevice::ReadOnly) || file.readAll().size() >= QFileInfo(sys).size())
            QSKIP("no sysfs file that reads shorter than its size");
        const FolderFixture dir;
        dir.write(u"Alfa.dat"_s, "Alfa\r\n"_ba);
        QVERIFY(QFile::link(sys, dir.path(u"Sys.dat"_s)));
        expect({u"--sök=a|--samling=alla"_s, 2, "Alfa:Alfa\n", u"57 - "_s}, dir.folder());
    }

    // An installed copy finds its window in ../lib/tankedosan/window beside its bin folder, and opens it there.
    void installedCopyOpensItsWindow()
    {
        const FolderFixture tree, data;
        const QString module = u"/libtankedosan-window.so"_s, installed = tree.path(u"lib/tankedosan/window"_s);
        QVERIFY(QDir().mkpath(tree.path(u"bin"_s)) && QDir().mkpath(installed));
        QVERIFY(QFile::copy(QStringLiteral(TANKEDOSAN_EXECUTABLE), tree.path(u"bin/tankedosan"_s)));
        QVERIFY(
            QFile::copy(QFileInfo(QStringLiteral(TANKEDOSAN_EXECUTABLE)).absolutePath() + module, installed + module));
        QProcess process; // on the offscreen screen the tests run on
        process.start(tree.path(u"bin/tankedosan"_s), {u"--mapp"_s, data.folder()});
        QVERIFY(process.waitForStarted());
        const auto loaded = [&, maps = u"/proc/%1/maps"_s.arg(process.processId())] {
            QFile file(maps);
            return file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()).contains(installed + module);
        };
        QTRY_VERIFY_WITH_TIMEOUT(process.state() != QProcess::Running || loaded(), 30000);
        QVERIFY2(process.state() == QProcess::Running, process.readAllStandardError().constData());
        process.kill();
        process.waitForFinished();
    }

    // Each command in each situation: 0 when it wrote something, 1 when it found nothing to write, 2 on an error.
    void exitStatuses_data()
    {
        QTest::addColumn<QString>("file"); // name:bytes, or none
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        const QString commands[] = {u"--slump"_s, u"--sök|gud"_s, u"--nummer|1"_s, u"--samlingar"_s};
        const QString wrong[] = {u"--slump|--början"_s, u"--sök|gud|--nummer|1"_s, u"--nummer|0"_s,
                                 u"--samlingar|--samling|Citat"_s};
        const std::tuple<const char *, QString, QString, const char *> situations[] = {
            {"empty folder", {}, {}, "2221"},
            {"missing collection", u"Djur.dat:Gud"_s, u"|--samling|Saknas"_s, "2220"},
            {"no hit", u"Citat.dat:Hund\r\n"_s, {}, "0100"},
            {"nothing in it", u"Citat.dat:"_s, {}, "1110"},
            {"a hit", u"Citat.dat:Gud ser dig\r\n"_s, {}, "0000"},
            {"bad option", u"Citat.dat:Gud ser dig\r\n"_s, {}, "2222"}};
        for (const auto &[situation, file, extra, statuses] : situations)
            for (int i = 0; i < 4; ++i)
                QTest::addRow("%s, %s", qPrintable(commands[i].section(u'|', 0, 0)), situation)
                    << file << (qstrcmp(situation, "bad option") ? commands[i] + (i < 3 ? extra : QString()) : wrong[i])
                    << statuses[i] - '0';
    }
    void exitStatuses()
    {
        QFETCH(QString, file);
        QFETCH(QString, arguments);
        const FolderFixture folder;
        if (!file.isEmpty())
            folder.write(file.section(u':', 0, 0), file.section(u':', 1).toUtf8());
        QProcess process;
        run(process, arguments, folder.folder());
        QTEST(process.exitCode(), "status");
    }

    // Every proverb equally likely over several collections, not by byte position nor one per collection.
    void drawIsUniform()
    {
        const QByteArray files[] = {QByteArray(300, 'L') + "\r\nb\r\n", "e\r\n", "f\r\ng\r\nh\r\n"};
        std::map<QString, int> seen;
        for (int i = 0; i < 12000; ++i) {
            store::ProverbDraw draw(20261207u + std::uint64_t(i) * 7919u);
            for (const QByteArray &bytes : files)
                draw.offer(store::LineStore::FileLines(bytes));
            ++seen[draw.proverb().left(1)];
        }
        QCOMPARE(seen.size(), size_t(6));
        for (const auto &[proverb, count] : seen) // 2000 each, give or take 41
            QVERIFY2(qAbs(count - 2000) < 180, qPrintable(proverb + u' ' + QString::number(count)));
    }

    // The commands' own scan of a file's bytes (random files, some past its 64 KiB marks) gives the store's lines.
    void fileLinesAreTheStores()
    {
        const QList<QByteArray> pieces = QByteArray("\n|\r\n|\n|\r|a|B|\xC5|\xC3\xA5|\xEF\xBB\xBF|\xFF\xFE").split('|');
        QRandomGenerator random(18);
        for (int round = 0; round < 400; ++round) {
            QByteArray bytes;
            for (int i = random.bounded(round % 25 ? 30 : 200000); i > 0; --i)
                bytes += pieces[random.bounded(round % 25 ? 2 : 1000) ? 4 + random.bounded(round % 3 ? 2 : 6)
                                                                      : random.bounded(3 + round % 2)];
            const store::LineStore store = store::LineStore::fromFileBytes(bytes);
            const store::LineStore::FileLines lines(bytes);
            QCOMPARE(lines.size(), store.size());
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
        const QString strfile = QStandardPaths::findExecutable(u"strfile"_s, {u"/usr/bin"_s, u"/usr/sbin"_s});
        QVERIFY2(!strfile.isEmpty(), "strfile (fortune-mod) is one of the test packages");
        const FolderFixture folder;
        folder.write(u"en"_s, "Ensam\n%\n");
        folder.write(u"zitate"_s,
                     "\xC3\x84rlighet\n  varar l\xC3\xA4ngst\n%\n \n%\n\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n%\nAlfa\n");
        for (const QString &name : {u"en"_s, u"zitate"_s})
            QCOMPARE(QProcess::execute(strfile, {u"-s"_s, folder.path(name)}), 0);
        expect({u"--samlingar"_s, 0, "en\t1\nzitate\t3\n", {}}, folder.folder());
        QStringList entries{u"Ärlighet varar längst"_s, u"Öga för öga"_s, u"Alfa"_s};
        QSet<QString> seen;
        for (int i = 0; i < 40; ++i) {
            if (i == 20) { // edited after strfile ran
                folder.write(u"zitate"_s, "Ny f\xC3\xB6rst\n%\nAlfa\n%\n\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n");
                entries = QStringList{u"Ny först"_s, u"Alfa"_s, u"Öga för öga"_s};
            }
            QProcess process;
            run(process, u"--slump|--samling|zitate"_s, folder.folder());
            const QString drawn = QString::fromUtf8(process.readAllStandardOutput()).chopped(1);
            QVERIFY2(entries.contains(drawn) && process.exitCode() == 0, qPrintable(drawn));
            seen.insert(drawn);
        }
        QVERIFY(seen.size() >= 4);

        const QByteArray index = folder.read(u"zitate.dat"_s), text = folder.read(u"zitate"_s);
        folder.write(u"mer.txt"_s, "\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n%\nBeta\n%\nbeta\n%\nBeta\n");
        folder.write(u"rader.txt"_s, "Alfa\r\nbeta\r\n");
        folder.write(u"Egen.dat"_s, "Zeta\r\nGamma\r\n"); // not in the editor's order: an import sorts it
        const auto import = [&](const char *file, const char *into) {
            return u"--importera|"_s + folder.path(QLatin1String(file)) + u"|--samling|"_s + QLatin1String(into);
        };
        for (const Case &c : std::initializer_list<Case>{
                 {import("mer.txt", "Egen"), 0, "3 ordspråk lades till i ''Egen''; 1 fanns redan där.\n", {}},
                 {import("rader.txt", "Egen"), 0, "1 ordspråk lades till i ''Egen''; 1 fanns redan där.\n", {}},
                 {import("mer.txt", "egen"), 1, "0 ordspråk lades till i ''Egen''; 4 fanns redan där.\n", {}},
                 {import("mer.txt", "zitate"), 2, {}, u"tankedosan: Samlingen i ''"_s},
                 {import("saknas", "Egen"), 2, {}, u"53 - "_s},
                 {import("mer.txt", "").section(u'|', 0, 1), 2, {}, u"ange den med --samling"_s}})
            expect(c, folder.folder());
        QStringList expected{u"Öga för öga"_s, u"Beta"_s, u"beta"_s, u"Alfa"_s, u"Zeta"_s, u"Gamma"_s};
        std::stable_sort(expected.begin(), expected.end(), referenceLess);
        QCOMPARE(QStringDecoder("windows-1252").decode(folder.read(u"Egen.dat"_s)),
                 expected.join(u"\r\n"_s) + u"\r\n"_s);
        QVERIFY(folder.read(u"zitate.dat"_s) == index && folder.read(u"zitate"_s) == text && index.size() > 24);
    }
};

QTEST_GUILESS_MAIN(tst_terminal)
#include "tst_terminal.moc"
