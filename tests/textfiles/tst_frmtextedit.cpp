// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "support/modal.h"

#include "store/shown.h"
#include "textfiles/frmtextedit.h"
#include "textfiles/textview.h"
#include "widgets/listboxmodel.h"
#include "widgets/controls.h"

using namespace tankedosan::textfiles;

class tst_frmtextedit : public QObject
{
    Q_OBJECT

private slots:
    // "Radera rad" rewrites file and text view; a click on the chosen file reads it again.
    void linesTextAndFiles()
    {
        FolderFixture folder;
        folder.write(u"a.txt"_s, "a\r\n\r\nb\r\nc"_ba);
        folder.write(u"B.TXT"_s, "other\r\n"_ba + QByteArray(kShownCharacters + 1, 'x'));
        platform::ScriptedPlatform platform;
        QWidget owner; // in a corner: a dialog of Qt's own is centred over its owner, ours on the screen
        owner.setGeometry(0, 0, 100, 100);
        frmtextedit w(platform, &owner);
        w.show();
        QVERIFY((w.frameGeometry().center() - w.screen()->availableGeometry().center()).manhattanLength() <= 4);
        const auto act = [&](QWidget *target, int row = -1, std::optional<Answer> answer = {}, bool text = false) {
            if (answer)
                platform.setNextAnswer(*answer);
            if (row >= 0)
                child<QListView>(w, "List1")->setCurrentIndex(child<QListView>(w, "List1")->model()->index(row, 0));
            child<QRadioButton>(w, "optvisa", text)->setChecked(true);
            target == child<QListWidget>(w, "list_filer") ? clickRow(child<QListWidget>(w, "list_filer"), 0)
                                                          : QTest::mouseClick(target, Qt::LeftButton);
            return u"%1 | %2 | %3 | %4"_s
                .arg(itemTexts(child<QListWidget>(w, "list_filer")), wholeRows(child<QListView>(w, "List1")).join(u'/'),
                     child<QPlainTextEdit>(w, "Text1")->toPlainText().left(20))
                .arg(markedRow(child<QListView>(w, "List1")));
        };
        QCOMPARE(act(child<QLabel>(w, "Label1")), u"a/B | a//b/c | a\n\nb\nc | 0"_s);
        QCOMPARE(platform.pointers(), (QList{Pointer::Busy, Pointer::Default}));
        QCOMPARE(act(child<QPushButton>(w, "cmdradera"), 2, Answer::No), u"a/B | a//b/c | a\n\nb\nc | 2"_s);
        QCOMPARE(act(child<QPushButton>(w, "cmdradera"), 2, Answer::Yes), u"a/B | a//c | a\n\nc\n | -1"_s);
        QCOMPARE(act(child<QPushButton>(w, "cmdradera")),
                 u"a/B | a//c | a\n\nc\n | -1"_s); // nothing marked: nothing asked
        child<QRadioButton>(w, "optvisa", 1)->setChecked(true);
        child<QPlainTextEdit>(w, "Text1")->setPlainText(u"€ och ☺\n"_s);
        act(child<QPushButton>(w, "cmdspara"), -1, Answer::No, true);
        QCOMPARE(folder.read(u"a.txt"_s), "a\r\n\r\nc\r\n"_ba);
        QCOMPARE(act(child<QPushButton>(w, "cmdspara"), -1, Answer::Yes, true), u"a/B | a//c | € och ☺\n | -1"_s);
        QVERIFY(child<QPlainTextEdit>(w, "Text1")->isVisible() && !child<QListView>(w, "List1")->isVisible());
        QCOMPARE(folder.read(u"a.txt"_s), "\xef\xbb\xbf\xe2\x82\xac och \xe2\x98\xba\r\n"_ba);
        folder.write(u"a.txt"_s, "ny\r\n"_ba);
        QCOMPARE(act(child<QLabel>(w, "Label1"), 0), u"a/B | a//c | € och ☺\n | 0"_s);
        QVERIFY(child<QListView>(w, "List1")->isVisible() && !child<QPlainTextEdit>(w, "Text1")->isVisible());
        QCOMPARE(act(child<QListWidget>(w, "list_filer")), u"a/B | ny | ny\n | 0"_s);
        QCOMPARE(act(child<QPushButton>(w, "cmdraderafil"), -1, Answer::No), u"a/B | ny | ny\n | 0"_s);
        QCOMPARE(act(child<QPushButton>(w, "cmdraderafil"), -1, Answer::Yes).left(22), u"B | other/xxxxxxxxxxxx"_s);
        act(child<QPushButton>(w, "cmdkopiera"), 1);
        QCOMPARE(platform.clipboard(), QString(kShownCharacters + 1, u'x'));
        const QStringList boxes = takeBoxes(platform);
        QCOMPARE(boxes.size(), 6);
        QCOMPARE(boxes[2], u"message|Spara|YesNo|Question|Vill du spara texten i filen ''a''?"_s);
        for (const QString &box : boxes) // each step asked first (its "No" kept all), naming its file
            QCOMPARE(box.section(u"''"_s, 1, 1), u"a"_s);
        // A file named ".txt" is one with an empty name, listed, read and deleted as any other; a hidden one is not.
        folder.write(u".txt"_s, "namnlös\r\n"_ba);
        folder.write(u".dold.txt"_s, "dold\r\n"_ba);
        frmtextedit again(platform, nullptr);
        QCOMPARE(itemTexts(child<QListWidget>(again, "list_filer")) + u" | "_s
                     + wholeRows(child<QListView>(again, "List1")).join(u'/'),
                 u"/B | namnlös"_s);
        platform.setNextAnswer(Answer::Yes);
        QTest::mouseClick(child<QPushButton>(again, "cmdraderafil"), Qt::LeftButton);
        QCOMPARE(takeBoxes(platform).join(u';') + u'|' + QString::number(folder.exists(u".txt"_s))
                     + QString::number(folder.exists(u".dold.txt"_s)) + u'|'
                     + itemTexts(child<QListWidget>(again, "list_filer")) + u'|'
                     + child<ListBoxModel>(again, "File1")->items().join(u'/'),
                 u"message|Radera|YesNo|Question|Vill du radera filen ''''?|01|B|B.TXT"_s);
    }

