// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "support/modal.h"
#include "support/systemfixtures.h"

#include "main/frmhjalp.h"
#include "main/frmom.h"
#include "editor/frmredigera.h"
#include "quicksave/frmsnabbspara.h"
#include "search/frmsok.h"
#include "store/collections.h"
#include "store/module1.h"
#include "store/programfolder.h"
#include "store/numbers.h"
#include "store/shown.h"
#include "widgets/collectionboxes.h"
#include "widgets/twips.h"

#include <QFontDatabase>
#include <QListView>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QScopeGuard>

#include <fcntl.h>
#include <unistd.h>

#include <optional>

using namespace tankedosan::search;

namespace {

const QMap<QString, QStringList> kCollections{
    {u"Citat.dat"_s, u"Borta bra men hemma bäst|Hund som skäller biter inte|Ingen ko på isen|Morgonstund har "
                     "guld i mund|Den som väntar på något gott"_s.split(u'|')},
    {u"Djur.DAT"_s, {u"hund 1"_s, u"Katt"_s, u"hund 2"_s, u"katt och HUND"_s, u"Häst"_s, u"hund 3"_s}},
    {u"Tom.dat"_s, {}},
    // "½°": two bytes a loose judge of UTF-8 takes for one character, in a file short enough to be judged bytewise
    {u"Aforismer.dat"_s, {u"Citat"_s, u"ingen hund"_s, u"½° kallt"_s}},
    {u"citat.dat"_s, {u"liten"_s}}};
const double kSizes[] = {8.25, 9.75, 12, 13.5, 18};
const QString kAbout = u"Tankedosan v2.2\nDatum: 2005-03-20\n\nFritt att använda och dela med andra.\n"
                       u"Hemsida: https://tankedosan.example.org\nEpost: tankedosan@example.org"_s;

// The window beside a plain model of it; busy counts loads, searches and rewrites.
struct Run
{
    Started s;
    QRandomGenerator &random;
    QMap<QString, QStringList> files; // file name: its proverbs
    QStringList box, whole, hits, log, boxes; // box: the collection files in the box's order
    int wholeMarked = -1, hitsMarked = -1, count = 0, busy = 0, size = 0, abouts = 0, clicks = 0;
    bool inSearch = false;
    QString path, number = u"1"_s, display, caption = u"Tankedosan"_s;
    QTimer closer; // closes About, which clicks on the picture open

    Run(const QString &names, const QByteArray &numberFile, QRandomGenerator &random)
        : random(random)
        , log{u"start "_s + names}
    {
        for (QString file : names.split(u' ', Qt::SkipEmptyParts)) {
            // "lång" fits, but not the replacement written beside it on a deletion
            file = (file == u"lång"_s ? QString(246, u'a') : file) + (file.contains(u'.') ? u""_s : u".dat"_s);
            files[file] = kCollections.value(file, FolderFixture::numbered(3));
            box << file;
            s.folder.write(file, bytes(files[file]));
        }
        s.folder.write(u"notes.txt"_s, "Citat\r\n");
        if (!numberFile.isNull())
            s.folder.write(u"nr.ini"_s, numberFile);
        s.start();
        if (!box.isEmpty())
            load(std::max(0, int(box.indexOf(u"Citat.dat"_s))));
        setNumber(numberFile.isNull() ? u"1"_s : QString::fromLatin1(numberFile).trimmed());
        closer.callOnTimeout([this] {
            if (auto *about = qobject_cast<frmOm *>(QApplication::activeModalWidget())) {
                const bool read = child<QPlainTextEdit>(about, "Text1")->toPlainText() == kAbout;
                QTest::mouseClick(child<QPushButton>(about, "cmdok"), Qt::LeftButton);
                abouts += read && (about->isHidden() || !about->close());
            }
        });
        closer.start(0);
    }
    template<class T = QWidget>
    T *c(const char *name, int index = 0)
    {
        return child<T>(*s.window, name, index);
    }
    void press(const char *name) { QTest::mouseClick(c(name), Qt::LeftButton); }
    static std::optional<int> strict(const QString &text)
    {
        const auto n = strictNumber(text);
        return n.ok() ? std::optional(*n) : std::nullopt;
    }
    QByteArray bytes(const QStringList &l) { return l.isEmpty() ? ""_ba : l.join(u"\r\n"_s).toLatin1() + "\r\n"; }
    QStringList &list() { return inSearch ? hits : whole; }
    QString draw(const QString &choices) { return choices.split(u'|')[random.bounded(int(choices.count(u'|')) + 1)]; }

    void check()
    {
        QCOMPARE(takeBoxes(s.platform), std::exchange(boxes, {}));
        QVERIFY(s.platform.scriptUsedUp());
        QString pointers, marks;
        for (Pointer pointer : s.platform.pointers()) // each busy pointer restored once
            pointers += pointer == Pointer::Busy ? u'B' : u'D';
        for (const QAction *entry : s.window->findChildren<QAction *>(u"mnuredigera_textstorlek"_s))
            marks += entry->isChecked() ? u'x' : u'-';
        const auto n = [](auto v) {
            return QString::number(v);
        };
        QCOMPARE(
            (QStringList{s.window->windowTitle(), c<QLineEdit>("txtnr")->text(), c<QPlainTextEdit>("pp")->toPlainText(),
                         n(Module1::antal), c<ListBoxModel>("List1")->items().join(u'/'),
                         c<ListBoxModel>("söklista")->items().join(u'/'), n(abouts), pointers,
                         n(c<QRadioButton>("optlista_sök")->isChecked()), n(c<QComboBox>("comboordspråk")->count()),
                         n(c<QPlainTextEdit>("pp")->font().pointSizeF()) + marks}),
            (QStringList{caption, number, display, n(count), whole.join(u'/'), hits.join(u'/'), n(clicks),
                         u"BD"_s.repeated(busy), n(inSearch), n(box.size()), // the order shows in the loads
                         n(kSizes[size]) + u"-----"_s.replace(size, 1, u'x')}));
        QCOMPARE(QDir(s.folder.folder()).entryList({u"*.dat"_s}, QDir::Files).size(), files.size());
        const QStringList listed = c<ListBoxModel>("fillista")->items(); // the hidden list of the collection files
        QVERIFY2(std::is_permutation(listed.begin(), listed.end(), box.begin(), box.end()),
                 qPrintable(listed.join(u'/')));
        for (const auto &[file, lines] : files.asKeyValueRange())
            QCOMPARE(s.folder.read(file), bytes(lines));
    }

