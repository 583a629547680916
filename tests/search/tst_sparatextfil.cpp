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
        QTest::addColumn<QString>("typed");       // empty: Cancel
        QTest::addColumn<QString>("existing");    // a file already there under the file name, or none
        QTest::addColumn<QByteArray>("before");   // its bytes; a null array makes it a folder
        QTest::addColumn<Answer>("overwrite");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fileName");    // where the text should end up; empty: nothing written
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QStringList>("boxesAfterTheName");

        const QString question = u"message|Fil finns redan|YesNo|Question|Filnamnet finns redan. Vill du skriva över det?"_s;
        const auto saved = [](const QString &fileName) { return u"saved:"_s + fileName; };

        QTest::newRow("Cancel writes nothing")
            << QString() << QString() << QByteArray() << Answer::Yes << u"a\r\n"_s << QString() << QByteArray()
            << QStringList{};
        QTest::newRow("two hits end with an empty line")
            << u"lista"_s << QString() << QByteArray() << Answer::Yes << u"a\r\nb\r\n"_s << u"lista.txt"_s
            << "a\r\nb\r\n\r\n"_ba << QStringList{saved(u"lista.txt"_s)};
        QTest::newRow("no hits give one line end")
            << u"Tomt"_s << QString() << QByteArray() << Answer::Yes << QString() << u"Tomt.txt"_s << "\r\n"_ba
            << QStringList{saved(u"Tomt.txt"_s)};
        QTest::newRow(".txt is always appended")
            << u"Lista.txt"_s << QString() << QByteArray() << Answer::Yes << u"x"_s << u"Lista.txt.txt"_s
            << "x\r\n"_ba << QStringList{saved(u"Lista.txt.txt"_s)};
        QTest::newRow("characters beyond Windows-1252 in UTF-8")
            << u"grek"_s << QString() << QByteArray() << Answer::Yes << u"αβ\r\nö"_s << u"grek.txt"_s
            << "\xef\xbb\xbf\xce\xb1\xce\xb2\r\n\xc3\xb6\r\n"_ba << QStringList{saved(u"grek.txt"_s)};
        QTest::newRow("No keeps the existing file")
            << u"lista"_s << u"lista.txt"_s << "gammalt\r\n"_ba << Answer::No << u"nytt"_s << u"lista.txt"_s
            << "gammalt\r\n"_ba << QStringList{question};
        QTest::newRow("Yes replaces the whole file")
            << u"lista"_s << u"lista.txt"_s << "gammalt och l\xe5ngt\r\n"_ba << Answer::Yes << u"nytt"_s
            << u"lista.txt"_s << "nytt\r\n"_ba << QStringList{question, saved(u"lista.txt"_s)};
        QTest::newRow("a hidden file is asked about too")
            << u".dold"_s << u".dold.txt"_s << "gammalt\r\n"_ba << Answer::No << u"nytt"_s << u".dold.txt"_s
            << "gammalt\r\n"_ba << QStringList{question};
        QTest::newRow("a folder in the way is a failure")
            << u"mapp"_s << u"mapp.txt"_s << QByteArray() << Answer::Yes << u"nytt"_s << QString() << QByteArray()
            << QStringList{question, u"error:75"_s};
        for (const QString &name : {u"../ut"_s, u"under/fil"_s, u"under\\fil"_s, u".."_s, u"."_s}) {
            QTest::addRow("name %s is refused", qPrintable(name))
                << name << QString() << QByteArray() << Answer::Yes << u"x"_s << QString() << QByteArray()
                << QStringList{u"error:52"_s};
        }
    }

    void savingATextFile()
    {
        QFETCH(QString, typed);
        QFETCH(QString, existing);
        QFETCH(QByteArray, before);
        QFETCH(Answer, overwrite);
        QFETCH(QString, text);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, written);
        QFETCH(QStringList, boxesAfterTheName);

        FolderFixture folder;
        QVERIFY(QDir(folder.folder()).mkdir(u"under"_s));
        if (!existing.isEmpty()) {
            if (before.isNull())
                QVERIFY(QDir(folder.folder()).mkdir(existing));
            else
                folder.write(existing, before);
        }
        const QStringList filesBefore = QDir(folder.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

        platform::ScriptedPlatform p;
        p.setNextInput(typed);
        p.setNextAnswer(overwrite);
        spara_textfil(p, nullptr, text, true);

        QStringList expected{u"input|Spara sökresultat||"_s + sparaTextfilPrompt()};
        for (const QString &box : boxesAfterTheName) {
            if (box.startsWith(u"saved:"_s)) {
                const QString path = QDir::toNativeSeparators(folder.path(box.mid(6))).toLower();
                expected.append(u"message|Tankedosan|Ok|None|Textfil sparad.\r\n"_s + path);
            } else if (box.startsWith(u"error:"_s)) {
                const QString number = box.mid(6);
                QVERIFY(!p.boxes().isEmpty());
                const QString shown = describeBoxes(p.boxes()).back();
                QVERIFY2(shown.startsWith(u"message|Tankedosan|Ok|Exclamation|Ett fel uppstod.\r\n"_s + number + u" - "_s),
                         qPrintable(shown));
                expected.append(shown);
            } else {
                expected.append(box);
            }
        }
        QCOMPARE(describeBoxes(p.boxes()), expected);

        if (!fileName.isEmpty())
            QCOMPARE(folder.read(fileName), written);
        QStringList filesAfter = QDir(folder.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (!fileName.isEmpty())
            filesAfter.removeOne(fileName);
        QStringList expectedFiles = filesBefore;
        expectedFiles.removeOne(fileName);
        QCOMPARE(filesAfter, expectedFiles);
        QCOMPARE(QDir(folder.folder() + u"/under"_s).entryList(QDir::Files), QStringList());
        QVERIFY(!QFileInfo::exists(folder.folder() + u"/../ut.txt"_s));
    }
};

QTEST_MAIN(tst_sparatextfil)
#include "tst_sparatextfil.moc"
