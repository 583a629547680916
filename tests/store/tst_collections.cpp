#include "store/bounds.h"
#include "store/collections.h"
#include "store/numberfile.h"
#include "store/programfolder.h"
#include "support/faultshim.h"
#include "support/folderfixture.h"
#include "support/systemfixtures.h"

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

namespace {
const store::MaybeFailure ok;

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

store::MaybeFailure failure(int number, const QString &words, const QString &path)
{
    return store::Failure{number, words.arg(QDir::toNativeSeparators(path))};
}

QString pathFor(bool numberFile)
{
    return numberFile ? store::pathInProgramFolder(u"nr.ini"_s) : store::collectionPath(u"Citat"_s);
}
} // namespace

#ifdef Q_OS_LINUX
// The rows of the table below.
struct Irregular
{
    bool numberFile;
    Thing thing;
    bool throughLink;
};
#endif

class tst_collections : public QObject
{
    Q_OBJECT

    std::unique_ptr<FolderFixture> m_folder;

    QString inFolder(const QString &name) const { return m_folder->path(name); }

private slots:
    // As the program does at start: a write past the file-size limit fails instead of ending the process
    // (the file-size rows below end this process when it does not).
    void initTestCase() { store::ignoreFileSizeSignal(); }
    void init() { m_folder = std::make_unique<FolderFixture>(); }
    void cleanup() { m_folder.reset(); }

    void listCollections()
    {
        for (const QString &name : {u"Citat.dat"_s, u"Djur.DAT"_s, u"n.txt"_s, u".dold.dat"_s, u"a.dat.txt"_s,
                                    u"gamla.txt.dat"_s, u"ab.dat"_s, u"B.dat"_s, u"a.dat"_s})
            m_folder->write(name, "x\r\n"_ba);
        QVERIFY(QDir(m_folder->folder()).mkdir(u"mapp.dat"_s));
        QCOMPARE(store::listCollections(),
                 (QStringList{u"a"_s, u"ab"_s, u"B"_s, u"Citat"_s, u"Djur"_s, u"gamla.txt"_s}));
        QCOMPARE(store::listFiles(u"CITAT.DAT"_s), QStringList{u"Citat.dat"_s});
        QVERIFY(store::fileExists(inFolder(u"n.txt"_s)));
        QVERIFY(!store::fileExists(inFolder(u".dold.dat"_s)) && !store::fileExists(inFolder(u"mapp.dat"_s)));
    }

    // Every window finds a collection's file here: its own name first, so that Djur.dat and djur.dat each
    // stand for their own proverbs; then the file whose name differs only in its extension's letters (Katt.DAT
    // and KATT.DAT each their own), and last the file listed under the name in other letters.
    void collectionFile()
    {
        for (const QString &name :
             {u"Djur.dat"_s, u"djur.dat"_s, u"Fisk.DAT"_s, u"ORM.dat"_s, u"Katt.DAT"_s, u"KATT.DAT"_s})
            m_folder->write(name, "x\r\n"_ba);
        for (const auto &[name, file] : std::initializer_list<std::pair<QString, QString>>{{u"Djur"_s, u"Djur.dat"_s},
                                                                                           {u"djur"_s, u"djur.dat"_s},
                                                                                           {u"Fisk"_s, u"Fisk.DAT"_s},
                                                                                           {u"orm"_s, u"ORM.dat"_s},
                                                                                           {u"Ny"_s, u"Ny.dat"_s},
                                                                                           {u"Katt"_s, u"Katt.DAT"_s},
                                                                                           {u"KATT"_s, u"KATT.DAT"_s}})
            QCOMPARE(store::collectionFile(name), inFolder(file));
    }

    // An unedited collection is saved byte for byte, whatever Windows-1252 bytes it holds; only its empty
    // lines are gone. Every other case of the read and written forms is tst_encoding's and tst_linestore's.
    void readThenWrite()
    {
        QByteArray every;
        for (int b = 1; b < 256; ++b)
            every += (b == '\r' || b == '\n') ? '\x7F' : char(b);
        every += "\r\nrad med\ninb\xE4"
                 "ddat lf\r\n"_ba;
        const QString path = store::collectionPath(u"Citat"_s);
        m_folder->write(path, "\r\n\r\n"_ba + every + "\r\n"_ba);
        QStringList lines;
        QCOMPARE(store::readCollection(path, lines), ok);
        QCOMPARE(store::writeCollection(path, lines), ok);
        QCOMPARE(m_folder->read(path), every);
    }