    void setCaption()
    {
        count = int(list().size());
        caption = (inSearch ? u"Tankedosan - sökresultat - %1 st"_s : u"Tankedosan -  %1 st"_s).arg(count);
    }
    // The number box changed: a number of the list (0 for none) is shown, anything else changes nothing.
    void setNumber(const QString &text)
    {
        const auto n = text == u"0"_s || text == number ? std::nullopt : strict(text);
        number = text;
        if (!n || *n < 0 || *n > list().size())
            return;
        (inSearch ? hitsMarked : wholeMarked) = *n - 1;
        display = *n ? list().at(*n - 1) : QString();
    }
    // The window sets the number itself, shown also when the box held it; a box that holds none is told so.
    void reshow(std::optional<int> n)
    {
        if (!n) // not a number (13), or out of range (6)
            return void(boxes << (number.contains(QRegularExpression(u"[0-9] *$"_s)) ? u"error:6"_s : u"error:13"_s));
        number.clear();
        setNumber(QString::number(*n));
    }
    void view(bool search)
    {
        inSearch = search;
        setCaption();
        const int marked = search ? hitsMarked : wholeMarked;
        const auto n = strict(number);
        if (n || search || marked >= 0)
            reshow(marked >= 0 && (n || !search) ? std::optional(marked + 1) : n);
    }
    // After a search confirmed: an empty search list is never the one stepped through.
    void afterSearch(const QStringList &found)
    {
        hits = found;
        hitsMarked = -1;
        if (!hits.isEmpty() || inSearch)
            view(!hits.isEmpty());
    }
    void load(int index)
    {
        ++busy;
        path = box[index];
        whole = files[path];
        hits.clear();
        display.clear();
        wholeMarked = hitsMarked = -1;
        inSearch = false;
        setCaption();
        const auto n = strict(number);
        if (!n || count >= *n)
            reshow(n);
    }

    void type()
    {
        const QString typed = draw(u"|0|00|1|2|3|5|9|2x|abc|-2"_s);
        c<QLineEdit>("txtnr")->selectAll();
        QTest::keyClicks(c<QLineEdit>("txtnr"), typed.isEmpty() ? u"\b"_s : typed);
        for (qsizetype i = typed.isEmpty() ? 0 : 1; i <= typed.size(); ++i)
            setNumber(typed.left(i));
    }
    void click(const char *button, bool search)
    {
        press(button);
        if (inSearch != search)
            view(search);
    }
    // An empty search list asks to search now: Yes opens the search window, No goes back.
    void searchList(bool yes)
    {
        if (inSearch || !hits.isEmpty())
            return click("optlista_sök", true);
        s.platform.setNextAnswer(yes ? Answer::Yes : Answer::No);
        boxes << u"message|Söklistan är tom|YesNo|Question|Det finns inga ordspråk i söklistan. Vill du söka nu?"_s;
        inSearch = true;
        if (!yes)
            return click("optlista_sök", false);
        search("optlista_sök", true);
        afterSearch(hits); // the choice of the view goes on when the search window has closed, and shows them
    }
    void search(const char *button, bool offered = false)
    {
        whileOpen<frmsök>([&] { press(button); },
                          [this, offered](frmsök &window) {
                              const QString term = draw(u"hund|HUND|katt|KATT|och|mund|h|x"_s);
                              const bool beginning = random.bounded(3) == 0, ok = random.bounded(4) > 0;
                              QTest::mouseClick(child<QRadioButton>(window, beginning ? "optsöksätt1" : "optsöksätt2"),
                                                Qt::LeftButton);
                              QTest::keyClicks(child<QLineEdit>(window, "Text1"), term);
                              QTest::keyClick(child<QLineEdit>(window, "Text1"), Qt::Key_Return);
                              ++busy;
                              QTest::mouseClick(child<QPushButton>(window, ok ? "cmdok" : "cmdavbryt"), Qt::LeftButton);
                              QStringList found = whole;
                              found.removeIf([&](const QString &proverb) {
                                  const qsizetype at = proverb.indexOf(term, 0, Qt::CaseInsensitive);
                                  return beginning ? at != 0 : at < 0;
                              });
                              if (ok && offered)
                                  hits = found;
                              else if (ok)
                                  afterSearch(found);
                          });
    }
    void removeProverb(bool yes)
    {
        if (!inSearch)
            s.platform.setNextAnswer(yes ? Answer::Yes : Answer::No);
        c<QAction>("mnuarkiv_raderaordspråk")->trigger();
        boxes << (inSearch ? u"message|Kan inte radera|Ok|Exclamation|Kan inte radera i söklistan!"_s
                           : u"message|Ta bort|YesNo|Question|Vill du ta bort detta ordspråk?"_s);
        if (inSearch || !yes)
            return;
        if (!files.contains(path) || wholeMarked < 0) // the file gone (53), or no proverb shown (5)
            return void(boxes << (files.contains(path) ? u"error:5"_s : u"error:53"_s));
        ++busy;
        if (path.size() > 200) // too long a name for the replacement
            return void(boxes << u"error:75"_s);
        whole.removeAt(std::exchange(wholeMarked, -1));
        files[path] = whole;
        display.clear();
        // The caption follows the list at once, also when the number box holds no number (a box tells so).
        setCaption();
        if (count > 0)
            reshow(strict(number));
    }
    // "Ny": a hidden name or that of a collection in other letters is refused, a new one made and chosen.
    void create(const QString &name)
    {
        s.platform.setNextInput(name);
        press("cmdordspråk_ny");
        boxes << u"input|Ny ordspråkfil|Skriv in ett namn för den nya ordspråkfilen"_s;
        const bool clash = std::any_of(files.keyBegin(), files.keyEnd(),
                                       [&](auto &f) { return !f.chopped(4).compare(name, Qt::CaseInsensitive); });
        if (name.startsWith(u'.') || clash)
            return void(boxes << (clash ? u"message|Tankedosan|Ok|Exclamation|En fil finns redan med det namnet! "
                                          u"Välj ett annat namn."_s
                                        : u"error:52"_s));
        files[name + u".dat"_s] = {};
        box.prepend(name + u".dat"_s);
        load(0);
    }
    void removeCollection(bool yes)
    {
        s.platform.setNextAnswer(yes ? Answer::Yes : Answer::No);
        press("cmdordspråk_radera");
        boxes << u"message|Radera|YesNo|Question|Vill du radera ordspråkfilen ''%1''?"_s.arg(
            box.isEmpty() ? QString() : path.chopped(4));
        if (yes && !files.remove(path))
            boxes << u"error:53"_s;
        else if (yes && box.removeOne(path) && !box.isEmpty())
            load(0);
    }

