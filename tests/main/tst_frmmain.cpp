#include "support/boxes.h"
#include "support/modal.h"

#include "main/frmhjalp.h"
#include "main/frmom.h"
#include "store/numbers.h"

#include <QRandomGenerator>
#include "widgets/windowsetup.h"
#include "search/frmsok.h"
#include "store/encoding.h"
#include "store/module1.h"
#include "store/shown.h"

#include <QProgressDialog>

#include <fcntl.h>

using namespace Qt::StringLiterals;
using platform::Answer;

namespace {

QString boxEntries(const frmmain &w)
{
    QStringList items;
    for (int i = 0; i < w.comboordspråk->count(); ++i)
        items.append(w.comboordspråk->itemText(i));
    return items.join(u'/');
}

// A collection chosen as the user chooses one: the box's index moves and the box reports the choice.
void choose(frmmain &w, int index)
{
    w.comboordspråk->setCurrentIndex(index);
    emit w.comboordspråk->activated(index);
}

// "124" stands for "Ordspråk 1", "Ordspråk 2", "Ordspråk 4".
QStringList proverbs(const QString &digits)
{
    QStringList lines;
    for (const QChar digit : digits)
        lines << u"Ordspråk "_s + digit;
    return lines;
}

// What the user sees: caption | number box | display | view | proverbs loaded; the count stepped by is the one
// shown; no busy pointer left behind and no box unread.
void verifyState(Started &s, const QString &expected)
{
    const frmmain &w = *s.window;
    const QString view = w.optlista_sök->isChecked() ? u"sök"_s : u"hela"_s;
    QCOMPARE(u"%1 | %2 | %3 | %4 | %5"_s.arg(w.windowTitle(), w.txtnr->text(), w.pp->toPlainText(), view)
                 .arg(w.List1->count()),
             expected);
    if (w.windowTitle() != u"Tankedosan"_s)
        QCOMPARE(Module1::antal, w.windowTitle().section(u' ', -2, -2).toInt());
    QCOMPARE(s.platform.pointer(), platform::Pointer::Default);
    QVERIFY(s.platform.boxes().isEmpty());
}

frmhjälp *openHelp(frmmain &w)
{
    w.mnuhjälp_hjälp->trigger();
    return w.findChild<frmhjälp *>(u"frmhjälp"_s);
}

// The rows of the tables below. A `situation` is a change made behind the program's back or a view entered
// before the command; `state` is as verifyState() reads it; `proverbs`, `left` as proverbs() reads them.
// A null numberFile: no nr.ini. combo: the box's entries, then the one chosen.
struct StartUp
{
    QStringList files;
    QByteArray numberFile;
    QString combo, state;
};
// action: "+" Nästa, "-" Förra, else typed over the number; shown "*": the display as it was.
struct Step
{
    int count;
    QString before, action, after, shown;
};
struct Choice
{
    QString situation, number;
    QList<int> choices;
    QStringList boxes;
    QString state, path;
};
// searchFor: in the search window offered; then: shown after Nästa | after "abc" and the whole list | its number.
struct SearchView
{
    QStringList hits;
    QString number, searchFor;
    QStringList boxes;
    QString state, then;
};
struct ProverbRemoval
{
    QString situation, proverbs, number;
    Answer answer;
    QStringList boxes;
    QString left, state;
};
// boxes: after the input box; after: the box's entries | the file loaded | caption | proverbs | loads.
struct NewCollection
{
    QStringList files;
    QString typed;
    QStringList boxes;
    QString after;
};
// fileGone: removed first; after: the box's entries | the one chosen | first proverb | files listed | loads.
struct CollectionRemoval
{
    QStringList files;
    int chosen;
    Answer answer;
    bool fileGone;
    QString after;
};

} // namespace

