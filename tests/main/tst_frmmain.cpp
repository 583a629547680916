#include "support/boxes.h"
#include "support/modal.h"

#include "main/frmom.h"
#include "search/frmsok.h"
#include "store/module1.h"
#include "store/numbers.h"
#include "store/shown.h"
#include "widgets/collectionboxes.h"

#include <QRandomGenerator>

#include <optional>

using namespace Qt::StringLiterals;
using platform::Answer;
using platform::Pointer;

namespace {

// The written form, spelled out: Windows-1252 (Latin-1 for these letters), every line ended by CR LF.
QByteArray fileBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

std::optional<int> strict(const QString &text)
{
    const auto n = numbers::strictNumber(text);
    return std::holds_alternative<int>(n) ? std::optional(std::get<int>(n)) : std::nullopt;
}

// A pick in a combo box as the user makes it: Alt+Down opens the list (a click would make the box ignore a
// second click that soon), a click on the entry chooses it.
void pick(QComboBox *box, int index)
{
    QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView *list = box->view();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(index, 0)).center());
}

// The main window by its plain rules, how many boxes the last action showed, and how many busy pointers all
// actions set: one for each load, search and rewrite, so a handler that runs twice shows.
struct Model
{
    QMap<QString, QStringList> files; // file name: its proverbs
    QStringList box, whole, hits; // box: the collection files in the order the box lists them
    int wholeMarked = -1, hitsMarked = -1, count = 0, boxes = 0, busy = 0;
    bool searchView = false;
    QString path, number = u"1"_s, display, caption = u"Tankedosan"_s;

    QStringList &list() { return searchView ? hits : whole; }
    void setCaption(qsizetype n)
    {
        count = int(n);
        caption = (searchView ? u"Tankedosan - sökresultat - "_s : u"Tankedosan -  "_s) + QString::number(n) + u" st"_s;
    }
    // The number box changed: a number of the list (0 for none) is shown, anything else changes nothing.
    void setNumber(const QString &text)
    {
        const auto n = text == u"0"_s || text == number ? std::nullopt : strict(text);
        number = text;
        if (!n || *n < 0 || *n > list().size())
            return;
        (searchView ? hitsMarked : wholeMarked) = *n - 1;
        display = *n ? list().at(*n - 1) : QString();
    }
    // The window sets the number itself: shown also when the box held it.
    void reshow(int n)
    {
        number.clear();
        setNumber(QString::number(n));
    }
    // Nothing shown for a number box that holds no number, but a box that says so.
    void reshowOrTell(std::optional<int> n)
    {
        if (n)
            reshow(*n);
        else
            ++boxes;
    }
    void step(bool next)
    {
        const qint64 n = numbers::lenientNumber(number);
        setNumber(QString::number(next ? (n >= count ? 0 : n) + 1 : (n - 1 <= 0 ? count : n - 1)));
    }
    void wholeView()
    {
        searchView = false;
        setCaption(whole.size());
        if (const auto n = wholeMarked >= 0 ? std::optional(wholeMarked + 1) : strict(number))
            reshow(*n);
    }
    void searchListView()
    {
        searchView = true;
        setCaption(hits.size());
        const auto n = strict(number);
        reshowOrTell(n && hitsMarked >= 0 ? hitsMarked + 1 : n);
    }
    // After a search confirmed: an empty search list is never the one stepped through.
    void afterSearch(const QStringList &found)
    {
        hits = found;
        hitsMarked = -1;
        if (!hits.isEmpty())
            searchListView();
        else if (searchView)
            wholeView();
    }
    void load(int index)
    {
        ++busy;
        path = box[index];
        whole = files[path];
        hits.clear();
        display.clear();
        wholeMarked = hitsMarked = -1;
        if (searchView)
            wholeView();
        setCaption(whole.size());
        const auto n = strict(number);
        if (!n || count >= *n)
            reshowOrTell(n);
    }
    // "Ny": a hidden name or that of a collection in other letters (true) is refused, a new one made and chosen.
    bool create(const QString &name)
    {
        ++boxes; // the name asked for
        const bool clash = std::any_of(files.keyBegin(), files.keyEnd(),
                                       [&](auto &f) { return !f.chopped(4).compare(name, Qt::CaseInsensitive); });
        if (name.startsWith(u'.') || clash) {
            ++boxes;
            return clash;
        }
        files[name + u".dat"_s] = {};
        box.prepend(name + u".dat"_s);
        load(0);
        return false;
    }
    void removeCollection(bool yes)
    {
        ++boxes; // asked
        if (yes && !files.remove(path))
            ++boxes;
        else if (yes && box.removeOne(path) && !box.isEmpty())
            load(0);
    }
    void removeProverb(bool yes)
    {
        ++boxes; // refused in the search list, else asked
        if (searchView || !yes)
            return;
        if (!files.contains(path) || wholeMarked < 0)
            return void(++boxes);
        ++busy;
        if (path.size() > 200) // too long a name for the replacement
            return void(++boxes);
        whole.removeAt(std::exchange(wholeMarked, -1));
        files[path] = whole;
        count = int(whole.size());
        display.clear();
        const auto n = strict(number);
        if (count > 0 && !n) // a box, and the caption is left as it was
            return void(++boxes);
        if (count > 0)
            reshow(*n);
        setCaption(whole.size());
    }
};

