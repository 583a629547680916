#include "support/boxes.h"
#include "support/modal.h"
#include "support/openfiles.h"

#include "widgets/listboxmodel.h"
#include "store/bounds.h"
#include "store/shown.h"
#include "textfiles/frmtextedit.h"
#include "textfiles/textview.h"
#include "widgets/windowsetup.h"

using namespace Qt::StringLiterals;
using platform::Answer;

namespace {

struct Opened
{
    FolderFixture folder;
    platform::ScriptedPlatform platform;
    QWidget mainWindow;
    std::unique_ptr<frmtextedit> window;

    // Writes each file ("name" → bytes; a name ending in "/" is a folder) and opens the window on the folder.
    explicit Opened(const QList<std::pair<QString, QByteArray>> &files = {})
    {
        for (const auto &[name, bytes] : files)
            name.endsWith(u'/') ? (void)QDir(folder.folder()).mkdir(name.chopped(1)) : folder.write(name, bytes);
        window = std::make_unique<frmtextedit>(platform, &mainWindow);
        window->show();
    }

    QStringList files() const { return itemTexts(window->list_filer); }
    QStringList lines() const { return window->lines().items(); }
    QString text() const { return window->Text1->toPlainText(); }
    void markLine(int row) const { window->List1->setCurrentIndex(window->lines().index(row)); }
    void choose(int row) const { window->list_filer->setCurrentRow(row); }
    void showText(bool text) const { window->optvisa[text ? 1 : 0]->setChecked(true); }
    void click(QPushButton *button) const { QTest::mouseClick(button, Qt::LeftButton); }
};

// The rows of the tables below. `typed`: into the text view, then Spara; "-": Radera rad on "b". `after`: the
// files listed | the lines | the text view.
struct Load
{
    QByteArray file;
    QStringList lines;
    QString text;
};
struct Rewrite
{
    QString typed;
    Answer answer;
    QByteArray file;
};
struct Deletion
{
    QStringList files;
    Answer answer;
    QString after;
};
struct View
{
    QByteArray bytes;
    bool whole;
    qsizetype shownBeforeNote;
    QString text;
};

} // namespace

class tst_frmtextedit : public QObject
{
    Q_OBJECT

private slots:
    void loadsTheFirstFileInBothViews_data()
    {
        QTest::addColumn<Load>("c");
        QTest::newRow("empty lines kept, none added")
            << Load{"a\r\n\r\nb\r\n"_ba, {u"a"_s, QString(), u"b"_s}, u"a\n\nb\n"_s};
        QTest::newRow("empty file") << Load{};
    }

    void loadsTheFirstFileInBothViews()
    {
        QFETCH(Load, c);
        const auto &[file, lines, text] = c;
        // Only text files are listed, whatever the letter case of their names, first in name order.
        Opened o(
            {{u"a.txt"_s, file}, {u"B.TXT"_s, "other\r\n"_ba}, {u"Citat.dat"_s, "c\r\n"_ba}, {u"mapp.txt/"_s, {}}});
        QCOMPARE(o.files(), (QStringList{u"a"_s, u"B"_s}));
        QCOMPARE(o.lines(), lines);
        QCOMPARE(o.text(), text);
        QCOMPARE(windowsetup::markedRow(o.window->List1), lines.isEmpty() ? -1 : 0);
        QCOMPARE(o.platform.pointers(), (QList{platform::Pointer::Busy, platform::Pointer::Default}));
        QVERIFY(o.platform.boxes().isEmpty());
    }

    void aFolderWithoutTextFilesDoesNothing()
    {
        Opened o;
        QVERIFY(o.files().isEmpty() && o.lines().isEmpty() && o.text().isEmpty());
        for (QPushButton *button : {o.window->cmdraderafil, o.window->cmdradera, o.window->cmdkopiera})
            o.click(button);
        o.showText(true);
        o.click(o.window->cmdspara);
        QVERIFY(o.platform.boxes().isEmpty());
        QVERIFY(!o.platform.clipboardCleared());
        QCOMPARE(QDir(o.folder.folder()).entryList(QDir::Files), QStringList());
    }