class tst_frmmain : public QObject
{
    Q_OBJECT

private slots:
    void startUp_data()
    {
        QTest::addColumn<StartUp>("c");

        // Every collection holds five proverbs named after it ("Citat 1" … "Citat 5").
        QTest::newRow("Citat, number remembered") << StartUp{{u"Citat.dat"_s, u"Djur.DAT"_s, u"notes.txt"_s},
                                                             "3\r\n"_ba,
                                                             u"Citat/Djur: Citat"_s,
                                                             u"Tankedosan -  5 st | 3 | Citat 3 | hela | 5"_s};
        QTest::newRow("Citat though not first") << StartUp{{u"Aforismer.dat"_s, u"Citat.dat"_s},
                                                           {},
                                                           u"Aforismer/Citat: Citat"_s,
                                                           u"Tankedosan -  5 st | 1 | Citat 1 | hela | 5"_s};
        QTest::newRow("no Citat: the first") << StartUp{{u"Väder.dat"_s, u"Djur.dat"_s},
                                                        {},
                                                        u"Djur/Väder: Djur"_s,
                                                        u"Tankedosan -  5 st | 1 | Djur 1 | hela | 5"_s};
        QTest::newRow("Citat with regard to case") << StartUp{{u"Alfa.dat"_s, u"citat.dat"_s},
                                                              {},
                                                              u"Alfa/citat: Alfa"_s,
                                                              u"Tankedosan -  5 st | 1 | Alfa 1 | hela | 5"_s};
        QTest::newRow("number beyond the end") << StartUp{
            {u"Citat.dat"_s}, "7\r\n"_ba, u"Citat: Citat"_s, u"Tankedosan -  5 st | 7 | Citat 1 | hela | 5"_s};
        QTest::newRow("no collections") << StartUp{
            {u"notes.txt"_s}, "4\r\n"_ba, u": "_s, u"Tankedosan | 4 |  | hela | 0"_s};
    }

    void startUp()
    {
        QFETCH(StartUp, c);
        const auto &[files, numberFile, combo, state] = c;
        Started s;
        for (const QString &file : files)
            s.folder.write(file, store::encodeLines(FolderFixture::numbered(5, file.section(u'.', 0, 0))));
        if (!numberFile.isNull())
            s.folder.write(u"nr.ini"_s, numberFile);
        frmmain &w = s.start();
        QCOMPARE(boxEntries(w) + u": "_s + w.comboordspråk->currentText(), combo);
        verifyState(s, state);
        if (w.comboordspråk->count() > 0)
            QCOMPARE(Module1::sökväg, s.folder.path(w.comboordspråk->currentText() + u".dat"_s));
    }

