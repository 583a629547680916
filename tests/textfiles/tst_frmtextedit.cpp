#include "support/folderfixture.h"
#include "support/modal.h"
#include "support/openfiles.h"

#include "main/frmmain.h"
#include "main/hiddenlist.h"
#include "platform/scriptedplatform.h"
#include "store/shown.h"
#include "textfiles/frmtextedit.h"
#include "textfiles/textview.h"

#include <QAction>
#include <QDir>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using platform::Answer;
using platform::ScriptedPlatform;

namespace {

struct Opened {
    FolderFixture folder;
    ScriptedPlatform platform;
    QWidget mainWindow;
    std::unique_ptr<frmtextedit> window;

    void open()
    {
        window = std::make_unique<frmtextedit>(platform, &mainWindow);
        window->show();
    }

    QStringList files() const
    {
        QStringList names;
        for (int i = 0; i < window->list_filer->count(); ++i)
            names.append(window->list_filer->item(i)->text());
        return names;
    }
    QStringList lines() const { return window->lines().items(); }
    QString text() const { return window->Text1->toPlainText(); }
    void markLine(int row) const { window->List1->setCurrentIndex(window->lines().index(row)); }
    void choose(int row) const { window->list_filer->setCurrentRow(row); }
    void showText(bool text) const { window->optvisa[text ? 1 : 0]->setChecked(true); }
    void click(QPushButton *button) const { QTest::mouseClick(button, Qt::LeftButton); }
};

} // namespace

class tst_frmtextedit : public QObject {
    Q_OBJECT

private slots:
    void loadsTheFirstFileInBothViews_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("text");