    // A read stops at the bounds: a file of its size before a byte is read, a file without one (a sparse file
    // of 8.4 GB that /proc gives the size 0) once it passes the bound, so the memory never fills.
    void readsAreBounded()
    {
        const QString huge = inFolder(u"Stor.dat"_s);
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(store::kMaxReadBytes + 1));
        file.close();
        const QString tooLarge = u"Filen ''%1'' är för stor: programmet läser högst 512 MB och 16 miljoner rader"_s;
        QStringList lines{u"kvar"_s};
        QCOMPARE(store::readCollection(huge, lines), failure(7, tooLarge, huge));
#ifdef Q_OS_LINUX
        const QString pagemap = u"/proc/self/pagemap"_s;
        QCOMPARE(store::readCollection(pagemap, lines), failure(7, tooLarge, pagemap));
#endif
        QCOMPARE(lines, QStringList{u"kvar"_s});
    }

    // A UTF-16 file comes back with every character the user did not touch, or is not written at all: half a
    // surrogate pair and an odd last byte have no written form, a U+FEFF after the mark has one.
    void utf16ReadThenWritten()
    {
        const QString path = store::collectionPath(u"Citat"_s);
        const std::pair<QByteArray, bool> rows[] = {{"\xFF\xFE"
                                                     "a\0\x00\xD8\r\0\n\0"_ba,
                                                     false},
                                                    {"\xFF\xFE"
                                                     "a\0\r\0\n\0b"_ba,
                                                     false},
                                                    {"\xFE\xFF\xFE\xFF\0a"_ba, true}};
        for (const auto &[bytes, writable] : rows) {
            m_folder->write(path, bytes);
            store::LineStore lines;
            QCOMPARE(store::readCollection(path, lines), ok);
            if (!writable) {
                QCOMPARE(
                    store::writeCollection(path, lines),
                    failure(
                        54,
                        u"Filen ''%1'' skulle inte läsas tillbaka som den ser ut nu (ett halvt UTF-16-teckenpar, en udda sista byte eller fler radbrytningar inne i raderna än rader) och skrivs därför inte över"_s,
                        path));
                QCOMPARE(m_folder->read(path), bytes);
                continue;
            }
            QCOMPARE(store::writeCollection(path, lines), ok);
            QCOMPARE(m_folder->read(path), "\xEF\xBB\xBF\xEF\xBB\xBF"
                                           "a\r\n"_ba);
        }
    }

    void createAndDeleteCollections()
    {
        const QString path = store::collectionPath(u"Ny"_s);
        m_folder->write(path, "a\r\nb\r\n"_ba);
        QCOMPARE(store::createEmptyCollection(path), ok); // an existing file is emptied
        QCOMPARE(m_folder->read(path), QByteArray(""));
        m_folder->write(store::collectionPath(u"Citat"_s), "a\r\n"_ba);
        QCOMPARE(store::deleteFile(path), ok);
        QCOMPARE(store::listCollections(), QStringList{u"Citat"_s});
    }

    // A failure reaches the user as the program's number and Swedish words, and leaves the lines and the
    // folder as they were. Which number each system error gives is tst_encoding's.
    void failureReports()
    {
        QVERIFY(QDir(m_folder->folder()).mkdir(u"mapp.dat"_s));
        const QString missing = inFolder(u"Saknas.dat"_s), folder = inFolder(u"mapp.dat"_s),
                      inMissing = inFolder(u"saknas/Citat.dat"_s);
        const QString notFound = u"Filen hittades inte: ''%1''"_s,
                      pathError = u"Fel vid åtkomst av sökväg/fil: ''%1''"_s;
        QStringList lines{u"kvar"_s};
        QCOMPARE(store::readCollection(missing, lines), failure(53, notFound, missing));
        QCOMPARE(store::readCollection(folder, lines), failure(75, pathError, folder));
        QCOMPARE(lines, QStringList{u"kvar"_s});
        QCOMPARE(store::writeCollection(inMissing, {u"a"_s}),
                 failure(76, u"Sökvägen hittades inte: ''%1''"_s, inMissing));
        QCOMPARE(store::writeCollection(folder, {u"a"_s}), failure(75, pathError, folder));
        QCOMPARE(store::deleteFile(missing), failure(53, notFound, missing));
        QCOMPARE(store::deleteFile(folder), failure(53, notFound, folder));
        QCOMPARE(entries(m_folder->folder()), QStringList{u"mapp.dat"_s});
        QVERIFY(entries(folder).isEmpty());
    }

    void checkName()
    {
        // The longest name whose file and the temporary name of its atomic write both fit (255 bytes here).
        const QString longest = QString(255 - 4 - store::kTemporaryNameBytes - 2, u'x') + u"å"_s;
        for (const QString &name : {u"Mina ordspråk"_s, u"x..."_s, longest})
            QCOMPARE(store::checkNameForWriting(name), ok);
        QCOMPARE(store::checkNameForWriting(longest + u'x'),
                 failure(52, u"Namnet ''%1'' är för långt för ett filnamn i programkatalogen"_s, longest + u'x'));
        // A name starting with "." is a hidden file, which no list shows.
        for (const QString &name : {u"a/b"_s, u"a\\b"_s, u"."_s, u".."_s, u".dold"_s, u"...x"_s})
            QCOMPARE(store::checkName(name), failure(52, u"Namnet ''%1'' är inte tillåtet som filnamn"_s, name));
    }

    void readNumberFile_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "?": no nr.ini
        QTest::addColumn<QString>("expected");
        const QList<std::pair<QByteArray, QString>> rows{{"?"_ba, u"1"_s},
                                                         {"\"\"\r\n"_ba, u"1"_s},
                                                         {",4"_ba, u"1"_s},
                                                         {" \t12 \t\r\n"_ba, u"12"_s},
                                                         {"3 ,4"_ba, u"3"_s},
                                                         {"\"abc, d\""_ba, u"abc, d"_s},
                                                         {"  \" 5 \",6\r\n"_ba, u" 5 "_s},
                                                         {"\"abc\r\n"_ba, u"abc"_s},
                                                         {"5\n6\r\n"_ba, u"5"_s},
                                                         {"5\r6"_ba, u"5"_s},
                                                         {"\x80\r\n"_ba, u"€"_s},
                                                         {"\xEF\xBB\xBF\xE6\xBC\xA2\r\n"_ba, u"漢"_s}};
        for (const auto &[bytes, expected] : rows)
            QTest::addRow("%s", bytes == "?" ? "missing" : bytes.toHex(' ').constData()) << bytes << expected;
    }

    void readNumberFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        if (bytes != "?")
            m_folder->write(u"nr.ini"_s, bytes);
        QCOMPARE(store::readNumberFile(), expected);
    }

    // The text as typed, by the written form, over a longer previous file.
    void writeNumberFile()
    {
        const std::pair<QString, QByteArray> rows[] = {{u"42"_s, "42\r\n"_ba},
                                                       {u"abc, d"_s, "abc, d\r\n"_ba},
                                                       {u"€å"_s, "\x80\xE5\r\n"_ba},
                                                       {QString(), "\r\n"_ba}};
        for (const auto &[text, bytes] : rows) {
            m_folder->write(u"nr.ini"_s, "999,gammalt och längre än det nya\r\n"_ba);
            store::writeNumberFile(text);
            QCOMPARE(m_folder->read(u"nr.ini"_s), bytes);
        }
        QCOMPARE(store::readNumberFile(), u"1"_s); // an empty number reads as the first
    }

    // A link to a regular file stays a link; the file it points to gets the new text, and keeps its owner,
    // group and permission bits (the owner can be another user's only for root).
    void linkToRegularFileKeepsWorking()
    {
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(u"Citat.dat"_s), path = store::collectionPath(u"Citat"_s);
        m_folder->write(target, "gammal\r\n"_ba);
        QVERIFY(QFile::link(target, path));
#ifdef Q_OS_LINUX
        const QByteArray name = QFile::encodeName(target);
        const uid_t owner = ::geteuid() == 0 ? 1234 : ::geteuid();
        QVERIFY(::chown(name.constData(), owner, ::getegid()) == 0 && ::chmod(name.constData(), 0640) == 0);
#endif
        QCOMPARE(store::writeCollection(path, {u"ny"_s, u"rad"_s}), ok);
        QCOMPARE(QFileInfo(path).symLinkTarget(), target);
        QCOMPARE(m_folder->read(target), "ny\r\nrad\r\n"_ba);
        QCOMPARE(entries(elsewhere.path()), QStringList{u"Citat.dat"_s});
#ifdef Q_OS_LINUX
        struct stat info
        { };
        QVERIFY(::stat(name.constData(), &info) == 0);
        QCOMPARE(info.st_uid, owner);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
#endif
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

    // A write past the file-size limit, whether a single byte (which a buffered write would only try at the
    // rename) or a megabyte: the previous file stays whole and no temporary file is left behind. (A full disk
    // and nr.ini are tst_faults'.)
    void failedWriteKeepsPreviousFile()
    {
        const QString path = pathFor(false);
        const QByteArray previous = "Borta bra men hemma b\xE4st\r\n"_ba;
        m_folder->write(path, previous);
        const QStringList before = entries(store::programFolder());
        for (const int size : {1, 1024 * 1024}) {
            rlimit normal{};
            QVERIFY(getrlimit(RLIMIT_FSIZE, &normal) == 0);
            const rlimit small{rlim_t(size / 2), normal.rlim_max};
            QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
            const auto result = store::writeCollection(
                path, QStringList(qMax(1, size / 100), QString(qMax(1, qMin(size, 100) - 2), u'x')));
            setrlimit(RLIMIT_FSIZE, &normal);
            QCOMPARE(m_folder->read(path), previous);
            QCOMPARE(entries(store::programFolder()), before);
            QCOMPARE(result, failure(57, u"In-/utdatafel i filen ''%1''"_s, path));
        }
    }

    // A path that names anything but a regular file, directly or through a link, is never replaced: a
    // collection write reports it, nr.ini is skipped without a word. Nor is it read: a FIFO would wait for a
    // writer for ever and an endless device would fill the memory; nr.ini as any of them reads as "1".
    // A folder is failureReports'.
    void onlyRegularFilesAreReadOrReplaced_data()
    {
        QTest::addColumn<Irregular>("c");
        QTest::newRow("collection, fifo") << Irregular{false, Thing::Fifo, false};
        QTest::newRow("collection, link to device") << Irregular{false, Thing::Device, true};
        QTest::newRow("collection, dangling link") << Irregular{false, Thing::Nothing, true};
        QTest::newRow("nr.ini, device") << Irregular{true, Thing::Device, false};
        QTest::newRow("nr.ini, link to fifo") << Irregular{true, Thing::Fifo, true};
        // The program's own files never follow a link, not even to a regular file.
        QTest::newRow("nr.ini, link to a regular file") << Irregular{true, Thing::File, true};
    }

    void onlyRegularFilesAreReadOrReplaced()
    {
        QFETCH(Irregular, c);
        const auto [numberFile, thing, throughLink] = c;
        const QString path = pathFor(numberFile);
        // What a link points to lies outside the program folder, as it would in an attack.
        QTemporaryDir elsewhere;
        const QString thingPath = throughLink ? elsewhere.filePath(u"mål"_s) : path;
        QString why;
        QVERIFY2(makeThing(thing, thingPath, why) || thing == Thing::Device, qPrintable(why));
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
            if (numberFile)
                return store::readNumberFile() == u"1"_s ? 0 : 2;
            QStringList lines;
            const auto result = store::readCollection(path, lines);
            return result && result->number == 75 && lines.isEmpty() ? 0 : 1;
        };
        QCOMPARE(runInChild(readsNothing, 5), 0); // 14 (SIGALRM) when reading hangs

        store::MaybeFailure result;
        if (numberFile)
            store::writeNumberFile(u"42"_s);
        else
            result = store::writeCollection(path, {u"ny rad"_s});
        QCOMPARE(typeOf(path, false), pathType);
        QCOMPARE(typeOf(thingPath), thingType);
        QCOMPARE(entries(store::programFolder()), before);
        QCOMPARE(entries(elsewhere.path()), beforeElsewhere);
        if (thing == Thing::File)
            QCOMPARE(m_folder->read(thingPath), "7\r\n"_ba);
        if (!numberFile)
            QCOMPARE(result, failure(75, u"Fel vid åtkomst av sökväg/fil: ''%1''"_s, path));
    }

    // The check and the write concern one object: a collection swapped for a link to a device right after
    // the write first looked at it is refused, and the device stays.
    void swappedAfterTheCheckIsRefused()
    {
        QTemporaryDir elsewhere;
        const QString device = elsewhere.filePath(u"null"_s), path = store::collectionPath(u"Citat"_s);
        QString why;
        if (!makeThing(Thing::Device, device, why))
            QSKIP(qPrintable(why));
        m_folder->write(path, "gammal\r\n"_ba);
        faultshim::afterFirstLook("Citat.dat", [&] { QVERIFY(QFile::remove(path) && QFile::link(device, path)); });
        const auto result = store::writeCollection(path, {u"ny"_s});
        faultshim::reset();
        QCOMPARE(typeOf(device), int(S_IFCHR));
        QCOMPARE(result, failure(75, u"Fel vid åtkomst av sökväg/fil: ''%1''"_s, path));
    }
#endif
};

QTEST_GUILESS_MAIN(tst_collections)
#include "tst_collections.moc"
