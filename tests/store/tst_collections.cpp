#include "store/collections.h"
#include "store/numberfile.h"
#include "store/programfolder.h"
#include "support/folderfixture.h"
#include "support/systemfixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

// Shows the failure's own words when a step that should succeed does not.
#define VERIFY_SUCCEEDS(expr)                                                                                    \
    do {                                                                                                       \
        const store::MaybeFailure failure_ = (expr);                                                           \
        QVERIFY2(!failure_, failure_ ? qPrintable(failure_->description) : "");                                \
    } while (false)

namespace store {
// A failed comparison shows the failure's number and words.
char *toString(const Failure &failure)
{
    return QTest::toString(QString::number(failure.number) + u" - "_s + failure.description);
}
} // namespace store

namespace {

enum class Operation { Read, Write, Delete };
enum class Limit { FullDisk, FileSize };
enum class Writer { Collection, Bytes, NumberFile };
enum class Thing { Fifo, Device, Folder, Nothing };

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

#ifdef Q_OS_UNIX
// The kind of thing a path names, links followed; -2 for nothing.
int typeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & S_IFMT) : -2;
}

// Makes a FIFO, a character device (like /dev/null, or like /dev/zero when endless) or a folder at path.
bool makeThing(Thing thing, const QString &path, QString &why, bool endless = false)
{
    const QByteArray name = QFile::encodeName(path);
    switch (thing) {
    case Thing::Fifo:
        return ::mkfifo(name.constData(), 0600) == 0;
    case Thing::Device:
        if (::mknod(name.constData(), S_IFCHR | 0666, makedev(1, endless ? 5 : 3)) == 0)
            return true;
        why = u"no device node can be made here (needs root): "_s + QString::fromLocal8Bit(strerror(errno));
        return false;
    case Thing::Folder:
        return QDir().mkdir(path);
    case Thing::Nothing:
        return true;
    }
    return false;
}

// Lowers the file-size limit of this process for as long as it lives; a negative limit changes nothing.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit, bool lower)
    {
        if (!lower || getrlimit(RLIMIT_FSIZE, &m_old) != 0)
            return;
        rlimit small = m_old;
        small.rlim_cur = limit;
        m_set = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_set)
            setrlimit(RLIMIT_FSIZE, &m_old);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    bool m_set = false;
};
#endif

} // namespace

Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Limit)
Q_DECLARE_METATYPE(Writer)
Q_DECLARE_METATYPE(Thing)

class tst_collections : public QObject {
    Q_OBJECT

    std::unique_ptr<FolderFixture> m_folder;

    QString folder() const { return m_folder->folder(); }
    QString inFolder(const QString &name) const { return m_folder->path(name); }
    void writeBytes(const QString &path, const QByteArray &bytes) const { m_folder->write(path, bytes); }
    QByteArray readBytes(const QString &path) const { return m_folder->read(path); }

private slots:
    // As the program does at start: a write past the file-size limit fails instead of ending the process.
    void initTestCase() { store::ignoreFileSizeSignal(); }
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

    // Every failure the file system can give reaches the user as the program's number and Swedish words,
    // and leaves the lines, the files and the folder as they were.
    void failureReports_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<bool>("needsPermissions"); // root may do anything: the row is skipped for root
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description"); // %1: the path

