#include "main/frmmain.h"

#include "editor/frmredigera.h"
#include "main/artwork.h"
#include "main/numbers.h"
#include "main/twips.h"
#include "store/collections.h"
#include "store/module1.h"
#include "store/numberfile.h"
#include "store/programfolder.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

QString wholeListCaption(int count)
{
    return u"Tankedosan -  "_s + QString::number(count) + u" st"_s;
}

namespace {

const QColor kLightYellow(0xFF, 0xFF, 0xC0);

template <typename W>
W *place(W *widget, const QString &name, int left, int top, int width, int height)
{
    widget->setObjectName(name);
    widget->setGeometry(twips::rect(left, top, width, height));
    return widget;
}

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
    setWindowIcon(artwork::windowIcon());
    createControls();
    createMenus();
    Form_Load();
}

void frmmain::createControls()
{
    auto *client = new QWidget(this);
    client->setFixedSize(twips::size(6570, 3930));
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // The lists are never shown; they belong to the window all the same.
    fillista = new HiddenList(u"fillista"_s, this);
    söklista = new HiddenList(u"söklista"_s, this);
    List1 = new HiddenList(u"List1"_s, this);

    Label2 = place(new QLabel(u"Så här är det ..."_s, client), u"Label2"_s, 150, 90, 3600, 450);
    QFont heading = Label2->font();
    heading.setPointSizeF(15);
    heading.setBold(true);
    heading.setItalic(true);
    Label2->setFont(heading);

    Label3 = place(new QLabel(u"Välj ordspråkfil:"_s, client), u"Label3"_s, 3930, 60, 2490, 240);
    comboordspråk = place(new QComboBox(client), u"comboordspråk"_s, 3930, 315, 2490, 330);
    Label3->setBuddy(comboordspråk);
    cmdordspråk_ny = place(new QPushButton(u"Ny"_s, client), u"cmdordspråk_ny"_s, 3930, 720, 1200, 360);
    cmdordspråk_radera = place(new QPushButton(u"Ta bort"_s, client), u"cmdordspråk_radera"_s, 5220, 720, 1200, 360);

    // The dark label behind the panel is its shadow.
    Label1 = place(new QLabel(client), u"Label1"_s, 210, 1230, 4500, 2040);
    Label1->setAutoFillBackground(true);
    Label1->setPalette(QPalette(QColor(0x40, 0x40, 0x40)));

    Picture1 = place(new QWidget(client), u"Picture1"_s, 150, 1170, 4500, 2040);
    Picture1->setAutoFillBackground(true);
    QPalette panel = Picture1->palette();
    panel.setColor(QPalette::Window, kLightYellow);
    panel.setColor(QPalette::Base, kLightYellow);
    Picture1->setPalette(panel);

    pp = place(new QPlainTextEdit(Picture1), u"pp"_s, 90, 90, 4320, 1380);
    pp->setReadOnly(true);
    pp->setFrameShape(QFrame::NoFrame);
    pp->setPalette(panel);
    QFont display = pp->font();
    display.setPointSizeF(8.25);
    pp->setFont(display);

    scroll = place(new QScrollBar(Qt::Horizontal, Picture1), u"scroll"_s, 90, 1620, 960, 240);
    scroll->setRange(1, 5);
    scroll->setValue(1);
    scroll->setPageStep(1);
    scroll->setToolTip(u"Textstorlek"_s);

    Image1 = place(new QLabel(Picture1), u"Image1"_s, 3960, 1500, 450, 450);
    Image1->setPixmap(artwork::boxPicture(twips::toPixels(450)));
    Image1->setCursor(Qt::PointingHandCursor);

    Frame1 = place(new QGroupBox(u"Visa"_s, client), u"Frame1"_s, 4830, 1170, 1590, 1020);
    optlista_sök = place(new QRadioButton(u"Söklistan"_s, Frame1), u"optlista_sök"_s, 150, 330, 1380, 285);
    optlista_hela = place(new QRadioButton(u"Hela listan"_s, Frame1), u"optlista_hela"_s, 150, 645, 1380, 285);
    optlista_hela->setChecked(true);

    cmdsök = place(new QPushButton(u"Sök"_s, client), u"cmdsök"_s, 4830, 2310, 1590, 405);
    cmdkopiera = place(new QPushButton(u"Kopiera"_s, client), u"cmdkopiera"_s, 4830, 2805, 1590, 405);
    cmdkopiera->setToolTip(u"Kopiera ordspråk till klippboken"_s);

    txtnr = place(new QLineEdit(u"1"_s, client), u"txtnr"_s, 150, 3420, 900, 360);
    cmdförra = place(new QPushButton(u"Förra"_s, client), u"cmdförra"_s, 1170, 3390, 1200, 420);
    cmdnästa = place(new QPushButton(u"Nästa"_s, client), u"cmdnästa"_s, 2460, 3390, 1200, 420);

    // Stepping is what the window is for: Enter or Space on "Nästa" shows the next proverb at once.
    cmdnästa->setFocus();

    connect(comboordspråk, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            comboordspråk_Click();
    });
    connect(txtnr, &QLineEdit::textChanged, this, &frmmain::txtnr_Change);
    connect(cmdnästa, &QPushButton::clicked, this, &frmmain::cmdnästa_Click);
    connect(cmdförra, &QPushButton::clicked, this, &frmmain::cmdförra_Click);
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
    mnuarkiv_raderaordspråk =
        addEntry(mnuarkiv, u"mnuarkiv_raderaordspråk"_s, u"Radera aktuellt ordspråk..."_s);
    mnuarkiv_linje3 = addSeparator(mnuarkiv, u"mnuarkiv_linje3"_s);
    mnuarkiv_avsluta = addEntry(mnuarkiv, u"mnuarkiv_avsluta"_s, u"Avsluta"_s);
    // Closing the window is how the program ends, so "Avsluta" saves the number on the way out too.
    connect(mnuarkiv_avsluta, &QAction::triggered, this, &QWidget::close);

    mnuredigera = menuBar()->addMenu(u"&Redigera"_s);
    mnuredigera->setObjectName(u"mnuredigera"_s);
    mnuredigera_sök = addEntry(mnuredigera, u"mnuredigera_sök"_s, u"Sök ordspråk..."_s, Qt::Key_F3);
    mnuredigera_linje1 = addSeparator(mnuredigera, u"mnuredigera_linje1"_s);
    mnuredigera_redigera = addEntry(mnuredigera, u"mnuredigera_redigera"_s, u"Redigera ordspråk-listan..."_s);
    connect(mnuredigera_redigera, &QAction::triggered, this,
            [this] { frmredigera::mnuredigera_redigera_Click(*this, m_platform); });
    mnuredigera_linje2 = addSeparator(mnuredigera, u"mnuredigera_linje2"_s);
    const int sizes[] = {8, 10, 12, 14, 18};
    for (int i = 0; i < 5; ++i) {
        mnuredigera_textstorlek[i] = addEntry(mnuredigera, u"mnuredigera_textstorlek"_s,
                                              u"Textstorlek - "_s + QString::number(sizes[i]));
        mnuredigera_textstorlek[i]->setCheckable(true);
    }
    mnuredigera_textstorlek[0]->setChecked(true);

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

