#include "store/collections.h"
#include "support/folderfixture.h"
#include "store/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

// Shows the failure's own words when a step that should succeed does not.
#define VERIFY_SUCCEEDS(expr)                                                                                    \
    do {                                                                                                       \
        const store::MaybeFailure failure_ = (expr);                                                           \
        QVERIFY2(!failure_, failure_ ? qPrintable(failure_->description) : "");                                \
    } while (false)

namespace {

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

class tst_collections : public QObject {
    Q_OBJECT

    std::unique_ptr<FolderFixture> m_folder;

    QString folder() const { return m_folder->folder(); }
    QString inFolder(const QString &name) const { return m_folder->path(name); }
    void writeBytes(const QString &path, const QByteArray &bytes) const { m_folder->write(path, bytes); }
    QByteArray readBytes(const QString &path) const { return m_folder->read(path); }

private slots:
    void init() { m_folder = std::make_unique<FolderFixture>(); }
    void cleanup() { m_folder.reset(); }

    void collectionPath()
    {
        QCOMPARE(store::collectionPath(u"Citat"_s), store::programFolder() + u"/Citat.dat"_s);
        QCOMPARE(store::collectionPath(u"Mina ordspråk"_s), folder() + u"/Mina ordspråk.dat"_s);
    }

    void listCollections_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("empty folder") << QStringList() << QStringList() << QStringList();
        QTest::newRow("only collections count")
            << QStringList{u"Citat.dat"_s, u"Djur.DAT"_s, u"notes.txt"_s, u".dold.dat"_s}
            << QStringList{u"mapp.dat"_s} << QStringList{u"Citat"_s, u"Djur"_s};
        QTest::newRow("sorted ignoring case") << QStringList{u"b.dat"_s, u"A.dat"_s, u"C.dat"_s} << QStringList()
                                              << QStringList{u"A"_s, u"b"_s, u"C"_s};
        QTest::newRow("prefix sorts first") << QStringList{u"ab.dat"_s, u"B.dat"_s, u"a.dat"_s} << QStringList()
                                            << QStringList{u"a"_s, u"ab"_s, u"B"_s};
        QTest::newRow("only the last extension counts")
            << QStringList{u"a.dat.txt"_s, u"dat"_s, u"x.data"_s, u"gamla.txt.dat"_s, u"Mina ordspråk.dAt"_s}
            << QStringList() << QStringList{u"gamla.txt"_s, u"Mina ordspråk"_s};
    }

