// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "main/frmmain.h"

#include "editor/frmredigera.h"
#include "widgets/artwork.h"
#include "main/frmhjalp.h"
#include "main/frmom.h"
#include "store/numbers.h"
#include "widgets/twips.h"
#include "widgets/collectionboxes.h"
#include "widgets/keys.h"
#include "quicksave/frmsnabbspara.h"
#include "search/frmsok.h"
#include "store/collections.h"
#include "store/files.h"
#include "store/module1.h"
#include "store/numberfile.h"
#include "store/programfolder.h"
#include "store/shown.h"
#include "textfiles/frmtextedit.h"

#include <QAction>
#include <QActionGroup>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextDocument>

#include <functional>

#include <memory>

using namespace Qt::StringLiterals;

QString wholeListCaption(int count)
{
    return u"Tankedosan -  "_s + QString::number(count) + u" st"_s;
}

QString searchListCaption(int count)
{
    return u"Tankedosan - sökresultat - "_s + QString::number(count) + u" st"_s;
}

namespace {

const QColor kLightYellow(0xFF, 0xFF, 0xC0);

// The display's point sizes for the text-size values 1 to 5; the menu captions round them (8, 10, 12, 14, 18).
constexpr double kTextSizes[] = {8.25, 9.75, 12, 13.5, 18};

QAction *addSeparator(QMenu *menu, const QString &name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(name);
    return separator;
}

QAction *addEntry(QMenu *menu, const QString &name, const QString &caption, QKeySequence shortcut = {})
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

} // namespace

frmmain::frmmain(platform::Platform &platform, QWidget *parent)
    : QMainWindow(parent)
    , m_platform(platform)
{
    setObjectName(u"frmmain"_s);
    setWindowTitle(u"Tankedosan"_s);
    // The icon the desktop shows for the installed program (its hicolor theme icon), so that the window and
    // the launcher look alike; the drawn picture where none is installed, as in the build folder.
    setWindowIcon(QIcon::fromTheme(u"tankedosan"_s, artwork::windowIcon()));
    createControls();
    createMenus();
    connectOtherWindows();
    windowsetup::keyboard(this);
    Form_Load();
}

void frmmain::createControls()
{
    auto *client = new QWidget(this);
    client->setFixedSize(twips::size(6570, 3930));
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // The lists are never shown; they belong to the window all the same.
    fillista = new ListBoxModel(u"fillista"_s, this);
    söklista = new ListBoxModel(u"söklista"_s, this);
    List1 = new ListBoxModel(u"List1"_s, this);

    placeCollectionChoice(client);
    placeDisplay(client);
    placeViewAndStepping(client);
    connectControls();
}

void frmmain::placeCollectionChoice(QWidget *client)
{
    Label2 = twips::place(new QLabel(u"Så här är det ..."_s, client), u"Label2"_s, 150, 90, 3600, 450);
    QFont heading = Label2->font();
    heading.setPointSizeF(15);
    heading.setBold(true);
    heading.setItalic(true);
    Label2->setFont(heading);

    Label3 = twips::place(new QLabel(u"Välj ordspråkfil:"_s, client), u"Label3"_s, 3930, 60, 2490, 240);
    comboordspråk = twips::place(new QComboBox(client), u"comboordspråk"_s, 3930, 315, 2490, 330);
    Label3->setBuddy(comboordspråk);
    cmdordspråk_ny = twips::place(new QPushButton(u"Ny"_s, client), u"cmdordspråk_ny"_s, 3930, 720, 1200, 360);
    cmdordspråk_radera =
        twips::place(new QPushButton(u"Ta bort"_s, client), u"cmdordspråk_radera"_s, 5220, 720, 1200, 360);
}