    // One action drawn at random; the last three, which make and delete collections, only from step 80 on.
    void act(int at)
    {
        const bool yes = random.bounded(2); // + and - in the log: also Nästa or Förra
        const int action = random.bounded(at < 80 ? 10 : 13), k = action == 8 ? random.bounded(5) : 0;
        log << QString::number(action) + (yes ? u"+"_s : u"-"_s);
        switch (action) {
        case 0: {
            if (box.isEmpty())
                return;
            const int index = random.bounded(box.size());
            pick(c<QComboBox>("comboordspråk"), index);
            return load(index);
        }
        case 1: return type();
        case 2: {
            press(yes ? "cmdnästa" : "cmdförra");
            const qint64 n = lenientNumber(number);
            return setNumber(QString::number(yes ? (n >= count ? 0 : n) + 1 : (n - 1 <= 0 ? count : n - 1)));
        }
        case 3: return click("optlista_hela", false);
        case 4: return searchList(yes);
        case 5: return search("cmdsök");
        case 6: return removeProverb(yes);
        case 7: // a press on the picture let go outside it is no click
            QTest::mousePress(c("Image1"), Qt::LeftButton, {}, QPoint(2, 2));
            QTest::mouseRelease(c("Image1"), Qt::LeftButton, {}, QPoint(-9, 2));
            press("Image1");
            return void(++clicks);
        case 8: // a text size from the menu, or a step on the scroll bar
            yes ? c<QAction>("mnuredigera_textstorlek", k)->trigger()
                : QTest::mouseClick(c<QScrollBar>("scroll"), Qt::LeftButton, {},
                                    QPoint(k < 2 ? 3 : c("scroll")->width() - 3, 4));
            return void(size = yes ? k : std::clamp(size + (k < 2 ? -1 : 1), 0, 4));
        case 10:
        case 11: return create(u".dold CITAT djur Ny"_s.split(u' ')[at % 4]);
        case 12: return removeCollection(yes);
        default: press("cmdkopiera"); QCOMPARE(s.platform.clipboard(), display);
        }
    }
};

} // namespace

class tst_frmmain : public QObject
{
    Q_OBJECT

private slots:
    void randomActionsFollowTheModel()
    {
        const std::pair<QString, QByteArray> starts[] = {{u"Citat Djur.DAT Tom"_s, {}},
                                                         {u"Aforismer Citat Djur.DAT"_s, "3\r\n"},
                                                         {u"Djur.DAT Tom"_s, "9\r\n"},
                                                         {u"Aforismer citat"_s, {}},
                                                         {{}, "4\r\n"},
                                                         {u"lång"_s, "2\r\n"}};
        QRandomGenerator random(15);
        for (const auto &[files, numberFile] : starts) {
            Run run(files, numberFile, random);
            QRandomGenerator saved;
            for (int step = 0; step <= 100 && !QTest::currentTestFailed(); ++step) {
                run.check();
                if (step == 80) // from here on collections are made and deleted too, the first steps as they were
                    saved = random;
                if (step < 100 && !QTest::currentTestFailed())
                    run.act(step);
            }
            if (QTest::currentTestFailed())
                return void(qWarning().noquote() << "actions:" << run.log.join(u"; "_s));
            random = saved;
            random.bounded(2) ? run.c<QAction>("mnuarkiv_avsluta")->trigger() : void(run.s.window->close());
            QCOMPARE(run.s.folder.read(u"nr.ini"_s), run.number.toLatin1() + "\r\n"); // either way kept
        }
    }

