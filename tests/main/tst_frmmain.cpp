#include "support/boxes.h"
#include "support/folderfixture.h"

#include "main/frmmain.h"
#include "search/frmsok.h"
#include "platform/scriptedplatform.h"
#include "store/encoding.h"
#include "store/module1.h"
#include "store/shown.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using platform::ScriptedPlatform;

namespace {

QStringList comboItems(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// A collection chosen as the user chooses one: the box's index moves and the box reports the choice.
void choose(frmmain &w, int index)
{
    w.comboordspråk->setCurrentIndex(index);
    emit w.comboordspråk->activated(index);
}

// A program folder with collections, and the main window started on it.
struct Started {
    FolderFixture folder;
    ScriptedPlatform platform;
    std::unique_ptr<frmmain> window;

    void start()
    {
        window = std::make_unique<frmmain>(platform);
        window->show();
    }
};

} // namespace

class tst_frmmain : public QObject {
    Q_OBJECT

private slots:
    void everyControlAndMenuEntryCarriesItsNameAndCaption_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");

        QTest::newRow("Ta bort") << u"cmdordspråk_radera"_s << u"Ta bort"_s;
        QTest::newRow("Ny") << u"cmdordspråk_ny"_s << u"Ny"_s;
        QTest::newRow("Sök") << u"cmdsök"_s << u"Sök"_s;
        QTest::newRow("Nästa") << u"cmdnästa"_s << u"Nästa"_s;
        QTest::newRow("Förra") << u"cmdförra"_s << u"Förra"_s;
        QTest::newRow("Kopiera") << u"cmdkopiera"_s << u"Kopiera"_s;
        QTest::newRow("Visa") << u"Frame1"_s << u"Visa"_s;
        QTest::newRow("Söklistan") << u"optlista_sök"_s << u"Söklistan"_s;
        QTest::newRow("Hela listan") << u"optlista_hela"_s << u"Hela listan"_s;
        QTest::newRow("heading") << u"Label2"_s << u"Så här är det ..."_s;
        QTest::newRow("collection caption") << u"Label3"_s << u"Välj ordspråkfil:"_s;
        QTest::newRow("shadow") << u"Label1"_s << QString();
        QTest::newRow("number box") << u"txtnr"_s << u"1"_s;
        QTest::newRow("display") << u"pp"_s << QString();
        QTest::newRow("Arkiv") << u"mnuarkiv"_s << u"&Arkiv"_s;
        QTest::newRow("Öppna text") << u"mnuakriv_öppnatext"_s << u"Öppna text..."_s;
        QTest::newRow("Snabbspara") << u"mnuarkiv_snabbspara"_s << u"Snabbspara ordspråk"_s;
        QTest::newRow("Öppna snabbspara") << u"mnuarkiv_öppnasnabbspara"_s << u"Öppna snabbspara-listan..."_s;
        QTest::newRow("Radera ordspråk") << u"mnuarkiv_raderaordspråk"_s << u"Radera aktuellt ordspråk..."_s;
        QTest::newRow("Avsluta") << u"mnuarkiv_avsluta"_s << u"Avsluta"_s;
        QTest::newRow("Redigera") << u"mnuredigera"_s << u"&Redigera"_s;
        QTest::newRow("Sök ordspråk") << u"mnuredigera_sök"_s << u"Sök ordspråk..."_s;
        QTest::newRow("Redigera listan") << u"mnuredigera_redigera"_s << u"Redigera ordspråk-listan..."_s;
        QTest::newRow("Hjälp-menyn") << u"mnuhjälp"_s << u"&Hjälp"_s;
        QTest::newRow("Hjälp") << u"mnuhjälp_hjälp"_s << u"Hjälp"_s;
        QTest::newRow("Om") << u"mnuhjälp_om"_s << u"Om ..."_s;
    }

