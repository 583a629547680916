// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "store/bounds.h"
#include "store/collections.h"
#include "store/numberfile.h"
#include "store/numbers.h"
#include "store/programfolder.h"
#include "support/faultshim.h"
#include "support/folderfixture.h"
#include "support/systemfixtures.h"
#include "fuzz/fuzz.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStringEncoder>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <fcntl.h>

using namespace tankedosan;
using namespace tankedosan::store;

using namespace Qt::StringLiterals;

namespace tankedosan::store {
// A failed comparison shows the failure's number and words.
char *toString(const MaybeFailure &failure)
{
    return QTest::toString(failure ? QString::number(failure->number) + u" - "_s + failure->description : u"none"_s);
}
} // namespace tankedosan::store

static store::MaybeFailure failure(int number, const QString &words, const QString &path)
{
    return store::Failure{number, words.arg(QDir::toNativeSeparators(path))};
}

// An index as strfile(1) lays it out, made here by hand: six big-endian words, then where each entry begins.
static QByteArray handMadeIndex(const QByteArray &text, char delimiter, quint32 flags)
{
    const QByteArray line = '\n' + QByteArray(1, delimiter) + '\n';
    QList<quint32> offsets{0};
    for (qsizetype at = text.indexOf(line); at >= 0; at = text.indexOf(line, at + 1))
        offsets += quint32(at + 3);
    offsets += quint32(text.size());
    const QList<quint32> words =
        QList<quint32>{2, quint32(offsets.size() - 1), quint32(text.size()), 0, flags, quint32(uchar(delimiter)) << 24}
        + offsets;
    QByteArray index(4 * words.size(), '\0');
    for (qsizetype i = 0; i < words.size(); ++i)
        qToBigEndian(words[i], index.data() + 4 * i);
    return index;
}

class tst_programfolder : public QObject
{
    Q_OBJECT

private slots:
    // The user's folder (before → after) is seeded, never over a file or link nor beside a collection of the
    // user's. "*" marks the user's file (its bytes if no sample), "~" an old shipped help, "@" a dangling link,
    // "!" a shipped help that cannot be read (a FIFO): the old one stays as it is.
    void seeding()
    {
        const QStringList rows =
            u"→Citat.dat Djur.dat help.txt|Mina.dat*→Mina.dat* help.txt|help.txt*→Citat.dat Djur.dat "
            u"help.txt*|Citat.dat* help.txt*→Citat.dat* help.txt*|help.txt@→Citat.dat Djur.dat help.txt@|"
            u"Mina.dat* help.txt~→Mina.dat* help.txt|help.txt~ !→Citat.dat Djur.dat help.txt~"_s.split(u'|');
        for (const QString &row : rows) {
            const FolderFixture t;
            QDir().mkpath(t.path(u"share/sub.dat"_s));
            for (const QString &name : u"Citat.dat|Djur.dat|help.txt|notes.txt"_s.split(u'|'))
                t.write(u"share/"_s + name, name.toUtf8());
            t.write(u"share/help-shipped.sha256"_s,
                    QCryptographicHash::hash("~", QCryptographicHash::Sha256).toHex() + "  help.txt\n");
            for (const QString &name : row.section(u'→', 0, 0).split(u' ', Qt::SkipEmptyParts)) {
                QDir().mkpath(t.path(u"user"_s));
                if (name == u"!")
                    QVERIFY(QFile::remove(t.path(u"share/help.txt"_s))
                            && ::mkfifo(QFile::encodeName(t.path(u"share/help.txt"_s)), 0600) == 0);
                else if (name.endsWith(u'@'))
                    QVERIFY(QFile::link(t.path(u"nowhere"_s), t.path(u"user/"_s + name.chopped(1))));
                else
                    t.write(u"user/"_s + name.chopped(1), name.right(1).toUtf8());
            }
            QCOMPARE(store::seedFolder(t.path(u"user"_s), t.path(u"share"_s)), store::MaybeFailure());
            QStringList found;
            for (const QFileInfo &info : QDir(t.path(u"user"_s)).entryInfoList(kAllEntries, QDir::Name)) {
                const QString shipped = t.path(u"share/"_s + info.fileName());
                const QByteArray bytes = t.read(u"user/"_s + info.fileName());
                const bool same = typeOf(shipped) == S_IFREG && bytes == t.read(shipped);
                found << info.fileName() + (info.isSymLink() ? u"@"_s : same ? QString() : QString::fromUtf8(bytes));
            }
            QCOMPARE(row.section(u'→', 0, 0) + u'→' + found.join(u' '), row);
            QVERIFY(!QFileInfo::exists(t.path(u"nowhere"_s)));
        }
    }