    // fortune's entries in the windows: shown, copied and quick-saved with their lines (lined up by blanks, in a
    // font of one width), found across a line break as across a blank, one row each in the search's result and
    // the editor's list.
    void fortuneEntriesKeepTheirLines()
    {
        Started s;
        const QString poem = u"Ros\n  är röd\n\n  Viol"_s, drawing = u"  /\\\n /  \\\n/____\\"_s;
        s.folder.write(u"dikt"_s, (poem + u"\n%\n"_s + drawing + u"\n%\nEtt\r två\n%\n"_s).toUtf8());
        const QString strfile = QStandardPaths::findExecutable(u"strfile"_s, {u"/usr/bin"_s, u"/usr/sbin"_s});
        QCOMPARE(QProcess::execute(strfile, {u"-s"_s, s.folder.path(u"dikt"_s)}), 0);
        frmmain &w = s.start();
        auto *pp = child<QPlainTextEdit>(w, "pp");
        const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
        QStringList seen;
        const auto look = [&] {
            seen << pp->toPlainText() + (pp->font().family() == fixed ? u" [fixed]"_s : u""_s);
        };
        look();
        QTest::mouseClick(child<QPushButton>(w, "cmdkopiera"), Qt::LeftButton);
        child<QAction>(w, "mnuarkiv_snabbspara")->trigger();
        for (int step = 0; step < 3; ++step) {
            QTest::mouseClick(child<QPushButton>(w, "cmdnästa"), Qt::LeftButton);
            look();
        }
        QCOMPARE(seen,
                 (QStringList{poem + u" [fixed]"_s, drawing + u" [fixed]"_s, u"Ett  två"_s, poem + u" [fixed]"_s}));
        QCOMPARE(s.platform.clipboard(), poem);
        QVERIFY(child<QPlainTextEdit>(w.snabbsparaFönster(), "Text1")->toPlainText().startsWith(poem));
        QString rows;
        whileOpen<frmsök>([&] { QTest::mouseClick(child<QPushButton>(w, "cmdsök"), Qt::LeftButton); },
                          [&](frmsök &search) {
                              QTest::keyClicks(child<QLineEdit>(search, "Text1"), u"RÖD VIOL"_s);
                              QTest::keyClick(child<QLineEdit>(search, "Text1"), Qt::Key_Return);
                              rows = child<QPlainTextEdit>(search, "Text2")->toPlainText();
                              QTest::mouseClick(child<QPushButton>(search, "cmdok"), Qt::LeftButton);
                          });
        QCOMPARE(rows + u'|' + w.windowTitle() + u'|' + pp->toPlainText(),
                 u"Ros är röd Viol\n|Tankedosan - sökresultat - 1 st|"_s + poem);
        whileOpen<editor::frmredigera>([&] { child<QAction>(w, "mnuredigera_redigera")->trigger(); },
                                       [&](editor::frmredigera &editor) {
                                           const QAbstractItemModel *list = child<QListView>(editor, "List1")->model();
                                           rows.clear();
                                           for (int row = 0; row < list->rowCount(); ++row)
                                               rows += list->index(row, 0).data().toString() + u'|';
                                           editor.close();
                                       });
        const QStringList listed = rows.split(u'|');
        QCOMPARE(QSet<QString>(listed.begin(), listed.end()),
                 (QSet<QString>{u"Ros är röd Viol"_s, u"/\\ /  \\ /____\\"_s, u"Ett  två"_s, QString()}));
    }

