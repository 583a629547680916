// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "main/frmmain.h"

#include "widgets/artwork.h"
#include "main/frmhjalp.h"
#include "main/frmom.h"
#include "store/numbers.h"
#include "widgets/collectionboxes.h"
#include "widgets/keys.h"
#include "quicksave/frmsnabbspara.h"
#include "search/frmsok.h"
#include "store/collections.h"
#include "store/files.h"
#include "store/module1.h"
#include "store/numberfile.h"
#include "store/programfolder.h"
#include "textfiles/frmtextedit.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>

#include <utility>

using namespace Qt::StringLiterals;

namespace tankedosan::main {

QString wholeListCaption(int count)
{
    return u"Tankedosan -  "_s + QString::number(count) + u" st"_s;
}

QString searchListCaption(int count)
{
    return u"Tankedosan - sökresultat - "_s + QString::number(count) + u" st"_s;
}

frmmain::frmmain(platform::Platform &platform, const store::WindowStart &start, QWidget *parent)
    : QMainWindow(parent)
    , m_platform(platform)
    , m_start(start)
{
    setObjectName(u"frmmain"_s);
    setWindowTitle(u"Tankedosan"_s);
    // The icon the desktop shows for the installed program (its hicolor theme icon), so that the window and
    // the launcher look alike; the drawn picture where none is installed, as in the build folder.
    setWindowIcon(QIcon::fromTheme(u"tankedosan"_s, widgets::windowIcon()));
    createControls();
    connectHandlers();
    Form_Load();
}

bool frmmain::searchListView() const
{
    return optlista_sök->isChecked();
}

widgets::ListBoxModel *frmmain::currentList() const
{
    return searchListView() ? söklista : List1;
}

void frmmain::Form_Load()
{
    fillista->setItems(store::collectionFiles());
    QStringList names;
    for (const QString &file : fillista->items())
        names.append(store::collectionName(file));
    comboordspråk->addItems(names);
    comboordspråk->setCurrentIndex(-1);
    // A collection the window was told that is not listed: it starts as it always does, and says so when seen.
    const int told = toldCollection();
    const bool missing = !m_start.collection.isEmpty() && told < 0;
    const int chosen = told >= 0 ? told : int(store::startCollection(names));
    if (chosen >= 0) {
        comboordspråk->setCurrentIndex(chosen);
        comboordspråk_Click();
    }
    // A number told goes with the collection told, or with the one started on when none was told.
    txtnr->setText(m_start.number > 0 && !missing ? QString::number(m_start.number) : store::readNumberFile());
    if (missing)
        m_untold = m_start.collection;
    const QStringList undecodable = store::undecodableCollectionFiles();
    if (!undecodable.isEmpty())
        m_platform.messageBox(u"Samlingsfilerna ''"_s + undecodable.join(u"'', ''"_s)
                                  + u"'' har namn som inte är giltig UTF-8 och kan därför inte visas. "
                                    u"Byt namn på dem för att använda dem."_s,
                              platform::Buttons::Ok, platform::Icon::Exclamation);
    // Here, before the user works: every write in such a folder would fail, and the user should not learn it
    // step by step. Told at the first start in the folder only: from then on its number is kept in the user's
    // state folder, which also tells that the user knows. Where that cannot be kept, it is told every time.
    if (!store::programFolderIsWritable() && !store::numberKeptInStateFolder()) {
        store::writeNumberFile(txtnr->text());
        const bool kept = store::numberKeptInStateFolder();
        m_platform.messageBox(
            u"Mappen ''"_s + store::programFolder()
                + u"'' går inte att skriva i. Samlingarna där kan bara läsas, och numret på "
                  u"ordspråket som visas sparas "_s
                + (kept ? u"i stället i ''"_s + store::userStateFolder() + u"''."_s : u"inte till nästa gång."_s),
            platform::Buttons::Ok, platform::Icon::Exclamation);
    }
}

int frmmain::toldCollection() const
{
    if (m_start.collection.isEmpty())
        return -1;
    // The file the name stands for wherever the program looks a name up (any letter case, as the folder spells
    // it), so that the name the desktop's search gave and the one typed after --samling choose alike.
    const QString file = store::collectionFile(m_start.collection);
    for (int i = 0; i < comboordspråk->count(); ++i) {
        if (store::collectionFile(comboordspråk->itemText(i)) == file)
            return i;
    }
    return -1;
}

void frmmain::comboordspråk_Click()
{
    platform::BusyPointer busy(m_platform);

    // The old proverbs stay until the new ones are read, so that a cancelled load leaves them shown.
    using Outcome = widgets::ChosenCollection::Outcome;
    auto chosen = widgets::readChosenCollection(this, m_platform, comboordspråk->currentText());
    if (chosen.outcome == Outcome::Refused)
        return busy.showError(*chosen.failure);
    if (chosen.outcome == Outcome::Cancelled) {
        // As if the collection had never been chosen: the box goes back to the one shown.
        const QSignalBlocker quiet(comboordspråk);
        comboordspråk->setCurrentIndex(-1);
        for (int i = 0; i < comboordspråk->count(); ++i) {
            if (!store::Module1::sökväg.isEmpty()
                && store::collectionFile(comboordspråk->itemText(i)) == store::Module1::sökväg)
                comboordspråk->setCurrentIndex(i);
        }
        return;
    }
    store::Module1::sökväg = chosen.path;
    const store::MaybeFailure readFailure = chosen.failure;
    if (chosen.outcome == Outcome::Missing) {
        collectionStamp = {};
    } else {
        collectionStamp = chosen.stamp;
        List1->clear();
        söklista->clear();
        pp->clear();
        List1->setLines(std::move(chosen.lines));
        // The search list is empty now, and an empty search list is never the one stepped through.
        if (searchListView())
            optlista_hela->setChecked(true);
    }
    // The count and the caption follow the list of the view, also when what comes next fails.
    countShownList();
    if (readFailure)
        return busy.showError(*readFailure);

    const auto number = store::strictNumber(txtnr->text());
    if (const auto failure = number.failure())
        return busy.showError(*failure);
    const int n = *number;
    if (store::Module1::antal >= n) {
        showNumber(n);
    }
}

void frmmain::txtnr_Change()
{
    const QString text = txtnr->text();
    if (text.isEmpty() || text == u"0"_s)
        return;
    const auto number = store::strictNumber(text);
    if (!number.ok())
        return;
    const qint64 index = qint64(*number) - 1;
    widgets::ListBoxModel *list = currentList();
    if (index < -1 || index >= list->count())
        return;
    (void)list->setSelectedIndex(int(index));
    const QString proverb = index < 0 ? QString() : list->lines().shownAt(index);
    showLinedUp(linedUp(proverb));
    pp->setPlainText(proverb);
}

bool frmmain::linedUp(QStringView proverb)
{
    // An entry of several lines, one of them indented: a drawing, or verse set out by its author.
    if (!proverb.contains(u'\n'))
        return false;
    for (QStringView line : proverb.tokenize(u'\n')) {
        if (line.startsWith(u' ') || line.startsWith(u'\t'))
            return true;
    }
    return false;
}

void frmmain::showLinedUp(bool fixedPitch)
{
    // Its blanks line it up only where every letter is as wide as a blank; the text size stays as chosen.
    QFont font = pp->font();
    font.setFamily(fixedPitch ? QFontDatabase::systemFont(QFontDatabase::FixedFont).family() : m_proseFamily);
    if (font != pp->font())
        pp->setFont(font);
}

// The one place that sets store::Module1::antal: the count of the list the window shows, with the caption that
// tells it.
void frmmain::countShownList()
{
    store::Module1::antal = currentList()->count();
    setWindowTitle(searchListView() ? searchListCaption(store::Module1::antal)
                                    : wholeListCaption(store::Module1::antal));
}

void frmmain::showNumber(int n)
{
    {
        const QSignalBlocker quiet(txtnr);
        txtnr->setText(QString::number(n));
    }
    txtnr_Change();
}

void frmmain::cmdnästa_Click()
{
    qint64 n = store::lenientNumber(txtnr->text());
    if (n >= store::Module1::antal)
        n = 0;
    txtnr->setText(QString::number(n + 1));
}

void frmmain::cmdförra_Click()
{
    qint64 n = qint64(store::lenientNumber(txtnr->text())) - 1;
    if (n <= 0)
        n = store::Module1::antal;
    txtnr->setText(QString::number(n));
}

void frmmain::Form_Unload()
{
    store::writeNumberFile(txtnr->text());
    // The program ends with its main window; no other window may keep it alive.
    QCoreApplication::quit();
}

void frmmain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmmain::mnuhjälp_om_Click()
{
    frmOm about(this);
    about.exec();
}

void frmmain::Image1_Click()
{
    mnuhjälp_om_Click();
}

void frmmain::mnuhjälp_hjälp_Click()
{
    // One Help window at a time: opening it again brings it to the front without reading the file again.
    auto *help = findChild<frmhjälp *>(u"frmhjälp"_s, Qt::FindDirectChildrenOnly);
    if (!help)
        help = new frmhjälp(this);
    help->setWindowState(help->windowState() & ~Qt::WindowMinimized);
    help->show();
    help->raise();
    help->activateWindow();
}

quicksave::frmsnabbspara &frmmain::snabbsparaFönster()
{
    auto *window = findChild<quicksave::frmsnabbspara *>(u"frmsnabbspara"_s, Qt::FindDirectChildrenOnly);
    if (!window)
        window = new quicksave::frmsnabbspara(m_platform, this);
    return *window;
}

widgets::MainWindowLink frmmain::link()
{
    widgets::MainWindowLink link;
    link.window = this;
    link.wholeCollection = [this]() -> const store::LineStore & {
        return List1->lines();
    };
    link.collectionNames = [this] {
        QStringList names;
        for (int i = 0; i < comboordspråk->count(); ++i)
            names.append(comboordspråk->itemText(i));
        return names;
    };
    link.shownCollectionIndex = [this] {
        return comboordspråk->currentIndex();
    };
    link.refillProverbs = [this](const store::LineStore &lines, const store::FileStamp &stamp) {
        collectionStamp = stamp;
        List1->setLines(lines);
        if (optlista_sök->isChecked())
            optlista_hela->setChecked(true);
    };
    link.showSearchHits = [this](const store::LineStore &hits) {
        söklista->setLines(hits);
        // Searching because the view was chosen with an empty search list: that choice goes on when the
        // search window has closed and shows the hits itself, once.
        if (m_searchOffered)
            return;
        // When the view is selected already, selecting it runs nothing, yet the new hits must be what the
        // count, the caption and stepping follow; and an empty search list is never the one stepped through.
        if (söklista->count() > 0) {
            if (searchListView())
                optlista_sök_Click();
            else
                optlista_sök->setChecked(true);
        } else if (searchListView()) {
            optlista_hela->setChecked(true);
        }
    };
    link.quickSave = [this](const QString &proverb) {
        snabbsparaFönster().snabbspara(proverb);
    };
    return link;
}

void frmmain::mnuarkiv_öppnasnabbspara_Click()
{
    snabbsparaFönster().exec();
}

void frmmain::mnuarkiv_snabbspara_Click()
{
    snabbsparaFönster().snabbspara(shownProverb());
}

QString frmmain::shownProverb() const
{
    // The display lays out only the shown part of a long proverb (and turns no-break spaces into blanks):
    // when it shows the selected entry, the entry itself is meant, whole.
    const widgets::ListBoxModel *list = currentList();
    const QString shown = pp->toPlainText();
    const int selected = list->selectedIndex();
    if (selected >= 0 && !shown.isEmpty() && QTextDocument(list->lines().shownAt(selected)).toPlainText() == shown)
        return list->item(selected);
    return shown;
}

void frmmain::mnuakriv_öppnatext_Click()
{
    textfiles::frmtextedit textFiles(m_platform, this);
    textFiles.exec();
}

void frmmain::cmdsök_Click()
{
    openSearch();
}

void frmmain::openSearch(const QString &typed)
{
    search::frmsök window(m_platform, link(), this);
    // Typed once the window is seen, so that a long search shows "Söker..." as the user's own does.
    if (!typed.isEmpty())
        QTimer::singleShot(0, &window, [&window, typed] { window.typeAndSearch(typed); });
    window.exec();
}

void frmmain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_untold.isEmpty() && m_start.search.isEmpty())
        return;
    // Once the showing has run to its end, and over the window the user now sees: the box and the search window
    // are modal and would hold this handler until they close.
    QTimer::singleShot(0, this,
                       [this, untold = std::exchange(m_untold, {}), typed = std::exchange(m_start.search, {})] {
                           if (!untold.isEmpty())
                               m_platform.messageBox(store::missingCollectionText(untold), platform::Buttons::Ok,
                                                     platform::Icon::Exclamation);
                           if (!typed.isEmpty())
                               openSearch(typed);
                       });
}