// One start of the program in the random test: the window and its model, and each action done to both.
struct Run
{
    Started s;
    Model m;
    QRandomGenerator &random;
    QStringList log;
    int abouts = 0, clicks = 0; // About opened, by clicks on the picture
    QTimer closer;

    Run(const QString &files, const QByteArray &numberFile, QRandomGenerator &random)
        : random(random)
    {
        const QMap<QString, QStringList> collections{
            {u"Citat.dat"_s, u"Borta bra men hemma bäst|Hund som skäller biter inte|Ingen ko på isen|Morgonstund har "
                             "guld i mund|Den som väntar på något gott"_s.split(u'|')},
            {u"Djur.DAT"_s, {u"hund 1"_s, u"Katt"_s, u"hund 2"_s, u"katt och HUND"_s, u"Häst"_s, u"hund 3"_s}},
            {u"Tom.dat"_s, {}},
            {u"Aforismer.dat"_s, {u"Citat"_s, u"ingen hund"_s}},
            {u"citat.dat"_s, {u"liten"_s}}};
        for (QString file : files.split(u' ', Qt::SkipEmptyParts)) {
            // "lång": a name that fits, but the replacement written beside it on a deletion does not
            file = (file == u"lång"_s ? QString(246, u'a') : file) + (file.contains(u'.') ? u""_s : u".dat"_s);
            m.files[file] = collections.value(file, FolderFixture::numbered(3));
            m.box << file;
            s.folder.write(file, fileBytes(m.files[file]));
        }
        s.folder.write(u"notes.txt"_s, "Citat\r\n");
        if (!numberFile.isNull())
            s.folder.write(u"nr.ini"_s, numberFile);
        Module1::reset(); // as a new run of the program
        s.start();
        if (!m.box.isEmpty())
            m.load(std::max(0, int(m.box.indexOf(u"Citat.dat"_s))));
        m.setNumber(numberFile.isNull() ? u"1"_s : QString::fromLatin1(numberFile).trimmed());
        log = {u"start "_s + files};
        closer.callOnTimeout([this] {
            if (auto *about = qobject_cast<frmOm *>(QApplication::activeModalWidget())) {
                ++abouts;
                about->close();
            }
        });
        closer.start(0);
    }
    frmmain &w() { return *s.window; }

    // The window, the files, the boxes shown and the busy pointers agree with the model.
    void check()
    {
        QVERIFY(takeBoxes(s.platform).size() == std::exchange(m.boxes, 0) && s.platform.scriptUsedUp());
        QCOMPARE(
            (QStringList{w().windowTitle(), w().txtnr->text(), w().pp->toPlainText(), QString::number(Module1::antal),
                         w().List1->items().join(u'/'), w().söklista->items().join(u'/'), QString::number(abouts)}),
            (QStringList{m.caption, m.number, m.display, QString::number(m.count), m.whole.join(u'/'),
                         m.hits.join(u'/'), QString::number(clicks)}));
        QCOMPARE(w().searchListView(), m.searchView);
        QCOMPARE(w().comboordspråk->count(), int(m.box.size())); // the order shows in what each choice loads
        QCOMPARE(QDir(s.folder.folder()).entryList({u"*.dat"_s}, QDir::Files).size(), m.files.size());
        for (const auto &[file, lines] : m.files.asKeyValueRange())
            QCOMPARE(s.folder.read(file), fileBytes(lines));
        QCOMPARE(s.platform.pointers().size(), qsizetype(2 * m.busy));
        for (qsizetype i = 0; i < s.platform.pointers().size(); ++i) // each busy pointer restored once
            QCOMPARE(s.platform.pointers()[i], i % 2 ? Pointer::Default : Pointer::Busy);
    }

