// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "support/folderfixture.h"

#include "store/collections.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {
QString rot13(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 128 && c.isLetter())
            c = QChar(char16_t(((c.unicode() & 0x1F) + 12) % 26 + 1 + (c.unicode() & 0xE0)));
    return text;
}

// The entries by the plain rule: the text between lines of the delimiter alone, each line without its
// blanks at either end, the lines that are left joined by one blank; empty entries are none.
QStringList referenceEntries(const QString &text, QChar delimiter, bool comments)
{
    QStringList entries, words;
    for (QString line : text.split(u'\n')) {
        if (line == delimiter || line == QString(delimiter) + u'\r') {
            if (!words.isEmpty())
                entries += words.join(u' ');
            words.clear();
        } else if (!(comments && line.startsWith(QString(2, delimiter)))) {
            line.replace(u'\r', u' ');
            while (line.startsWith(u' ') || line.startsWith(u'\t'))
                line.remove(0, 1);
            while (line.endsWith(u' ') || line.endsWith(u'\t'))
                line.chop(1);
            if (!line.isEmpty())
                words += line;
        }
    }
    if (!words.isEmpty())
        entries += words.join(u' ');
    return entries;
}

// An index as strfile(1) lays it out, made here by hand: six big-endian words, then where each entry begins.
QByteArray handMadeIndex(const QByteArray &text, char delimiter, quint32 flags)
{
    QList<quint32> offsets{0};
    const QByteArray line = '\n' + QByteArray(1, delimiter) + '\n';
    for (qsizetype at = text.indexOf(line); at >= 0; at = text.indexOf(line, at + 1))
        offsets += quint32(at + 3);
    offsets += quint32(text.size());
    QByteArray index(24 + 4 * offsets.size(), '\0');
    const quint32 header[] = {2, quint32(offsets.size() - 1), quint32(text.size()), 0, flags};
    for (int i = 0; i < 5; ++i)
        qToBigEndian(header[i], index.data() + 4 * i);
    index[20] = delimiter;
    for (qsizetype i = 0; i < offsets.size(); ++i)
        qToBigEndian(offsets[i], index.data() + 24 + 4 * i);
    return index;
}
} // namespace

// fortune's files read in place: the entries of the text an index stands for, as a plain reference reads them.
class tst_fortune : public QObject
{
    Q_OBJECT

private slots:
    void entriesAreThePlainRulesOnes()
    {
        const QString strfile = QStandardPaths::findExecutable(u"strfile"_s, {u"/usr/bin"_s, u"/usr/sbin"_s});
        QVERIFY2(!strfile.isEmpty(), "strfile (fortune-mod) is one of the test packages");
        const QStringList pieces = u"Gud|å|Ö|x|y|  | |\t|%|\n|\n|\n|\n%\n|\n%\n|\n@\n|\n%%\n|\r|\n \n"_s.split(u'|');
        QRandomGenerator random(24);
        for (int round = 0; round < 120; ++round) {
            const FolderFixture f;
            const char delimiter = round % 4 == 1 ? '@' : '%';
            const bool rotated = round % 4 == 2, comments = round % 4 == 3, utf8 = round % 2;
            QString text;
            for (int i = random.bounded(1, 60); i > 0; --i)
                text += pieces[random.bounded(pieces.size())];
            const QString stored = rotated ? rot13(text) : text;
            const QByteArray bytes = utf8 ? stored.toUtf8() : QStringEncoder("windows-1252").encode(stored);
            f.write(u"ord"_s, bytes);
            const quint32 flags = (rotated ? 4 : 0) | (comments ? 8 : 0);
            if (round % 7 == 0) { // every kind of text, by strfile itself
                QStringList arguments{u"-s"_s, u"-c"_s, QString(QLatin1Char(delimiter)), f.path(u"ord"_s)};
                if (rotated)
                    arguments.prepend(u"-x"_s);
                QCOMPARE(QProcess::execute(strfile, arguments), 0);
                if (comments) { // strfile has no option for it: the flag is set by hand
                    QByteArray index = f.read(u"ord.dat"_s);
                    index[19] = char(index[19] | 8);
                    f.write(u"ord.dat"_s, index);
                }
            } else {
                f.write(u"ord.dat"_s, handMadeIndex(bytes, delimiter, flags));
            }
            const QStringList expected = referenceEntries(text, QChar(QLatin1Char(delimiter)), comments);
            const QString row = u"round %1: %2"_s.arg(round).arg(text);
            store::LineStore lines;
            store::FileStamp stamp;
            QVERIFY2(!store::readCollection(f.path(u"ord.dat"_s), lines, &stamp), qPrintable(row));
            QVERIFY2(lines.toStringList() == expected, qPrintable(row + u" -> "_s + lines.toStringList().join(u'|')));
            QCOMPARE(stamp.state, store::FileStamp::State::Foreign);
            QVERIFY(!store::readImportFile(f.path(u"ord.dat"_s), lines)); // the import offers the same
            QVERIFY2(lines.toStringList() == expected, qPrintable(row));
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
        store::LineStore lines;
        store::FileStamp stamp;
        const store::MaybeFailure failure = store::readCollection(f.path(u"los.dat"_s), lines, &stamp);
        const QString got =
            failure ? QString::number(failure->number) + u' ' + failure->description : lines.toStringList().join(u'|');
        QVERIFY2(failure ? got.contains(QString(result).replace(u"<dir>"_s, f.folder())) : got == result,
                 qPrintable(got));
        QCOMPARE(stamp.state, failure ? store::FileStamp::State::Unread : store::FileStamp::State::Present);
    }
};

QTEST_GUILESS_MAIN(tst_fortune)
#include "tst_fortune.moc"
