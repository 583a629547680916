// SPDX-License-Identifier: LicenseRef-Tankedosan
// How the main window is built: its controls, placed as the classic window placed them, its menus, and what
// each of them runs.
#include "main/frmmain.h"

#include "editor/frmredigera.h"

#include "widgets/artwork.h"
#include "widgets/keys.h"
#include "widgets/twips.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <functional>

using namespace Qt::StringLiterals;

namespace tankedosan::main {

namespace {

const QColor kLightYellow(0xFF, 0xFF, 0xC0);

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

void frmmain::createControls()
{
    auto *client = new QWidget(this);
    client->setFixedSize(widgets::twips::size(6570, 3930));
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // The lists are never shown; they belong to the window all the same.
    fillista = new widgets::ListBoxModel(u"fillista"_s, this);
    söklista = new widgets::ListBoxModel(u"söklista"_s, this);
    List1 = new widgets::ListBoxModel(u"List1"_s, this);

    placeCollectionChoice(client);
    placeDisplay(client);
    placeViewAndStepping(client);
    createMenus();
}

void frmmain::connectHandlers()
{
    connectControls();
    // Closing the window is how the program ends, so "Avsluta" saves the number on the way out too.
    connect(mnuarkiv_avsluta, &QAction::triggered, this, &QWidget::close);
    connect(mnuarkiv_raderaordspråk, &QAction::triggered, this, &frmmain::mnuarkiv_raderaordspråk_Click);
    connect(mnuredigera_sök, &QAction::triggered, this, &frmmain::mnuredigera_sök_Click);
    connect(mnuredigera_redigera, &QAction::triggered, this,
            [this] { editor::frmredigera::mnuredigera_redigera_Click(link(), m_platform); });
    for (int i = 0; i < int(mnuredigera_textstorlek.size()); ++i)
        connect(mnuredigera_textstorlek[i], &QAction::triggered, this, [this, i] { mnuredigera_textstorlek_Click(i); });
    connectOtherWindows();
    connectDesktopKeys();
    widgets::keyboard(this);
}

void frmmain::placeCollectionChoice(QWidget *client)
{
    Label2 = widgets::twips::place(new QLabel(u"Så här är det ..."_s, client), u"Label2"_s, 150, 90, 3600, 450);
    QFont heading = Label2->font();
    heading.setPointSizeF(15);
    heading.setBold(true);
    heading.setItalic(true);
    Label2->setFont(heading);

    Label3 = widgets::twips::place(new QLabel(u"Välj ordspråkfil:"_s, client), u"Label3"_s, 3930, 60, 2490, 240);
    comboordspråk = widgets::twips::place(new QComboBox(client), u"comboordspråk"_s, 3930, 315, 2490, 330);
    Label3->setBuddy(comboordspråk);
    cmdordspråk_ny = widgets::twips::place(new QPushButton(u"Ny"_s, client), u"cmdordspråk_ny"_s, 3930, 720, 1200, 360);
    cmdordspråk_radera =
        widgets::twips::place(new QPushButton(u"Ta bort"_s, client), u"cmdordspråk_radera"_s, 5220, 720, 1200, 360);
}

void frmmain::placeDisplay(QWidget *client)
{
    // The dark label behind the panel is its shadow.
    Label1 = widgets::twips::place(new QLabel(client), u"Label1"_s, 210, 1230, 4500, 2040);
    Label1->setAutoFillBackground(true);
    Label1->setPalette(QPalette(QColor(0x40, 0x40, 0x40)));

    Picture1 = widgets::twips::place(new QWidget(client), u"Picture1"_s, 150, 1170, 4500, 2040);
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

    pp = widgets::twips::place(new QPlainTextEdit(Picture1), u"pp"_s, 90, 90, 4320, 1380);
    // Controls without a caption or a label of their own are announced by these names.
    pp->setAccessibleName(u"Ordspråk"_s);
    pp->setReadOnly(true);
    pp->setFrameShape(QFrame::NoFrame);
    pp->setPalette(panel);
    QFont display = pp->font();
    display.setPointSizeF(kTextSizes[0]);
    pp->setFont(display);
    m_proseFamily = display.family();

    scroll = widgets::twips::place(new QScrollBar(Qt::Horizontal, Picture1), u"scroll"_s, 90, 1620, 960, 240);
    scroll->setRange(1, 5);
    scroll->setValue(1);
    scroll->setPageStep(1);
    scroll->setToolTip(u"Textstorlek"_s);
    // The tip is its only caption; a screen reader takes a tip for a description and names the bar by nothing.
    scroll->setAccessibleName(scroll->toolTip());

    Image1 = widgets::twips::place(new QLabel(Picture1), u"Image1"_s, 3960, 1500, 450, 450);
    Image1->setAccessibleName(u"Om Tankedosan"_s);
    Image1->setPixmap(widgets::boxPicture(widgets::twips::toPixels(450)));
    Image1->setCursor(Qt::PointingHandCursor);
}

void frmmain::placeViewAndStepping(QWidget *client)
{
    Frame1 = widgets::twips::place(new QGroupBox(u"Visa"_s, client), u"Frame1"_s, 4830, 1170, 1590, 1020);
    optlista_sök =
        widgets::twips::place(new QRadioButton(u"Söklistan"_s, Frame1), u"optlista_sök"_s, 150, 330, 1380, 285);
    optlista_hela =
        widgets::twips::place(new QRadioButton(u"Hela listan"_s, Frame1), u"optlista_hela"_s, 150, 645, 1380, 285);
    optlista_hela->setChecked(true);

    cmdsök = widgets::twips::place(new QPushButton(u"Sök"_s, client), u"cmdsök"_s, 4830, 2310, 1590, 405);
    cmdkopiera = widgets::twips::place(new QPushButton(u"Kopiera"_s, client), u"cmdkopiera"_s, 4830, 2805, 1590, 405);
    cmdkopiera->setToolTip(u"Kopiera ordspråk till klippboken"_s);

    txtnr = widgets::twips::place(new QLineEdit(u"1"_s, client), u"txtnr"_s, 150, 3420, 900, 360);
    txtnr->setAccessibleName(u"Ordspråkets nummer"_s);
    // The stepping buttons have their initials, Alt+F and Alt+N; the other captions get letters around them.
    cmdförra = widgets::twips::place(new QPushButton(u"&Förra"_s, client), u"cmdförra"_s, 1170, 3390, 1200, 420);
    cmdnästa = widgets::twips::place(new QPushButton(u"&Nästa"_s, client), u"cmdnästa"_s, 2460, 3390, 1200, 420);

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
    for (widgets::ListBoxModel *list : {List1, söklista}) {
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

    mnuredigera = menuBar()->addMenu(u"&Redigera"_s);
    mnuredigera->setObjectName(u"mnuredigera"_s);
    mnuredigera_sök = addEntry(mnuredigera, u"mnuredigera_sök"_s, u"Sök ordspråk..."_s, Qt::Key_F3);
    // The desktop's key for finding as well; F3, the first, is the one the menu shows.
    mnuredigera_sök->setShortcuts({Qt::Key_F3, Qt::CTRL | Qt::Key_F});
    mnuredigera_linje1 = addSeparator(mnuredigera, u"mnuredigera_linje1"_s);
    mnuredigera_redigera = addEntry(mnuredigera, u"mnuredigera_redigera"_s, u"Redigera ordspråk-listan..."_s);
    mnuredigera_linje2 = addSeparator(mnuredigera, u"mnuredigera_linje2"_s);
    // One size is in force at a time, and its entry is the one marked.
    auto *sizes = new QActionGroup(mnuredigera);
    sizes->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (int i = 0; i < 5; ++i) {
        mnuredigera_textstorlek[i] = addEntry(mnuredigera, u"mnuredigera_textstorlek"_s,
                                              u"Textstorlek - "_s + QString::number(qRound(kTextSizes[i])));
        mnuredigera_textstorlek[i]->setCheckable(true);
        sizes->addAction(mnuredigera_textstorlek[i]);
    }
    mnuredigera_textstorlek[0]->setChecked(true);
    // Ctrl+0, a desktop's key for the default size, is this entry's: the size the window starts with.
    mnuredigera_textstorlek[0]->setShortcut(Qt::CTRL | Qt::Key_0);

    mnuhjälp = menuBar()->addMenu(u"&Hjälp"_s);
    mnuhjälp->setObjectName(u"mnuhjälp"_s);
    mnuhjälp_hjälp = addEntry(mnuhjälp, u"mnuhjälp_hjälp"_s, u"Hjälp"_s, Qt::Key_F1);
    mnuhjälp_linje1 = addSeparator(mnuhjälp, u"mnuhjälp_linje1"_s);
    mnuhjälp_om = addEntry(mnuhjälp, u"mnuhjälp_om"_s, u"Om ..."_s);
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

} // namespace tankedosan::main