void frmmain::placeDisplay(QWidget *client)
{
    // The dark label behind the panel is its shadow.
    Label1 = twips::place(new QLabel(client), u"Label1"_s, 210, 1230, 4500, 2040);
    Label1->setAutoFillBackground(true);
    Label1->setPalette(QPalette(QColor(0x40, 0x40, 0x40)));

    Picture1 = twips::place(new QWidget(client), u"Picture1"_s, 150, 1170, 4500, 2040);
    Picture1->setAutoFillBackground(true);
    // The panel's light yellow comes with its own black text: under a dark desktop scheme the desktop's
    // light text would be unreadable on it.
    QPalette panel = Picture1->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        panel.setColor(group, QPalette::Window, kLightYellow);
        panel.setColor(group, QPalette::Base, kLightYellow);
        panel.setColor(group, QPalette::WindowText, Qt::black);
        panel.setColor(group, QPalette::Text, Qt::black);
    }
    Picture1->setPalette(panel);

    pp = twips::place(new QPlainTextEdit(Picture1), u"pp"_s, 90, 90, 4320, 1380);
    // Controls without a caption or a label of their own are announced by these names.
    pp->setAccessibleName(u"Ordspråk"_s);
    pp->setReadOnly(true);
    pp->setFrameShape(QFrame::NoFrame);
    pp->setPalette(panel);
    QFont display = pp->font();
    display.setPointSizeF(kTextSizes[0]);
    pp->setFont(display);

    scroll = twips::place(new QScrollBar(Qt::Horizontal, Picture1), u"scroll"_s, 90, 1620, 960, 240);
    scroll->setRange(1, 5);
    scroll->setValue(1);
    scroll->setPageStep(1);
    scroll->setToolTip(u"Textstorlek"_s);
    // The tip is its only caption; a screen reader takes a tip for a description and names the bar by nothing.
    scroll->setAccessibleName(scroll->toolTip());

    Image1 = twips::place(new QLabel(Picture1), u"Image1"_s, 3960, 1500, 450, 450);
    Image1->setAccessibleName(u"Om Tankedosan"_s);
    Image1->setPixmap(artwork::boxPicture(twips::toPixels(450)));
    Image1->setCursor(Qt::PointingHandCursor);
}

void frmmain::placeViewAndStepping(QWidget *client)
{
    Frame1 = twips::place(new QGroupBox(u"Visa"_s, client), u"Frame1"_s, 4830, 1170, 1590, 1020);
    optlista_sök = twips::place(new QRadioButton(u"Söklistan"_s, Frame1), u"optlista_sök"_s, 150, 330, 1380, 285);
    optlista_hela = twips::place(new QRadioButton(u"Hela listan"_s, Frame1), u"optlista_hela"_s, 150, 645, 1380, 285);
    optlista_hela->setChecked(true);

    cmdsök = twips::place(new QPushButton(u"Sök"_s, client), u"cmdsök"_s, 4830, 2310, 1590, 405);
    cmdkopiera = twips::place(new QPushButton(u"Kopiera"_s, client), u"cmdkopiera"_s, 4830, 2805, 1590, 405);
    cmdkopiera->setToolTip(u"Kopiera ordspråk till klippboken"_s);

    txtnr = twips::place(new QLineEdit(u"1"_s, client), u"txtnr"_s, 150, 3420, 900, 360);
    txtnr->setAccessibleName(u"Ordspråkets nummer"_s);
    // The stepping buttons have their initials, Alt+F and Alt+N; the other captions get letters around them.
    cmdförra = twips::place(new QPushButton(u"&Förra"_s, client), u"cmdförra"_s, 1170, 3390, 1200, 420);
    cmdnästa = twips::place(new QPushButton(u"&Nästa"_s, client), u"cmdnästa"_s, 2460, 3390, 1200, 420);

    // Stepping is what the window is for: Enter or Space on "Nästa" shows the next proverb at once.
    cmdnästa->setFocus();
}

