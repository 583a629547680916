#include "support/folderfixture.h"

#include "main/frmmain.h"
#include "platform/scriptedplatform.h"
#include "store/encoding.h"
#include "store/module1.h"
#include "store/shown.h"

#include <QAction>
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

        w.comboordspråk->setCurrentIndex(1);
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
        w.comboordspråk->setCurrentIndex(0);
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

        w.comboordspråk->setCurrentIndex(1);
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

        w.comboordspråk->setCurrentIndex(1);
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

        w.comboordspråk->setCurrentIndex(1);
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
