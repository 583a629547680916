#include "support/boxes.h"
#include "support/folderfixture.h"

#include "search/sparatextfil.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;
using platform::Answer;

class tst_sparatextfil : public QObject {
    Q_OBJECT

private slots:
    void savingATextFile_data()
    {
        QTest::addColumn<QString>("typed");     // empty: Cancel
        QTest::addColumn<QByteArray>("before"); // of the file already there under the file name; "/": a folder
        QTest::addColumn<Answer>("overwrite");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fileName");  // where the text should end up; empty: nothing written
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QStringList>("boxes"); // after the name; "saved" stands for the report of the save

        const QString ask = u"message|Fil finns redan|YesNo|Question|Filnamnet finns redan. Vill du skriva över det?"_s;
        const QString saved = u"saved"_s;
        QTest::newRow("Cancel") << QString() << QByteArray() << Answer::Yes << u"a\r\n"_s << QString() << QByteArray() << QStringList{};
        QTest::newRow("hits end with an empty line") << u"lista"_s << QByteArray() << Answer::Yes << u"a\r\nb\r\n"_s << u"lista.txt"_s << "a\r\nb\r\n\r\n"_ba << QStringList{saved};
        QTest::newRow("no hits: one line end") << u"Tomt"_s << QByteArray() << Answer::Yes << QString() << u"Tomt.txt"_s << "\r\n"_ba << QStringList{saved};
        QTest::newRow(".txt always appended") << u"Lista.txt"_s << QByteArray() << Answer::Yes << u"x"_s << u"Lista.txt.txt"_s << "x\r\n"_ba << QStringList{saved};
        QTest::newRow("beyond Windows-1252: UTF-8") << u"grek"_s << QByteArray() << Answer::Yes << u"αβ\r\nö"_s << u"grek.txt"_s << "\xef\xbb\xbf\xce\xb1\xce\xb2\r\n\xc3\xb6\r\n"_ba << QStringList{saved};
        QTest::newRow("No keeps the file") << u"lista"_s << "gammalt\r\n"_ba << Answer::No << u"nytt"_s << u"lista.txt"_s << "gammalt\r\n"_ba << QStringList{ask};
        QTest::newRow("Yes replaces it whole") << u"lista"_s << "gammalt och l\xe5ngt\r\n"_ba << Answer::Yes << u"nytt"_s << u"lista.txt"_s << "nytt\r\n"_ba << QStringList{ask, saved};
        QTest::newRow("a hidden file is asked about") << u".dold"_s << "gammalt\r\n"_ba << Answer::No << u"nytt"_s << u".dold.txt"_s << "gammalt\r\n"_ba << QStringList{ask};
        QTest::newRow("a folder in the way") << u"mapp"_s << "/"_ba << Answer::Yes << u"nytt"_s << QString() << QByteArray() << QStringList{ask, u"error:75"_s};
        for (const QString &name : {u"../ut"_s, u"under/fil"_s, u"under\\fil"_s, u".."_s, u"."_s})
            QTest::addRow("name %s", qPrintable(name)) << name << QByteArray() << Answer::Yes << u"x"_s << QString() << QByteArray() << QStringList{u"error:52"_s};
    }

    void savingATextFile()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, before);
        QFETCH(Answer, overwrite);
        QFETCH(QString, text);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, written);
        QFETCH(QStringList, boxes);
        FolderFixture folder;
        const QDir dir(folder.folder());
        QVERIFY(dir.mkdir(u"under"_s));
        if (before == "/")
            QVERIFY(dir.mkdir(typed + u".txt"_s));
        else if (!before.isNull())
            folder.write(typed + u".txt"_s, before);
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QStringList filesBefore = dir.entryList(all);

        platform::ScriptedPlatform p;
        p.setNextInput(typed);
        p.setNextAnswer(overwrite);
        spara_textfil(p, nullptr, text, true);

        boxes.replaceInStrings(u"saved"_s, u"message|Tankedosan|Ok|None|Textfil sparad.\r\n"_s + QDir::toNativeSeparators(folder.path(fileName)).toLower());
        QCOMPARE(takeBoxes(p), QStringList{u"input|Spara sökresultat||"_s + sparaTextfilPrompt()} + boxes);
        QStringList filesAfter = dir.entryList(all);
        if (!fileName.isEmpty()) {
            QCOMPARE(folder.read(fileName), written);
            filesAfter.removeOne(fileName);
            filesBefore.removeOne(fileName);
        }
        QCOMPARE(filesAfter, filesBefore);
        QCOMPARE(QDir(folder.path(u"under"_s)).entryList(QDir::Files), QStringList());
        QVERIFY(!QFileInfo::exists(folder.folder() + u"/../ut.txt"_s));
    }
};

QTEST_MAIN(tst_sparatextfil)
#include "tst_sparatextfil.moc"