void frmmain::connectControls()
{
    // A choice by the user loads every time, also the collection already chosen (a way to read it again).
    // The box also moves its index by itself when entries come and go; code that chooses a collection
    // selects it and runs the handler explicitly, so each collection is loaded once.
    connect(comboordspråk, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            comboordspråk_Click();
    });
    connect(txtnr, &QLineEdit::textChanged, this, &frmmain::txtnr_Change);
    connect(cmdnästa, &QPushButton::clicked, this, &frmmain::cmdnästa_Click);
    connect(cmdförra, &QPushButton::clicked, this, &frmmain::cmdförra_Click);
    connect(cmdsök, &QPushButton::clicked, this, &frmmain::cmdsök_Click);
    connect(cmdkopiera, &QPushButton::clicked, this, &frmmain::cmdkopiera_Click);
    connect(cmdordspråk_ny, &QPushButton::clicked, this, &frmmain::cmdordspråk_ny_Click);
    connect(cmdordspråk_radera, &QPushButton::clicked, this, &frmmain::cmdordspråk_radera_Click);
    connect(optlista_hela, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            optlista_hela_Click();
    });
    connect(optlista_sök, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            optlista_sök_Click();
    });
    connect(scroll, &QScrollBar::valueChanged, this, &frmmain::scroll_Change);
    // Whichever window changes a list, the count and the caption follow the one shown.
    for (ListBoxModel *list : {List1, söklista}) {
        connect(list, &QAbstractItemModel::modelReset, this, &frmmain::countShownList);
        connect(list, &QAbstractItemModel::rowsInserted, this, &frmmain::countShownList);
        connect(list, &QAbstractItemModel::rowsRemoved, this, &frmmain::countShownList);
    }
}

void frmmain::createMenus()
{
    mnuarkiv = menuBar()->addMenu(u"&Arkiv"_s);
    mnuarkiv->setObjectName(u"mnuarkiv"_s);
    mnuakriv_öppnatext = addEntry(mnuarkiv, u"mnuakriv_öppnatext"_s, u"Öppna text..."_s);
    mnuarkiv_linje1 = addSeparator(mnuarkiv, u"mnuarkiv_linje1"_s);
    mnuarkiv_snabbspara = addEntry(mnuarkiv, u"mnuarkiv_snabbspara"_s, u"Snabbspara ordspråk"_s, Qt::Key_F2);
    mnuarkiv_öppnasnabbspara = addEntry(mnuarkiv, u"mnuarkiv_öppnasnabbspara"_s, u"Öppna snabbspara-listan..."_s);
    mnuarkiv_linje2 = addSeparator(mnuarkiv, u"mnuarkiv_linje2"_s);
    mnuarkiv_raderaordspråk = addEntry(mnuarkiv, u"mnuarkiv_raderaordspråk"_s, u"Radera aktuellt ordspråk..."_s);
    mnuarkiv_linje3 = addSeparator(mnuarkiv, u"mnuarkiv_linje3"_s);
    mnuarkiv_avsluta = addEntry(mnuarkiv, u"mnuarkiv_avsluta"_s, u"Avsluta"_s, Qt::CTRL | Qt::Key_Q);
    // Closing the window is how the program ends, so "Avsluta" saves the number on the way out too.
    connect(mnuarkiv_avsluta, &QAction::triggered, this, &QWidget::close);
    connect(mnuarkiv_raderaordspråk, &QAction::triggered, this, &frmmain::mnuarkiv_raderaordspråk_Click);

    mnuredigera = menuBar()->addMenu(u"&Redigera"_s);
    mnuredigera->setObjectName(u"mnuredigera"_s);
    mnuredigera_sök = addEntry(mnuredigera, u"mnuredigera_sök"_s, u"Sök ordspråk..."_s, Qt::Key_F3);
    mnuredigera_linje1 = addSeparator(mnuredigera, u"mnuredigera_linje1"_s);
    mnuredigera_redigera = addEntry(mnuredigera, u"mnuredigera_redigera"_s, u"Redigera ordspråk-listan..."_s);
    connect(mnuredigera_redigera, &QAction::triggered, this,
            [this] { frmredigera::mnuredigera_redigera_Click(link(), m_platform); });
    mnuredigera_linje2 = addSeparator(mnuredigera, u"mnuredigera_linje2"_s);
    // One size is in force at a time, and its entry is the one marked.
    auto *sizes = new QActionGroup(mnuredigera);
    sizes->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (int i = 0; i < 5; ++i) {
        mnuredigera_textstorlek[i] = addEntry(mnuredigera, u"mnuredigera_textstorlek"_s,
                                              u"Textstorlek - "_s + QString::number(qRound(kTextSizes[i])));
        mnuredigera_textstorlek[i]->setCheckable(true);
        sizes->addAction(mnuredigera_textstorlek[i]);
        connect(mnuredigera_textstorlek[i], &QAction::triggered, this, [this, i] { mnuredigera_textstorlek_Click(i); });
    }
    mnuredigera_textstorlek[0]->setChecked(true);
    connect(mnuredigera_sök, &QAction::triggered, this, &frmmain::mnuredigera_sök_Click);

    mnuhjälp = menuBar()->addMenu(u"&Hjälp"_s);
    mnuhjälp->setObjectName(u"mnuhjälp"_s);
    mnuhjälp_hjälp = addEntry(mnuhjälp, u"mnuhjälp_hjälp"_s, u"Hjälp"_s, Qt::Key_F1);
    mnuhjälp_linje1 = addSeparator(mnuhjälp, u"mnuhjälp_linje1"_s);
    mnuhjälp_om = addEntry(mnuhjälp, u"mnuhjälp_om"_s, u"Om ..."_s);
}

