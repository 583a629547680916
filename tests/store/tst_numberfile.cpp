#include "store/numberfile.h"
#include "support/folderfixture.h"
#include "store/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

enum class Setup { Missing, File, Folder };

} // namespace

Q_DECLARE_METATYPE(Setup)

class tst_numberfile : public QObject {
    Q_OBJECT

    std::unique_ptr<FolderFixture> m_folder;

    QString numberFile() const { return m_folder->path(u"nr.ini"_s); }
    void writeNumberFileBytes(const QByteArray &bytes) const { m_folder->write(u"nr.ini"_s, bytes); }

private slots:
    void init() { m_folder = std::make_unique<FolderFixture>(); }
    void cleanup() { m_folder.reset(); }

    void readNumberFile_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        QTest::newRow("missing") << Setup::Missing << QByteArray() << u"1"_s;
        QTest::newRow("a folder named nr.ini") << Setup::Folder << QByteArray() << u"1"_s;
        QTest::newRow("empty file") << Setup::File << QByteArray() << u"1"_s;
        QTest::newRow("only a line end") << Setup::File << "\r\n"_ba << u"1"_s;
        QTest::newRow("only blanks") << Setup::File << "   \r\n"_ba << u"1"_s;
        QTest::newRow("empty quotes") << Setup::File << "\"\"\r\n"_ba << u"1"_s;
        QTest::newRow("number") << Setup::File << "7\r\n"_ba << u"7"_s;
        QTest::newRow("number without line end") << Setup::File << "7"_ba << u"7"_s;
        QTest::newRow("blanks around") << Setup::File << "  12  \r\n"_ba << u"12"_s;
        QTest::newRow("tabs around") << Setup::File << "\t9\t\r\n"_ba << u"9"_s;
        QTest::newRow("up to the comma") << Setup::File << "3,4"_ba << u"3"_s;
        QTest::newRow("blanks before the comma") << Setup::File << "3 ,4"_ba << u"3"_s;
        QTest::newRow("comma first") << Setup::File << ",4"_ba << u"1"_s;
        QTest::newRow("quoted with comma") << Setup::File << "\"abc, d\""_ba << u"abc, d"_s;
        QTest::newRow("quoted keeps blanks") << Setup::File << "  \" 5 \",6\r\n"_ba << u" 5 "_s;
        QTest::newRow("unclosed quote") << Setup::File << "\"abc\r\n"_ba << u"abc"_s;
        QTest::newRow("text as typed") << Setup::File << "abc"_ba << u"abc"_s;
        QTest::newRow("first line only") << Setup::File << "5\r\n6\r\n"_ba << u"5"_s;
        QTest::newRow("first line ends at lone cr") << Setup::File << "5\r6"_ba << u"5"_s;
        QTest::newRow("windows-1252") << Setup::File << "\xE5\r\n"_ba << u"å"_s;
        QTest::newRow("utf-8 with bom") << Setup::File << "\xEF\xBB\xBF\xE6\xBC\xA2\r\n"_ba << u"漢"_s;
    }

    void readNumberFile()
    {
        QFETCH(Setup, setup);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        if (setup == Setup::File)
            writeNumberFileBytes(bytes);
        else if (setup == Setup::Folder)
            QVERIFY(QDir(m_folder->folder()).mkdir(u"nr.ini"_s));
        QCOMPARE(store::readNumberFile(), expected);
    }

    void writtenForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("number") << u"42"_s << "42\r\n"_ba;
        QTest::newRow("text as typed") << u"abc, d"_s << "abc, d\r\n"_ba;
        QTest::newRow("windows-1252") << u"å"_s << "\xE5\r\n"_ba;
        QTest::newRow("does not fit") << u"漢"_s << "\xEF\xBB\xBF\xE6\xBC\xA2\r\n"_ba;
        QTest::newRow("empty") << QString() << "\r\n"_ba;
    }

    void writtenForm()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        writeNumberFileBytes("999,gammalt och längre än det nya\r\n"_ba);
        store::writeNumberFile(text);
        QCOMPARE(m_folder->read(u"nr.ini"_s), bytes);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");

        QTest::newRow("number") << u"12"_s;
        QTest::newRow("negative") << u"-3"_s;
        QTest::newRow("letters") << u"abc"_s;
        QTest::newRow("a ring") << u"å"_s;
        QTest::newRow("euro") << u"€5"_s;
        QTest::newRow("han") << u"漢"_s;
    }

    void roundTrip()
    {
        QFETCH(QString, text);
        store::writeNumberFile(text);
        QCOMPARE(store::readNumberFile(), text);
    }

    // Closing the program writes nr.ini; a folder in its way must not stop or crash the program.
    void unwritableIsIgnored()
    {
        QVERIFY(QDir(m_folder->folder()).mkdir(u"nr.ini"_s));
        store::writeNumberFile(u"42"_s);
        QVERIFY(QFileInfo(numberFile()).isDir());
        QCOMPARE(store::readNumberFile(), u"1"_s);
    }
};

QTEST_GUILESS_MAIN(tst_numberfile)
#include "tst_numberfile.moc"