        QTest::newRow("empty lines kept, no extra line at the end")
            << "a\r\n\r\nb\r\n"_ba << QStringList{u"a"_s, QString(), u"b"_s} << u"a\n\nb\n"_s;
        QTest::newRow("last line without a line end") << "a\r\nb"_ba << QStringList{u"a"_s, u"b"_s} << u"a\nb"_s;
        QTest::newRow("empty file") << QByteArray() << QStringList() << QString();
        QTest::newRow("UTF-8") << "\xef\xbb\xbfs\xc3\xa5\r\n"_ba << QStringList{u"så"_s} << u"så\n"_s;
    }

    void loadsTheFirstFileInBothViews()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, lines);
        QFETCH(QString, text);
        Opened o;
        o.folder.write(u"a.txt"_s, file);
        o.folder.write(u"b.txt"_s, "other\r\n"_ba);
        o.open();
        QCOMPARE(o.files(), (QStringList{u"a"_s, u"b"_s}));
        QCOMPARE(o.lines(), lines);
        QCOMPARE(o.text(), text);
        QCOMPARE(o.window->markedLine(), lines.isEmpty() ? -1 : 0);
        QCOMPARE(o.platform.pointers(), (QList{platform::Pointer::Busy, platform::Pointer::Default}));
        QVERIFY(o.platform.boxes().isEmpty());
    }

    void listsOnlyTextFilesWhateverTheirLetterCase()
    {
        Opened o;
        o.folder.write(u"b.txt"_s, "b\r\n"_ba);
        o.folder.write(u"A.TXT"_s, "stora\r\n"_ba);
        o.folder.write(u"Citat.dat"_s, "c\r\n"_ba);
        QDir(o.folder.folder()).mkdir(u"mapp.txt"_s);
        o.open();
        QCOMPARE(o.files(), (QStringList{u"A"_s, u"b"_s}));
        QCOMPARE(o.lines(), QStringList{u"stora"_s});
    }

    void aFolderWithoutTextFilesDoesNothing()
    {
        Opened o;
        o.open();
        QVERIFY(o.files().isEmpty());
        QVERIFY(o.lines().isEmpty());
        QVERIFY(o.text().isEmpty());
        for (QPushButton *button : {o.window->cmdraderafil, o.window->cmdradera, o.window->cmdkopiera})
            o.click(button);
        o.showText(true);
        o.click(o.window->cmdspara);
        QVERIFY(o.platform.boxes().isEmpty());
        QVERIFY(!o.platform.clipboardCleared());
        QCOMPARE(QDir(o.folder.folder()).entryList(QDir::Files), QStringList());
    }

    void switchingViewsReloadsNothingAndKeepsTheMark()
    {
        Opened o;
        o.folder.write(u"a.txt"_s, "1\r\n2\r\n3\r\n"_ba);
        o.open();
        o.markLine(2);
        o.folder.write(u"a.txt"_s, "changed\r\n"_ba);
        o.showText(true);
        o.showText(false);
        QCOMPARE(o.window->markedLine(), 2);
        QCOMPARE(o.text(), u"1\n2\n3\n"_s);
    }

    void clickingTheChosenFileAgainReloadsIt()
    {
        Opened o;
        o.folder.write(u"a.txt"_s, "gammal\r\n"_ba);
        o.open();
        o.folder.write(u"a.txt"_s, "ny\r\n"_ba);
        QListWidget *files = o.window->list_filer;
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
        QCOMPARE(o.lines(), QStringList{u"ny"_s});
    }

    void copyingPutsTheWholeMarkedLineOnTheClipboard()
    {
        const QString longLine = QString(store::kShownCharacters + 500, u'x');
        Opened o;
        o.folder.write(u"a.txt"_s, "kort\r\n"_ba + longLine.toLatin1() + "\r\n"_ba);
        o.open();
        o.markLine(1);
        QCOMPARE(o.window->lines().data(o.window->lines().index(1)).toString(), store::shownPart(longLine));
        o.click(o.window->cmdkopiera);
        QVERIFY(o.platform.clipboardCleared());
        QCOMPARE(o.platform.clipboard(), longLine);
    }

    void deletingALineRewritesTheFileFromTheList_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("No") << Answer::No << "a\r\n\r\nb\r\nc"_ba;
        QTest::newRow("Yes") << Answer::Yes << "a\r\n\r\nc\r\n"_ba;
    }

    void deletingALineRewritesTheFileFromTheList()
    {
        QFETCH(Answer, answer);
        QFETCH(QByteArray, file);
        Opened o;
        o.folder.write(u"lista.txt"_s, "a\r\n\r\nb\r\nc"_ba);
        o.open();
        o.markLine(2);
        o.platform.setNextAnswer(answer);
        o.click(o.window->cmdradera);
        QCOMPARE(o.platform.boxes().size(), 1);
        const auto box = o.platform.boxes().front();
        QCOMPARE(box.text, u"Vill du ta bort den markerade raden ur filen ''lista''?"_s);
        QCOMPARE(box.title, u"Ta bort rad"_s);
        QCOMPARE(box.buttons, platform::Buttons::YesNo);
        QCOMPARE(box.icon, platform::Icon::Question);
        QCOMPARE(o.folder.read(u"lista.txt"_s), file);
        QCOMPARE(o.window->markedLine(), answer == Answer::Yes ? -1 : 2);
        // The text view is not kept in step.
        QCOMPARE(o.text(), u"a\n\nb\nc"_s);
    }

    void savingTheTextView_data()
    {
        QTest::addColumn<QString>("typed"); // empty: saved as loaded
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("unchanged gains an empty line") << QString() << Answer::Yes << "a\r\nb\r\n\r\n"_ba;
        QTest::newRow("edited, no-break space kept")
            << u"ny\u00a0rad\nså"_s << Answer::Yes << "ny\xa0rad\r\ns\xe5\r\n"_ba;
        QTest::newRow("beyond Windows-1252") << u"€ och ☺"_s << Answer::Yes
                                             << "\xef\xbb\xbf\xe2\x82\xac och \xe2\x98\xba\r\n"_ba;
        QTest::newRow("No") << u"ny"_s << Answer::No << "a\r\nb\r\n"_ba;
    }

    void savingTheTextView()
    {
        QFETCH(QString, typed);
        QFETCH(Answer, answer);
        QFETCH(QByteArray, file);
        Opened o;
        o.folder.write(u"text.txt"_s, "a\r\nb\r\n"_ba);
        o.open();
        o.showText(true);
        if (!typed.isEmpty())
            o.window->Text1->setPlainText(typed);
        o.platform.setNextAnswer(answer);
        o.click(o.window->cmdspara);
        QCOMPARE(o.platform.boxes().size(), 1);
        QCOMPARE(o.platform.boxes().front().text, u"Vill du spara texten i filen ''text''?"_s);
        QCOMPARE(o.platform.boxes().front().title, u"Spara"_s);
        QCOMPARE(o.folder.read(u"text.txt"_s), file);
        // The list view is not kept in step.
        QCOMPARE(o.lines(), (QStringList{u"a"_s, u"b"_s}));
    }

    void deletingAFile_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QStringList>("linesAfter");
        QTest::newRow("No") << QStringList{u"a"_s, u"b"_s} << Answer::No << QStringList{u"a"_s, u"b"_s}
                            << QStringList{u"a"_s};
        QTest::newRow("Yes loads the first left") << QStringList{u"a"_s, u"b"_s, u"c"_s} << Answer::Yes
                                                  << QStringList{u"b"_s, u"c"_s} << QStringList{u"b"_s};
        QTest::newRow("the last file") << QStringList{u"a"_s} << Answer::Yes << QStringList() << QStringList();
    }

    void deletingAFile()
    {
        QFETCH(QStringList, files);
        QFETCH(Answer, answer);
        QFETCH(QStringList, left);
        QFETCH(QStringList, linesAfter);
        Opened o;
        for (const QString &name : files)
            o.folder.write(name + u".txt"_s, name.toLatin1() + "\r\n"_ba);
        o.open();
        o.platform.setNextAnswer(answer);
        o.click(o.window->cmdraderafil);
        QCOMPARE(o.platform.boxes().size(), 1);
        QCOMPARE(o.platform.boxes().front().text, u"Vill du radera filen ''a''?"_s);
        QCOMPARE(o.platform.boxes().front().title, u"Radera"_s);
        QCOMPARE(o.files(), left);
        QCOMPARE(o.folder.exists(u"a.txt"_s), answer == Answer::No);
        QCOMPARE(o.lines(), linesAfter);
        QCOMPARE(o.text().isEmpty(), linesAfter.isEmpty());
    }

    // Every failure: a file gone before it is loaded or deleted, a folder where a file is rewritten. Each is
    // reported as its command says, nothing is written over a file that was not read, and no file stays open.
    void failuresAreReportedAndReleaseEveryFile()
    {
        if (openFileCount() < 0)
            QSKIP("needs /proc to count open files");
        Opened o;
        o.folder.write(u"a.txt"_s, "a\r\nb\r\n"_ba);
        o.folder.write(u"b.txt"_s, "b\r\n"_ba);
        o.open();
        const qsizetype before = openFileCount();

        QFile::remove(o.folder.path(u"b.txt"_s));
        o.choose(1);
        QVERIFY(o.platform.boxes().isEmpty());
        QCOMPARE(o.platform.pointer(), platform::Pointer::Default);
        QCOMPARE(o.lines().size(), 2);
        QCOMPARE(o.lines()[0], u"Ett fel uppstod."_s);
        QVERIFY(o.lines()[1].startsWith(u"53 - "_s));
        QCOMPARE(o.text(), u"Ett fel uppstod.\n"_s + o.lines()[1]);
        o.markLine(0);
        o.click(o.window->cmdradera);
        o.showText(true);
        o.click(o.window->cmdspara);
        const auto refusals = o.platform.takeBoxes();
        QCOMPARE(refusals.size(), 2);
        for (const auto &box : refusals)
            QCOMPARE(box.text, u"Filen ''b'' kunde inte läsas och skrivs därför inte över."_s);
        QVERIFY(!o.folder.exists(u"b.txt"_s));

        o.showText(false);
        o.choose(0);
        QFile::remove(o.folder.path(u"a.txt"_s));
        QDir(o.folder.folder()).mkdir(u"a.txt"_s);
        o.markLine(0);
        o.platform.setNextAnswer(Answer::Yes);
        o.click(o.window->cmdradera);
        QVERIFY(o.platform.takeBoxes().back().text.startsWith(u"Ett fel uppstod.\r\n"_s));
        // The file keeps the line, so the list does too.
        QCOMPARE(o.lines(), (QStringList{u"a"_s, u"b"_s}));

        o.choose(1);
        o.platform.setNextAnswer(Answer::Yes);
        o.click(o.window->cmdraderafil);
        const auto box = o.platform.takeBoxes().back();
        QVERIFY(box.text.startsWith(u"Ett fel uppstod då filen skulle raderas!\r\n53 - "_s));
        QCOMPARE(box.icon, platform::Icon::Exclamation);
        QCOMPARE(o.files(), (QStringList{u"a"_s, u"b"_s}));
        QCOMPARE(openFileCount(), before);
    }

    void aHugeFileShowsItsBeginningAndIsNotSavedFromTheTextView()
    {
        Opened o;
        const QByteArray line = QByteArray(99, 'x') + "\r\n";
        o.folder.write(u"stor.txt"_s, line.repeated(textfiles::kTextViewBytes / line.size() + 10));
        o.open();
        QCOMPARE(o.lines().size(), textfiles::kTextViewBytes / line.size() + 10);
        QVERIFY(o.window->Text1->isReadOnly());
        QVERIFY(o.text().endsWith(u"Listan visar alla rader.]"_s));
        o.showText(true);
        o.click(o.window->cmdspara);
        QCOMPARE(o.platform.boxes().size(), 1);
        QCOMPARE(o.platform.boxes().front().buttons, platform::Buttons::Ok);
        QCOMPARE(o.folder.read(u"stor.txt"_s).size(), line.size() * (textfiles::kTextViewBytes / line.size() + 10));
    }

    void textViewBound_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<qsizetype>("shownBeforeNote");
        const qsizetype n = textfiles::kTextViewBytes;
        const QByteArray lines = QByteArray("abcdefghi\n").repeated(n / 10);
        QTest::newRow("exactly the bound") << lines << true << n;
        QTest::newRow("one byte more") << lines + "a" << false << n;
        // Byte n falls on the second byte of an "å": the cut comes before that character, not inside it.
        const QByteArray utf8 = "a" + QByteArray("\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\n").repeated(n / 9 + 1);
        QTest::newRow("UTF-8 cut at a character") << utf8 << false << QString::fromUtf8(utf8.first(n - 1)).size();
        QTest::newRow("an over-long line") << QByteArray(store::kShownCharacters + 1, 'a') << false
                                           << store::shownPart(QString(store::kShownCharacters + 1, u'a')).size();
    }

    void textViewBound()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, whole);
        QFETCH(qsizetype, shownBeforeNote);
        const textfiles::TextView view = textfiles::textViewOf(bytes);
        QCOMPARE(view.whole, whole);
        const qsizetype note = view.text.indexOf(u"\r\n\r\n[Filen"_s);
        QCOMPARE(note < 0 ? view.text.size() : note, shownBeforeNote);
        QVERIFY(!view.text.contains(QChar::ReplacementCharacter));
    }

    void opensModallyFromTheMainWindow()
    {
        FolderFixture folder;
        folder.write(u"a.txt"_s, "a\r\n"_ba);
        ScriptedPlatform platform;
        frmmain main(platform);
        main.show();
        whileModal([&] { main.mnuakriv_öppnatext->trigger(); },
                   [&](QWidget *modal) {
                       auto *window = dynamic_cast<frmtextedit *>(modal);
                       QVERIFY(window);
                       QCOMPARE(window->windowTitle(), u"Texteditor"_s);
                       QCOMPARE(window->windowIcon().cacheKey(), main.windowIcon().cacheKey());
                       QCOMPARE(window->lines().items(), QStringList{u"a"_s});
                       QTest::mouseClick(window->cmdstäng, Qt::LeftButton);
                   });
        QVERIFY(!main.findChild<frmtextedit *>(u"frmtextedit"_s));
    }
};

QTEST_MAIN(tst_frmtextedit)
#include "tst_frmtextedit.moc"