void frmmain::mnuredigera_sök_Click()
{
    cmdsök_Click();
}

void frmmain::optlista_hela_Click()
{
    countShownList();
    // Back to the proverb last shown in this view. Without a selection, a number box that holds no number
    // is left as it is: there is nothing to show again.
    int n = 0;
    if (List1->selectedIndex() >= 0) {
        n = List1->selectedIndex() + 1;
    } else {
        const auto number = store::strictNumber(txtnr->text());
        if (!number.ok())
            return;
        n = *number;
    }
    showNumber(n);
}

void frmmain::optlista_sök_Click()
{
    if (söklista->count() == 0) {
        if (m_platform.messageBox(u"Det finns inga ordspråk i söklistan. Vill du söka nu?"_s, platform::Buttons::YesNo,
                                  platform::Icon::Question, u"Söklistan är tom"_s)
            != platform::Answer::Yes) {
            optlista_hela->setChecked(true);
            return;
        }
        const QScopedValueRollback offered(m_searchOffered, true);
        cmdsök_Click();
    }
    if (söklista->count() == 0) {
        optlista_hela->setChecked(true);
        return;
    }
    countShownList();
    const auto number = store::strictNumber(txtnr->text());
    if (const auto failure = number.failure())
        return m_platform.showStandardError(*failure);
    int n = *number;
    if (söklista->selectedIndex() >= 0)
        n = söklista->selectedIndex() + 1;
    showNumber(n);
}