    // Switching views reads nothing and keeps the mark; a click on the chosen file reads it again. Copying
    // puts the whole marked line on the clipboard, not its shown part.
    void whenTheFileIsReadAgainAndCopying()
    {
        const QString longLine = QString(store::kShownCharacters + 500, u'x');
        Opened o({{u"a.txt"_s, "1\r\n2\r\n"_ba + longLine.toLatin1() + "\r\n"_ba}});
        o.markLine(2);
        o.click(o.window->cmdkopiera);
        QVERIFY(o.platform.clipboardCleared());
        QCOMPARE(o.platform.clipboard(), longLine);
        o.folder.write(u"a.txt"_s, "ny\r\n"_ba);
        o.showText(true);
        o.showText(false);
        QCOMPARE(windowsetup::markedRow(o.window->List1), 2);
        QVERIFY(o.text().startsWith(u"1\n2\nxxx"_s));
        QListWidget *files = o.window->list_filer;
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
        QCOMPARE(o.lines(), QStringList{u"ny"_s});
    }

    // Radera rad rewrites the file from the list and shows the new file in the text view too, so that Spara
    // cannot write the line back; Spara writes the text view and leaves the list as it was.
    void rewritingAfterAsking_data()
    {
        QTest::addColumn<Rewrite>("c");
        QTest::newRow("Radera rad, No") << Rewrite{u"-"_s, Answer::No, "a\r\n\r\nb\r\nc"_ba};
        QTest::newRow("Radera rad, Yes") << Rewrite{u"-"_s, Answer::Yes, "a\r\n\r\nc\r\n"_ba};
        QTest::newRow("Spara, a closing line break is the last") << Rewrite{u"x\n"_s, Answer::Yes, "x\r\n"_ba};
        QTest::newRow("Spara beyond Windows-1252")
            << Rewrite{u"€ och ☺"_s, Answer::Yes, "\xef\xbb\xbf\xe2\x82\xac och \xe2\x98\xba\r\n"_ba};
        QTest::newRow("Spara, No") << Rewrite{u"ny"_s, Answer::No, "a\r\n\r\nb\r\nc"_ba};
    }

    void rewritingAfterAsking()
    {
        QFETCH(Rewrite, c);
        const auto &[typed, answer, file] = c;
        Opened o({{u"lista.txt"_s, "a\r\n\r\nb\r\nc"_ba}});
        const bool save = typed != u"-"_s;
        if (save) {
            o.showText(true);
            o.window->Text1->setPlainText(typed);
        } else {
            o.markLine(2);
        }
        o.platform.setNextAnswer(answer);
        o.click(save ? o.window->cmdspara : o.window->cmdradera);
        QCOMPARE(
            takeBoxes(o.platform),
            QStringList{
                save
                    ? u"message|Spara|YesNo|Question|Vill du spara texten i filen ''lista''?"_s
                    : u"message|Ta bort rad|YesNo|Question|Vill du ta bort den markerade raden ur filen ''lista''?"_s});
        QCOMPARE(o.folder.read(u"lista.txt"_s), file);
        if (save) {
            QCOMPARE(o.lines(), (QStringList{u"a"_s, QString(), u"b"_s, u"c"_s}));
        } else {
            QCOMPARE(windowsetup::markedRow(o.window->List1), answer == Answer::Yes ? -1 : 2);
            QCOMPARE(o.text(), answer == Answer::Yes ? u"a\n\nc\n"_s : u"a\n\nb\nc"_s);
        }
    }

    void deletingAFile_data()
    {
        QTest::addColumn<Deletion>("c");
        QTest::newRow("No") << Deletion{{u"a"_s, u"b"_s}, Answer::No, u"a/b | a | a\n"_s};
        QTest::newRow("Yes loads the first left")
            << Deletion{{u"a"_s, u"b"_s, u"c"_s}, Answer::Yes, u"b/c | b | b\n"_s};
        QTest::newRow("the last file") << Deletion{{u"a"_s}, Answer::Yes, u" |  | "_s};
    }