    void everyControlAndMenuEntryCarriesItsNameAndCaption()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Started s;
        s.start();
        const auto found = s.window->findChildren<QObject *>(name);
        QCOMPARE(found.size(), 1);
        QObject *object = found.front();
        QString text;
        if (auto *button = qobject_cast<QAbstractButton *>(object))
            text = button->text();
        else if (auto *label = qobject_cast<QLabel *>(object))
            text = label->text();
        else if (auto *box = qobject_cast<QGroupBox *>(object))
            text = box->title();
        else if (auto *edit = qobject_cast<QLineEdit *>(object))
            text = edit->text();
        else if (auto *display = qobject_cast<QPlainTextEdit *>(object))
            text = display->toPlainText();
        else if (auto *menu = qobject_cast<QMenu *>(object))
            text = menu->title();
        else if (auto *action = qobject_cast<QAction *>(object))
            text = action->text();
        else
            QFAIL("unexpected kind of object");
        QCOMPARE(text, caption);
    }

    void menuBarHoldsTheEntriesInOrderWithShortcutsAndSeparators()
    {
        Started s;
        s.start();
        auto names = [](const QMenu *menu) {
            QStringList result;
            for (const QAction *action : menu->actions())
                result.append(action->objectName() + (action->shortcut().isEmpty() ? QString() : u' ' + action->shortcut().toString()));
            return result;
        };
        const QList<QAction *> menus = s.window->menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(names(s.window->mnuarkiv),
                 (QStringList{u"mnuakriv_öppnatext"_s, u"mnuarkiv_linje1"_s, u"mnuarkiv_snabbspara F2"_s,
                              u"mnuarkiv_öppnasnabbspara"_s, u"mnuarkiv_linje2"_s, u"mnuarkiv_raderaordspråk"_s,
                              u"mnuarkiv_linje3"_s, u"mnuarkiv_avsluta"_s}));
        QCOMPARE(names(s.window->mnuredigera),
                 (QStringList{u"mnuredigera_sök F3"_s, u"mnuredigera_linje1"_s, u"mnuredigera_redigera"_s,
                              u"mnuredigera_linje2"_s, u"mnuredigera_textstorlek"_s, u"mnuredigera_textstorlek"_s,
                              u"mnuredigera_textstorlek"_s, u"mnuredigera_textstorlek"_s,
                              u"mnuredigera_textstorlek"_s}));
        QCOMPARE(names(s.window->mnuhjälp),
                 (QStringList{u"mnuhjälp_hjälp F1"_s, u"mnuhjälp_linje1"_s, u"mnuhjälp_om"_s}));
        QVERIFY(s.window->mnuarkiv_linje2->isSeparator());

        // The text-size entries share one name and keep their index order; the smallest is checked.
        const QStringList sizes{u"8"_s, u"10"_s, u"12"_s, u"14"_s, u"18"_s};
        for (int i = 0; i < 5; ++i) {
            QAction *entry = s.window->mnuredigera_textstorlek[i];
            QCOMPARE(entry->text(), u"Textstorlek - "_s + sizes[i]);
            QCOMPARE(entry->isChecked(), i == 0);
        }
    }

    void initialStateOfTheControls()
    {
        Started s;
        s.start();
        frmmain &w = *s.window;
        QCOMPARE(w.windowTitle(), u"Tankedosan"_s); // nothing to load
        QVERIFY(w.optlista_hela->isChecked());
        QVERIFY(!w.optlista_sök->isChecked());
        QCOMPARE(w.scroll->minimum(), 1);
        QCOMPARE(w.scroll->maximum(), 5);
        QCOMPARE(w.scroll->value(), 1);
        QCOMPARE(w.cmdkopiera->toolTip(), u"Kopiera ordspråk till klippboken"_s);
        QCOMPARE(w.pp->font().pointSizeF(), 8.25);
        // The client area is 6570 x 3930 twips at 15 twips a pixel.
        QCOMPARE(w.centralWidget()->size(), QSize(438, 262));
        // The lists are the window's but are never shown.
        QCOMPARE(w.findChild<HiddenList *>(u"List1"_s), w.List1);
        QCOMPARE(w.findChild<HiddenList *>(u"söklista"_s), w.söklista);
        QCOMPARE(w.findChild<HiddenList *>(u"fillista"_s), w.fillista);
    }

    void startUp_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("numberFile"); // empty: no nr.ini
        QTest::addColumn<QStringList>("expectedBox");
        QTest::addColumn<QString>("expectedChosen");
        QTest::addColumn<QString>("expectedNumber");
        QTest::addColumn<QString>("expectedShown");

        // Every collection holds five proverbs named after it ("Citat 1" … "Citat 5").
        QTest::newRow("Citat chosen, number remembered")
            << QStringList{u"Citat.dat"_s, u"Djur.dat"_s} << "3\r\n"_ba << QStringList{u"Citat"_s, u"Djur"_s}
            << u"Citat"_s << u"3"_s << u"Citat 3"_s;
        QTest::newRow("Citat chosen even when it is not first")
            << QStringList{u"Aforismer.dat"_s, u"Citat.dat"_s} << QByteArray()
            << QStringList{u"Aforismer"_s, u"Citat"_s} << u"Citat"_s << u"1"_s << u"Citat 1"_s;
        QTest::newRow("other files and letter case")
            << QStringList{u"Citat.dat"_s, u"Djur.DAT"_s, u"notes.txt"_s} << QByteArray()
            << QStringList{u"Citat"_s, u"Djur"_s} << u"Citat"_s << u"1"_s << u"Citat 1"_s;
        QTest::newRow("without Citat the first is loaded")
            << QStringList{u"Väder.dat"_s, u"Djur.dat"_s} << QByteArray() << QStringList{u"Djur"_s, u"Väder"_s}
            << u"Djur"_s << u"1"_s << u"Djur 1"_s;
        QTest::newRow("Citat is matched with regard to case")
            << QStringList{u"Alfa.dat"_s, u"citat.dat"_s} << QByteArray() << QStringList{u"Alfa"_s, u"citat"_s}
            << u"Alfa"_s << u"1"_s << u"Alfa 1"_s;
        QTest::newRow("number beyond the collection keeps proverb 1")
            << QStringList{u"Citat.dat"_s} << "7\r\n"_ba << QStringList{u"Citat"_s} << u"Citat"_s << u"7"_s
            << u"Citat 1"_s;
        QTest::newRow("empty number file gives 1")
            << QStringList{u"Citat.dat"_s} << ""_ba << QStringList{u"Citat"_s} << u"Citat"_s << u"1"_s
            << u"Citat 1"_s;
        QTest::newRow("number file with text")
            << QStringList{u"Citat.dat"_s} << "abc\r\n"_ba << QStringList{u"Citat"_s} << u"Citat"_s << u"abc"_s
            << u"Citat 1"_s;
        QTest::newRow("no collections at all")
            << QStringList{u"notes.txt"_s} << "4\r\n"_ba << QStringList{} << QString() << u"4"_s << QString();
    }

    void startUp()
    {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, numberFile);
        QFETCH(QStringList, expectedBox);
        QFETCH(QString, expectedChosen);
        QFETCH(QString, expectedNumber);
        QFETCH(QString, expectedShown);

        Started s;
        for (const QString &file : files) {
            const QString stem = file.section(u'.', 0, 0);
            s.folder.write(file, store::encodeLines(FolderFixture::numbered(5, stem)));
        }
        if (!numberFile.isNull())
            s.folder.write(u"nr.ini"_s, numberFile);
        s.start();
        frmmain &w = *s.window;

        QCOMPARE(comboItems(w.comboordspråk), expectedBox);
        QCOMPARE(w.comboordspråk->currentText(), expectedChosen);
        QCOMPARE(w.txtnr->text(), expectedNumber);
        QCOMPARE(w.pp->toPlainText(), expectedShown);
        QVERIFY(s.platform.boxes().isEmpty());
        if (expectedChosen.isEmpty()) {
            QCOMPARE(w.windowTitle(), u"Tankedosan"_s);
            QCOMPARE(w.List1->count(), 0);
        } else {
            QCOMPARE(w.windowTitle(), u"Tankedosan -  5 st"_s);
            QCOMPARE(Module1::antal, 5);
            QCOMPARE(Module1::sökväg, s.folder.path(expectedChosen + u".dat"_s));
            QCOMPARE(s.platform.pointer(), platform::Pointer::Default);
        }
    }

    void collectionFileIsReadByTheReadForm()
    {
        Started s;
        s.folder.write(u"Citat.dat"_s, "Borta bra men hemma b\xe4st.\r\n\r\n  \r\nSist utan radslut"_ba);
        s.start();
        QCOMPARE(s.window->List1->items(),
                 (QStringList{u"Borta bra men hemma bäst."_s, u"  "_s, u"Sist utan radslut"_s}));
        QCOMPARE(s.window->windowTitle(), u"Tankedosan -  3 st"_s);
    }

    void stepping_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("shown"); // 1-based proverb in the display; 0: display as it was

        QTest::newRow("Nästa at the last wraps to 1") << 5 << u"5"_s << true << u"1"_s << 1;
        QTest::newRow("Nästa in the middle") << 5 << u"2"_s << true << u"3"_s << 3;
        QTest::newRow("Förra at 1 wraps to the last") << 5 << u"1"_s << false << u"5"_s << 5;
        QTest::newRow("Förra in the middle") << 5 << u"4"_s << false << u"3"_s << 3;
        QTest::newRow("Nästa on text goes to 1") << 5 << u"abc"_s << true << u"1"_s << 1;
        QTest::newRow("Förra on text goes to the last") << 5 << u"abc"_s << false << u"5"_s << 5;
        QTest::newRow("Nästa beyond the end goes to 1") << 5 << u"9"_s << true << u"1"_s << 1;
        QTest::newRow("Förra beyond the end only counts down") << 5 << u"9"_s << false << u"8"_s << 0;
        QTest::newRow("Nästa on a leading number") << 5 << u"2x"_s << true << u"3"_s << 3;
        QTest::newRow("Förra on a negative number") << 5 << u"-3"_s << false << u"5"_s << 5;
        QTest::newRow("Nästa on a huge number") << 5 << u"99999999999"_s << true << u"1"_s << 1;
        QTest::newRow("Förra on a huge negative number") << 5 << u"-99999999999"_s << false << u"5"_s << 5;
        QTest::newRow("Förra on a huge number") << 5 << u"99999999999"_s << false << u"2147483646"_s << 0;
        QTest::newRow("Nästa past 32767") << 40000 << u"32767"_s << true << u"32768"_s << 32768;
        QTest::newRow("Nästa at 40000 wraps") << 40000 << u"40000"_s << true << u"1"_s << 1;
        QTest::newRow("Förra at 1 goes to 40000") << 40000 << u"1"_s << false << u"40000"_s << 40000;
    }

    void stepping()
    {
        QFETCH(int, count);
        QFETCH(QString, before);
        QFETCH(bool, forward);
        QFETCH(QString, after);
        QFETCH(int, shown);

        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(count));
        s.start();
        frmmain &w = *s.window;
        w.txtnr->setText(before);
        const QString displayed = w.pp->toPlainText();
        QTest::mouseClick(forward ? w.cmdnästa : w.cmdförra, Qt::LeftButton);
        QCOMPARE(w.txtnr->text(), after);
        QCOMPARE(w.pp->toPlainText(), shown ? u"Ordspråk "_s + QString::number(shown) : displayed);
    }

    void steppingAnEmptyCollection()
    {
        Started s;
        s.folder.write(u"Citat.dat"_s, QByteArray());
        s.start();
        frmmain &w = *s.window;
        QCOMPARE(w.windowTitle(), u"Tankedosan -  0 st"_s);
        w.cmdnästa_Click();
        QCOMPARE(w.txtnr->text(), u"1"_s);
        QCOMPARE(w.pp->toPlainText(), QString());
        w.cmdförra_Click();
        QCOMPARE(w.txtnr->text(), u"0"_s);
        QCOMPARE(w.pp->toPlainText(), QString());
    }

    void typingANumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // "*": the previous proverb stays

        QTest::newRow("a number shows it") << u"4"_s << u"Ordspråk 4"_s;
        QTest::newRow("blanks around a number") << u" 2 "_s << u"Ordspråk 2"_s;
        QTest::newRow("zero changes nothing") << u"0"_s << u"*"_s;
        QTest::newRow("cleared changes nothing") << QString() << u"*"_s;
        QTest::newRow("double zero empties the display") << u"00"_s << QString();
        QTest::newRow("text changes nothing") << u"abc"_s << u"*"_s;
        QTest::newRow("beyond the end changes nothing") << u"6"_s << u"*"_s;
        QTest::newRow("negative changes nothing") << u"-1"_s << u"*"_s;
        QTest::newRow("out of 32-bit range changes nothing") << u"3000000000"_s << u"*"_s;
        QTest::newRow("smallest 32-bit number changes nothing") << u"-2147483648"_s << u"*"_s;
    }

    void typingANumber()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);

        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5));
        s.folder.write(u"nr.ini"_s, "3\r\n"_ba);
        s.start();
        frmmain &w = *s.window;
        QCOMPARE(w.pp->toPlainText(), u"Ordspråk 3"_s);
        w.txtnr->selectAll();
        if (typed.isEmpty())
            QTest::keyClick(w.txtnr, Qt::Key_Backspace);
        else
            QTest::keyClicks(w.txtnr, typed);
        QCOMPARE(w.txtnr->text(), typed);
        QCOMPARE(w.pp->toPlainText(), shown == u"*"_s ? u"Ordspråk 3"_s : shown);
        QVERIFY(s.platform.boxes().isEmpty());
    }

    void settingTheSameNumberAgainShowsNothingNew()
    {
        // Handlers rely on this: to show the current number again they clear the box first.
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5));
        s.start();
        frmmain &w = *s.window;
        w.txtnr->setText(u"2"_s);
        w.pp->setPlainText(u"annat"_s);
        w.txtnr->setText(u"2"_s);
        QCOMPARE(w.pp->toPlainText(), u"annat"_s);
        w.txtnr->clear();
        w.txtnr->setText(u"2"_s);
        QCOMPARE(w.pp->toPlainText(), u"Ordspråk 2"_s);
    }

    void choosingACollection()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5, u"Citat"_s));
        s.folder.writeCollection(u"Djur"_s, FolderFixture::numbered(8, u"Djur"_s));
        s.start();
        frmmain &w = *s.window;
        w.txtnr->setText(u"4"_s);

        choose(w, 1);
        QCOMPARE(w.List1->count(), 8);
        QCOMPARE(w.pp->toPlainText(), u"Djur 4"_s);
        QCOMPARE(w.windowTitle(), u"Tankedosan -  8 st"_s);
        QCOMPARE(Module1::antal, 8);
        QCOMPARE(Module1::sökväg, s.folder.path(u"Djur.dat"_s));
        QCOMPARE(s.platform.pointers(), (QList{platform::Pointer::Busy, platform::Pointer::Default,
                                               platform::Pointer::Busy, platform::Pointer::Default}));

        // Back to a collection with fewer proverbs than the number: nothing is shown, the number stays.
        w.txtnr->setText(u"7"_s);
        QCOMPARE(w.pp->toPlainText(), u"Djur 7"_s);
        choose(w, 0);
        QCOMPARE(w.pp->toPlainText(), QString());
        QCOMPARE(w.txtnr->text(), u"7"_s);
        QCOMPARE(w.windowTitle(), u"Tankedosan -  5 st"_s);
        QVERIFY(s.platform.boxes().isEmpty());
    }

    void choosingAMissingCollectionKeepsTheProverbs()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5, u"Citat"_s));
        s.folder.writeCollection(u"Djur"_s, FolderFixture::numbered(8, u"Djur"_s));
        s.start();
        frmmain &w = *s.window;
        w.txtnr->setText(u"2"_s);
        QVERIFY(QFile::remove(s.folder.path(u"Djur.dat"_s)));

        choose(w, 1);
        QCOMPARE(s.platform.boxes().size(), 1);
        const auto box = s.platform.boxes().front();
        QCOMPARE(box.text, u"Filen ''Djur'' saknas i programkatalogen!"_s);
        QCOMPARE(box.title, u"Tankedosan"_s);
        QCOMPARE(box.buttons, platform::Buttons::Ok);
        QCOMPARE(box.icon, platform::Icon::Exclamation);
        // The current path names the missing file; the previous proverbs stay loaded and shown.
        QCOMPARE(Module1::sökväg, s.folder.path(u"Djur.dat"_s));
        QCOMPARE(w.List1->count(), 5);
        QCOMPARE(w.pp->toPlainText(), u"Citat 2"_s);
        QCOMPARE(w.windowTitle(), u"Tankedosan -  5 st"_s);
        QCOMPARE(s.platform.pointer(), platform::Pointer::Default);
    }

    void choosingWithTextInTheNumberBoxReportsTheFailure()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5, u"Citat"_s));
        s.folder.writeCollection(u"Djur"_s, FolderFixture::numbered(8, u"Djur"_s));
        s.start();
        frmmain &w = *s.window;
        w.txtnr->setText(u"abc"_s);

        choose(w, 1);
        QCOMPARE(s.platform.boxes().size(), 1);
        const auto box = s.platform.boxes().front();
        QVERIFY2(box.text.startsWith(u"Ett fel uppstod.\r\n13 - "_s), qPrintable(box.text));
        QCOMPARE(box.icon, platform::Icon::Exclamation);
        QCOMPARE(box.title, u"Tankedosan"_s);
        // The new collection is loaded, but the count and caption keep the previous values.
        QCOMPARE(w.List1->count(), 8);
        QCOMPARE(Module1::antal, 5);
        QCOMPARE(w.windowTitle(), u"Tankedosan -  5 st"_s);
        QCOMPARE(s.platform.pointer(), platform::Pointer::Default);
    }

    void choosingInTheSearchViewEmptiesTheSearchList()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5, u"Citat"_s));
        s.folder.writeCollection(u"Djur"_s, FolderFixture::numbered(8, u"Djur"_s));
        s.start();
        frmmain &w = *s.window;
        w.söklista->setItems({u"träff 1"_s, u"träff 2"_s});
        w.optlista_sök->setChecked(true);
        w.txtnr->setText(u"2"_s);
        QCOMPARE(w.pp->toPlainText(), u"träff 2"_s);

        choose(w, 1);
        QVERIFY(w.optlista_sök->isChecked());
        QCOMPARE(w.söklista->count(), 0);
        QCOMPARE(w.pp->toPlainText(), QString());
        QCOMPARE(w.List1->count(), 8);
        QCOMPARE(w.windowTitle(), u"Tankedosan -  8 st"_s);
    }

    void aCollectionBeyond16BitsLoadsShowsAndSteps()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(40000));
        s.folder.write(u"nr.ini"_s, "39999\r\n"_ba);
        s.start();
        frmmain &w = *s.window;
        QCOMPARE(w.List1->count(), 40000);
        QCOMPARE(w.windowTitle(), u"Tankedosan -  40000 st"_s);
        QCOMPARE(w.pp->toPlainText(), u"Ordspråk 39999"_s);
        w.cmdnästa_Click();
        QCOMPARE(w.pp->toPlainText(), u"Ordspråk 40000"_s);
        w.cmdnästa_Click();
        QCOMPARE(w.pp->toPlainText(), u"Ordspråk 1"_s);
    }

    void enteringTheSearchListView_data()
    {
        QTest::addColumn<QStringList>("hits");     // the search list before
        QTest::addColumn<QString>("number");       // typed into the number box before
        QTest::addColumn<QString>("searchFor");    // typed in the search window when it is offered and taken
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("searchView");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("afterNästa");

        const QString offer = u"message|Söklistan är tom|YesNo|Question|Det finns inga ordspråk i söklistan. Vill du söka nu?"_s;
        const QStringList three{u"träff 1"_s, u"träff 2"_s, u"träff 3"_s};
        QTest::newRow("shows the hit of the number")
            << three << u"2"_s << QString() << QStringList{} << true << u"Tankedosan - sökresultat - 3 st"_s
            << u"träff 2"_s << u"träff 3"_s;
        QTest::newRow("a number beyond the hits keeps the display")
            << three << u"57"_s << QString() << QStringList{} << true << u"Tankedosan - sökresultat - 3 st"_s
            << u"Ordspråk 1"_s << u"träff 1"_s;
        QTest::newRow("empty, No returns to the whole list")
            << QStringList{} << u"2"_s << QString() << QStringList{offer} << false << u"Tankedosan -  5 st"_s
            << u"Ordspråk 2"_s << u"Ordspråk 3"_s;
        QTest::newRow("empty, Yes and nothing found returns to the whole list")
            << QStringList{} << u"2"_s << u"zzz"_s << QStringList{offer} << false << u"Tankedosan -  5 st"_s
            << u"Ordspråk 2"_s << u"Ordspråk 3"_s;
        QTest::newRow("empty, Yes and hits found shows them")
            << QStringList{} << u"1"_s << u"SPRÅK 4"_s << QStringList{offer} << true
            << u"Tankedosan - sökresultat - 1 st"_s << u"Ordspråk 4"_s << u"Ordspråk 4"_s;
    }

    void enteringTheSearchListView()
    {
        QFETCH(QStringList, hits);
        QFETCH(QString, number);
        QFETCH(QString, searchFor);
        QFETCH(QStringList, boxes);
        QFETCH(bool, searchView);
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        QFETCH(QString, afterNästa);

        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5));
        s.start();
        frmmain &w = *s.window;
        w.txtnr->setText(number);
        w.söklista->setItems(hits);
        if (!searchFor.isEmpty()) {
            s.platform.setNextAnswer(platform::Answer::Yes);
            QTimer::singleShot(0, [&] {
                auto *search = dynamic_cast<frmsök *>(QApplication::activeModalWidget());
                QVERIFY(search);
                search->Text1->setText(searchFor);
                search->cmdsök_Click();
                search->cmdok->click();
            });
        }
        QTest::mouseClick(w.optlista_sök, Qt::LeftButton);
        QCOMPARE(describeBoxes(s.platform.takeBoxes()), boxes);
        QCOMPARE(w.optlista_sök->isChecked(), searchView);
        QCOMPARE(w.optlista_hela->isChecked(), !searchView);
        QCOMPARE(w.windowTitle(), caption);
        QCOMPARE(Module1::antal, caption.section(u' ', -2, -2).toInt());
        QCOMPARE(w.txtnr->text(), number);
        QCOMPARE(w.pp->toPlainText(), shown);
        w.cmdnästa_Click();
        QCOMPARE(w.pp->toPlainText(), afterNästa);
    }

    void backToTheWholeListShowsItsLastProverb_data()
    {
        QTest::addColumn<QString>("numberInSearchView");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("shown");
        QTest::newRow("the last shown proverb") << u"1"_s << u"3"_s << u"Ordspråk 3"_s;
        QTest::newRow("text in the number box") << u"abc"_s << u"3"_s << u"Ordspråk 3"_s;
    }

    void backToTheWholeListShowsItsLastProverb()
    {
        QFETCH(QString, numberInSearchView);
        QFETCH(QString, number);
        QFETCH(QString, shown);
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5));
        s.start();
        frmmain &w = *s.window;
        w.txtnr->setText(u"3"_s);
        w.söklista->setItems({u"träff 1"_s, u"träff 2"_s});
        w.optlista_sök->setChecked(true);
        w.txtnr->setText(numberInSearchView);
        QTest::mouseClick(w.optlista_hela, Qt::LeftButton);
        QCOMPARE(w.windowTitle(), u"Tankedosan -  5 st"_s);
        QCOMPARE(Module1::antal, 5);
        QCOMPARE(w.txtnr->text(), number);
        QCOMPARE(w.pp->toPlainText(), shown);
        QVERIFY(s.platform.boxes().isEmpty());
    }

    void deletingTheShownProverb_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("number");
        QTest::addColumn<platform::Answer>("answer");
        QTest::addColumn<QStringList>("left"); // numbers of the proverbs left in the file
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("caption");

        QTest::newRow("the third of five") << 5 << u"3"_s << platform::Answer::Yes << QStringList{u"1"_s, u"2"_s, u"4"_s, u"5"_s}
                                           << u"Ordspråk 4"_s << u"Tankedosan -  4 st"_s;
        QTest::newRow("the last of five") << 5 << u"5"_s << platform::Answer::Yes << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s}
                                          << QString() << u"Tankedosan -  4 st"_s;
        QTest::newRow("the only one") << 1 << u"1"_s << platform::Answer::Yes << QStringList{} << QString()
                                      << u"Tankedosan -  0 st"_s;
        QTest::newRow("No keeps it") << 5 << u"3"_s << platform::Answer::No << QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}
                                     << u"Ordspråk 3"_s << u"Tankedosan -  5 st"_s;
    }

    void deletingTheShownProverb()
    {
        QFETCH(int, count);
        QFETCH(QString, number);
        QFETCH(platform::Answer, answer);
        QFETCH(QStringList, left);
        QFETCH(QString, shown);
        QFETCH(QString, caption);
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(count));
        s.start();
        frmmain &w = *s.window;
        w.txtnr->setText(number);
        s.platform.setNextAnswer(answer);
        w.mnuarkiv_raderaordspråk->trigger();

        QCOMPARE(describeBoxes(s.platform.takeBoxes()),
                 QStringList{u"message|Ta bort|YesNo|Question|Vill du ta bort detta ordspråk?"_s});
        QStringList expected;
        for (const QString &n : left)
            expected << u"Ordspråk "_s + n;
        QCOMPARE(w.List1->items(), expected);
        QCOMPARE(s.folder.read(u"Citat.dat"_s), store::encodeLines(expected));
        QCOMPARE(w.pp->toPlainText(), shown);
        QCOMPARE(w.txtnr->text(), number);
        QCOMPARE(w.windowTitle(), caption);
        QCOMPARE(Module1::antal, expected.size());
        QCOMPARE(s.platform.pointer(), platform::Pointer::Default);
    }

    void deletingIsRefusedWhereItWouldGoWrong_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("box");
        QTest::newRow("in the search list")
            << u"search view"_s << u"message|Kan inte radera|Ok|Exclamation|Kan inte radera i söklistan!"_s;
        // The proverbs shown are still those of Citat: they must not be written under the name Djur.
        QTest::newRow("the chosen collection is missing") << u"missing"_s << u"error:53"_s;
        QTest::newRow("nothing is shown") << u"nothing shown"_s << u"error:5"_s;
    }

    void deletingIsRefusedWhereItWouldGoWrong()
    {
        QFETCH(QString, situation);
        QFETCH(QString, box);
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(3));
        s.folder.writeCollection(u"Djur"_s, FolderFixture::numbered(2));
        s.start();
        frmmain &w = *s.window;
        if (situation == u"search view"_s) {
            w.söklista->setItems({u"Ordspråk 2"_s});
            w.optlista_sök->setChecked(true);
        } else if (situation == u"missing"_s) {
            QVERIFY(QFile::remove(s.folder.path(u"Djur.dat"_s)));
            choose(w, 1);
        } else {
            w.txtnr->setText(u"00"_s);
        }
        s.platform.takeBoxes();
        s.platform.setNextAnswer(platform::Answer::Yes);
        w.mnuarkiv_raderaordspråk->trigger();
        const QStringList boxes = describeBoxes(s.platform.takeBoxes());
        if (box.startsWith(u"error:"_s)) {
            QCOMPARE(boxes.size(), 2);
            QVERIFY2(boxes[1].startsWith(u"message|Tankedosan|Ok|Exclamation|Ett fel uppstod.\r\n"_s + box.mid(6) + u" - "_s),
                     qPrintable(boxes[1]));
        } else {
            QCOMPARE(boxes, QStringList{box});
        }
        QCOMPARE(w.List1->count(), 3);
        QCOMPARE(s.folder.read(u"Citat.dat"_s), store::encodeLines(FolderFixture::numbered(3)));
        QVERIFY(!s.folder.exists(u"Djur.dat"_s) || situation != u"missing"_s);
        QCOMPARE(s.platform.pointer(), platform::Pointer::Default);
    }

    void aFailedRewritePutsTheProverbBack()
    {
        // A name so long that the file fits but the replacement written beside it does not: the write fails.
        const QString name = QString(246, u'a');
        Started s;
        s.folder.writeCollection(name, FolderFixture::numbered(3));
        s.start();
        frmmain &w = *s.window;
        QCOMPARE(w.List1->count(), 3);
        w.txtnr->setText(u"2"_s);
        s.platform.setNextAnswer(platform::Answer::Yes);
        w.mnuarkiv_raderaordspråk_Click();
        const QStringList boxes = describeBoxes(s.platform.takeBoxes());
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes[1].startsWith(u"message|Tankedosan|Ok|Exclamation|Ett fel uppstod.\r\n"_s), qPrintable(boxes[1]));
        QCOMPARE(w.List1->items(), FolderFixture::numbered(3));
        QCOMPARE(w.List1->selectedIndex(), 1);
        QCOMPARE(s.folder.read(name + u".dat"_s), store::encodeLines(FolderFixture::numbered(3)));
        QCOMPARE(s.platform.pointer(), platform::Pointer::Default);
        // Still the same proverb at the same number.
        w.cmdnästa_Click();
        QCOMPARE(w.pp->toPlainText(), u"Ordspråk 3"_s);
    }

    void creatingACollection_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("box"); // "exists", "error:N" or none
        QTest::addColumn<QStringList>("combo");

        const QStringList two{u"Citat.dat"_s, u"Djur.dat"_s};
        QTest::newRow("a new name goes first and is loaded")
            << two << u"Väder"_s << QString() << QStringList{u"Väder"_s, u"Citat"_s, u"Djur"_s};
        QTest::newRow("Cancel") << two << QString() << QString() << QStringList{u"Citat"_s, u"Djur"_s};
        QTest::newRow("an existing name") << two << u"Djur"_s << u"exists"_s << QStringList{u"Citat"_s, u"Djur"_s};
        QTest::newRow("an existing name in other letters")
            << QStringList{u"Citat.dat"_s, u"Djur.DAT"_s} << u"djur"_s << u"exists"_s << QStringList{u"Citat"_s, u"Djur"_s};
        QTest::newRow("a hidden file of that name") << QStringList{u"Citat.dat"_s, u".dold.dat"_s} << u".dold"_s
                                                    << u"exists"_s << QStringList{u"Citat"_s};
        for (const QString &name : {u"../ut"_s, u"under/ny"_s, u"under\\ny"_s, u".."_s, u"."_s})
            QTest::addRow("name %s", qPrintable(name)) << two << name << u"error:52"_s << QStringList{u"Citat"_s, u"Djur"_s};
    }

    void creatingACollection()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, typed);
        QFETCH(QString, box);
        QFETCH(QStringList, combo);
        Started s;
        for (const QString &file : files)
            s.folder.write(file, store::encodeLines(FolderFixture::numbered(2)));
        QVERIFY(QDir(s.folder.folder()).mkdir(u"under"_s));
        s.start();
        frmmain &w = *s.window;
        const QStringList before = QDir(s.folder.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        s.platform.takeBoxes();
        const qsizetype pointerCalls = s.platform.pointers().size();
        s.platform.setNextInput(typed);
        QTest::mouseClick(w.cmdordspråk_ny, Qt::LeftButton);

        QStringList boxes = describeBoxes(s.platform.takeBoxes());
        QCOMPARE(boxes.takeFirst(), u"input|Ny ordspråkfil||Skriv in ett namn för den nya ordspråkfilen"_s);
        if (box == u"exists"_s)
            QCOMPARE(boxes, QStringList{u"message|Tankedosan|Ok|Exclamation|En fil finns redan med det namnet! Välj ett annat namn."_s});
        else if (box.startsWith(u"error:"_s))
            QVERIFY(boxes.size() == 1 && boxes[0].startsWith(u"message|Tankedosan|Ok|Exclamation|Ett fel uppstod.\r\n"_s + box.mid(6) + u" - "_s));
        else
            QCOMPARE(boxes, QStringList{});
        QCOMPARE(comboItems(w.comboordspråk), combo);

        QStringList after = QDir(s.folder.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(QDir(s.folder.path(u"under"_s)).entryList(QDir::Files), QStringList());
        QVERIFY(!QFileInfo::exists(s.folder.folder() + u"/../ut.dat"_s));
        if (combo.size() > files.size() && combo.first() == typed) {
            // Created empty and loaded once.
            QCOMPARE(s.folder.read(typed + u".dat"_s), QByteArray());
            after.removeOne(typed + u".dat"_s);
            QCOMPARE(w.comboordspråk->currentIndex(), 0);
            QCOMPARE(Module1::sökväg, s.folder.path(typed + u".dat"_s));
            QCOMPARE(w.List1->count(), 0);
            QCOMPARE(w.windowTitle(), u"Tankedosan -  0 st"_s);
            QCOMPARE(s.platform.pointers().size() - pointerCalls, 2);
            QVERIFY(w.fillista->items().contains(typed + u".dat"_s));
        } else {
            QCOMPARE(w.List1->count(), 2);
            QCOMPARE(s.platform.pointers().size(), pointerCalls);
        }
        QCOMPARE(after, before);
    }

    void deletingACollection_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<platform::Answer>("answer");
        QTest::addColumn<bool>("fileGone"); // removed behind the program's back first
        QTest::addColumn<QStringList>("combo");
        QTest::addColumn<QString>("loaded"); // stem of the proverbs in the proverb list after

        const QStringList two{u"Citat"_s, u"Djur"_s};
        QTest::newRow("Yes deletes and loads the first") << two << 1 << platform::Answer::Yes << false
                                                         << QStringList{u"Citat"_s} << u"Citat"_s;
        QTest::newRow("No keeps it") << two << 1 << platform::Answer::No << false << two << u"Djur"_s;
        QTest::newRow("a file already gone") << two << 1 << platform::Answer::Yes << true << two << u"Djur"_s;
        QTest::newRow("the last one keeps its proverbs")
            << QStringList{u"Citat"_s} << 0 << platform::Answer::Yes << false << QStringList{} << u"Citat"_s;
        QTest::newRow("the first of three loads the next")
            << QStringList{u"Citat"_s, u"Djur"_s, u"Väder"_s} << 0 << platform::Answer::Yes << false
            << QStringList{u"Djur"_s, u"Väder"_s} << u"Djur"_s;
    }

    void deletingACollection()
    {
        QFETCH(QStringList, files);
        QFETCH(int, chosen);
        QFETCH(platform::Answer, answer);
        QFETCH(bool, fileGone);
        QFETCH(QStringList, combo);
        QFETCH(QString, loaded);
        Started s;
        for (const QString &name : files)
            s.folder.writeCollection(name, FolderFixture::numbered(files.indexOf(name) + 2, name));
        s.start();
        frmmain &w = *s.window;
        choose(w, chosen);
        const QString name = files[chosen];
        if (fileGone)
            QVERIFY(QFile::remove(s.folder.path(name + u".dat"_s)));
        s.platform.takeBoxes();
        const qsizetype pointerCalls = s.platform.pointers().size();
        s.platform.setNextAnswer(answer);
        QTest::mouseClick(w.cmdordspråk_radera, Qt::LeftButton);

        QStringList boxes = describeBoxes(s.platform.takeBoxes());
        QCOMPARE(boxes.takeFirst(), u"message|Radera|YesNo|Question|Vill du radera ordspråkfilen ''"_s + name + u"''?"_s);
        if (fileGone)
            QVERIFY(boxes.size() == 1 && boxes[0].startsWith(u"message|Tankedosan|Ok|Exclamation|Ett fel uppstod.\r\n53 - "_s));
        else
            QCOMPARE(boxes, QStringList{});
        QCOMPARE(comboItems(w.comboordspråk), combo);
        QCOMPARE(s.folder.exists(name + u".dat"_s), answer == platform::Answer::No);
        QCOMPARE(w.List1->item(0), loaded + u" 1"_s);
        // A collection is loaded once, the one named; none when nothing is left to load.
        const bool loads = answer == platform::Answer::Yes && !fileGone && !combo.isEmpty();
        QCOMPARE(s.platform.pointers().size() - pointerCalls, loads ? 2 : 0);
        if (loads) {
            QCOMPARE(w.comboordspråk->currentIndex(), 0);
            QCOMPARE(Module1::sökväg, s.folder.path(combo.first() + u".dat"_s));
        }
        QCOMPARE(w.fillista->count(), files.size() - (loads || combo.isEmpty() ? 1 : 0));
    }

    void aCollectionIsItsListedFile()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(2, u"Citat"_s));
        QVERIFY(QFile::rename(s.folder.path(u"Citat.dat"_s), s.folder.path(u"Citat.DAT"_s)));
        s.folder.write(u"Djur.Dat"_s, store::encodeLines(FolderFixture::numbered(3, u"Djur"_s)));
        s.start();
        frmmain &w = *s.window;
        QVERIFY(s.platform.boxes().isEmpty());
        QCOMPARE(w.List1->count(), 2);
        QCOMPARE(Module1::sökväg, s.folder.path(u"Citat.DAT"_s));

        choose(w, 1);
        QVERIFY(s.platform.boxes().isEmpty());
        QCOMPARE(w.List1->items(), FolderFixture::numbered(3, u"Djur"_s));
        w.txtnr->setText(u"1"_s);
        s.platform.setNextAnswer(platform::Answer::Yes);
        w.mnuarkiv_raderaordspråk_Click();
        QCOMPARE(s.folder.read(u"Djur.Dat"_s), store::encodeLines({u"Djur 2"_s, u"Djur 3"_s}));
        QCOMPARE(QDir(s.folder.folder()).entryList(QDir::Files), (QStringList{u"Citat.DAT"_s, u"Djur.Dat"_s}));
    }

    void choosingTheChosenCollectionReadsItAgain()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(2));
        s.start();
        frmmain &w = *s.window;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(4));
        choose(w, 0);
        QCOMPARE(w.List1->count(), 4);
        QCOMPARE(w.windowTitle(), u"Tankedosan -  4 st"_s);
    }

    void copyingTheShownProverb_data()
    {
        QTest::addColumn<QString>("proverb");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("copied");
        QTest::newRow("the shown proverb") << u"Borta bra, hemma bäst"_s << u"1"_s << u"Borta bra, hemma bäst"_s;
        QTest::newRow("an empty display") << u"Borta bra"_s << u"00"_s << QString();
        QTest::newRow("a proverb longer than the display shows") << QString(20000, u'x') << u"1"_s << QString(20000, u'x');
        QTest::newRow("no-break spaces stay") << u"a\u00A0b"_s << u"1"_s << u"a\u00A0b"_s;
    }

    void copyingTheShownProverb()
    {
        QFETCH(QString, proverb);
        QFETCH(QString, number);
        QFETCH(QString, copied);
        Started s;
        s.folder.writeCollection(u"Citat"_s, {proverb});
        s.start();
        s.window->txtnr->setText(number);
        QTest::mouseClick(s.window->cmdkopiera, Qt::LeftButton);
        QVERIFY(s.platform.clipboardCleared());
        QCOMPARE(s.platform.clipboard(), copied);
    }

    void textSize_data()
    {
        QTest::addColumn<QList<int>>("menuChoices"); // indexes chosen in the menu; -1-v sets the scroll bar to v
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("marked");
        QTest::newRow("18") << QList<int>{4} << 18.0 << 4;
        QTest::newRow("the size in force keeps its mark") << QList<int>{0} << 8.25 << 0;
        QTest::newRow("chosen twice") << QList<int>{2, 2} << 12.0 << 2;
        QTest::newRow("the scroll bar moves the mark") << QList<int>{4, -1 - 2} << 9.75 << 1;
        QTest::newRow("back and forth") << QList<int>{4, 0, 3} << 13.5 << 3;
    }

    void textSize()
    {
        QFETCH(QList<int>, menuChoices);
        QFETCH(double, points);
        QFETCH(int, marked);
        Started s;
        s.start();
        frmmain &w = *s.window;
        for (const int choice : menuChoices) {
            if (choice >= 0)
                w.mnuredigera_textstorlek[choice]->trigger();
            else
                w.scroll->setValue(-1 - choice);
        }
        QCOMPARE(w.pp->font().pointSizeF(), points);
        QCOMPARE(w.scroll->value(), marked + 1);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(w.mnuredigera_textstorlek[i]->isChecked(), i == marked);
    }

    // Word wrap of a line without blanks takes time that grows with its square: a proverb of megabytes
    // must show in part at once, while the list keeps it whole.
    void hugeProverbsShowAtOnceAndStayWhole_data()
    {
        QTest::addColumn<QByteArray>("proverb");
        QTest::newRow("3 MB without a blank") << QByteArray(3 << 20, 'x');
        QTest::newRow("3 MB of LFs") << QByteArray(3 << 20, '\n');
    }

    void hugeProverbsShowAtOnceAndStayWhole()
    {
        QFETCH(QByteArray, proverb);
        Started s;
        s.folder.write(u"Citat.dat"_s, "kort\r\n"_ba + proverb + "\r\n"_ba);
        s.folder.write(u"nr.ini"_s, "2\r\n"_ba);
        s.start();
        QCOMPARE(s.window->pp->toPlainText().size(), store::kShownCharacters + 1);
        QCOMPARE(s.window->List1->item(1).size(), proverb.size());
    }

    void closingWritesTheNumberBoxAsItStands_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("a number") << u"12"_s << "12\r\n"_ba;
        QTest::newRow("whatever was typed") << u"abc"_s << "abc\r\n"_ba;
        QTest::newRow("empty") << QString() << "\r\n"_ba;
        QTest::newRow("Swedish letters") << u"åtta"_s << "\xe5tta\r\n"_ba;
    }

    void closingWritesTheNumberBoxAsItStands()
    {
        QFETCH(QString, number);
        QFETCH(QByteArray, written);
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(20));
        s.start();
        s.window->show();
        s.window->txtnr->setText(number);
        QVERIFY(s.window->close());
        QCOMPARE(s.folder.read(u"nr.ini"_s), written);
    }

    void closingSurvivesAnUnwritableNumberFile()
    {
        Started s;
        QVERIFY(QDir(s.folder.path(QString())).mkdir(u"nr.ini"_s));
        s.start();
        s.window->show();
        QVERIFY(s.window->close());
        QVERIFY(s.platform.boxes().isEmpty());
        QVERIFY(QFileInfo(s.folder.path(u"nr.ini"_s)).isDir());
    }

    void avslutaClosesTheWindowAndSavesTheNumber()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(20));
        s.start();
        s.window->show();
        s.window->txtnr->setText(u"17"_s);
        s.window->mnuarkiv_avsluta->trigger();
        QVERIFY(!s.window->isVisible());
        QCOMPARE(s.folder.read(u"nr.ini"_s), "17\r\n"_ba);
    }
};

QTEST_MAIN(tst_frmmain)
#include "tst_frmmain.moc"