    // A failure leaves lines and folder as they were; a read stops at the bound, also for a file of size 0 in /proc.
    // A collection's file: exact name, else the extension, else the name in other letters. nr.ini: its first value.
    void failuresNamesAndNumberFile()
    {
        const FolderFixture f;
        const QString huge = f.path(u"Stor.dat"_s), pagemap = u"/proc/self/pagemap"_s,
                      inMissing = f.path(u"saknas/Citat.dat"_s);
        const QString tooLarge = u"Filen ''%1'' är för stor: programmet läser högst 512 MB och 16 miljoner rader"_s;
        const auto bound = qScopeGuard([] { store::maxReadBytes = store::kMaxReadBytes; });
        store::maxReadBytes = 1 << 20;
        f.write(u"Stor.dat"_s, QByteArray(store::maxReadBytes, ' '));
        QCOMPARE(store::readCollection(huge).failure(), store::MaybeFailure());
        QVERIFY(QFile::resize(huge, store::maxReadBytes + 1));
        QCOMPARE(store::readCollection(huge).failure(), failure(7, tooLarge, huge));
        // The bytes this process has read so far, as the system counts them.
        const auto bytesRead = [&] {
            return f.read(u"/proc/self/io"_s).split('\n').first().sliced(7).toLongLong();
        };
        const qint64 readBefore = bytesRead();
        QCOMPARE(store::readCollection(pagemap).failure(), failure(7, tooLarge, pagemap));
        QCOMPARE_LT(bytesRead() - readBefore, 2 * store::maxReadBytes);
        // An encoding decided through a small buffer: on all of a file within the bound, and no further than
        // the first byte that no UTF-8 holds.
        QCOMPARE(store::encodingOfFile(huge).failure(), failure(7, tooLarge, huge));
        f.write(u"Stor.dat"_s, QByteArray(store::maxReadBytes - 2, 'a') + "\xC3\xA4");
        QCOMPARE(*store::encodingOfFile(huge), (store::FileEncoding{store::TextEncoding::Utf8, false}));
        f.write(u"Stor.dat"_s, "\xE4" + QByteArray(store::maxReadBytes - 1, 'a'));
        const qint64 decidedBefore = bytesRead();
        QCOMPARE(*store::encodingOfFile(huge), store::FileEncoding());
        QCOMPARE_LT(bytesRead() - decidedBefore, store::maxReadBytes / 4);
        faultshim::failNext(faultshim::Call::Read, EIO, "Stor.dat");
        QVERIFY(!store::encodingOfFile(huge).ok());
        QCOMPARE(store::writeCollection(inMissing, {u"a"_s}),
                 failure(76, u"Sökvägen hittades inte: ''%1''"_s, inMissing));
        QCOMPARE(QDir(f.folder()).entryList(kAllEntries), QStringList{u"Stor.dat"_s});
        // The longest name whose file and the temporary name of its atomic write both fit (255 bytes here).
        const QString longest = QString(255 - 4 - store::kTemporaryNameBytes - 2, u'x') + u"å"_s;
        QVERIFY(!store::checkNameForWriting(longest));
        QCOMPARE(store::checkNameForWriting(longest + u'x'),
                 failure(52, u"Namnet ''%1'' är för långt för ett filnamn i programkatalogen"_s, longest + u'x'));
        const QStringList dats = u"Djur.dat|djur.dat|Fisk.DAT|ORM.dat|Katt.DAT|KATT.DAT|Ny.dat"_s.split(u'|');
        for (const QString &name : dats.first(6))
            f.write(name, "x\r\n"_ba);
        const QStringList names = u"Djur|djur|Fisk|orm|Katt|KATT|Ny"_s.split(u'|');
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(store::collectionFile(names[i]), f.path(dats[i]));
        const QList<QByteArray> files =
            "?||\"\"\r\n|,4| ,2\r\n|\r\n| \t12 \t\r\n|3 ,4|\"abc, d\"|  \" 5 \",6\r\n|\"abc\r\n|5\n6\r\n|5\r6|\x80\r\n|"
            "\xEF\xBB\xBF\xE6\xBC\xA2\r\n"_ba.split('|');
        const QStringList values = u"1|1|||||12|3|abc, d| 5 |abc|5|5|€|漢"_s.split(u'|');
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (files[i] != "?") // no nr.ini
                f.write(u"nr.ini"_s, files[i]);
            QCOMPARE(files[i] + " -> " + store::readNumberFile().toUtf8(), files[i] + " -> " + values[i].toUtf8());
        }
        // The names of regular .dat files that are not UTF-8 (no list can show them), in any case, hidden ones aside.
        const QByteArray folder = QFile::encodeName(f.folder()) + '/';
        const QList<QByteArray> raw{"a\xFF.dat"_ba, "B\xFE.DAT"_ba, ".\xFD.dat"_ba, "c\xFC.txt"_ba};
        const auto gone = qScopeGuard([&] { // QTemporaryDir cannot name them
            for (const QByteArray &name : raw)
                ::unlink(folder + name);
            ::rmdir(folder + "d\xFB.dat");
        });
        for (const QByteArray &name : raw)
            QVERIFY(::close(::open(folder + name, O_CREAT | O_WRONLY, 0644)) == 0);
        QVERIFY(::mkdir(folder + "d\xFB.dat", 0755) == 0);
        QCOMPARE(store::listUndecodableFiles(u".dat"_s),
                 (QStringList{QFile::decodeName(raw[0]), QFile::decodeName(raw[1])}));
    }

    // Against a pattern, QString::toDouble and half to even: strict fails with 13 on more than blanks, 6 out of range.
    void conversionsAgreeWithAPlainReference()
    {
        static const QRegularExpression number(u"^[ \t]*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)"_s);
        const QStringList pieces = u" |\t|+|-|.|,|a|\u0661|0|1|2|5|7|9|50|2147483647|2147483648"_s.split(u'|');
        QRandomGenerator random(32768);
        for (int round = 0; round < 50000; ++round) {
            QString text;
            for (int i = random.bounded(7); i > 0; --i)
                text += pieces[random.bounded(int(pieces.size()))];
            const QRegularExpressionMatch found = number.match(text);
            const double value = std::nearbyint(found.captured().toDouble());
            const int lenient = int(std::clamp(value, -2147483648.0, 2147483647.0));
            const bool alone = found.hasMatch() && text.sliced(found.capturedEnd()).trimmed().isEmpty();
            const auto strict = store::strictNumber(text);
            const auto failure = strict.failure();
            const QString got =
                failure ? u"fel %1 %2"_s.arg(failure->number).arg(failure->description) : QString::number(*strict);
            const QString expected = !alone             ? u"fel 13 Typerna matchar inte"_s
                                     : value != lenient ? u"fel 6 Spill"_s
                                                        : QString::number(lenient);
            QCOMPARE(u"'%1': %2, %3"_s.arg(text, got).arg(store::lenientNumber(text)),
                     u"'%1': %2, %3"_s.arg(text, expected).arg(lenient));
        }
    }

    // fortune's files read in place: the entries of the text an index stands for, as a plain reference reads them.
    void entriesAreThePlainRulesOnes()
    {
        const QStringList pieces = u"Gud|å|Ö|x|y|  | |\t|%|\n|\n|\n|\n%\n|\n%\n|\n@\n|\n%%\n|\r|\n \n"_s.split(u'|');
        QRandomGenerator random(24);
        for (int round = 0; round < 120; ++round) {
            const FolderFixture f;
            const char delimiter = round % 4 == 1 ? '@' : '%';
            const bool rotated = round % 4 == 2, comments = round % 4 == 3, utf8 = round % 2;
            QString text;
            for (int i = random.bounded(1, 60); i > 0; --i)
                text += pieces[random.bounded(pieces.size())];
            const QByteArray bytes = utf8 ? text.toUtf8() : QStringEncoder("windows-1252").encode(text);
            f.write(u"ord"_s, bytes);
            f.write(u"ord.dat"_s, handMadeIndex(bytes, delimiter, (rotated ? 4 : 0) | (comments ? 8 : 0)));
            const QStringList expected = fuzz::fortuneEntries(text, QLatin1Char(delimiter), comments, rotated, true);
            const QString row = u"round %1: %2"_s.arg(round).arg(text);
            store::FileStamp stamp;
            const auto lines = store::readCollection(f.path(u"ord.dat"_s), &stamp);
            QVERIFY2(lines.ok() && lines->toStringList() == expected,
                     qPrintable(row + u" -> "_s + (lines.ok() ? lines->toStringList().join(u'|') : QString())));
            QCOMPARE(stamp.state, store::FileStamp::State::Foreign);
            const auto imported = store::readImportFile(f.path(u"ord.dat"_s)); // the import offers the same
            QVERIFY2(imported.ok()
                         && imported->toStringList()
                                == fuzz::fortuneEntries(text, QLatin1Char(delimiter), comments, rotated),
                     qPrintable(row)); // joined, one proverb a line
        }
    }

    // Only an index and its text make a collection of entries; any other .dat reads as before, or not at all.
    void whatIsNotAnIndex_data()
    {
        QTest::addColumn<QByteArray>("dat");
        QTest::addColumn<QString>("result"); // the lines joined by "|", or a part of the failure
        const QByteArray index = handMadeIndex("a\n%\nb\n"_ba, '%', 0);
        QTest::newRow("its text missing") << index << u"53 Filen hittades inte: ''<dir>/los''"_s;
        QTest::newRow("version 3") << QByteArray(index).replace(3, 1, "\3") << u"är ingen samling"_s;
        QTest::newRow("an offset short") << index.chopped(4) << u"är ingen samling"_s;
        QTest::newRow("NUL late") << QByteArray(1024, 'a') + '\0' + "\r\nb" << QString(1024, u'a') + QChar(0) + u"|b"_s;
        QTest::newRow("UTF-16") << "\xFF\xFEZ\0\r\0\n\0"_ba << u"Z"_s;
        QTest::newRow("lines of %") << "a\r\n%\r\nb\r\n%\r\n"_ba << u"a|%|b|%"_s;
    }
    void whatIsNotAnIndex()
    {
        QFETCH(QByteArray, dat);
        QFETCH(QString, result);
        const FolderFixture f;
        f.write(u"los.dat"_s, dat);
        store::FileStamp stamp;
        const auto lines = store::readCollection(f.path(u"los.dat"_s), &stamp);
        const store::MaybeFailure failure = lines.failure();
        const QString got =
            failure ? QString::number(failure->number) + u' ' + failure->description : lines->toStringList().join(u'|');
        QVERIFY2(failure ? got.contains(QString(result).replace(u"<dir>"_s, f.folder())) : got == result,
                 qPrintable(got));
        QCOMPARE(stamp.state, failure ? store::FileStamp::State::Unread : store::FileStamp::State::Present);
    }