    void deletingAFile()
    {
        QFETCH(Deletion, c);
        const auto &[files, answer, after] = c;
        QList<std::pair<QString, QByteArray>> written;
        for (const QString &name : files)
            written.append({name + u".txt"_s, name.toLatin1() + "\r\n"_ba});
        Opened o(written);
        o.platform.setNextAnswer(answer);
        o.click(o.window->cmdraderafil);
        QCOMPARE(takeBoxes(o.platform), QStringList{u"message|Radera|YesNo|Question|Vill du radera filen ''a''?"_s});
        QCOMPARE(o.folder.exists(u"a.txt"_s), answer == Answer::No);
        QCOMPARE(o.files().join(u'/') + u" | "_s + o.lines().join(u'/') + u" | "_s + o.text(), after);
    }

    // Every failure: a file gone before it is loaded or deleted, a folder where a file is rewritten. Each is
    // reported as its command says, nothing is written over a file that was not read, and no file stays open.
    void failuresAreReportedAndReleaseEveryFile()
    {
        if (openFileCount() < 0)
            QSKIP("needs /proc to count open files");
        Opened o({{u"a.txt"_s, "a\r\nb\r\n"_ba}, {u"b.txt"_s, "b\r\n"_ba}});
        const qsizetype before = openFileCount();

        QFile::remove(o.folder.path(u"b.txt"_s));
        o.choose(1);
        QVERIFY(o.platform.boxes().isEmpty() && o.platform.pointer() == platform::Pointer::Default);
        QVERIFY(o.text().startsWith(u"Ett fel uppstod.\n53 - "_s));
        QCOMPARE(o.lines().join(u'\n'), o.text());
        o.markLine(0);
        o.click(o.window->cmdradera);
        o.showText(true);
        o.click(o.window->cmdspara);
        const QString refused =
            u"message|Tankedosan|Ok|Exclamation|Filen ''b'' kunde inte läsas och skrivs därför inte över."_s;
        QCOMPARE(takeBoxes(o.platform), (QStringList{refused, refused}));
        QVERIFY(!o.folder.exists(u"b.txt"_s));

        o.showText(false);
        o.choose(0);
        QFile::remove(o.folder.path(u"a.txt"_s));
        QDir(o.folder.folder()).mkdir(u"a.txt"_s);
        o.markLine(0);
        o.platform.setNextAnswer(Answer::Yes);
        o.click(o.window->cmdradera);
        QVERIFY(takeBoxes(o.platform).back().startsWith(u"error:"_s));
        QCOMPARE(o.lines(), (QStringList{u"a"_s, u"b"_s})); // the file keeps the line, so the list does too

        o.choose(1);
        o.platform.setNextAnswer(Answer::Yes);
        o.click(o.window->cmdraderafil);
        const QString box = takeBoxes(o.platform).back();
        QVERIFY2(
            box.startsWith(u"message|Tankedosan|Ok|Exclamation|Ett fel uppstod då filen skulle raderas!\r\n53 - "_s),
            qPrintable(box));
        QCOMPARE(o.files(), (QStringList{u"a"_s, u"b"_s}));
        QCOMPARE(openFileCount(), before);
    }

    void aHugeFileShowsItsBeginningAndIsNotSavedFromTheTextView()
    {
        const QByteArray line = QByteArray(99, 'x') + "\r\n";
        const qsizetype count = textfiles::kTextViewBytes / line.size() + 10;
        Opened o({{u"stor.txt"_s, line.repeated(count)}});
        QCOMPARE(o.lines().size(), count);
        QVERIFY(o.window->Text1->isReadOnly());
        QVERIFY(o.text().endsWith(u"Listan visar alla rader.]"_s));
        o.showText(true);
        o.click(o.window->cmdspara);
        const QStringList boxes = takeBoxes(o.platform);
        QVERIFY(boxes.size() == 1 && boxes[0].contains(u"|Ok|"_s));
        QCOMPARE(o.folder.read(u"stor.txt"_s).size(), line.size() * count);
    }