    // As the user chooses a collection, also the one chosen.
    void choose()
    {
        if (m.box.isEmpty())
            return;
        const int k = random.bounded(m.box.size());
        log.back() += m.box[k].left(12);
        pick(w().comboordspråk, k);
        m.load(k);
    }
    void type()
    {
        const QStringList numbers = u"|0|00|1|2|3|5|9|2x|abc|-2"_s.split(u'|');
        const QString typed = numbers[random.bounded(numbers.size())];
        log.back() += typed;
        w().txtnr->selectAll();
        if (typed.isEmpty())
            QTest::keyClick(w().txtnr, Qt::Key_Backspace);
        else
            QTest::keyClicks(w().txtnr, typed);
        for (qsizetype i = typed.isEmpty() ? 0 : 1; i <= typed.size(); ++i)
            m.setNumber(typed.left(i));
    }
    // An empty search list asks to search now: Yes opens the search window, No goes back.
    void searchView(bool yes)
    {
        if (m.searchView || !m.hits.isEmpty()) {
            QTest::mouseClick(w().optlista_sök, Qt::LeftButton);
            if (!m.searchView)
                m.searchListView();
            return;
        }
        s.platform.setNextAnswer(yes ? Answer::Yes : Answer::No);
        ++m.boxes;
        m.searchView = true;
        if (yes) {
            whileOpen<frmsök>([&] { QTest::mouseClick(w().optlista_sök, Qt::LeftButton); },
                              [this](frmsök &window) { searchIn(window); });
            m.afterSearch(m.hits); // the choice of the view goes on when the search window has closed
        } else {
            QTest::mouseClick(w().optlista_sök, Qt::LeftButton);
            m.wholeView();
        }
    }
    // A search by the beginning or anywhere, confirmed or not.
    void searchIn(frmsök &window)
    {
        const QStringList terms = u"hund HUND katt KATT och mund h x"_s.split(u' ');
        const QString term = terms[random.bounded(terms.size())];
        const bool beginning = random.bounded(3) == 0, ok = random.bounded(4) > 0;
        log.back() += u" %1 %2 %3"_s.arg(term, beginning ? u"början"_s : u"alla"_s, ok ? u"OK"_s : u"Avbryt"_s);
        QTest::mouseClick(beginning ? window.optsöksätt1 : window.optsöksätt2, Qt::LeftButton);
        QTest::keyClicks(window.Text1, term);
        QTest::keyClick(window.Text1, Qt::Key_Return);
        ++m.busy;
        QTest::mouseClick(ok ? window.cmdok : window.cmdavbryt, Qt::LeftButton);
        QStringList found = m.whole.filter(term, Qt::CaseInsensitive);
        if (beginning)
            found.removeIf([&](const QString &proverb) { return !proverb.startsWith(term, Qt::CaseInsensitive); });
        if (ok)
            m.afterSearch(found);
    }
    void create(const QString &name)
    {
        log.back() += name;
        s.platform.setNextInput(name);
        QTest::mouseClick(w().cmdordspråk_ny, Qt::LeftButton);
        QVERIFY(!m.create(name)
                || s.platform.boxes().back().text == u"En fil finns redan med det namnet! Välj ett annat namn."_s);
    }

    // One action drawn at random; the last three, which make and delete collections, only from step 80 on.
    void act(int stepNumber)
    {
        // + and - stand for Yes and No, or Nästa and Förra.
        const char *const names[] = {"välj ",  "skriv ", "steg",    "Hela listan", "Söklistan", "Sök",
                                     "radera", "Image1", "Kopiera", "Ny ",         "Ny ",       "Ta bort"};
        const bool yes = random.bounded(2);
        const int action = random.bounded(stepNumber < 80 ? 9 : 12);
        log << QString::fromUtf8(names[action]) + (yes ? u"+"_s : u"-"_s);
        switch (action) {
        case 0: return choose();
        case 1: return type();
        case 2: QTest::mouseClick(yes ? w().cmdnästa : w().cmdförra, Qt::LeftButton); return m.step(yes);
        case 3:
            QTest::mouseClick(w().optlista_hela, Qt::LeftButton);
            if (m.searchView)
                m.wholeView();
            return;
        case 4: return searchView(yes);
        case 5:
            return whileOpen<frmsök>([&] { QTest::mouseClick(w().cmdsök, Qt::LeftButton); },
                                     [this](frmsök &window) { searchIn(window); });
        case 6:
            if (!m.searchView)
                s.platform.setNextAnswer(yes ? Answer::Yes : Answer::No);
            w().mnuarkiv_raderaordspråk->trigger();
            return m.removeProverb(yes);
        case 7: // a press on the picture let go outside it is no click
            QTest::mousePress(w().Image1, Qt::LeftButton, {}, QPoint(2, 2));
            QTest::mouseRelease(w().Image1, Qt::LeftButton, {}, QPoint(-9, 2));
            QTest::mouseClick(w().Image1, Qt::LeftButton);
            ++clicks;
            return;
        case 9:
        case 10: return create(u".dold CITAT djur Ny"_s.split(u' ')[stepNumber % 4]);
        case 11:
            s.platform.setNextAnswer(yes ? Answer::Yes : Answer::No);
            QTest::mouseClick(w().cmdordspråk_radera, Qt::LeftButton);
            return m.removeCollection(yes);
        default: QTest::mouseClick(w().cmdkopiera, Qt::LeftButton); QCOMPARE(s.platform.clipboard(), m.display);
        }
    }
};

} // namespace

