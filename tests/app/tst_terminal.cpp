#include "store/linestore.h"
#include "store/terminal.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using namespace Qt::StringLiterals;

namespace {

struct Case
{
    QStringList arguments;
    int status;
    QByteArray out; // exactly
    QString err; // a part of standard error; empty: nothing on it
};

// A proverb longer than any view shows: the terminal prints it whole.
const QByteArray kLong = QByteArray(12000, 'x') + "\xE5";

} // namespace

// The real executable, as a user runs it in a terminal: no display, and a folder of collections in
// Windows-1252, in UTF-8 behind a mark, an empty one and a huge line.
class tst_terminal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    void put(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

private slots:
    void initTestCase()
    {
        // Listed before Citat, which is still the collection the commands read when none is named.
        put(u"Alfa.dat"_s, "Alfa\r\n"_ba);
        put(u"Citat.dat"_s, "Gud ser dig\r\n\r\nMin gud\r\n\xC5sna \xE5lar\r\n"_ba);
        put(u"En.dat"_s, "Ensam rad"_ba);
        put(u"Tom.dat"_s, {});
        put(u"Lang.dat"_s, kLong + "\r\n"_ba);
        put(u"Utf.dat"_s,
            "\xEF\xBB\xBF\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\r\n\xC3\x84ngel\r\n\xE6\xBC\xA2 \xC3\x85SNA\r\n"_ba);
    }

    void commands_data()
    {
        QTest::addColumn<Case>("c");
        const QByteArray longUtf8 = QByteArray(12000, 'x') + "\xC3\xA5\n";
        QTest::newRow("--slump, one line") << Case{{u"--slump"_s, u"--samling"_s, u"En"_s}, 0, "Ensam rad\n", {}};
        QTest::newRow("--slump, empty") << Case{{u"--slump"_s, u"--samling=Tom"_s}, 1, {}, {}};
        QTest::newRow("--slump, missing") << Case{{u"--slump"_s, u"--samling"_s, u"Saknas"_s},
                                                  2,
                                                  {},
                                                  u"tankedosan: Filen ''Saknas'' saknas i programkatalogen!"_s};
        QTest::newRow("--slump, name climbs out")
            << Case{{u"--slump"_s, u"--samling"_s, u"../Citat"_s},
                    2,
                    {},
                    u"Ett fel uppstod. 52 - Namnet ''../Citat'' är inte tillåtet"_s};
        QTest::newRow("--sök, Citat by default") << Case{{u"--sök"_s, u"GUD"_s}, 0, "Gud ser dig\nMin gud\n", {}};
        QTest::newRow("--sok --borjan") << Case{{u"--sok"_s, u"gud"_s, u"--borjan"_s}, 0, "Gud ser dig\n", {}};
        QTest::newRow("--sök å in Windows-1252") << Case{{u"--sök=ÅSNA ÅL"_s}, 0, "\xC3\x85sna \xC3\xA5lar\n", {}};
        QTest::newRow("--sök in UTF-8, name in other case")
            << Case{{u"--sök"_s, u"öGA"_s, u"--samling"_s, u"utf"_s}, 0, "\xC3\x96ga f\xC3\xB6r \xC3\xB6ga\n", {}};
        QTest::newRow("--sök, none") << Case{{u"--sök"_s, u"hund"_s}, 1, {}, {}};
        QTest::newRow("--sök alla") << Case{{u"--sök"_s, u"åsna"_s, u"--samling"_s, u"alla"_s},
                                            0,
                                            "Citat:\xC3\x85sna \xC3\xA5lar\nUtf:\xE6\xBC\xA2 \xC3\x85SNA\n",
                                            {}};
        QTest::newRow("--sök, empty collection") << Case{{u"--sök"_s, u"a"_s, u"--samling"_s, u"Tom"_s}, 1, {}, {}};
        QTest::newRow("--nummer") << Case{{u"--nummer"_s, u"3"_s}, 0, "\xC3\x85sna \xC3\xA5lar\n", {}};
        QTest::newRow("--nummer, past the end")
            << Case{{u"--nummer"_s, u"4"_s}, 1, {}, u"''Citat'' har 3 ordspråk; nummer 4 finns inte."_s};
        QTest::newRow("--nummer, a huge line whole") << Case{{u"--nummer=1"_s, u"--samling=Lang"_s}, 0, longUtf8, {}};
        QTest::newRow("--samlingar") << Case{
            {u"--samlingar"_s}, 0, "Alfa\t1\nCitat\t3\nEn\t1\nLang\t1\nTom\t0\nUtf\t3\n", {}};
        QTest::newRow("Qt's option, then unknown")
            << Case{{u"-style"_s, u"fusion"_s, u"-x"_s}, 2, {}, u"okänt alternativ: -x"_s};
        QTest::newRow("--version") << Case{{u"--version"_s}, 0, "Tankedosan 2.2\nMapp: <dir>\n", {}};
    }
    void commands()
    {
        QFETCH(Case, c);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TANKEDOSAN_EXECUTABLE), c.arguments + QStringList{u"--mapp"_s, m_dir.path()});
        QVERIFY(process.waitForFinished(60000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.readAllStandardOutput(), QByteArray(c.out).replace("<dir>", m_dir.path().toUtf8()));
        QVERIFY2(c.err.isEmpty() ? err.isEmpty() : err.contains(c.err), qPrintable(err));
        QCOMPARE(process.exitCode(), c.status);
    }

    // Every proverb equally likely, whatever its length and place; with several collections, every proverb of
    // them all equally likely, so a collection of one proverb beside one of three is drawn a quarter of the
    // time. A draw by byte position would favour the long line, one per collection the lone proverb.
    void drawIsUniform()
    {
        const store::LineStore one = store::LineStore::fromFileBytes(QByteArray(300, 'L') + "\r\nb\r\nc\r\nd\r\n");
        const store::LineStore lone = store::LineStore::fromFileBytes("e\r\n");
        const store::LineStore three = store::LineStore::fromFileBytes("f\r\ng\r\nh\r\n");
        constexpr int kDraws = 8000;
        for (const std::vector<const store::LineStore *> &offered : {std::vector{&one}, std::vector{&lone, &three}}) {
            std::map<QString, int> seen;
            for (int i = 0; i < kDraws; ++i) {
                store::ProverbDraw draw(20261207u + std::uint64_t(i) * 7919u);
                for (const store::LineStore *lines : offered)
                    draw.offer(*lines);
                ++seen[draw.proverb().left(1)];
            }
            QCOMPARE(seen.size(), size_t(4));
            // Each of the four comes up 2000 times give or take 39: 12 % either way is six of those.
            for (const auto &[proverb, count] : seen)
                QVERIFY2(qAbs(count - kDraws / 4) < kDraws * 3 / 100,
                         qPrintable(proverb + u' ' + QString::number(count)));
        }
    }
};

QTEST_GUILESS_MAIN(tst_terminal)
#include "tst_terminal.moc"