    // A file past the line bound is reported like any failed read and never written over; a UTF-16 file that
    // cannot be written back as it was read is refused by "Spara" as by "Radera rad".
    void refusedFiles()
    {
        Opened o({{u"a.txt"_s, QByteArray(store::kMaxReadLines, '\r') + "x"},
                  {u"b.txt"_s, "\xFF\xFE"
                               "a\0\x00\xD8"_ba}});
        QCOMPARE(o.lines().value(1).left(4), u"7 - "_s);
        o.choose(1);
        o.showText(true);
        o.platform.setNextAnswer(Answer::Yes);
        o.click(o.window->cmdspara);
        QCOMPARE(takeBoxes(o.platform), QStringList{u"error:54"_s});
        QCOMPARE(o.folder.read(u"b.txt"_s), "\xFF\xFE"
                                            "a\0\x00\xD8"_ba);
    }

    // Where the text view stops, and how it reads a file: as the list does, or it would be saved over the file.
    // `text` null: not compared; else the whole view and the list's first line.
    void textView_data()
    {
        QTest::addColumn<View>("c");
        const qsizetype n = textfiles::kTextViewBytes;
        const QByteArray lines = QByteArray("abcdefghi\n").repeated(n / 10);
        QTest::newRow("exactly the bound") << View{lines, true, n, {}};
        QTest::newRow("one byte more") << View{lines + "a", false, n, {}};
        // Byte n falls on the second byte of an "å": the cut comes before that character, not inside it.
        const QByteArray utf8 = "a" + QByteArray("\xc3\xa5\xc3\xa5\xc3\xa5\xc3\xa5\n").repeated(n / 9 + 1);
        QTest::newRow("UTF-8 cut at a character") << View{utf8, false, QString::fromUtf8(utf8.first(n - 1)).size(), {}};
        QTest::newRow("an over-long line") << View{QByteArray(store::kShownCharacters + 1, 'a'),
                                                   false,
                                                   store::shownPart(QString(store::kShownCharacters + 1, u'a')).size(),
                                                   {}};
        QTest::newRow("UTF-16 LE") << View{"\xFF\xFEH\0\xE5\0\r\0\n\0"_ba, true, 4, u"Hå\r\n"_s};
        QTest::newRow("UTF-16 BE") << View{"\xFE\xFF\0H\0\xE5\0\r\0\n"_ba, true, 4, u"Hå\r\n"_s};
        QTest::newRow("UTF-8: only the first mark is one")
            << View{"\xEF\xBB\xBF\xEF\xBB\xBFå\r\n"_ba, true, 4, u"\uFEFFå\r\n"_s};
        QTest::newRow("Windows-1252") << View{"\x80\xE5\r\n"_ba, true, 4, u"€å\r\n"_s};
    }

    void textView()
    {
        QFETCH(View, c);
        const auto &[bytes, whole, shownBeforeNote, text] = c;
        const textfiles::TextView view = textfiles::textViewOf(bytes);
        QCOMPARE(view.whole, whole);
        const qsizetype note = view.text.indexOf(u"\r\n\r\n[Filen"_s);
        QCOMPARE(note < 0 ? view.text.size() : note, shownBeforeNote);
        QVERIFY(!view.text.contains(QChar::ReplacementCharacter));
        if (!text.isNull()) {
            QCOMPARE(view.text, text);
            QCOMPARE(store::LineStore::fromFileBytes(bytes, true).at(0), text.chopped(2));
        }
    }

    void opensModallyFromTheMainWindow()
    {
        Started s;
        s.folder.write(u"a.txt"_s, "a\r\n"_ba);
        frmmain &main = s.start();
        whileOpen<frmtextedit>([&] { main.mnuakriv_öppnatext->trigger(); },
                               [&](frmtextedit &w) {
                                   QCOMPARE(w.lines().items(), QStringList{u"a"_s});
                                   QTest::mouseClick(w.cmdstäng, Qt::LeftButton);
                               });
        QVERIFY(!main.findChild<frmtextedit *>());
    }
};

QTEST_MAIN(tst_frmtextedit)
#include "tst_frmtextedit.moc"