    // A collection file whose name is not UTF-8 can be neither listed nor opened by name: the start says so.
    void undecodableNamesAreTold()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, {u"a"_s});
        QFile raw;
        QVERIFY(raw.open(::open(QFile::encodeName(s.folder.folder()) + "/\xE5r.dat", O_CREAT | O_WRONLY, 0644),
                         QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        raw.close();
        s.start();
        QCOMPARE(
            takeBoxes(s.platform),
            QStringList{
                u"message|Tankedosan|Ok|Exclamation|Samlingsfilerna ''\uFFFDr.dat'' har namn som inte är giltig UTF-8 och kan därför inte visas. Byt namn på dem för att använda dem."_s});
    }

    // A load past the progress time shows how far it has come; "Avbryt" there leaves the collection shown
    // before, its name in the box and its path for the commands that write it.
    void cancellingALongLoad()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5, u"Citat"_s));
        s.folder.write(u"Djur.dat"_s, QByteArray("Djur\r\n").repeated(3 << 20)); // 18 MB, read in three steps
        frmmain &w = s.start();
        const QString path = Module1::sökväg;
        windowsetup::progressAfterMs = 0;
        s.platform.setOnProcessEvents([&] {
            if (auto *box = w.findChild<QProgressDialog *>(u"progress"_s))
                box->cancel();
        });
        choose(w, 1);
        windowsetup::progressAfterMs = 2000;
        QCOMPARE(w.comboordspråk->currentText() + u" | "_s + w.List1->item(4) + u" | "_s + Module1::sökväg,
                 u"Citat | Citat 5 | "_s + path);
        QVERIFY(s.platform.boxes().isEmpty());
    }

    void theNumberBox_data()
    {
        QTest::addColumn<Step>("c");

        // Stepping within a list, at its ends, beyond them and in none is the model's below (after any actions).
        QTest::newRow("Nästa past 32767") << Step{40000, u"32768"_s, u"+"_s, u"32769"_s, u"Ordspråk 32769"_s};
        QTest::newRow("Förra at 1 to 40000") << Step{40000, u"1"_s, u"-"_s, u"40000"_s, u"Ordspråk 40000"_s};
        QTest::newRow("typed: zero") << Step{5, u"3"_s, u"0"_s, u"0"_s, u"*"_s};
        QTest::newRow("typed: double zero empties") << Step{5, u"3"_s, u"00"_s, u"00"_s, {}};
    }

    void theNumberBox()
    {
        QFETCH(Step, c);
        const auto &[count, before, action, after, shown] = c;
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(count));
        frmmain &w = s.start();
        w.txtnr->setText(before);
        w.txtnr->selectAll(); // what is typed replaces the number
        const QString displayed = w.pp->toPlainText();
        if (action == u"+"_s || action == u"-"_s)
            QTest::mouseClick(action == u"+"_s ? w.cmdnästa : w.cmdförra, Qt::LeftButton);
        else
            QTest::keyClicks(w.txtnr, action);
        QCOMPARE(w.txtnr->text(), after);
        QCOMPARE(w.pp->toPlainText(), shown == u"*"_s ? displayed : shown);
        QVERIFY(s.platform.boxes().isEmpty());
        QTest::mouseClick(w.cmdkopiera, Qt::LeftButton);
        QCOMPARE(s.platform.clipboard(), w.pp->toPlainText());
    }

    void choosingACollection_data()
    {
        QTest::addColumn<Choice>("c");

        const QString missing = u"message|Tankedosan|Ok|Exclamation|Filen ''Djur'' saknas i programkatalogen!"_s;
        // Choosing one that is there: the model below (after any actions).
        // The path names the missing file; the previous proverbs stay loaded and shown.
        QTest::newRow("missing") << Choice{
            u"Djur gone"_s, u"2"_s, {1}, {missing}, u"Tankedosan -  5 st | 2 | Citat 2 | hela | 5"_s, u"Djur"_s};
        // Nothing is loaded, so the search view stays, its count and caption with it.
        QTest::newRow("missing, in the search view")
            << Choice{u"Djur gone, search view"_s,
                      u"2"_s,
                      {1},
                      {missing},
                      u"Tankedosan - sökresultat - 2 st | 2 | träff 2 | sök | 5"_s,
                      u"Djur"_s};
        QTest::newRow("the chosen one is read again")
            << Choice{u"Citat grown"_s, u"1"_s, {0}, {}, u"Tankedosan -  6 st | 1 | Citat 1 | hela | 6"_s, u"Citat"_s};
    }

    void choosingACollection()
    {
        QFETCH(Choice, c);
        const auto &[situation, number, choices, boxes, state, path] = c;
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5, u"Citat"_s));
        s.folder.writeCollection(u"Djur"_s, FolderFixture::numbered(8, u"Djur"_s));
        frmmain &w = s.start();
        w.txtnr->setText(number);
        if (situation.endsWith(u"search view"_s)) {
            w.söklista->setItems({u"träff 1"_s, u"träff 2"_s});
            w.optlista_sök->setChecked(true);
        }
        if (situation.startsWith(u"Djur gone"_s))
            QVERIFY(QFile::remove(s.folder.path(u"Djur.dat"_s)));
        if (situation == u"Citat grown"_s)
            s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(6, u"Citat"_s));
        const qsizetype pointersBefore = s.platform.pointers().size();
        for (const int index : choices)
            choose(w, index);
        QCOMPARE(takeBoxes(s.platform), boxes);
        verifyState(s, state);
        QCOMPARE(Module1::sökväg, s.folder.path(path + u".dat"_s));
        QCOMPARE(w.söklista->count(), situation.endsWith(u"search view"_s) ? 2 : 0);
        QCOMPARE(s.platform.pointers().mid(pointersBefore, 2),
                 (QList{platform::Pointer::Busy, platform::Pointer::Default}));
    }

    void enteringTheSearchView_data()
    {
        QTest::addColumn<SearchView>("c");

        const QStringList offer{
            u"message|Söklistan är tom|YesNo|Question|Det finns inga ordspråk i söklistan. Vill du söka nu?"_s};
        const QStringList three{u"träff 1"_s, u"träff 2"_s, u"träff 3"_s};
        QTest::newRow("the hit of the number")
            << SearchView{three,
                          u"2"_s,
                          {},
                          {},
                          u"Tankedosan - sökresultat - 3 st | 2 | träff 2 | sök | 5"_s,
                          u"träff 3 | Ordspråk 2 | 2"_s};
        QTest::newRow("number beyond the hits")
            << SearchView{three,
                          u"57"_s,
                          {},
                          {},
                          u"Tankedosan - sökresultat - 3 st | 57 | Ordspråk 1 | sök | 5"_s,
                          u"träff 1 | Ordspråk 1 | 1"_s};
        QTest::newRow("empty, No") << SearchView{{},
                                                 u"2"_s,
                                                 {},
                                                 offer,
                                                 u"Tankedosan -  5 st | 2 | Ordspråk 2 | hela | 5"_s,
                                                 u"Ordspråk 3 | Ordspråk 3 | abc"_s};
        QTest::newRow("empty, Yes, found")
            << SearchView{{},
                          u"1"_s,
                          u"SPRÅK 4"_s,
                          offer,
                          u"Tankedosan - sökresultat - 1 st | 1 | Ordspråk 4 | sök | 5"_s,
                          u"Ordspråk 4 | Ordspråk 1 | 1"_s};
    }

    void enteringTheSearchView()
    {
        QFETCH(SearchView, c);
        const auto &[hits, number, searchFor, boxes, state, then] = c;
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5));
        frmmain &w = s.start();
        w.txtnr->setText(number);
        w.söklista->setItems(hits);
        const auto click = [&] {
            QTest::mouseClick(w.optlista_sök, Qt::LeftButton);
        };
        if (searchFor.isEmpty()) {
            click();
        } else {
            s.platform.setNextAnswer(Answer::Yes);
            whileOpen<frmsök>(click, [&](frmsök &search) {
                search.Text1->setText(searchFor);
                search.cmdsök_Click();
                search.cmdok->click();
            });
        }
        QCOMPARE(takeBoxes(s.platform), boxes);
        verifyState(s, state);
        w.cmdnästa_Click();
        const QString afterNästa = w.pp->toPlainText();
        // Whatever the number box holds in the search view, the whole list comes back at the last proverb it showed.
        w.txtnr->setText(u"abc"_s);
        QTest::mouseClick(w.optlista_hela, Qt::LeftButton);
        QCOMPARE(u"%1 | %2 | %3"_s.arg(afterNästa, w.pp->toPlainText(), w.txtnr->text()), then);
        QVERIFY(s.platform.boxes().isEmpty());
    }

    // Any actions in any order, the search window's "OK" among them: the view, the caption and the count stepped
    // by follow the list of the view, which is never an empty search list; a chosen collection shows its
    // proverb of the number; and Nästa and Förra step as a plain model of them says.
    void viewCaptionCountAndSteppingAgreeAfterAnyActions()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(5, u"Citat"_s));
        s.folder.writeCollection(u"Djur"_s,
                                 {u"hund 1"_s, u"katt"_s, u"hund 2"_s, u"katt och hund"_s, u"häst"_s, u"hund 3"_s});
        s.folder.writeCollection(u"Tom"_s, {});
        frmmain &w = s.start();
        const QStringList numbers{QString(), u"0"_s, u"1"_s,  u"2"_s,   u"4"_s, u"5"_s,
                                  u"6"_s,    u"9"_s, u"2x"_s, u"abc"_s, u"-2"_s};
        const QStringList searches{u"katt"_s, u"hund"_s, u"häst"_s, u"1"_s, u"x"_s};
        QRandomGenerator random(15);
        for (int step = 0; step < 400; ++step) {
            const int action = random.bounded(7);
            const QString number = w.txtnr->text(), shown = w.pp->toPlainText();
            const int stepping = w.currentList()->count();
            switch (action) {
            case 0: choose(w, random.bounded(w.comboordspråk->count())); break;
            case 1: w.txtnr->setText(numbers.at(random.bounded(numbers.size()))); break;
            case 2: QTest::mouseClick(w.cmdnästa, Qt::LeftButton); break;
            case 3: QTest::mouseClick(w.cmdförra, Qt::LeftButton); break;
            case 4: QTest::mouseClick(w.optlista_hela, Qt::LeftButton); break;
            case 5: QTest::mouseClick(w.optlista_sök, Qt::LeftButton); break; // an empty list: No, not now
            default:
                whileOpen<frmsök>([&] { QTest::mouseClick(w.cmdsök, Qt::LeftButton); },
                                  [&](frmsök &search) {
                                      search.Text1->setText(searches.at(random.bounded(searches.size())));
                                      search.cmdsök_Click();
                                      (random.bounded(3) ? search.cmdok : search.cmdavbryt)->click();
                                  });
            }
            s.platform.takeBoxes();
            const ListBoxModel &list = *w.currentList();
            const QString at = u"step %1, action %2"_s.arg(step).arg(action);
            QVERIFY2(!w.searchListView() || list.count() > 0, qPrintable(at));
            QVERIFY2(Module1::antal == list.count(), qPrintable(at));
            QCOMPARE(w.windowTitle(),
                     w.searchListView() ? searchListCaption(list.count()) : wholeListCaption(list.count()));
            const auto showsNumber = [&](qint64 n, const QString &otherwise) {
                QCOMPARE(w.pp->toPlainText(), n >= 1 && n <= list.count() ? list.item(int(n - 1)) : otherwise);
            };
            if (action == 0 && std::holds_alternative<int>(numbers::strictNumber(number)))
                showsNumber(std::get<int>(numbers::strictNumber(number)), QString());
            if (action == 2 || action == 3) {
                qint64 n = numbers::lenientNumber(number);
                n = action == 2 ? (n >= stepping ? 0 : n) + 1 : (n - 1 <= 0 ? stepping : n - 1);
                QCOMPARE(w.txtnr->text(), QString::number(n));
                showsNumber(n, shown);
            }
        }
    }

    void deletingTheShownProverb_data()
    {
        QTest::addColumn<ProverbRemoval>("c");

        const QString ask = u"message|Ta bort|YesNo|Question|Vill du ta bort detta ordspråk?"_s;
        QTest::newRow("the third of five") << ProverbRemoval{
            {}, u"12345"_s, u"3"_s, Answer::Yes, {ask}, u"1245"_s, u"Tankedosan -  4 st | 3 | Ordspråk 4 | hela | 4"_s};
        QTest::newRow("the last of five") << ProverbRemoval{
            {}, u"12345"_s, u"5"_s, Answer::Yes, {ask}, u"1234"_s, u"Tankedosan -  4 st | 5 |  | hela | 4"_s};
        QTest::newRow("one of two: the one left is shown") << ProverbRemoval{
            {}, u"12"_s, u"1"_s, Answer::Yes, {ask}, u"2"_s, u"Tankedosan -  1 st | 1 | Ordspråk 2 | hela | 1"_s};
        QTest::newRow("the only one") << ProverbRemoval{
            {}, u"1"_s, u"1"_s, Answer::Yes, {ask}, {}, u"Tankedosan -  0 st | 1 |  | hela | 0"_s};
        QTest::newRow("No keeps it") << ProverbRemoval{
            {}, u"12345"_s, u"3"_s, Answer::No, {ask}, u"12345"_s, u"Tankedosan -  5 st | 3 | Ordspråk 3 | hela | 5"_s};
        QTest::newRow("in the search view")
            << ProverbRemoval{u"search view"_s,
                              u"123"_s,
                              u"1"_s,
                              Answer::Yes,
                              {u"message|Kan inte radera|Ok|Exclamation|Kan inte radera i söklistan!"_s},
                              u"123"_s,
                              u"Tankedosan - sökresultat - 1 st | 1 | Ordspråk 2 | sök | 3"_s};
        // An extension in other letters: the collection is the file listed, rewritten under its own name.
        QTest::newRow("other letters") << ProverbRemoval{u"Djur.Dat"_s,
                                                         u"123"_s,
                                                         u"1"_s,
                                                         Answer::Yes,
                                                         {ask},
                                                         u"23"_s,
                                                         u"Tankedosan -  2 st | 1 | Ordspråk 2 | hela | 2"_s};
        // The proverbs shown are still those of Citat: they must not be written under the name Djur.
        QTest::newRow("the chosen file is missing")
            << ProverbRemoval{u"Djur gone"_s,
                              u"123"_s,
                              u"1"_s,
                              Answer::Yes,
                              {ask, u"error:53"_s},
                              u"123"_s,
                              u"Tankedosan -  3 st | 1 | Ordspråk 1 | hela | 3"_s};
        QTest::newRow("nothing shown") << ProverbRemoval{{},
                                                         u"123"_s,
                                                         u"00"_s,
                                                         Answer::Yes,
                                                         {ask, u"error:5"_s},
                                                         u"123"_s,
                                                         u"Tankedosan -  3 st | 00 |  | hela | 3"_s};
        // The file fits but the replacement written beside it does not: the write fails, the proverb stays.
        QTest::newRow("the rewrite fails") << ProverbRemoval{u"long name"_s,
                                                             u"123"_s,
                                                             u"2"_s,
                                                             Answer::Yes,
                                                             {ask, u"error:75"_s},
                                                             u"123"_s,
                                                             u"Tankedosan -  3 st | 2 | Ordspråk 2 | hela | 3"_s};
    }

    void deletingTheShownProverb()
    {
        QFETCH(ProverbRemoval, c);
        const auto &[situation, proverbs, number, answer, boxes, left, state] = c;
        Started s;
        const bool other = situation.startsWith(u"Djur"_s); // Djur chosen after the start
        const QString file = situation == u"long name"_s  ? QString(246, u'a') + u".dat"_s
                             : situation == u"Djur.Dat"_s ? situation
                                                          : u"Citat.dat"_s;
        s.folder.write(file, store::encodeLines(::proverbs(proverbs)));
        if (other)
            s.folder.writeCollection(situation == u"Djur gone"_s ? u"Djur"_s : u"Citat"_s, FolderFixture::numbered(2));
        frmmain &w = s.start();
        if (situation == u"search view"_s) {
            w.söklista->setItems({u"Ordspråk 2"_s});
            w.optlista_sök->setChecked(true);
        }
        if (situation == u"Djur gone"_s)
            QVERIFY(QFile::remove(s.folder.path(u"Djur.dat"_s)));
        if (other)
            choose(w, 1);
        s.platform.takeBoxes();
        w.txtnr->setText(number);
        s.platform.setNextAnswer(answer);
        w.mnuarkiv_raderaordspråk->trigger();
        QCOMPARE(takeBoxes(s.platform), boxes);
        verifyState(s, state);
        QCOMPARE(w.List1->items(), ::proverbs(left));
        QCOMPARE(s.folder.read(file), store::encodeLines(::proverbs(left)));
        QCOMPARE(QDir(s.folder.folder()).entryList(QDir::Files).size(),
                 situation == u"Djur.Dat"_s ? 2 : 1); // nothing written beside
        if (situation == u"long name"_s) // the proverb put back is the one selected again
            QCOMPARE(w.List1->selectedIndex(), 1);
    }

    void creatingACollection_data()
    {
        QTest::addColumn<NewCollection>("c");

        const QStringList two{u"Citat.dat"_s, u"Djur.dat"_s};
        const QString kept = u"Citat/Djur | Citat.dat | Tankedosan -  2 st | 2 | 0"_s;
        const QStringList exists{
            u"message|Tankedosan|Ok|Exclamation|En fil finns redan med det namnet! Välj ett annat namn."_s};
        QTest::newRow("a new name goes first")
            << NewCollection{two, u"Väder"_s, {}, u"Väder/Citat/Djur | Väder.dat | Tankedosan -  0 st | 0 | 1"_s};
        QTest::newRow("Cancel") << NewCollection{two, {}, {}, kept};
        QTest::newRow("in other letters") << NewCollection{{u"Citat.dat"_s, u"Djur.DAT"_s}, u"djur"_s, exists, kept};
        QTest::newRow("a hidden name") << NewCollection{{u"Citat.dat"_s, u".dold.dat"_s},
                                                        u".dold"_s,
                                                        {u"error:52"_s},
                                                        u"Citat | Citat.dat | Tankedosan -  2 st | 2 | 0"_s};
    }

    void creatingACollection()
    {
        QFETCH(NewCollection, c);
        const auto &[files, typed, boxes, after] = c;
        Started s;
        for (const QString &file : files)
            s.folder.write(file, store::encodeLines(FolderFixture::numbered(2)));
        frmmain &w = s.start();
        const auto entries = [&] {
            return QDir(s.folder.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        const QStringList before = entries();
        const qsizetype pointerCalls = s.platform.pointers().size();
        s.platform.setNextInput(typed);
        QTest::mouseClick(w.cmdordspråk_ny, Qt::LeftButton);

        QCOMPARE(takeBoxes(s.platform),
                 QStringList{u"input|Ny ordspråkfil||Skriv in ett namn för den nya ordspråkfilen"_s} + boxes);
        QCOMPARE(u"%1 | %2 | %3 | %4 | %5"_s.arg(boxEntries(w), QFileInfo(Module1::sökväg).fileName(), w.windowTitle())
                     .arg(w.List1->count())
                     .arg((s.platform.pointers().size() - pointerCalls) / 2),
                 after);
        QStringList now = entries();
        if (now.size() > before.size()) { // the one file made is the new collection, empty and listed
            QCOMPARE(s.folder.read(typed + u".dat"_s), QByteArray());
            QVERIFY(now.removeOne(typed + u".dat"_s) && w.fillista->items().contains(typed + u".dat"_s));
        }
        QCOMPARE(now, before);
    }

    void deletingACollection_data()
    {
        QTest::addColumn<CollectionRemoval>("c");

        const QStringList two{u"Citat"_s, u"Djur"_s};
        QTest::newRow("No keeps it") << CollectionRemoval{two, 1, Answer::No, false,
                                                          u"Citat/Djur | Djur | Djur 1 | 2 | 0"_s};
        QTest::newRow("a file already gone")
            << CollectionRemoval{two, 1, Answer::Yes, true, u"Citat/Djur | Djur | Djur 1 | 2 | 0"_s};
        QTest::newRow("the last keeps its proverbs")
            << CollectionRemoval{{u"Citat"_s}, 0, Answer::Yes, false, u" |  | Citat 1 | 0 | 0"_s};
        QTest::newRow("the first of three") << CollectionRemoval{
            {u"Citat"_s, u"Djur"_s, u"Väder"_s}, 0, Answer::Yes, false, u"Djur/Väder | Djur | Djur 1 | 2 | 1"_s};
    }

    void deletingACollection()
    {
        QFETCH(CollectionRemoval, c);
        const auto &[files, chosen, answer, fileGone, after] = c;
        Started s;
        for (const QString &name : files)
            s.folder.writeCollection(name, FolderFixture::numbered(int(files.indexOf(name)) + 2, name));
        frmmain &w = s.start();
        choose(w, chosen);
        const QString name = files[chosen];
        if (fileGone)
            QVERIFY(QFile::remove(s.folder.path(name + u".dat"_s)));
        const qsizetype pointerCalls = s.platform.pointers().size();
        s.platform.setNextAnswer(answer);
        QTest::mouseClick(w.cmdordspråk_radera, Qt::LeftButton);

        const QString ask = u"message|Radera|YesNo|Question|Vill du radera ordspråkfilen ''"_s + name + u"''?"_s;
        QCOMPARE(takeBoxes(s.platform), QStringList{ask} + (fileGone ? QStringList{u"error:53"_s} : QStringList()));
        QCOMPARE(s.folder.exists(name + u".dat"_s), answer == Answer::No);
        // Each load is one busy pointer and its restoring.
        QCOMPARE(u"%1 | %2 | %3 | %4 | %5"_s.arg(boxEntries(w), w.comboordspråk->currentText(), w.List1->item(0))
                     .arg(w.fillista->count())
                     .arg((s.platform.pointers().size() - pointerCalls) / 2),
                 after);
    }

    void textSize()
    {
        Started s;
        frmmain &w = s.start();
        const auto verifySize = [&](double points, int marked) {
            QCOMPARE(w.pp->font().pointSizeF(), points);
            QCOMPARE(w.scroll->value(), marked + 1);
            for (int i = 0; i < 5; ++i)
                QCOMPARE(w.mnuredigera_textstorlek[i]->isChecked(), i == marked);
        };
        w.mnuredigera_textstorlek[0]->trigger(); // the size in force: its mark stays
        verifySize(8.25, 0);
        w.mnuredigera_textstorlek[4]->trigger();
        verifySize(18, 4);
        w.scroll->setValue(2);
        verifySize(9.75, 1);
    }

    // Word wrap of a line without blanks takes time that grows with its square: a proverb of megabytes
    // must show in part at once, while the list keeps it whole and Kopiera copies it whole.
    void hugeProverbsShowAtOnceAndStayWhole()
    {
        Started s;
        const QByteArray proverb(3 << 20, 'x');
        s.folder.write(u"Citat.dat"_s, "kort\r\n"_ba + proverb + "\r\n"_ba);
        s.folder.write(u"nr.ini"_s, "2\r\n"_ba);
        frmmain &w = s.start();
        QCOMPARE(w.pp->toPlainText().size(), store::kShownCharacters + 1);
        QCOMPARE(w.List1->item(1).size(), proverb.size());
        QTest::mouseClick(w.cmdkopiera, Qt::LeftButton);
        QCOMPARE(s.platform.clipboard().size(), proverb.size());
    }

    // By the window's frame or by Avsluta: the number box is written as it stands, in the file's encoding.
    void closingWritesTheNumberBoxAsItStands()
    {
        Started s;
        frmmain &w = s.start();
        w.txtnr->setText(u"åtta"_s);
        QVERIFY(w.close());
        QCOMPARE(s.folder.read(u"nr.ini"_s), "\xe5tta\r\n"_ba);
        w.show();
        w.txtnr->setText(u"17"_s);
        w.mnuarkiv_avsluta->trigger();
        QVERIFY(!w.isVisible());
        QCOMPARE(s.folder.read(u"nr.ini"_s), "17\r\n"_ba);
        QVERIFY(s.platform.boxes().isEmpty());
    }

    void aboutOpensModallyFromTheMenuAndThePicture_data()
    {
        QTest::addColumn<bool>("byPicture");
        QTest::newRow("Om ...") << false;
        QTest::newRow("click on Image1") << true;
    }

    void aboutOpensModallyFromTheMenuAndThePicture()
    {
        QFETCH(bool, byPicture);
        Started s;
        frmmain &w = s.start();
        QString shown;
        bool picture = false; // drawn from the icon taken from the main window
        whileOpen<frmOm>([&] { byPicture ? QTest::mouseClick(w.Image1, Qt::LeftButton) : w.mnuhjälp_om->trigger(); },
                         [&](frmOm &about) {
                             picture = !about.Image1->pixmap().isNull();
                             shown = about.Text1->toPlainText();
                             QTest::mouseClick(about.cmdok, Qt::LeftButton);
                         });
        QVERIFY(picture);
        QCOMPARE(shown.split(u'\n').size(), 6);
    }

    // The file is read by the read form (empty lines kept) each time the window is built, never while it is up.
    // The text box keeps the margins it opened with, down to the window's minimum; not while minimized.
    void helpIsModelessReadsAnewAfterClosingAndResizesWithinItsMinimum()
    {
        Started s;
        frmmain &w = s.start();
        frmhjälp *help = openHelp(w);
        QVERIFY(help->isVisible() && !help->isModal() && !QApplication::activeModalWidget());
        QCOMPARE(help->Text1->toPlainText(), u"Hjälpfil kunde inte hittas!"_s);

        s.folder.write(u"help.txt"_s, "a\r\n\r\nc\r\n"_ba);
        help->setWindowState(Qt::WindowMinimized);
        QCOMPARE(openHelp(w), help);
        QVERIFY(!help->isMinimized());
        QCOMPARE(w.findChildren<frmhjälp *>(u"frmhjälp"_s).size(), 1);
        QCOMPARE(help->Text1->toPlainText(), u"Hjälpfil kunde inte hittas!"_s);

        QTest::mouseClick(help->Command1, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w.findChild<frmhjälp *>(u"frmhjälp"_s));
        help = openHelp(w);
        QCOMPARE(help->Text1->toPlainText(), u"a\n\nc\n"_s);
        QVERIFY(s.platform.boxes().isEmpty());

        const QRect button = help->Command1->geometry();
        const QRect text = help->Text1->geometry();
        const QSize margins = help->size() - text.size();
        help->resize(10, 10);
        QCOMPARE(help->size(), help->minimumSize());
        QCOMPARE(help->Text1->geometry(), QRect(text.topLeft(), help->minimumSize() - margins));
        help->setWindowState(Qt::WindowMinimized);
        help->resize(900, 900);
        help->Form_Resize();
        QCOMPARE(help->Text1->size(), help->minimumSize() - margins);
        QCOMPARE(help->Command1->geometry(), button);
    }
};

QTEST_MAIN(tst_frmmain)
#include "tst_frmmain.moc"
