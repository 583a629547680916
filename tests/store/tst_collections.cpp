#include "store/collections.h"
#include "store/numberfile.h"
#include "store/programfolder.h"
#include "support/folderfixture.h"
#include "support/systemfixtures.h"

#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace store {
// A failed comparison shows the failure's number and words.
char *toString(const MaybeFailure &failure)
{
    return QTest::toString(failure ? QString::number(failure->number) + u" - "_s + failure->description : u"none"_s);
}
} // namespace store

#define VERIFY_SUCCEEDS(expr) QCOMPARE((expr), store::MaybeFailure())

namespace {
enum class Operation { Read, Write, Delete };
enum class Writer { Collection, Bytes, NumberFile };

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

store::MaybeFailure failure(int number, const QString &words, const QString &path)
{
    return store::Failure{number, words.arg(QDir::toNativeSeparators(path))};
}

QString pathFor(Writer writer)
{
    return writer == Writer::NumberFile ? store::pathInProgramFolder(u"nr.ini"_s) : store::collectionPath(u"Citat"_s);
}
} // namespace

Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Writer)
#ifdef Q_OS_LINUX
Q_DECLARE_METATYPE(Thing)
#endif

class tst_collections : public QObject {
    Q_OBJECT

    std::unique_ptr<FolderFixture> m_folder;

    QString inFolder(const QString &name) const { return m_folder->path(name); }
    void write(const QString &path, const QByteArray &bytes) const { m_folder->write(path, bytes); }
    QByteArray read(const QString &path) const { return m_folder->read(path); }
    bool mkdir(const QString &name) const { return QDir(m_folder->folder()).mkdir(name); }

private slots:
    // As the program does at start: a write past the file-size limit fails instead of ending the process
    // (the file-size rows below end this process when it does not).
    void initTestCase() { store::ignoreFileSizeSignal(); }
    void init() { m_folder = std::make_unique<FolderFixture>(); }
    void cleanup() { m_folder.reset(); }

    void listCollections_data()
    {
        QTest::addColumn<QStringList>("files"); // a name ending in / is a folder
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty folder") << QStringList() << QStringList();
        QTest::newRow("only visible files") << QStringList{u"Citat.dat"_s, u"Djur.DAT"_s, u"n.txt"_s, u".dold.dat"_s, u"mapp.dat/"_s} << QStringList{u"Citat"_s, u"Djur"_s};
        QTest::newRow("sorted ignoring case") << QStringList{u"b.dat"_s, u"A.dat"_s, u"C.dat"_s} << QStringList{u"A"_s, u"b"_s, u"C"_s};
        QTest::newRow("prefix sorts first") << QStringList{u"ab.dat"_s, u"B.dat"_s, u"a.dat"_s} << QStringList{u"a"_s, u"ab"_s, u"B"_s};
        QTest::newRow("only the last extension counts") << QStringList{u"a.dat.txt"_s, u"dat"_s, u"x.data"_s, u"gamla.txt.dat"_s, u"Mina ordspråk.dAt"_s} << QStringList{u"gamla.txt"_s, u"Mina ordspråk"_s};
    }