HiddenList *frmmain::currentList() const
{
    return searchListView() ? söklista : List1;
}

void frmmain::Form_Load()
{
    fillista->setItems(store::listFiles(u"*.dat"_s));
    {
        // Filling the box must not load anything: the default collection is chosen below.
        const QSignalBlocker quiet(comboordspråk);
        for (const QString &file : fillista->items())
            comboordspråk->addItem(file.chopped(4));
        comboordspråk->setCurrentIndex(-1);
    }
    const int citat = comboordspråk->findText(u"Citat"_s, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (citat >= 0)
        comboordspråk->setCurrentIndex(citat);
    if (comboordspråk->count() > 0 && comboordspråk->currentIndex() < 0)
        comboordspråk->setCurrentIndex(0);
    txtnr->setText(store::readNumberFile());
}

void frmmain::comboordspråk_Click()
{
    platform::BusyPointer busy(m_platform);
    const auto trap = [&](const store::Failure &failure) {
        busy.restore();
        m_platform.showStandardError(failure);
    };

    const QString name = comboordspråk->currentText();
    if (auto failure = store::checkName(name))
        return trap(*failure);
    Module1::sökväg = store::collectionPath(name);
    if (!store::fileExists(Module1::sökväg)) {
        busy.restore(); // the box is answered with the normal pointer
        m_platform.messageBox(u"Filen ''"_s + name + u"'' saknas i programkatalogen!"_s, platform::Buttons::Ok,
                              platform::Icon::Exclamation);
    } else {
        // The old proverbs go before the new ones are read, so two large collections are never held at once.
        List1->clear();
        söklista->clear();
        pp->clear();
        store::LineStore lines;
        const auto failure = store::readCollection(Module1::sökväg, lines);
        List1->setLines(std::move(lines));
        if (failure)
            return trap(*failure);
    }

    const auto number = numbers::strictNumber(txtnr->text());
    if (const auto *failure = std::get_if<store::Failure>(&number))
        return trap(*failure);
    const int n = std::get<int>(number);
    Module1::antal = List1->count();
    if (Module1::antal >= n) {
        txtnr->clear();
        txtnr->setText(QString::number(n));
    }
    setWindowTitle(wholeListCaption(Module1::antal));
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
    HiddenList *list = currentList();
    if (index < -1 || index >= list->count())
        return;
    (void)list->setSelectedIndex(int(index));
    pp->setPlainText(index < 0 ? QString() : list->lines().shownAt(index));
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