    // Nothing is written over a file too large for the text view, not decoded exactly, or gone before or after reading.
    void neverWritesOverWhatItDidNotHold()
    {
        FolderFixture folder;
        QList<QByteArray> files =
            "\xFF\xFE\x61\0\0\xD8|c\r\n|d\r\n|e\r\n|\xFF\xFEH\0\xE5\0\r\0\n\0|\xFE\xFF\0H\0\xE5\0\r\0\n|"
            "\xEF\xBB\xBFx\r\n|"
            "\xEF\xBB\xBF\xEF\xBB\xBF\xC3\xA5\r\n|\x80\xE5\r\n|\xC3\x85sa\r\n\xE2\x82\xAC\r\n"_ba.split('|');
        files.prepend((QByteArray(99, 'x') + "\r\n").repeated(textfiles::kTextViewBytes / 101 + 9));
        const auto name = [](int i) {
            return QChar(u'a' + i) + u".txt"_s;
        };
        for (int i = 0; i < files.size(); ++i)
            folder.write(name(i), files[i]);
        platform::ScriptedPlatform platform;
        frmtextedit w(platform, nullptr);
        w.show();
        QFile::remove(folder.path(u"c.txt"_s));
        QStringList boxes;
        for (int i = 0; i < files.size(); ++i) {
            clickRow(child<QListWidget>(w, "list_filer"), i);
            if (i > 4) { // the text view reads a file as the list does, and saved unchanged it is that file again
                QCOMPARE(child<QPlainTextEdit>(w, "Text1")->toPlainText(),
                         wholeRows(child<QListView>(w, "List1")).join(u'\n') + u'\n');
                platform.setNextAnswer(Answer::Yes); // still in the text view
                QTest::mouseClick(child<QPushButton>(w, "cmdspara"), Qt::LeftButton);
                QCOMPARE(folder.read(name(i)), files[i]);
                continue;
            }
            if (i > 2)
                QFile::remove(folder.path(name(i)));
            for (int text : {i < 4, i == 4}) {
                child<QRadioButton>(w, "optvisa", text)->setChecked(true);
                child<QListView>(w, "List1")->setCurrentIndex(child<QListView>(w, "List1")->model()->index(0, 0));
                platform.setNextAnswer(Answer::Yes);
                QTest::mouseClick(text ? child<QPushButton>(w, "cmdspara")
                                       : (i ? child<QPushButton>(w, "cmdradera") : child<QPushButton>(w, "cmdkopiera")),
                                  Qt::LeftButton);
            }
            for (const QString &box : takeBoxes(platform))
                boxes << box.section(u'|', -1).left(9); // the message's beginning
            QCOMPARE(folder.exists(name(i)) ? folder.read(name(i)) : "", i < 2 ? files[i] : ""); // nor made anew
        }
        QCOMPARE(boxes.join(u','), u"Filen ''a,error:54,Vill du t,error:54,Filen ''/,Filen ''/,"
                                   u"Vill du s,Filen ''/,Filen ''/,Vill du t,Filen ''/,Filen ''/"_s);
        // Windows-1252 is cut at the bound itself: a high byte there is a letter of its own, not part of one.
        files[0][textfiles::kTextViewBytes - 1] = 'y';
        files[0][textfiles::kTextViewBytes] = '\x85';
        QVERIFY(textfiles::textViewOf(files[0]).text.contains(u"y\r\n\r\n[Filen"_s));
    }
};

QTEST_MAIN(tst_frmtextedit)
#include "tst_frmtextedit.moc"