class tst_frmmain : public QObject
{
    Q_OBJECT

private slots:
    // Random actions, from starts with Citat first or not, without Citat in those letters or without collections,
    // nr.ini or not; after each the window, the files, the boxes shown and the busy pointer agree with the model.
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
            const auto printLog = qScopeGuard([&] {
                if (QTest::currentTestFailed())
                    qWarning().noquote() << "actions:" << run.log.join(u"; "_s);
            });
            QRandomGenerator saved;
            for (int step = 0; step <= 100; ++step) {
                run.check();
                if (QTest::currentTestFailed())
                    return;
                if (step == 80) // from here on collections are made and deleted too, the first steps as they were
                    saved = random;
                if (step < 100)
                    run.act(step);
                if (QTest::currentTestFailed())
                    return;
            }
            random = saved;
            if (random.bounded(2)) // the number as it stands is kept
                run.w().mnuarkiv_avsluta->trigger();
            else
                run.w().close();
            QCOMPARE(run.s.folder.read(u"nr.ini"_s), run.m.number.toLatin1() + "\r\n");
        }
    }

    // A number the window sets itself shows its proverb once, as one typed (a collection loads once: the busy
    // pointers of the random test). A text size, from the menu or the scroll bar, is the display's and its entry
    // alone is marked, also when chosen again.
    void handlersRunOnceAndSizesFollow()
    {
        Started s;
        s.folder.writeCollection(u"Citat"_s, FolderFixture::numbered(3));
        frmmain &w = s.start();
        QSignalSpy shown(w.pp, &QPlainTextEdit::textChanged);
        w.txtnr->selectAll();
        QTest::keyClicks(w.txtnr, u"3"_s);
        w.link().showSearchHits(store::LineStore::fromStrings(FolderFixture::numbered(3)));
        w.txtnr->selectAll();
        QTest::keyClicks(w.txtnr, u"1"_s);
        shown.clear();
        QTest::mouseClick(w.optlista_hela, Qt::LeftButton); // back to the third
        QCOMPARE(w.txtnr->text() + u' ' + QString::number(shown.size()), u"3 1"_s);
        const auto sizeShown = [&] {
            QString marks;
            for (const QAction *entry : w.mnuredigera_textstorlek)
                marks += entry->isChecked() ? u'x' : u'-';
            return QString::number(w.pp->font().pointSizeF()) + u' ' + marks;
        };
        for (int twice = 0; twice < 2; ++twice) {
            w.mnuredigera_textstorlek[2]->trigger();
            QCOMPARE(sizeShown(), u"12 --x--"_s);
        }
        QTest::mouseClick(w.scroll, Qt::LeftButton, {}, QPoint(w.scroll->width() - 3, w.scroll->height() / 2));
        QCOMPARE(sizeShown(), u"13.5 ---x-"_s);
    }

    // A proverb of megabytes shows in part at once (word wrap of a line without blanks takes time that grows with
    // its square) while the list and Kopiera keep it whole. A load past the progress time cancelled with "Avbryt"
    // leaves the collection shown before, its name in the box and its path for the commands that write it.
    void hugeProverbsAndCancelledLoads()
    {
        Started s;
        const QByteArray proverb(3 << 20, 'x');
        s.folder.write(u"Citat.dat"_s, "kort\r\n"_ba + proverb + "\r\n"_ba);
        s.folder.write(u"Djur.dat"_s, QByteArray("Djur\r\n").repeated(3 << 20)); // 18 MB, read in three steps
        s.folder.write(u"nr.ini"_s, "2\r\n"_ba);
        frmmain &w = s.start();
        QCOMPARE(w.pp->toPlainText().size(), store::kShownCharacters + 1);
        QTest::mouseClick(w.cmdkopiera, Qt::LeftButton);
        QCOMPARE(s.platform.clipboard().size(), proverb.size());
        const QString path = Module1::sökväg;
        collectionboxes::progressAfterMs = 0;
        s.platform.setOnProcessEvents([&] {
            if (auto *box = w.findChild<QProgressDialog *>(u"progress"_s))
                box->cancel();
        });
        pick(w.comboordspråk, 1);
        collectionboxes::progressAfterMs = 2000;
        QCOMPARE(w.comboordspråk->currentText() + u" | "_s + Module1::sökväg, u"Citat | "_s + path);
        QVERIFY(w.List1->item(1).size() == proverb.size() && s.platform.boxes().isEmpty());
    }
};

QTEST_MAIN(tst_frmmain)
#include "tst_frmmain.moc"