void frmmain::mnuarkiv_raderaordspråk_Click()
{
    if (searchListView()) {
        m_platform.messageBox(u"Kan inte radera i söklistan!"_s, platform::Buttons::Ok, platform::Icon::Exclamation,
                              u"Kan inte radera"_s);
        return;
    }
    if (refusedAsForeign())
        return;
    if (m_platform.messageBox(u"Vill du ta bort detta ordspråk?"_s, platform::Buttons::YesNo, platform::Icon::Question,
                              u"Ta bort"_s)
        != platform::Answer::Yes)
        return;

    // When the chosen collection's file is missing, the list still holds the previous collection: writing it
    // to the chosen path would make a copy of the wrong proverbs under the chosen name.
    if (!store::fileExists(store::Module1::sökväg))
        return m_platform.showStandardError(store::failures::fileNotFound(store::Module1::sökväg));
    const int index = List1->selectedIndex();
    const QString removed = List1->selectedText();
    if (auto failure = List1->removeItem(index))
        return m_platform.showStandardError(*failure);

    platform::BusyPointer busy(m_platform);
    if (auto failure = store::writeCollection(store::Module1::sökväg, List1->lines(), &collectionStamp)) {
        // The write is atomic, so the file still holds the proverb: put it back, and list and file agree.
        List1->insertItem(index, removed);
        (void)List1->setSelectedIndex(index);
        if (!busy.tellWriteFailure(*failure, u"Samlingen har lästs in igen. Ta bort ordspråket på nytt om du "
                                             u"fortfarande vill det."_s))
            return;
        // Another program changed the file: the collection as it is now, showing the same proverb where it
        // still is, so that deleting it again is one step.
        comboordspråk_Click();
        for (int i = 0; i < List1->count(); ++i) {
            if (List1->item(i) == removed) {
                txtnr->setText(QString::number(i + 1));
                break;
            }
        }
        return;
    }
    pp->clear();
    if (store::Module1::antal >= 1) {
        const auto number = store::strictNumber(txtnr->text());
        if (const auto failure = number.failure())
            return busy.showError(*failure);
        showNumber(*number);
    }
}