    void listCollections()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        QFETCH(QStringList, expected);
        for (const QString &name : files)
            writeBytes(inFolder(name), "x\r\n"_ba);
        for (const QString &name : folders)
            QVERIFY(QDir(folder()).mkdir(name));
        QCOMPARE(store::listCollections(), expected);
    }

    void listFilesMatchesAnyCase()
    {
        writeBytes(inFolder(u"help.txt"_s), QByteArray());
        writeBytes(inFolder(u"Andra.TXT"_s), QByteArray());
        writeBytes(inFolder(u"help.txt.bak"_s), QByteArray());
        QCOMPARE(store::listFiles(u"HELP.TXT"_s), QStringList{u"help.txt"_s});
        QCOMPARE(store::listFiles(u"*.txt"_s), (QStringList{u"Andra.TXT"_s, u"help.txt"_s}));
    }

    void fileExists()
    {
        writeBytes(inFolder(u"Citat.dat"_s), "a\r\n"_ba);
        writeBytes(inFolder(u"tom.dat"_s), QByteArray());
        writeBytes(inFolder(u".dold.dat"_s), "a\r\n"_ba);
        QVERIFY(QDir(folder()).mkdir(u"mapp.dat"_s));

        QVERIFY(store::fileExists(inFolder(u"Citat.dat"_s)));
        QVERIFY(store::fileExists(inFolder(u"tom.dat"_s)));
        QVERIFY(!store::fileExists(inFolder(u".dold.dat"_s)));
        QVERIFY(!store::fileExists(inFolder(u"mapp.dat"_s)));
        QVERIFY(!store::fileExists(inFolder(u"saknas.dat"_s)));
    }

    // An unedited file must be saved byte for byte, whatever Windows-1252 bytes it holds.
    void readThenWrite_data()
    {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("written");

        QByteArray everyByte;
        for (int b = 1; b < 256; ++b) {
            if (b != '\r' && b != '\n')
                everyByte += char(b);
        }
        everyByte += "\r\n"_ba + "Ordspr\xE5k om \x80 och \x96\r\n"_ba + "rad med\ninb\xE4" "ddat lf\r\n"_ba;
        QByteArray highHalfReversed;
        for (int b = 255; b >= 0x80; --b)
            highHalfReversed += char(b);
        everyByte += highHalfReversed + "\r\n"_ba;
        const QByteArray bom = "\xEF\xBB\xBF"_ba;

        QTest::newRow("every byte") << everyByte << everyByte;
        QTest::newRow("empty line dropped") << "a\r\n\r\nb"_ba << "a\r\nb\r\n"_ba;
        QTest::newRow("lone cr becomes crlf") << "a\rb"_ba << "a\r\nb\r\n"_ba;
        QTest::newRow("unix text file gets crlf") << "x\ny\n"_ba << "x\r\ny\r\n"_ba;
        QTest::newRow("blanks kept") << "   "_ba << "   \r\n"_ba;
        QTest::newRow("utf-8 that fits becomes windows-1252") << "\xC3\xA5\r\n"_ba << "\xE5\r\n"_ba;
        QTest::newRow("utf-8 that does not fit stays") << bom + "\xE6\xBC\xA2\r\n\xC3\xA5\r\n"_ba
                                                       << bom + "\xE6\xBC\xA2\r\n\xC3\xA5\r\n"_ba;
        QTest::newRow("empty file") << QByteArray() << QByteArray();
        QTest::newRow("only line ends") << "\r\n\r\n"_ba << QByteArray();
    }

    void readThenWrite()
    {
        QFETCH(QByteArray, original);
        QFETCH(QByteArray, written);
        const QString path = store::collectionPath(u"Citat"_s);
        writeBytes(path, original);

        QStringList lines;
        VERIFY_SUCCEEDS(store::readCollection(path, lines));
        VERIFY_SUCCEEDS(store::writeCollection(path, lines));
        QCOMPARE(readBytes(path), written);

        QStringList again;
        VERIFY_SUCCEEDS(store::readCollection(path, again));
        QCOMPARE(again, lines);
    }

    void emptyListGivesZeroBytes()
    {
        const QString path = store::collectionPath(u"Tom"_s);
        writeBytes(path, "gammalt innehåll\r\n"_ba);
        VERIFY_SUCCEEDS(store::writeCollection(path, QStringList{}));
        QCOMPARE(QFileInfo(path).size(), 0);
        QStringList lines{u"kvar"_s};
        VERIFY_SUCCEEDS(store::readCollection(path, lines));
        QVERIFY(lines.isEmpty());
    }

    // Beyond the 16-bit limits of the classic list boxes.
    void manyLines()
    {
        QStringList lines;
        for (int i = 0; i < 40000; ++i)
            lines << u"Ordspråk nummer %1"_s.arg(i + 1);
        const QString path = store::collectionPath(u"Stor"_s);
        VERIFY_SUCCEEDS(store::writeCollection(path, lines));
        QStringList back;
        VERIFY_SUCCEEDS(store::readCollection(path, back));
        QCOMPARE(back.size(), 40000);
        QCOMPARE(back, lines);
    }

    void readMissingLeavesLinesAlone()
    {
        const QString path = store::collectionPath(u"Saknas"_s);
        QStringList lines{u"a"_s, u"b"_s};
        const auto failure = store::readCollection(path, lines);
        QVERIFY(failure);
        QCOMPARE(failure->number, 53);
        QVERIFY2(failure->description.contains(u"Saknas.dat"_s), qPrintable(failure->description));
        QCOMPARE(lines, (QStringList{u"a"_s, u"b"_s}));
    }

    void readFolderFails()
    {
        QVERIFY(QDir(folder()).mkdir(u"mapp.dat"_s));
        QStringList lines{u"a"_s};
        const auto failure = store::readCollection(store::collectionPath(u"mapp"_s), lines);
        QVERIFY(failure);
        QVERIFY(failure->number != 0);
        QCOMPARE(lines, QStringList{u"a"_s});
    }

    void writeFailure_data()
    {
        QTest::addColumn<QString>("relativePath");

        QTest::newRow("folder missing") << u"saknas/Citat.dat"_s;
        QTest::newRow("parent is a file") << u"fil.txt/Citat.dat"_s;
        QTest::newRow("target is a folder") << u"mapp.dat"_s;
    }

    void writeFailure()
    {
        QFETCH(QString, relativePath);
        writeBytes(inFolder(u"fil.txt"_s), "innehåll"_ba);
        QVERIFY(QDir(folder()).mkdir(u"mapp.dat"_s));
        const QStringList before = folderEntries(folder());

        const auto failure = store::writeCollection(inFolder(relativePath), {u"a"_s});
        QVERIFY(failure);
        QVERIFY(failure->number != 0);
        QVERIFY(!failure->description.isEmpty());

        QCOMPARE(folderEntries(folder()), before);
        QCOMPARE(readBytes(inFolder(u"fil.txt"_s)), "innehåll"_ba);
        QVERIFY(QFileInfo(inFolder(u"mapp.dat"_s)).isDir());
        QVERIFY(folderEntries(inFolder(u"mapp.dat"_s)).isEmpty());
    }

    // The disk filling up half-way must not cost the user the collection they already had.