    // The desktop's keys, typed where the focus is: a control that uses a key keeps it. The result: the number,
    // the collection, the copy (the program's and a text box's own), the text size with its marks, searches opened.
    void desktopKeys_data()
    {
        QTest::addColumn<QString>("control"); // none: the menu bar
        QTest::addColumn<QString>("keys"); // a selection in the control first where they start with "*"
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("entry"); // the menu entry that shows the key, and where among its keys
        const auto row = [](const char *name, const char *control, const char *keys, int size, const char *expected,
                            const char *entry = "") {
            QTest::newRow(name) << QString::fromUtf8(control) << QString::fromUtf8(keys) << size
                                << QString::fromUtf8(expected) << QString::fromUtf8(entry);
        };
        row("page down", "cmdnästa", "PgDown, PgDown", 0, "4|Citat|||8.25 x----|0");
        row("page up", "cmdnästa", "PgUp, PgUp", 0, "5|Citat|||8.25 x----|0");
        row("page down in the number box", "txtnr", "PgDown", 0, "3|Citat|||8.25 x----|0");
        row("page up in the collection box", "comboordspråk", "PgUp", 0, "1|Citat|||8.25 x----|0");
        row("arrows on a button", "cmdförra", "Right, Right, Left", 0, "3|Citat|||8.25 x----|0");
        row("arrows on the display", "pp", "Left", 0, "1|Citat|||8.25 x----|0");
        row("number box keeps its arrows", "txtnr", "Left, Right, Left", 0, "2|Citat|||8.25 x----|0");
        row("collection box keeps its arrows", "comboordspråk", "Right, Down, Left", 0, "2|Djur|||8.25 x----|0");
        row("menu bar keeps its arrows", "", "Right", 0, "2|Citat|||8.25 x----|0");
        row("options keep their arrows", "optlista_sök", "Right", 0, "2|Citat|||8.25 x----|0");
        row("copy", "cmdnästa", "Ctrl+C", 0, "2|Citat|Två||8.25 x----|0");
        row("copy from the number box", "txtnr", "Ctrl+C", 0, "2|Citat|Två||8.25 x----|0");
        row("copy from the display", "pp", "Ctrl+C", 0, "2|Citat|Två||8.25 x----|0");
        row("number box copies its selection", "txtnr", "*Ctrl+C", 0, "2|Citat||2|8.25 x----|0");
        row("display copies its selection", "pp", "*Ctrl+C", 0, "2|Citat||Två|8.25 x----|0");
        row("find", "txtnr", "Ctrl+F", 0, "2|Citat|||8.25 x----|1", "mnuredigera_sök 1");
        row("find, the first key of its entry", "cmdnästa", "F3", 0, "2|Citat|||8.25 x----|1", "mnuredigera_sök 0");
        row("larger", "cmdnästa", "Ctrl++, Ctrl++, Ctrl++, Ctrl+-", 0, "2|Citat|||12 --x--|0");
        row("larger with =", "txtnr", "Ctrl+=", 3, "2|Citat|||18 ----x|0");
        row("largest stays", "cmdnästa", "Ctrl++", 4, "2|Citat|||18 ----x|0");
        row("smaller", "comboordspråk", "Ctrl+-", 1, "2|Citat|||8.25 x----|0");
        row("smallest stays", "cmdnästa", "Ctrl+-", 0, "2|Citat|||8.25 x----|0");
        row("default size", "pp", "Ctrl+0", 3, "2|Citat|||8.25 x----|0", "mnuredigera_textstorlek 0");
    }
    void desktopKeys()
    {
        QFETCH(QString, control);
        QFETCH(QString, keys);
        QFETCH(int, size);
        QFETCH(QString, entry);
        Started s;
        s.folder.writeCollection(u"Citat"_s, {u"Ett"_s, u"Två"_s, u"Tre"_s, u"Fyra"_s, u"Fem"_s});
        s.folder.writeCollection(u"Djur"_s, {u"Ko"_s, u"Katt"_s});
        s.folder.write(u"nr.ini"_s, "2\r\n"_ba);
        frmmain &w = s.start();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        child<QAction>(w, "mnuredigera_textstorlek", size)->trigger();
        QWidget *focused = control.isEmpty() ? w.menuBar() : child<QWidget>(w, qPrintable(control));
        focused->setFocus();
        if (control.isEmpty()) // Alt alone puts the menu bar in charge of the arrows
            QTest::keyClick(focused, Qt::Key_Alt);
        if (keys.startsWith(u'*')) {
            QMetaObject::invokeMethod(focused, "selectAll");
            keys.remove(0, 1);
        }
        QGuiApplication::clipboard()->clear();
        int searches = 0;
        QTimer closer;
        closer.callOnTimeout([&] {
            if (auto *search = qobject_cast<frmsök *>(QApplication::activeModalWidget()))
                searches += search->close();
        });
        closer.start(0);
        const QKeySequence sequence = QKeySequence::fromString(keys, QKeySequence::PortableText);
        for (int i = 0; i < sequence.count(); ++i)
            QTest::keyClick(focused, sequence[i].key(), sequence[i].keyboardModifiers());
        QString marks;
        for (const QAction *size : w.findChildren<QAction *>(u"mnuredigera_textstorlek"_s))
            marks += size->isChecked() ? u'x' : u'-';
        QTEST(QStringList({child<QLineEdit>(w, "txtnr")->text(), child<QComboBox>(w, "comboordspråk")->currentText(),
                           s.platform.clipboard(), QGuiApplication::clipboard()->text(),
                           QString::number(child<QPlainTextEdit>(w, "pp")->font().pointSizeF()) + u' ' + marks,
                           QString::number(searches)})
                  .join(u'|'),
              "expected");
        if (!entry.isEmpty())
            QCOMPARE(child<QAction>(w, qPrintable(entry.section(u' ', 0, 0)))->shortcuts().indexOf(sequence),
                     entry.section(u' ', 1).toInt());
    }

    // Started with an encoding named, the window reads a collection that is no UTF-8 in it, and one that is as
    // it is.
    void collectionsReadInTheEncodingNamed()
    {
        Started s;
        s.folder.write(u"Citat.dat"_s, "A\xF8o\r\n\xA6oj\r\n"_ba);
        s.folder.write(u"Djur.dat"_s, "\xC3\x85sna\r\n"_ba);
        store::setFolderEncoding(*store::ChosenEncoding::named(u"latin3"_s));
        const auto reset = qScopeGuard([] { store::setFolderEncoding({}); });
        frmmain &w = s.start();
        QCOMPARE(child<ListBoxModel>(w, "List1")->items(), (QStringList{u"Aĝo"_s, u"Ĥoj"_s}));
        pick(child<QComboBox>(w, "comboordspråk"), 1);
        QCOMPARE(child<ListBoxModel>(w, "List1")->items(), QStringList{u"Åsna"_s});
    }

    // A huge proverb shows in part (wrapping it would take long) but is copied whole.
    void hugeProverbsNumbersAndCancelledLoads()
    {
        Started s;
        const QByteArray proverb(3 << 20, 'x');
        s.folder.write(u"Citat.dat"_s, "kort\r\n"_ba + proverb + "\r\n"_ba);
        s.folder.write(u"Djur.dat"_s, QByteArray("Djur\r\n").repeated(3 << 20)); // 18 MB, read in three steps
        s.folder.write(u"nr.ini"_s, "2\r\n"_ba);
        frmmain &w = s.start();
        auto *number = child<QLineEdit>(w, "txtnr");
        auto *box = child<QComboBox>(w, "comboordspråk");
        QCOMPARE(child<QPlainTextEdit>(w, "pp")->toPlainText().size(), kShownCharacters + 1);
        QTest::mouseClick(child<QPushButton>(w, "cmdkopiera"), Qt::LeftButton);
        QCOMPARE(s.platform.clipboard().size(), proverb.size());
        w.link().showSearchHits(LineStore::fromStrings(FolderFixture::numbered(3)));
        number->selectAll();
        QTest::keyClicks(number, u"1"_s);
        QSignalSpy shown(child<QPlainTextEdit>(w, "pp"), &QPlainTextEdit::textChanged);
        QTest::mouseClick(child<QRadioButton>(w, "optlista_hela"), Qt::LeftButton); // back to the second
        QCOMPARE(number->text() + u' ' + QString::number(shown.size()), u"2 1"_s);
        const QString path = Module1::sökväg;
        progressAfterMs = 0;
        QString told; // the box over the window, naming what it reads
        s.platform.setOnProcessEvents([&] {
            if (auto *progress = w.findChild<QProgressDialog *>(u"progress"_s)) {
                told = progress->labelText() + u'|' + progress->windowTitle() + u'|'
                       + QString::number(progress->windowModality());
                progress->cancel();
            }
        });
        pick(box, 1);
        progressAfterMs = 2000;
        QCOMPARE(told, u"Läser ''Djur''...|Tankedosan|"_s + QString::number(Qt::WindowModal));
        QCOMPARE(box->currentText() + u" | "_s + Module1::sökväg, u"Citat | "_s + path);
        QVERIFY(child<ListBoxModel>(w, "List1")->item(1).size() == proverb.size() && s.platform.boxes().isEmpty());
    }