void frmmain::cmdordspråk_ny_Click()
{
    const QString name = m_platform.inputBox(u"Skriv in ett namn för den nya ordspråkfilen"_s, u"Ny ordspråkfil"_s);
    if (name.isEmpty())
        return;
    if (auto failure = store::checkNameForWriting(name))
        return m_platform.showStandardError(*failure);
    const QString path = store::collectionPath(name);
    // Any entry of that name counts (a hidden file, a folder), and so does a collection whose name differs
    // only in letter case: two collections the user cannot tell apart in the box.
    if (store::collectionListed(name) || QFileInfo::exists(path)) {
        m_platform.messageBox(u"En fil finns redan med det namnet! Välj ett annat namn."_s, platform::Buttons::Ok,
                              platform::Icon::Exclamation);
        return;
    }
    if (auto failure = store::createEmptyCollection(path))
        return m_platform.showStandardError(*failure);
    fillista->setItems(store::collectionFiles());
    comboordspråk->insertItem(0, name);
    comboordspråk->setCurrentIndex(0);
    comboordspråk_Click();
}

// A collection of another program (fortune's) is never changed: told before any question is asked.
bool frmmain::refusedAsForeign()
{
    if (collectionStamp.state != store::FileStamp::State::Foreign)
        return false;
    m_platform.showStandardError(store::failures::belongsToOtherProgram(store::Module1::sökväg));
    return true;
}

void frmmain::cmdordspråk_radera_Click()
{
    if (refusedAsForeign())
        return;
    if (m_platform.messageBox(u"Vill du radera ordspråkfilen ''"_s + comboordspråk->currentText() + u"''?"_s,
                              platform::Buttons::YesNo, platform::Icon::Question, u"Radera"_s)
        != platform::Answer::Yes)
        return;
    if (auto failure = store::deleteFile(store::Module1::sökväg))
        return m_platform.showStandardError(*failure);
    comboordspråk->removeItem(comboordspråk->currentIndex());
    fillista->setItems(store::collectionFiles());
    if (comboordspråk->count() > 0) {
        comboordspråk->setCurrentIndex(0);
        comboordspråk_Click();
    }
}

void frmmain::cmdkopiera_Click()
{
    m_platform.setClipboardText(shownProverb());
}

void frmmain::mnuredigera_textstorlek_Click(int index)
{
    scroll->setValue(index + 1);
}

void frmmain::scroll_Change()
{
    QFont font = pp->font();
    font.setPointSizeF(kTextSizes[scroll->value() - 1]);
    pp->setFont(font);
    mnuredigera_textstorlek[scroll->value() - 1]->setChecked(true);
}

} // namespace tankedosan::main