bool frmmain::searchListView() const
{
    return optlista_sök->isChecked();
}

ListBoxModel *frmmain::currentList() const
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
    const int chosen = int(store::startCollection(names));
    if (chosen >= 0) {
        comboordspråk->setCurrentIndex(chosen);
        comboordspråk_Click();
    }
    txtnr->setText(store::readNumberFile());
    const QStringList undecodable = store::undecodableCollectionFiles();
    if (!undecodable.isEmpty())
        m_platform.messageBox(u"Samlingsfilerna ''"_s + undecodable.join(u"'', ''"_s)
                                  + u"'' har namn som inte är giltig UTF-8 och kan därför inte visas. "
                                    u"Byt namn på dem för att använda dem."_s,
                              platform::Buttons::Ok, platform::Icon::Exclamation);
    // Once, here: every write in such a folder would fail, and the user should not learn it step by step.
    if (!store::programFolderIsWritable())
        m_platform.messageBox(u"Mappen ''"_s + store::programFolder()
                                  + u"'' går inte att skriva i. Samlingarna där kan bara läsas, och numret "
                                    u"på ordspråket som visas sparas inte till nästa gång."_s,
                              platform::Buttons::Ok, platform::Icon::Exclamation);
}

void frmmain::comboordspråk_Click()
{
    platform::BusyPointer busy(m_platform);

    // The old proverbs stay until the new ones are read, so that a cancelled load leaves them shown.
    using Outcome = collectionboxes::ChosenCollection::Outcome;
    auto chosen = collectionboxes::readChosenCollection(this, m_platform, comboordspråk->currentText());
    if (chosen.outcome == Outcome::Refused)
        return busy.showError(*chosen.failure);
    if (chosen.outcome == Outcome::Cancelled) {
        // As if the collection had never been chosen: the box goes back to the one shown.
        const QSignalBlocker quiet(comboordspråk);
        comboordspråk->setCurrentIndex(-1);
        for (int i = 0; i < comboordspråk->count(); ++i) {
            if (!Module1::sökväg.isEmpty() && store::collectionFile(comboordspråk->itemText(i)) == Module1::sökväg)
                comboordspråk->setCurrentIndex(i);
        }
        return;
    }
    Module1::sökväg = chosen.path;
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

    const auto number = numbers::strictNumber(txtnr->text());
    if (const auto *failure = std::get_if<store::Failure>(&number))
        return busy.showError(*failure);
    const int n = std::get<int>(number);
    if (Module1::antal >= n) {
        showNumber(n);
    }
}

void frmmain::txtnr_Change()
{
    const QString text = txtnr->text();
    if (text.isEmpty() || text == u"0"_s)
        return;
    const auto number = numbers::strictNumber(text);
    if (!std::holds_alternative<int>(number))
        return;
    const qint64 index = qint64(std::get<int>(number)) - 1;
    ListBoxModel *list = currentList();
    if (index < -1 || index >= list->count())
        return;
    (void)list->setSelectedIndex(int(index));
    pp->setPlainText(index < 0 ? QString() : list->lines().shownAt(index));
}