    // A collection gone from the folder is told while the load is under way; the lists stay.
    void offeredSearchAndMissingCollection()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, {u"Hund"_s, u"Katt"_s, u"hund och katt"_s});
        s.folder.writeCollection(u"Djur"_s, {u"Ko"_s});
        s.folder.writeCollection(u"Örn"_s, {u"Örn"_s});
        s.folder.write(u".dat"_s, "Dold\r\n"_ba); // hidden, and no name to choose it by
        const QByteArray folder = QFile::encodeName(s.folder.folder()) + '/';
        const QList<QByteArray> raw{"a\xFF.dat"_ba, "B\xFE.DAT"_ba}; // names no list can show
        const auto gone = qScopeGuard([&] {
            for (const QByteArray &name : raw)
                ::unlink(folder + name);
        });
        for (const QByteArray &name : raw)
            QVERIFY(::close(::open(folder + name, O_CREAT | O_WRONLY, 0644)) == 0);
        frmmain &w = s.start();
        auto *number = child<QLineEdit>(w, "txtnr");
        auto *box = child<QComboBox>(w, "comboordspråk");
        const auto lists = [&] { // the whole list, the search list and the proverb shown
            return child<ListBoxModel>(w, "List1")->items().join(u'/') + u'|'
                   + child<ListBoxModel>(w, "söklista")->items().join(u'/') + u'|'
                   + child<QPlainTextEdit>(w, "pp")->toPlainText();
        };
        QCOMPARE(takeBoxes(s.platform),
                 QStringList{u"message|Tankedosan|Ok|Exclamation|Samlingsfilerna ''"_s + QFile::decodeName(raw[0])
                             + u"'', ''"_s + QFile::decodeName(raw[1])
                             + u"'' har namn som inte är giltig UTF-8 och kan därför inte visas. Byt namn på dem för "
                               u"att använda dem."_s});
        QCOMPARE(box->count(), 3);
        // "Söklistan" on an empty list offers a search: its hits shown once, a box without a number told once.
        number->setText(u"x"_s);
        s.platform.setNextAnswer(Answer::Yes);
        whileOpen<frmsök>([&] { QTest::mouseClick(child<QRadioButton>(w, "optlista_sök"), Qt::LeftButton); },
                          [](frmsök &search) {
                              QTest::keyClicks(child<QLineEdit>(search, "Text1"), u"hund"_s);
                              QTest::keyClick(child<QLineEdit>(search, "Text1"), Qt::Key_Return);
                              QTest::mouseClick(child<QPushButton>(search, "cmdok"), Qt::LeftButton);
                          });
        QCOMPARE(takeBoxes(s.platform) << w.windowTitle() << child<ListBoxModel>(w, "söklista")->items().join(u'/'),
                 (QStringList{u"message|Söklistan är tom|YesNo|Question|Det finns inga ordspråk i söklistan. "
                              u"Vill du söka nu?"_s,
                              u"error:13"_s, u"Tankedosan - sökresultat - 2 st"_s, u"Hund/hund och katt"_s}));
        QFile::remove(s.folder.path(u"Djur.dat"_s));
        number->setText(u"2"_s);
        pick(box, 1);
        QCOMPARE(s.platform.boxes().size(), 1);
        QCOMPARE(s.platform.boxes()[0].text + QString::number(int(s.platform.boxes()[0].pointer)),
                 u"Filen ''Djur'' saknas i programkatalogen!"_s + QString::number(int(Pointer::Busy)));
        QCOMPARE(lists() + u'|' + Module1::sökväg,
                 u"Hund/Katt/hund och katt|Hund/hund och katt|hund och katt|"_s + s.folder.path(u"Djur.dat"_s));
        QCOMPARE(s.platform.pointer(), Pointer::Default);
        // A collection that cannot be read is told alone: nothing is looked up in it after the failure.
        s.folder.write(u"Djur.dat"_s, "Ko\0"_ba);
        pick(box, 0);
        number->setText(u"x"_s);
        takeBoxes(s.platform);
        pick(box, 1);
        QCOMPARE(takeBoxes(s.platform),
                 QStringList{u"message|Tankedosan|Ok|Exclamation|Filen ''"_s + s.folder.path(u"Djur.dat"_s)
                             + u"'' är ingen samling: den innehåller inte text."_s});
        s.platform.setNextAnswer(Answer::Yes); // deleted: the first collection is chosen, not the next one
        QTest::mouseClick(child<QPushButton>(w, "cmdordspråk_radera"), Qt::LeftButton);
        QCOMPARE(box->currentText() + u'|' + lists(), u"Citat|Hund/Katt/hund och katt||"_s);
        // A deleted proverb: the caption counts the rest at once, also with no number to show (told); the last shows.
        number->setText(u"1"_s);
        number->setText(u"x"_s);
        takeBoxes(s.platform);
        QStringList seen;
        for (const QString &typed : {u"x"_s, u"1"_s}) {
            number->setText(typed);
            s.platform.setNextAnswer(Answer::Yes);
            child<QAction>(w, "mnuarkiv_raderaordspråk")->trigger();
            seen << takeBoxes(s.platform).last() << w.windowTitle() << child<QPlainTextEdit>(w, "pp")->toPlainText();
        }
        QCOMPARE(seen.join(u'|'), u"error:13|Tankedosan -  2 st||message|Ta bort|YesNo|Question|Vill du ta bort detta "
                                  u"ordspråk?|Tankedosan -  1 st|hund och katt"_s);
        QCOMPARE(s.folder.read(u"Citat.dat"_s), "hund och katt\r\n"_ba);
    }

    // Started where it is told: on a collection (in any letter case) at a number, or with the search window open
    // on a text typed and searched; a collection that is not listed is told, and the start is the usual one.
    void startsWhereTold_data()
    {
        QTest::addColumn<QString>("collection");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("seen"); // collection, number, proverb, boxes; the search's text, count, caption
        QTest::newRow("collection, number") << u"Djur"_s << 3 << QString() << u"Djur|3|Hundens ben|"_s;
        QTest::newRow("letter case") << u"dJUR"_s << 3 << QString() << u"Djur|3|Hundens ben|"_s;
        QTest::newRow("collection") << u"Djur"_s << 0 << QString() << u"Djur|2|Häst|"_s;
        QTest::newRow("number") << QString() << 3 << QString() << u"Citat|3|hund och katt|"_s;
        QTest::newRow("the first, not Citat") << u"Alfa"_s << 1 << QString() << u"Alfa|1|Ett|"_s;
        QTest::newRow("not listed") << u"Fisk"_s << 3 << QString()
                                    << u"Citat|2|Katt|message|Tankedosan|Ok|Exclamation|Filen ''Fisk'' saknas i "
                                       u"programkatalogen!"_s;
        QTest::newRow("search") << QString() << 0 << u"katt"_s
                                << u"Citat|2|Katt||katt|2 träffar|Tankedosan - sökresultat - 2 st"_s;
        QTest::newRow("search in a collection")
            << u"Djur"_s << 1 << u"KO"_s << u"Djur|1|Ko||KO|2 träffar|Tankedosan - sökresultat - 2 st"_s;
    }
    void startsWhereTold()
    {
        QFETCH(QString, collection);
        QFETCH(int, number);
        QFETCH(QString, search);
        Started s;
        s.folder.writeCollection(u"Alfa"_s, {u"Ett"_s, u"Två"_s});
        s.folder.writeCollection(u"Citat"_s, {u"Hund"_s, u"Katt"_s, u"hund och katt"_s});
        s.folder.writeCollection(u"Djur"_s, {u"Ko"_s, u"Häst"_s, u"Hundens ben"_s, u"En ko och en hund"_s});
        s.folder.write(u"nr.ini"_s, "2\r\n"_ba);
        frmmain &w = s.start({collection, number, search});
        QStringList seen{child<QComboBox>(w, "comboordspråk")->currentText(), child<QLineEdit>(w, "txtnr")->text(),
                         child<QPlainTextEdit>(w, "pp")->toPlainText()};
        QCOMPARE(s.platform.boxes().size(), 0); // told over the window, once it is seen
        if (search.isEmpty())
            QCoreApplication::processEvents();
        seen << takeBoxes(s.platform).join(u'+');
        if (!search.isEmpty()) {
            whileOpen<frmsök>([] { QCoreApplication::processEvents(); },
                              [&](frmsök &window) {
                                  auto *text = child<QLineEdit>(window, "Text1");
                                  QTRY_VERIFY(!text->text().isEmpty());
                                  seen << text->text() << child<QLabel>(window, "lblresultat")->text();
                                  QTest::mouseClick(child<QPushButton>(window, "cmdok"), Qt::LeftButton);
                              });
            seen << w.windowTitle();
        }
        QTEST(seen.join(u'|'), "seen");
    }

    // A folder nobody can write in is told at the first start in it only, and its number comes back: both kept
    // in the state folder, for each folder apart. A kept file spoilt, or none to be kept, and it is told again.
    void readOnlyFolderToldOnceItsNumberKept_data()
    {
        QTest::addColumn<QString>("meanwhile"); // between the two starts
        QTest::addColumn<QString>("told"); // the box at each start, then the number shown at the second
        QTest::newRow("writable: nr.ini") << u"writable"_s << u"//3"_s;
        QTest::newRow("kept") << QString() << u"kept//3"_s;
        QTest::newRow("through a link") << u"link to folder"_s << u"kept//3"_s;
        QTest::newRow("another folder") << u"other"_s << u"kept/kept/1"_s;
        QTest::newRow("nowhere to keep") << u"unwritable"_s << u"lost/lost/1"_s;
        QTest::newRow("XDG_STATE_HOME relative") << u"relative"_s << u"kept//3"_s; // ignored: the home's
        QTest::newRow("garbage") << u"garbage"_s << u"kept/kept/1"_s;
        QTest::newRow("cut short") << u"cut"_s << u"kept/kept/1"_s;
        QTest::newRow("for another folder") << u"renamed"_s << u"kept/kept/1"_s;
        QTest::newRow("a link") << u"link"_s << u"kept/lost/1"_s; // never followed, nor written through
        QTest::newRow("a FIFO") << u"fifo"_s << u"kept/lost/1"_s;
    }
    void readOnlyFolderToldOnceItsNumberKept()
    {
        QFETCH(QString, meanwhile);
        const QTemporaryDir state;
        const QByteArray before = qgetenv("XDG_STATE_HOME"), home = qgetenv("HOME");
        const auto restored = qScopeGuard([&] {
            qputenv("XDG_STATE_HOME", before);
            qputenv("HOME", home);
        });
        QFile(state.filePath(u"f"_s)).open(QIODevice::WriteOnly); // a file where a folder would have to be
        // Not there yet: made when a number is first kept.
        qputenv("XDG_STATE_HOME", meanwhile == u"relative"     ? "s"_ba
                                  : meanwhile == u"unwritable" ? QFile::encodeName(state.filePath(u"f/s"_s))
                                                               : QFile::encodeName(state.filePath(u"s"_s)));
        qputenv("HOME", QFile::encodeName(state.path()));
        const QString kept =
            state.filePath(meanwhile == u"relative" ? u".local/state/tankedosan"_s : u"s/tankedosan"_s);
        Started first, second;
        for (const Started *started : {&first, &second})
            started->folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5));
        std::optional<ReadOnly> locked[2];
        if (meanwhile != u"writable"
            && (locked[0].emplace(first.folder.folder()), locked[1].emplace(second.folder.folder()),
                !locked[0]->held() || !locked[1]->held()))
            QSKIP("no folder can be made read-only here: root needs a mount namespace of its own");
        // The boxes of one start in the folder, then the number it showed; the user leaves it at `typed`.
        const auto start = [&](Started &started, const QString &folder, const QString &typed) {
            store::setProgramFolder(folder);
            frmmain &w = started.start();
            const QString told = u"message|Tankedosan|Ok|Exclamation|Mappen ''"_s + folder
                                 + u"'' går inte att skriva i. Samlingarna där kan bara läsas, och numret på "
                                   u"ordspråket som visas sparas "_s;
            QStringList seen;
            for (const QString &box : takeBoxes(started.platform))
                seen << (box == told + u"i stället i ''"_s + kept + u"''."_s ? u"kept"_s
                         : box == told + u"inte till nästa gång."_s          ? u"lost"_s
                                                                             : box);
            const QString shown = child<QLineEdit>(w, "txtnr")->text();
            child<QLineEdit>(w, "txtnr")->setText(typed);
            w.close();
            return seen.join(u'+') + u'/' + shown;
        };
        QString seen = start(first, first.folder.folder(), u"3"_s).section(u'/', 0, 0);
        for (const QFileInfo &file : QDir(kept).entryInfoList(QDir::Files)) {
            QFile spoilt(file.filePath());
            QVERIFY(spoilt.open(QIODevice::ReadOnly));
            QByteArray bytes = spoilt.readAll();
            spoilt.close();
            if (meanwhile == u"link" || meanwhile == u"fifo") {
                QVERIFY(spoilt.rename(state.filePath(u"kopia"_s)));
                QVERIFY(meanwhile == u"link" ? QFile::link(spoilt.fileName(), file.filePath())
                                             : ::mkfifo(QFile::encodeName(file.filePath()), 0600) == 0);
            } else if (meanwhile == u"garbage" || meanwhile == u"cut" || meanwhile == u"renamed") {
                bytes = meanwhile == u"garbage" ? "\xFF\0\n\n"_ba
                        : meanwhile == u"cut"   ? bytes.first(bytes.size() / 2)
                                                : bytes.replace(QFile::encodeName(first.folder.folder()),
                                                                QFile::encodeName(second.folder.folder()));
                QVERIFY(spoilt.open(QIODevice::WriteOnly) && spoilt.write(bytes) == bytes.size());
            }
        }
        const QString link = state.filePath(u"länk"_s);
        QVERIFY(QFile::link(first.folder.folder(), link));
        seen += u'/'
                + start(meanwhile == u"other" ? second : first,
                        meanwhile == u"other"            ? second.folder.folder()
                        : meanwhile == u"link to folder" ? link
                                                         : first.folder.folder(),
                        u"4"_s);
        QTEST(seen, "told");
        // A folder that can be written in keeps its number where it always did, and nothing elsewhere.
        QCOMPARE(first.folder.read(u"nr.ini"_s) + QByteArray::number(QFileInfo::exists(kept)),
                 meanwhile == u"writable"     ? "4\r\n0"_ba
                 : meanwhile == u"unwritable" ? "<unreadable>0"_ba
                                              : "<unreadable>1"_ba);
    }

    // Help's text box: the outer size less 300 × 950 twips, the window at least 5000 × 5000; minimized, no change.
    void helpFollowsTheOuterSize()
    {
        QFont big;
        big.setPixelSize(210); // fifteen twips were fourteen pixels: here a twip is more than a pixel
        twips::followFont(big);
        const auto laidOut = qScopeGuard([] { twips::followFont(QApplication::font()); });
        Started s;
        s.folder.write(u"help.txt"_s, "Rad 1\r\n\r\nRad 3"_ba);
        child<QAction>(s.start(), "mnuhjälp_hjälp")->trigger();
        auto *help = s.window->findChild<frmhjälp *>(u"frmhjälp"_s);
        QVERIFY(help && QTest::qWaitForWindowExposed(help));
        auto *text = child<QPlainTextEdit>(help, "Text1");
        QCOMPARE(text->toPlainText(), u"Rad 1\n\nRad 3\n"_s);
        const QSize frame = help->frameGeometry().size() - help->size(), least = twips::size(5000, 5000);
        QVERIFY(!frame.isEmpty() && least.width() > 5000); // the offscreen screen has a frame, and a twip tells
        QCOMPARE(help->frameGeometry().size(), twips::size(5370, 4545).expandedTo(least - frame) + frame);
        for (const QSize asked : {QSize(6200, 5900), QSize(10, 6000), QSize(10, 10)}) {
            help->resize(asked);
            QCOMPARE(help->frameGeometry().size(), (asked + frame).expandedTo(least));
            QCOMPARE(text->size() + twips::size(300, 950), help->frameGeometry().size());
        }
        help->showMinimized();
        help->resize(6200, 5900);
        QCOMPARE(text->size() + twips::size(300, 950), least);
    }
};

QTEST_MAIN(tst_frmmain)
#include "tst_frmmain.moc"