    void listCollections()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, expected);
        for (const QString &name : files) {
            if (name.endsWith(u'/'))
                QVERIFY(mkdir(name.chopped(1)));
            else
                write(inFolder(name), "x\r\n"_ba);
        }
        QCOMPARE(store::listCollections(), expected);
        for (const QString &name : files)
            QCOMPARE(store::fileExists(inFolder(name)), !name.startsWith(u'.') && !name.endsWith(u'/'));
        QVERIFY(!store::fileExists(inFolder(u"saknas.dat"_s)));
        QCOMPARE(store::listFiles(u"CITAT.DAT"_s), files.contains(u"Citat.dat"_s) ? QStringList{u"Citat.dat"_s} : QStringList());
    }

    // An unedited file must be saved byte for byte, whatever Windows-1252 bytes it holds.
    void readThenWrite_data()
    {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("written");
        QByteArray every;
        for (int b = 1; b < 256; ++b)
            every += (b == '\r' || b == '\n') ? '\x7F' : char(b);
        for (int b = 255; b >= 0x80; --b)
            every += char(b);
        every += "\r\nOrdspr\xE5k om \x80 och \x96\r\nrad med\ninb\xE4" "ddat lf\r\n"_ba;
        const QByteArray bom = "\xEF\xBB\xBF"_ba;
        QTest::newRow("every byte") << every << every;
        QTest::newRow("unix text file gets crlf") << "x\ny\n"_ba << "x\r\ny\r\n"_ba;
        QTest::newRow("utf-8 that fits becomes windows-1252") << "\xC3\xA5\r\n"_ba << "\xE5\r\n"_ba;
        QTest::newRow("utf-8 that does not fit stays") << bom + "\xE6\xBC\xA2\r\n\xC3\xA5\r\n"_ba << bom + "\xE6\xBC\xA2\r\n\xC3\xA5\r\n"_ba;
        QTest::newRow("only line ends") << "\r\n\r\n"_ba << QByteArray();
    }

    void readThenWrite()
    {
        QFETCH(QByteArray, original);
        QFETCH(QByteArray, written);
        const QString path = store::collectionPath(u"Citat"_s);
        write(path, original);
        QStringList lines, again;
        VERIFY_SUCCEEDS(store::readCollection(path, lines));
        VERIFY_SUCCEEDS(store::writeCollection(path, lines));
        QCOMPARE(read(path), written);
        VERIFY_SUCCEEDS(store::readCollection(path, again));
        QCOMPARE(again, lines);
    }

    void createAndDeleteCollections()
    {
        const QString path = store::collectionPath(u"Ny"_s);
        VERIFY_SUCCEEDS(store::createEmptyCollection(path));
        QCOMPARE(store::listCollections(), QStringList{u"Ny"_s});
        write(path, "a\r\nb\r\n"_ba);
        VERIFY_SUCCEEDS(store::createEmptyCollection(path)); // an existing file is emptied
        QVERIFY(store::fileExists(path)); // empty, but there
        QCOMPARE(read(path), QByteArray(""));
        write(store::collectionPath(u"Citat"_s), "a\r\n"_ba);
        VERIFY_SUCCEEDS(store::deleteCollection(path));
        QCOMPARE(store::listCollections(), QStringList{u"Citat"_s});
    }

    // Every failure the file system can give reaches the user as the program's number and Swedish words,
    // and leaves the lines, the files and the folder as they were.
    void failureReports_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description"); // %1: the path
        const QString notFound = u"Filen hittades inte: ''%1''"_s, noFolder = u"Sökvägen hittades inte: ''%1''"_s;
        const QString pathError = u"Fel vid åtkomst av sökväg/fil: ''%1''"_s, denied = u"Åtkomst nekad: ''%1''"_s;
        using O = Operation;
        QTest::newRow("read missing file") << O::Read << u"Saknas.dat"_s << 53 << notFound;
        QTest::newRow("read in missing folder") << O::Read << u"saknas/Citat.dat"_s << 76 << noFolder;
        QTest::newRow("read below a file") << O::Read << u"fil.txt/Citat.dat"_s << 76 << noFolder;
        QTest::newRow("read a folder") << O::Read << u"mapp.dat"_s << 75 << pathError;
        QTest::newRow("read unreadable file") << O::Read << u"låst.dat"_s << 70 << denied;
        QTest::newRow("write in missing folder") << O::Write << u"saknas/Citat.dat"_s << 76 << noFolder;
        QTest::newRow("write below a file") << O::Write << u"fil.txt/Citat.dat"_s << 76 << noFolder;
        QTest::newRow("write over a folder") << O::Write << u"mapp.dat"_s << 75 << pathError;
        QTest::newRow("write in locked folder") << O::Write << u"låst/Citat.dat"_s << 70 << denied;
        QTest::newRow("write over locked file") << O::Write << u"låst.dat"_s << 70 << denied;
        QTest::newRow("delete missing file") << O::Delete << u"Saknas.dat"_s << 53 << notFound;
        QTest::newRow("delete a folder") << O::Delete << u"mapp.dat"_s << 53 << notFound;
    }

    void failureReports()
    {
        QFETCH(Operation, operation);
        QFETCH(QString, relativePath);
        QFETCH(int, number);
        QFETCH(QString, description);
#ifdef Q_OS_LINUX
        if (relativePath.startsWith(u"låst") && geteuid() == 0)
            QSKIP("root is never denied access; the read-only file system test covers 70 for root");
#endif
        write(inFolder(u"fil.txt"_s), "innehåll"_ba);
        write(inFolder(u"låst.dat"_s), "a\r\n"_ba);
        QVERIFY(QFile::setPermissions(inFolder(u"låst.dat"_s), QFileDevice::Permissions()));
        QVERIFY(mkdir(u"mapp.dat"_s) && mkdir(u"låst"_s));
        QVERIFY(QFile::setPermissions(inFolder(u"låst"_s), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QStringList before = entries(m_folder->folder());

        const QString path = inFolder(relativePath);
        QStringList lines{u"kvar"_s};
        const store::MaybeFailure result = operation == Operation::Read    ? store::readCollection(path, lines)
                                            : operation == Operation::Write ? store::writeCollection(path, {u"a"_s})
                                                                            : store::deleteCollection(path);
        QFile::setPermissions(inFolder(u"låst"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(inFolder(u"låst.dat"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        QCOMPARE(result, failure(number, description, path));
        QCOMPARE(lines, QStringList{u"kvar"_s});
        QCOMPARE(entries(m_folder->folder()), before);
        QCOMPARE(read(inFolder(u"fil.txt"_s)), "innehåll"_ba);
        QCOMPARE(read(inFolder(u"låst.dat"_s)), "a\r\n"_ba);
        QVERIFY(entries(inFolder(u"mapp.dat"_s)).isEmpty() && entries(inFolder(u"låst"_s)).isEmpty());
    }

    void checkName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("allowed");
        for (const QString &name : {u"Citat"_s, u"Mina ordspråk"_s, u"å.ä"_s, u"...x"_s})
            QTest::addRow("%s", qPrintable(name)) << name << true;
        for (const QString &name : {u"a/b"_s, u"a\\b"_s, u"."_s, u".."_s, u"/"_s, u"\\"_s, u"../Citat"_s})
            QTest::addRow("%s", qPrintable(name)) << name << false;
    }

    void checkName()
    {
        QFETCH(QString, name);
        QFETCH(bool, allowed);
        QCOMPARE(store::checkName(name), allowed ? store::MaybeFailure() : failure(52, u"Namnet ''%1'' är inte tillåtet som filnamn"_s, name));
    }

    void readNumberFile_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "?": no nr.ini; "/": a folder named nr.ini
        QTest::addColumn<QString>("expected");
        const QList<std::pair<QByteArray, QString>> rows{
            {"?"_ba, u"1"_s}, {"/"_ba, u"1"_s}, {""_ba, u"1"_s}, {"\r\n"_ba, u"1"_s}, {"   \r\n"_ba, u"1"_s},
            {"\"\"\r\n"_ba, u"1"_s}, {",4"_ba, u"1"_s}, {"7\r\n"_ba, u"7"_s}, {"7"_ba, u"7"_s}, {"  12  \r\n"_ba, u"12"_s},
            {"\t9\t\r\n"_ba, u"9"_s}, {"3,4"_ba, u"3"_s}, {"3 ,4"_ba, u"3"_s}, {"\"abc, d\""_ba, u"abc, d"_s},
            {"  \" 5 \",6\r\n"_ba, u" 5 "_s}, {"\"abc\r\n"_ba, u"abc"_s}, {"abc"_ba, u"abc"_s}, {"5\r\n6\r\n"_ba, u"5"_s},
            {"5\r6"_ba, u"5"_s}, {"\xE5\r\n"_ba, u"å"_s}, {"\xEF\xBB\xBF\xE6\xBC\xA2\r\n"_ba, u"漢"_s}};
        for (const auto &[bytes, expected] : rows)
            QTest::addRow("%s", bytes == "?" ? "missing" : bytes.toHex(' ').constData()) << bytes << expected;
    }

    void readNumberFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        if (bytes == "/")
            QVERIFY(mkdir(u"nr.ini"_s));
        else if (bytes != "?")
            write(u"nr.ini"_s, bytes);
        QCOMPARE(store::readNumberFile(), expected);
    }

    void writeNumberFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("number") << u"42"_s << "42\r\n"_ba;
        QTest::newRow("negative") << u"-3"_s << "-3\r\n"_ba;
        QTest::newRow("text as typed") << u"abc, d"_s << "abc, d\r\n"_ba;
        QTest::newRow("windows-1252") << u"€å"_s << "\x80\xE5\r\n"_ba;
        QTest::newRow("does not fit") << u"漢"_s << "\xEF\xBB\xBF\xE6\xBC\xA2\r\n"_ba;
        QTest::newRow("empty") << QString() << "\r\n"_ba;
    }

    void writeNumberFile()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        write(u"nr.ini"_s, "999,gammalt och längre än det nya\r\n"_ba);
        store::writeNumberFile(text);
        QCOMPARE(read(u"nr.ini"_s), bytes);
        if (!text.contains(u','))
            QCOMPARE(store::readNumberFile(), text.isEmpty() ? u"1"_s : text);
    }

    // A link to a regular file stays a link; the file it points to gets the new text.
    void linkToRegularFileKeepsWorking()
    {
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(u"Citat.dat"_s), path = store::collectionPath(u"Citat"_s);
        const QString numberTarget = elsewhere.filePath(u"nr.ini"_s);
        write(target, "gammal\r\n"_ba);
        write(numberTarget, "3\r\n"_ba);
        QVERIFY(QFile::link(target, path) && QFile::link(numberTarget, store::pathInProgramFolder(u"nr.ini"_s)));
        VERIFY_SUCCEEDS(store::writeCollection(path, {u"ny"_s, u"rad"_s}));
        store::writeNumberFile(u"8"_s);
        QCOMPARE(QFileInfo(path).symLinkTarget(), target);
        QCOMPARE(read(target) + read(numberTarget), "ny\r\nrad\r\n8\r\n"_ba);
        QCOMPARE(entries(elsewhere.path()), (QStringList{u"Citat.dat"_s, u"nr.ini"_s}));
        QStringList lines;
        VERIFY_SUCCEEDS(store::readCollection(path, lines));
        QCOMPARE(lines, (QStringList{u"ny"_s, u"rad"_s}));
        QCOMPARE(store::readNumberFile(), u"8"_s);
    }

#ifdef Q_OS_LINUX
    // For root, the one way to be denied a write is a file system mounted read-only.
    void readOnlyFileSystemDeniesAccess()
    {
        SmallFileSystem fs(64 * 1024, true);
        if (!fs.mounted())
            QSKIP(qPrintable(u"a read-only file system cannot be mounted here: "_s + fs.whyNot()));
        const QString path = fs.path() + u"/Citat.dat"_s;
        QCOMPARE(store::writeCollection(path, {u"a"_s}), failure(70, u"Åtkomst nekad: ''%1''"_s, path));
    }

    // A write that cannot finish, on a full disk or past the file-size limit, whatever its size: the
    // previous file stays whole and no temporary file is left behind. A failure of nr.ini is never reported
    // (closing must not stop on it), but must not cost its previous value either.
    void failedWriteKeepsPreviousFile_data()
    {
        QTest::addColumn<bool>("fullDisk"); // else past the file-size limit
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<int>("size");
        const char *writers[] = {"collection", "bytes", "nr.ini"};
        for (const bool fullDisk : {true, false})
            for (const Writer writer : {Writer::Collection, Writer::Bytes, Writer::NumberFile})
                for (const int size : {1, 10 * 1024, 1024 * 1024})
                    QTest::addRow("%s, %s, %d bytes", fullDisk ? "full disk" : "file-size limit", writers[int(writer)], size) << fullDisk << writer << size;
    }

    void failedWriteKeepsPreviousFile()
    {
        QFETCH(bool, fullDisk);
        QFETCH(Writer, writer);
        QFETCH(int, size);
        std::unique_ptr<SmallFileSystem> fs;
        if (fullDisk) {
            fs = std::make_unique<SmallFileSystem>(1024 * 1024);
            if (!fs->mounted())
                QSKIP(qPrintable(u"no full disk to write on: "_s + fs->whyNot()));
            store::setProgramFolder(fs->path());
        }
        const QString path = pathFor(writer);
        const QByteArray previous = writer == Writer::NumberFile ? "5\r\n"_ba : "Borta bra men hemma b\xE4st\r\n"_ba;
        write(path, previous);
        if (fs)
            QVERIFY(fs->fill(u"fyllnad"_s));
        const QStringList before = entries(store::programFolder());

        // Each payload is as near the size as the writer allows (a line needs its CR LF).
        const QStringList lines(qMax(1, size / 100), QString(qMax(1, qMin(size, 100) - 2), u'x'));
        rlimit normal{}, small{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &normal) == 0);
        small = {fullDisk ? normal.rlim_cur : rlim_t(size / 2), normal.rlim_max};
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        store::MaybeFailure result;
        if (writer == Writer::Collection)
            result = store::writeCollection(path, lines);
        else if (writer == Writer::Bytes)
            result = store::writeFileAtomically(path, QByteArray(size, 'b'));
        else
            store::writeNumberFile(QString(qMax(1, size - 2), u'7'));
        setrlimit(RLIMIT_FSIZE, &normal);
        QCOMPARE(read(path), previous);
        QCOMPARE(entries(store::programFolder()), before);
        if (writer == Writer::NumberFile) {
            QCOMPARE(store::readNumberFile(), u"5"_s);
        } else {
            QCOMPARE(result, fullDisk ? failure(61, u"Disken är full: ''%1''"_s, path) : failure(57, u"In-/utdatafel i filen ''%1''"_s, path));
        }
    }

    // A path that names anything but a regular file, directly or through a link, is never replaced: a
    // collection write reports it, nr.ini is skipped without a word. Nor is it read: a FIFO would wait for a
    // writer for ever and an endless device would fill the memory; nr.ini as any of them reads as "1".
    void onlyRegularFilesAreReadOrReplaced_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<Thing>("thing");
        QTest::addColumn<bool>("throughLink");
        const char *things[] = {"fifo", "device", "folder", "nothing"};
        for (const Writer writer : {Writer::Collection, Writer::NumberFile})
            for (const Thing thing : {Thing::Fifo, Thing::Device, Thing::Folder, Thing::Nothing})
                for (const bool link : {false, true})
                    if (thing != Thing::Nothing || link) // a free name is written, of course
                        QTest::addRow("%s, %s%s", writer == Writer::Collection ? "collection" : "nr.ini", link ? "link to " : "", things[int(thing)]) << writer << thing << link;
    }

    void onlyRegularFilesAreReadOrReplaced()
    {
        QFETCH(Writer, writer);
        QFETCH(Thing, thing);
        QFETCH(bool, throughLink);
        const QString path = pathFor(writer);
        // What a link points to lies outside the program folder, as it would in an attack.
        QTemporaryDir elsewhere;
        const QString thingPath = throughLink ? elsewhere.filePath(u"mål"_s) : path;
        QString why;
        QVERIFY2(makeThing(thing, thingPath, why, true) || thing == Thing::Device, qPrintable(why));
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        if (throughLink)
            QVERIFY(QFile::link(thingPath, path));
        const QStringList before = entries(store::programFolder()), beforeElsewhere = entries(elsewhere.path());
        const int pathType = typeOf(path, false), thingType = typeOf(thingPath);

        const auto readsNothing = [&] {
#ifndef __SANITIZE_ADDRESS__
            // AddressSanitizer maps terabytes of shadow up front, so under it the alarm alone ends a hang.
            const rlimit memory{rlim_t(1) << 30, RLIM_INFINITY}; // an endless read ends here, not in swap
            setrlimit(RLIMIT_AS, &memory);
#endif
            if (writer == Writer::NumberFile)
                return store::readNumberFile() == u"1"_s ? 0 : 2;
            QStringList lines;
            const auto result = store::readCollection(path, lines);
            return result && result->number == 75 && lines.isEmpty() ? 0 : 1;
        };
        QCOMPARE(runInChild(readsNothing, 5), 0); // 14 (SIGALRM) when reading hangs

        store::MaybeFailure result;
        if (writer == Writer::Collection)
            result = store::writeCollection(path, {u"ny rad"_s});
        else
            store::writeNumberFile(u"42"_s);
        QCOMPARE(typeOf(path, false), pathType);
        QCOMPARE(typeOf(thingPath), thingType);
        QCOMPARE(entries(store::programFolder()), before);
        QCOMPARE(entries(elsewhere.path()), beforeElsewhere);
        if (writer == Writer::Collection)
            QCOMPARE(result, failure(75, u"Fel vid åtkomst av sökväg/fil: ''%1''"_s, path));
    }
#endif
};

QTEST_GUILESS_MAIN(tst_collections)
#include "tst_collections.moc"