#ifdef Q_OS_LINUX
    // On a full disk the failure names the file, and the first seeding leaves no folder, so the next is whole.
    void seedingFailsAsAValue()
    {
        SmallFileSystem disk(16 * 1024);
        if (!disk.mounted())
            QSKIP(disk.whyNot());
        const FolderFixture t;
        QDir().mkpath(t.path(u"share"_s));
        t.write(u"share/B.dat"_s, "B\r\n");
        t.write(u"share/help.txt"_s, QByteArray(64 * 1024, 'x'));
        t.write(u"share/A.dat"_s, "A\r\n");
        const QString user = disk.path() + u"/Tankedosan"_s;
        const store::MaybeFailure full = store::seedFolder(user, t.path(u"share"_s));
        QVERIFY2(full && full->description.contains(u"help.txt"_s), full ? qPrintable(full->description) : "none");
        QCOMPARE(QDir(disk.path()).entryList(kAllEntries), QStringList());
        t.write(u"share/help.txt"_s, "Hjälp\r\n");
        QCOMPARE(store::seedFolder(user, t.path(u"share"_s)), store::MaybeFailure());
        QCOMPARE(QDir(user).entryList(kAllEntries, QDir::Name), (QStringList{u"A.dat"_s, u"B.dat"_s, u"help.txt"_s}));
    }
    // A FIFO is neither read (that would wait for ever) nor replaced; nr.ini never follows a link. A link to a
    // regular file stays one, its file keeps owner and mode; swapped for a device after the first look, it is refused.
    void onlyRegularFilesAreReadOrReplaced()
    {
        const FolderFixture f;
        const QString fifo = f.path(u"Fifo.dat"_s), seven = f.path(u"mål"_s);
        const auto pathError = [](const QString &path) {
            return failure(75, u"Fel vid åtkomst av sökväg/fil: ''%1''"_s, path);
        };
        f.write(seven, "7\r\n"_ba);
        QVERIFY(::mkfifo(QFile::encodeName(fifo), 0600) == 0 && QFile::link(seven, f.path(u"nr.ini"_s)));
        const auto read = [&] {
            return int(store::readCollection(fifo).failure() != pathError(fifo) || store::readNumberFile() != u"1"_s);
        };
        QCOMPARE(runInChild(read, 5), 0); // 14 (SIGALRM) when reading hangs
        // The program's own file behind a link is refused, not read through it.
        QCOMPARE(store::readOwnFile(f.path(u"nr.ini"_s)).failure(), pathError(f.path(u"nr.ini"_s)));
        QCOMPARE(store::writeCollection(fifo, {u"ny"_s}), pathError(fifo));
        // A link that leads nowhere is neither read nor written through: a write would make a file elsewhere.
        const QString dangling = f.path(u"Borta.dat"_s), nowhere = f.path(u"ingenstans/x"_s);
        QVERIFY(QFile::link(nowhere, dangling));
        QCOMPARE(store::readCollection(dangling).failure(), pathError(dangling));
        QCOMPARE(store::writeCollection(dangling, {u"ny"_s}), pathError(dangling));
        QVERIFY(QFile::remove(dangling) && !QFileInfo::exists(nowhere));
        store::writeNumberFile(u"42"_s);
        QVERIFY(typeOf(fifo) == S_IFIFO && QFileInfo(f.path(u"nr.ini"_s)).isSymLink() && f.read(seven) == "7\r\n");
        QCOMPARE(QDir(f.folder()).entryList(kAllEntries, QDir::Name),
                 (QStringList{u"Fifo.dat"_s, u"mål"_s, u"nr.ini"_s}));
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(u"Citat.dat"_s), path = f.path(u"Citat.dat"_s),
                      device = elsewhere.filePath(u"null"_s);
        const QByteArray name = QFile::encodeName(target);
        const uid_t owner = ::geteuid() == 0 ? 1234 : ::geteuid(); // another user's only for root
        f.write(target, "gammal\r\n"_ba);
        QVERIFY(QFile::link(target, path) && !::chown(name, owner, ::getegid()) && !::chmod(name, 0640));
        QCOMPARE(store::writeCollection(path, {u"ny"_s}), store::MaybeFailure());
        struct stat info = {};
        QVERIFY(!::stat(name, &info) && info.st_uid == owner && (info.st_mode & 07777) == 0640);
        QVERIFY(QFileInfo(path).symLinkTarget() == target && f.read(target) == "ny\r\n");
        const qint64 before = bytesInUse();
        for (int i = 0; i < 64; ++i)
            QCOMPARE(store::writeCollection(path, {u"ny"_s}), store::MaybeFailure());
        QCOMPARE_LT(bytesInUse() - before, 1024); // a write through a link keeps nothing of the link's resolving
        // Bits that cannot be kept fail the save, the file left as it was. A time that moves after the rename (as
        // closing does on NFS) is the time the stamp takes: the next save goes through.
        faultshim::failNext(faultshim::Call::Chmod, EPERM, "Citat.dat");
        QCOMPARE(store::writeCollection(path, {u"annan"_s}), failure(70, u"Åtkomst nekad: ''%1''"_s, path));
        faultshim::failNext(faultshim::Call::Open, EEXIST, "Citat.dat.", 100); // every temporary name tried is taken
        QCOMPARE(store::writeCollection(path, {u"annan"_s}), pathError(path));
        store::FileStamp stamp;
        const auto written = store::readCollection(path, &stamp);
        QVERIFY(written.ok() && f.read(target) == "ny\r\n");
        const store::LineStore &kept = *written;
        faultshim::afterFirst("Citat.dat", faultshim::After::Rename, [&] {
            QFile moved(target);
            QVERIFY(moved.open(QIODevice::ReadWrite)
                    && moved.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        });
        QCOMPARE(store::writeCollection(path, kept, &stamp), store::MaybeFailure());
        QCOMPARE(store::writeCollection(path, kept, &stamp), store::MaybeFailure());
        if (::mknod(QFile::encodeName(device), S_IFCHR | 0666, makedev(1, 5)) != 0)
            QSKIP("no device node can be made here (needs root)");
        const auto inRoot = [&] { // a file right in the root folder: this folder, as a child process's root
            return ::chroot(QFile::encodeName(f.folder())) || store::writeCollection(u"/Rot.dat"_s, {u"rot"_s});
        };
        QVERIFY(runInChild(inRoot, 5) == 0 && f.read(u"Rot.dat"_s) == "rot\r\n");
        QVERIFY(QFile::remove(path));
        f.write(path, "gammal\r\n"_ba);
        faultshim::afterFirst("Citat.dat", faultshim::After::Look,
                              [&] { QVERIFY(QFile::remove(path) && QFile::link(device, path)); });
        const auto result = store::writeCollection(path, {u"ny"_s});
        faultshim::reset();
        QCOMPARE(typeOf(device), int(S_IFCHR));
        QCOMPARE(result, pathError(path));
    }
#endif
};

QTEST_GUILESS_MAIN(tst_programfolder)
#include "tst_programfolder.moc"
