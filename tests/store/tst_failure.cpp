#include "store/failure.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(store::Failure)

class tst_failure : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // What the user reads for each failure: the program's number and Swedish words, never the system's text.
    void standardErrorMessage_data()
    {
        QTest::addColumn<store::Failure>("failure");
        QTest::addColumn<QString>("message");

        const QString file = m_dir.filePath(u"Citat.dat"_s);
        const QString inMissingFolder = m_dir.filePath(u"saknas/Citat.dat"_s);
        const auto system = [&](int errorNumber, const QString &path = {}) {
            return store::failures::fromSystemError(errorNumber, path.isEmpty() ? file : path);
        };
        const auto message = [](const QString &text, const QString &path) {
            return u"Ett fel uppstod.\r\n"_s + text.arg(QDir::toNativeSeparators(path));
        };

        QTest::newRow("plain") << store::Failure{6, u"Spill"_s} << u"Ett fel uppstod.\r\n6 - Spill"_s;
        QTest::newRow("empty text") << store::Failure{75, QString()} << u"Ett fel uppstod.\r\n75 - "_s;
        QTest::newRow("text with line end")
            << store::Failure{57, u"a\r\nb"_s} << u"Ett fel uppstod.\r\n57 - a\r\nb"_s;
        QTest::newRow("permission denied") << system(EACCES) << message(u"70 - Åtkomst nekad: ''%1''"_s, file);
        QTest::newRow("read-only file system") << system(EROFS) << message(u"70 - Åtkomst nekad: ''%1''"_s, file);
        QTest::newRow("disk full") << system(ENOSPC) << message(u"61 - Disken är full: ''%1''"_s, file);
        QTest::newRow("quota") << system(EDQUOT) << message(u"61 - Disken är full: ''%1''"_s, file);
        QTest::newRow("missing file") << system(ENOENT) << message(u"53 - Filen hittades inte: ''%1''"_s, file);
        QTest::newRow("missing folder")
            << system(ENOENT, inMissingFolder) << message(u"76 - Sökvägen hittades inte: ''%1''"_s, inMissingFolder);
        QTest::newRow("not a folder") << system(ENOTDIR) << message(u"76 - Sökvägen hittades inte: ''%1''"_s, file);
        QTest::newRow("a folder")
            << system(EISDIR) << message(u"75 - Fel vid åtkomst av sökväg/fil: ''%1''"_s, file);
        QTest::newRow("hardware") << system(EIO) << message(u"57 - In-/utdatafel i filen ''%1''"_s, file);
        QTest::newRow("file too large") << system(EFBIG) << message(u"57 - In-/utdatafel i filen ''%1''"_s, file);
        QTest::newRow("no error number") << system(0) << message(u"57 - In-/utdatafel i filen ''%1''"_s, file);
    }

    void standardErrorMessage()
    {
        QFETCH(store::Failure, failure);
        QFETCH(QString, message);
        QCOMPARE(store::standardErrorMessage(failure), message);
    }
};

QTEST_GUILESS_MAIN(tst_failure)
#include "tst_failure.moc"