// The one place that sets Module1::antal: the count of the list the window shows, with the caption that
// tells it.
void frmmain::countShownList()
{
    Module1::antal = currentList()->count();
    setWindowTitle(searchListView() ? searchListCaption(Module1::antal) : wholeListCaption(Module1::antal));
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
    qint64 n = numbers::lenientNumber(txtnr->text());
    if (n >= Module1::antal)
        n = 0;
    txtnr->setText(QString::number(n + 1));
}

void frmmain::cmdförra_Click()
{
    qint64 n = qint64(numbers::lenientNumber(txtnr->text())) - 1;
    if (n <= 0)
        n = Module1::antal;
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

namespace {

// Turns a left click on a widget that has no click of its own (a picture) into a call.
class ClickFilter : public QObject
{
public:
    ClickFilter(QWidget *target, std::function<void()> onClick)
        : QObject(target)
        , m_onClick(std::move(onClick))
    {
        target->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            auto *widget = static_cast<QWidget *>(watched);
            if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint())) {
                m_onClick();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onClick;
};

} // namespace

void frmmain::connectOtherWindows()
{
    connect(mnuhjälp_om, &QAction::triggered, this, &frmmain::mnuhjälp_om_Click);
    new ClickFilter(Image1, [this] { Image1_Click(); });
    connect(mnuhjälp_hjälp, &QAction::triggered, this, &frmmain::mnuhjälp_hjälp_Click);
    connect(mnuarkiv_öppnasnabbspara, &QAction::triggered, this, &frmmain::mnuarkiv_öppnasnabbspara_Click);
    connect(mnuarkiv_snabbspara, &QAction::triggered, this, &frmmain::mnuarkiv_snabbspara_Click);
    connect(mnuakriv_öppnatext, &QAction::triggered, this, &frmmain::mnuakriv_öppnatext_Click);
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

frmsnabbspara &frmmain::snabbsparaFönster()
{
    auto *window = findChild<frmsnabbspara *>(u"frmsnabbspara"_s, Qt::FindDirectChildrenOnly);
    if (!window)
        window = new frmsnabbspara(m_platform, this);
    return *window;
}

MainWindowLink frmmain::link()
{
    MainWindowLink link;
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
    const ListBoxModel *list = currentList();
    const QString shown = pp->toPlainText();
    const int selected = list->selectedIndex();
    if (selected >= 0 && !shown.isEmpty() && QTextDocument(list->lines().shownAt(selected)).toPlainText() == shown)
        return list->item(selected);
    return shown;
}

void frmmain::mnuakriv_öppnatext_Click()
{
    frmtextedit textFiles(m_platform, this);
    textFiles.exec();
}

void frmmain::cmdsök_Click()
{
    frmsök search(m_platform, link(), this);
    search.exec();
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
        const auto number = numbers::strictNumber(txtnr->text());
        if (!std::holds_alternative<int>(number))
            return;
        n = std::get<int>(number);
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
    const auto number = numbers::strictNumber(txtnr->text());
    if (const auto *failure = std::get_if<store::Failure>(&number))
        return m_platform.showStandardError(*failure);
    int n = std::get<int>(number);
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
    if (!store::fileExists(Module1::sökväg))
        return m_platform.showStandardError(store::failures::fileNotFound(Module1::sökväg));
    const int index = List1->selectedIndex();
    const QString removed = List1->selectedText();
    if (auto failure = List1->removeItem(index))
        return m_platform.showStandardError(*failure);

    platform::BusyPointer busy(m_platform);
    if (auto failure = store::writeCollection(Module1::sökväg, List1->lines(), &collectionStamp)) {
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
    if (Module1::antal >= 1) {
        const auto number = numbers::strictNumber(txtnr->text());
        if (const auto *failure = std::get_if<store::Failure>(&number))
            return busy.showError(*failure);
        showNumber(std::get<int>(number));
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
    m_platform.showStandardError(store::failures::belongsToOtherProgram(Module1::sökväg));
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
    if (auto failure = store::deleteFile(Module1::sökväg))
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