        const QString notFound = u"Filen hittades inte: ''%1''"_s;
        const QString noFolder = u"Sökvägen hittades inte: ''%1''"_s;
        const QString pathError = u"Fel vid åtkomst av sökväg/fil: ''%1''"_s;
        const QString denied = u"Åtkomst nekad: ''%1''"_s;
        QTest::newRow("read missing file") << Operation::Read << u"Saknas.dat"_s << false << 53 << notFound;
        QTest::newRow("read in missing folder") << Operation::Read << u"saknas/Citat.dat"_s << false << 76 << noFolder;
        QTest::newRow("read below a file") << Operation::Read << u"fil.txt/Citat.dat"_s << false << 76 << noFolder;
        QTest::newRow("read a folder") << Operation::Read << u"mapp.dat"_s << false << 75 << pathError;
        QTest::newRow("read unreadable file") << Operation::Read << u"låst.dat"_s << true << 70 << denied;
        QTest::newRow("write in missing folder")
            << Operation::Write << u"saknas/Citat.dat"_s << false << 76 << noFolder;
        QTest::newRow("write below a file") << Operation::Write << u"fil.txt/Citat.dat"_s << false << 76 << noFolder;
        QTest::newRow("write over a folder") << Operation::Write << u"mapp.dat"_s << false << 75 << pathError;
        QTest::newRow("write in locked folder") << Operation::Write << u"låst/Citat.dat"_s << true << 70 << denied;
        QTest::newRow("write over locked file") << Operation::Write << u"låst.dat"_s << true << 70 << denied;
        QTest::newRow("delete missing file") << Operation::Delete << u"Saknas.dat"_s << false << 53 << notFound;
        QTest::newRow("delete a folder") << Operation::Delete << u"mapp.dat"_s << false << 53 << notFound;
    }

    void failureReports()
    {
        QFETCH(Operation, operation);
        QFETCH(QString, relativePath);
        QFETCH(bool, needsPermissions);
        QFETCH(int, number);
        QFETCH(QString, description);
#ifdef Q_OS_UNIX
        if (needsPermissions && geteuid() == 0)
            QSKIP("root is never denied access; the read-only file system row covers 70 for root");
#endif
        writeBytes(inFolder(u"fil.txt"_s), "innehåll"_ba);
        writeBytes(inFolder(u"låst.dat"_s), "a\r\n"_ba);
        QVERIFY(QFile::setPermissions(inFolder(u"låst.dat"_s), QFileDevice::Permissions()));
        QVERIFY(QDir(folder()).mkdir(u"mapp.dat"_s));
        QVERIFY(QDir(folder()).mkdir(u"låst"_s));
        QVERIFY(QFile::setPermissions(inFolder(u"låst"_s), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QStringList before = folderEntries(folder());

        const QString path = inFolder(relativePath);
        QStringList lines{u"kvar"_s};
        const store::MaybeFailure failure = operation == Operation::Read    ? store::readCollection(path, lines)
                                            : operation == Operation::Write ? store::writeCollection(path, {u"a"_s})
                                                                            : store::deleteCollection(path);
        QFile::setPermissions(inFolder(u"låst"_s),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(inFolder(u"låst.dat"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        QVERIFY(failure);
        QCOMPARE(*failure, (store::Failure{number, description.arg(QDir::toNativeSeparators(path))}));
        QCOMPARE(lines, QStringList{u"kvar"_s});
        QCOMPARE(folderEntries(folder()), before);
        QCOMPARE(readBytes(inFolder(u"fil.txt"_s)), "innehåll"_ba);
        QCOMPARE(readBytes(inFolder(u"låst.dat"_s)), "a\r\n"_ba);
        QVERIFY(folderEntries(inFolder(u"mapp.dat"_s)).isEmpty());
        QVERIFY(folderEntries(inFolder(u"låst"_s)).isEmpty());
    }

    // For root, the one way to be denied a write is a file system mounted read-only.
    void readOnlyFileSystemDeniesAccess()
    {
        SmallFileSystem fs(64 * 1024, true);
        if (!fs.mounted())
            QSKIP(qPrintable(u"a read-only file system cannot be mounted here: "_s + fs.whyNot()));
        const QString path = fs.path() + u"/Citat.dat"_s;
        const auto failure = store::writeCollection(path, {u"a"_s});
        QVERIFY(failure);
        QCOMPARE(*failure, (store::Failure{70, u"Åtkomst nekad: ''%1''"_s.arg(path)}));
    }

#ifdef Q_OS_UNIX
    // A write that cannot finish, on a full disk or past the file-size limit, whatever its size: the
    // previous file stays whole and no temporary file is left behind. A failure of nr.ini is never reported
    // (closing must not stop on it), but must not cost its previous value either.
    void failedWriteKeepsPreviousFile_data()
    {
        QTest::addColumn<Limit>("limit");
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<int>("size");

        const struct {
            Limit limit;
            const char *name;
        } limits[] = {{Limit::FullDisk, "full disk"}, {Limit::FileSize, "file-size limit"}};
        const struct {
            Writer writer;
            const char *name;
        } writers[] = {{Writer::Collection, "collection"}, {Writer::Bytes, "bytes"}, {Writer::NumberFile, "nr.ini"}};
        for (const auto &limit : limits) {
            for (const auto &writer : writers) {
                for (const int size : {1, 10 * 1024, 1024 * 1024})
                    QTest::addRow("%s, %s, %d bytes", limit.name, writer.name, size)
                        << limit.limit << writer.writer << size;
            }
        }
    }

    void failedWriteKeepsPreviousFile()
    {
        QFETCH(Limit, limit);
        QFETCH(Writer, writer);
        QFETCH(int, size);

        std::unique_ptr<SmallFileSystem> fs;
        if (limit == Limit::FullDisk) {
            fs = std::make_unique<SmallFileSystem>(1024 * 1024);
            if (!fs->mounted())
                QSKIP(qPrintable(u"no full disk to write on: "_s + fs->whyNot()));
            store::setProgramFolder(fs->path());
        }
        const QString path = writer == Writer::NumberFile ? store::pathInProgramFolder(u"nr.ini"_s)
                                                          : store::collectionPath(u"Citat"_s);
        const QByteArray previous = writer == Writer::NumberFile ? "5\r\n"_ba : "Borta bra men hemma b\xE4st\r\n"_ba;
        writeBytes(path, previous);
        if (fs)
            QVERIFY(fs->fill(u"fyllnad"_s));
        const QStringList before = folderEntries(store::programFolder());

        // Each payload is as near the size as the writer allows (a line needs its CR LF).
        QStringList lines;
        for (int written = 0; written < size || lines.isEmpty(); written += 100)
            lines << QString(qMax(1, qMin(size, 100) - 2), u'x');
        const QString number(qMax(1, size - 2), u'7');
        const QByteArray bytes(size, 'b');

        store::MaybeFailure failure;
        {
            FileSizeLimit fileSize(rlim_t(size / 2), limit == Limit::FileSize);
            switch (writer) {
            case Writer::Collection:
                failure = store::writeCollection(path, lines);
                break;
            case Writer::Bytes:
                failure = store::writeFileAtomically(path, bytes);
                break;
            case Writer::NumberFile:
                store::writeNumberFile(number);
                break;
            }
        }

        QCOMPARE(readBytes(path), previous);
        QCOMPARE(folderEntries(store::programFolder()), before);
        if (writer == Writer::NumberFile) {
            QCOMPARE(store::readNumberFile(), u"5"_s);
        } else {
            QVERIFY(failure);
            const QString expected =
                limit == Limit::FullDisk ? u"Disken är full: ''%1''"_s : u"In-/utdatafel i filen ''%1''"_s;
            QCOMPARE(*failure, (store::Failure{limit == Limit::FullDisk ? 61 : 57, expected.arg(path)}));
        }
    }

    // The program ignores SIGXFSZ, so a write past the file-size limit fails instead of ending it.
    void fileSizeLimitDoesNotEndTheProgram()
    {
        const QString path = store::collectionPath(u"Citat"_s);
        writeBytes(path, "a\r\n"_ba);
        const ChildEnd end = runInChild(
            [&] {
                std::signal(SIGXFSZ, SIG_DFL);
                store::ignoreFileSizeSignal();
                const rlimit none{0, RLIM_INFINITY};
                if (setrlimit(RLIMIT_FSIZE, &none) != 0)
                    return 2;
                return store::writeCollection(path, {u"ny rad"_s}) ? 0 : 1;
            },
            10000);
        QCOMPARE(end.signal, 0);
        QCOMPARE(end.exitCode, 0);
        QCOMPARE(readBytes(path), "a\r\n"_ba);
    }

    // A path that names anything but a regular file, directly or through a link, is never replaced: a
    // collection write reports it, nr.ini is skipped without a word.
    void onlyRegularFilesAreReplaced_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<Thing>("thing");
        QTest::addColumn<bool>("throughLink");

        const struct {
            Thing thing;
            const char *name;
        } things[] = {
            {Thing::Fifo, "fifo"}, {Thing::Device, "device"}, {Thing::Folder, "folder"}, {Thing::Nothing, "nothing"}};
        for (const Writer writer : {Writer::Collection, Writer::NumberFile}) {
            for (const auto &thing : things) {
                for (const bool link : {false, true}) {
                    if (thing.thing == Thing::Nothing && !link)
                        continue; // a free name is written, of course
                    QTest::addRow("%s, %s%s", writer == Writer::Collection ? "collection" : "nr.ini",
                                  link ? "link to " : "", thing.name)
                        << writer << thing.thing << link;
                }
            }
        }
    }

    void onlyRegularFilesAreReplaced()
    {
        QFETCH(Writer, writer);
        QFETCH(Thing, thing);
        QFETCH(bool, throughLink);

        const QString path = writer == Writer::NumberFile ? store::pathInProgramFolder(u"nr.ini"_s)
                                                          : store::collectionPath(u"Citat"_s);
        // What a link points to lies outside the program folder, as it would in an attack.
        QTemporaryDir elsewhere;
        const QString thingPath = throughLink ? elsewhere.filePath(u"mål"_s) : path;
        QString why;
        QVERIFY2(makeThing(thing, thingPath, why) || thing == Thing::Device, qPrintable(why));
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        if (throughLink)
            QVERIFY(QFile::link(thingPath, path));
        const QStringList before = folderEntries(store::programFolder());
        const QStringList beforeElsewhere = folderEntries(elsewhere.path());
        const auto type = [](const QString &p) { return QFileInfo(p).isSymLink() ? -1 : typeOf(p); };
        const int pathType = type(path);
        const int thingType = typeOf(thingPath);

        store::MaybeFailure failure;
        if (writer == Writer::Collection)
            failure = store::writeCollection(path, {u"ny rad"_s});
        else
            store::writeNumberFile(u"42"_s);

        QCOMPARE(type(path), pathType);
        QCOMPARE(typeOf(thingPath), thingType);
        QCOMPARE(folderEntries(store::programFolder()), before);
        QCOMPARE(folderEntries(elsewhere.path()), beforeElsewhere);
        if (writer == Writer::Collection) {
            QVERIFY(failure);
            QCOMPARE(*failure, (store::Failure{75, u"Fel vid åtkomst av sökväg/fil: ''%1''"_s.arg(path)}));
        }
    }

    // Reading a FIFO would wait for a writer for ever and an endless device would fill the memory: neither is
    // ever opened for reading, and nr.ini as either reads as "1".
    void readingNeverHangs_data()
    {
        QTest::addColumn<Thing>("thing");
        QTest::addColumn<bool>("throughLink");

        QTest::newRow("fifo") << Thing::Fifo << false;
        QTest::newRow("link to fifo") << Thing::Fifo << true;
        QTest::newRow("endless device") << Thing::Device << false;
        QTest::newRow("link to endless device") << Thing::Device << true;
    }

    void readingNeverHangs()
    {
        QFETCH(Thing, thing);
        QFETCH(bool, throughLink);
        QTemporaryDir elsewhere;
        const QString thingPath = elsewhere.filePath(u"mål"_s);
        QString why;
        if (!makeThing(thing, thingPath, why, true))
            QSKIP(qPrintable(why));
        for (const QString &name : {u"Citat.dat"_s, u"nr.ini"_s}) {
            if (throughLink)
                QVERIFY(QFile::link(thingPath, inFolder(name)));
            else
                QVERIFY(makeThing(thing, inFolder(name), why, true));
        }
        const QString path = store::collectionPath(u"Citat"_s);
        const ChildEnd end = runInChild(
            [&] {
                const rlimit memory{rlim_t(1) << 30, RLIM_INFINITY}; // an endless read ends here, not in swap
                setrlimit(RLIMIT_AS, &memory);
                QStringList lines;
                const auto failure = store::readCollection(path, lines);
                if (!failure || failure->number != 75 || !lines.isEmpty())
                    return 1;
                return store::readNumberFile() == u"1"_s ? 0 : 2;
            },
            5000);
        QVERIFY2(!end.timedOut, "reading did not end within 5 s");
        QCOMPARE(end.signal, 0);
        QCOMPARE(end.exitCode, 0);
    }
#endif

    // A link to a regular file stays a link; the file it points to gets the new text.
    void linkToRegularFileKeepsWorking()
    {
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(u"Citat.dat"_s);
        writeBytes(target, "gammal\r\n"_ba);
        const QString path = store::collectionPath(u"Citat"_s);
        QVERIFY(QFile::link(target, path));

        VERIFY_SUCCEEDS(store::writeCollection(path, {u"ny"_s, u"rad"_s}));
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(QFileInfo(path).symLinkTarget(), target);
        QCOMPARE(readBytes(target), "ny\r\nrad\r\n"_ba);
        QCOMPARE(folderEntries(elsewhere.path()), QStringList{u"Citat.dat"_s});
        QStringList lines;
        VERIFY_SUCCEEDS(store::readCollection(path, lines));
        QCOMPARE(lines, (QStringList{u"ny"_s, u"rad"_s}));

        const QString numberTarget = elsewhere.filePath(u"nr.ini"_s);
        writeBytes(numberTarget, "3\r\n"_ba);
        QVERIFY(QFile::link(numberTarget, store::pathInProgramFolder(u"nr.ini"_s)));
        store::writeNumberFile(u"8"_s);
        QCOMPARE(readBytes(numberTarget), "8\r\n"_ba);
        QCOMPARE(store::readNumberFile(), u"8"_s);
    }

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