#ifdef Q_OS_UNIX
    void failedWriteKeepsPreviousFile()
    {
        const QString path = store::collectionPath(u"Citat"_s);
        const QByteArray previous = "Borta bra men hemma b\xE4st\r\n"_ba;
        writeBytes(path, previous);
        const QStringList before = folderEntries(folder());

        QStringList lines;
        for (int i = 0; i < 20000; ++i)
            lines << u"En lång rad som inte får plats när filen får vara högst 4 kB, nummer %1"_s.arg(i);

        // A file size limit makes writes fail with EFBIG, for root as well as for anyone else.
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto failure = store::writeCollection(path, lines);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(failure);
        QVERIFY(failure->number != 0);
        QVERIFY(!failure->description.isEmpty());
        QCOMPARE(readBytes(path), previous);
        QCOMPARE(folderEntries(folder()), before);
    }
#endif

    void createEmptyCollection_data()
    {
        QTest::addColumn<QByteArray>("previous"); // null: no file yet

        QTest::newRow("new file") << QByteArray();
        QTest::newRow("existing file is emptied") << "a\r\nb\r\n"_ba;
    }

    void createEmptyCollection()
    {
        QFETCH(QByteArray, previous);
        const QString path = store::collectionPath(u"Ny"_s);
        if (!previous.isNull())
            writeBytes(path, previous);
        VERIFY_SUCCEEDS(store::createEmptyCollection(path));
        QVERIFY(store::fileExists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
        QCOMPARE(store::listCollections(), QStringList{u"Ny"_s});
    }

    void deleteCollection()
    {
        const QString path = store::collectionPath(u"Djur"_s);
        writeBytes(path, "Katt\r\n"_ba);
        writeBytes(store::collectionPath(u"Citat"_s), "a\r\n"_ba);
        VERIFY_SUCCEEDS(store::deleteCollection(path));
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(store::listCollections(), QStringList{u"Citat"_s});

        const auto again = store::deleteCollection(path);
        QVERIFY(again);
        QCOMPARE(again->number, 53);
    }

    void deleteFolderIsRefused()
    {
        QVERIFY(QDir(folder()).mkdir(u"mapp.dat"_s));
        const auto failure = store::deleteCollection(inFolder(u"mapp.dat"_s));
        QVERIFY(failure);
        QCOMPARE(failure->number, 53);
        QVERIFY(QFileInfo(inFolder(u"mapp.dat"_s)).isDir());
    }

    void checkName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("allowed");

        QTest::newRow("plain") << u"Citat"_s << true;
        QTest::newRow("with blank") << u"Mina ordspråk"_s << true;
        QTest::newRow("dot inside") << u"å.ä"_s << true;
        QTest::newRow("leading dots") << u"...x"_s << true;
        QTest::newRow("slash inside") << u"a/b"_s << false;
        QTest::newRow("backslash inside") << u"a\\b"_s << false;
        QTest::newRow("dot") << u"."_s << false;
        QTest::newRow("dot dot") << u".."_s << false;
        QTest::newRow("slash") << u"/"_s << false;
        QTest::newRow("backslash") << u"\\"_s << false;
        QTest::newRow("climbing out") << u"../Citat"_s << false;
    }

    void checkName()
    {
        QFETCH(QString, name);
        QFETCH(bool, allowed);
        const auto failure = store::checkName(name);
        QCOMPARE(!failure, allowed);
        if (!allowed) {
            QCOMPARE(failure->number, 52);
            QVERIFY2(failure->description.contains(name), qPrintable(failure->description));
            QVERIFY2(failure->description.contains(u"inte tillåtet"_s), qPrintable(failure->description));
        }
    }
};

QTEST_GUILESS_MAIN(tst_collections)
#include "tst_collections.moc"
