// SPDX-License-Identifier: LicenseRef-Tankedosan
// How the editor is built: its controls, placed as the classic window placed them, and what each of them runs.
#include "editor/frmredigera.h"

#include "widgets/controls.h"
#include "widgets/keys.h"
#include "widgets/placement.h"
#include "widgets/twips.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace tankedosan::editor {

namespace {

constexpr int kFullWidth = 7935; // the separator, the list and the text box
const QColor kDarkBlue(0, 0, 128);

QLabel *strip(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    auto *w = widgets::twips::place(new QLabel(parent), name, left, top, width, height);
    w->setAutoFillBackground(true);
    QPalette palette = w->palette();
    // A strip shows no text, but a colour set comes with its partner all the same.
    palette.setColor(QPalette::Window, kDarkBlue);
    palette.setColor(QPalette::WindowText, Qt::white);
    w->setPalette(palette);
    return w;
}

} // namespace

void frmredigera::createControls()
{
    createTopRows();
    createFindRow();
    createListAndCount();
    createBottomRow();
    // Only user actions move focus here; the window opens with the add box ready.
    txtordspråk->setFocus();
    enterCleanState();
}

// The collection box with "Spara" and "Ångra", then the add box, down to the separator strip.
void frmredigera::createTopRows()
{
    Label3 = widgets::twips::place(new QLabel(u"Välj ordspråkfil:"_s, this), u"Label3"_s, 120, 165, 1500, 255);
    comboordspråk = widgets::twips::place(new QComboBox(this), u"comboordspråk"_s, 1620, 120, 2895, 330);
    Label3->setBuddy(comboordspråk);
    cmd1 = widgets::twips::place(new QPushButton(u"Spara"_s, this), u"cmd1"_s, 5655, 105, 1140, 360);
    cmd2 = widgets::twips::place(new QPushButton(u"Ångra"_s, this), u"cmd2"_s, 6915, 105, 1140, 360);

    // Under the add row, which it takes the place of while the collection can only be read.
    lblskrivskydd = widgets::twips::place(new QLabel(this), u"lblskrivskydd"_s, 120, 600, 6615, 645);
    lblskrivskydd->setWordWrap(true);
    lblskrivskydd->hide();
    Label1 = widgets::twips::place(new QLabel(u"Lägg till ordspråk:"_s, this), u"Label1"_s, 120, 615, 2100, 255);
    chkändrad = widgets::twips::place(new QCheckBox(u"ändrad"_s, this), u"chkändrad"_s, 2220, 600, 900, 255);
    chkändrad->hide();
    Label2 = widgets::twips::place(new QLabel(u"Listan sorteras automatiskt i bokstavsordning."_s, this), u"Label2"_s,
                                   3135, 615, 4920, 255);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtordspråk = widgets::twips::place(new QLineEdit(this), u"txtordspråk"_s, 120, 900, 6615, 330);
    Label1->setBuddy(txtordspråk);
    cmdläggtill = widgets::twips::place(new QPushButton(u"Lägg till"_s, this), u"cmdläggtill"_s, 6855, 885, 1200, 360);

    Label4 = strip(this, u"Label4"_s, 120, 1380, kFullWidth, 45);
}

// The find frame, with "Stäng" and "Importera från fil..." at its right.
void frmredigera::createFindRow()
{
    Frame1 = widgets::twips::place(new QGroupBox(u"Hitta i listan (Enter = hitta nästa)"_s, this), u"Frame1"_s, 120,
                                   1515, 5175, 750);
    txtsök = widgets::twips::place(new QLineEdit(Frame1), u"txtsök"_s, 120, 300, 2700, 330);
    combosök = widgets::twips::place(new QComboBox(Frame1), u"combosök"_s, 2910, 300, 2130, 330);

    cmdavbryt = widgets::twips::place(new QPushButton(u"Stäng"_s, this), u"cmdavbryt"_s, 5415, 1560, 2640, 330);
    QFont bold = cmdavbryt->font();
    bold.setBold(true);
    cmdavbryt->setFont(bold);
    cmdimport =
        widgets::twips::place(new QPushButton(u"Importera från fil..."_s, this), u"cmdimport"_s, 5415, 1935, 2640, 330);
}

// The editor list, the box that shows its marked line, and the count label with the progress strip over it.
void frmredigera::createListAndCount()
{
    List1 = widgets::twips::place(new QListView(this), u"List1"_s, 120, 2385, kFullWidth, 3660);
    List1->setAccessibleName(u"Ordspråken i samlingen"_s);
    // Every row is one line high: the view then never measures a million rows before it can show them.
    List1->setUniformItemSizes(true);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List1->setTextElideMode(Qt::ElideRight);
    List1->setModel(m_lista);
    List1->installEventFilter(this);

    Text1 = widgets::twips::place(new QPlainTextEdit(this), u"Text1"_s, 120, 6105, kFullWidth, 555);
    Text1->setAccessibleName(u"Markerat ordspråk"_s);
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    lblantal = widgets::twips::place(new QLabel(this), u"lblantal"_s, 120, 6705, kProgressWidth, 255);
    progress = strip(this, u"progress"_s, 120, 6705, kProgressWidth, 255);
    progress->hide();
}

// "Radera markerad", the transfers, and the duplicate check with its count box and "Avbryt". The first three
// share their span in proportion to their captions: styles with wide button margins (Adwaita) cut "Radera
// markerad" at 11 pt in the narrower share it once had.
void frmredigera::createBottomRow()
{
    cmdtabort =
        widgets::twips::place(new QPushButton(u"Radera markerad"_s, this), u"cmdtabort"_s, 120, 7035, 1740, 375);
    cmdsnabbspara = widgets::twips::place(new QPushButton(u"Snabbspara markerad"_s, this), u"cmdsnabbspara"_s, 1890,
                                          7035, 2160, 375);
    cmdkopieraklippbok = widgets::twips::place(new QPushButton(u"Kopiera markerad"_s, this), u"cmdkopieraklippbok"_s,
                                               4080, 7035, 1860, 375);
    cmddublett =
        widgets::twips::place(new QPushButton(u"Sök dubletter"_s, this), u"cmddublett"_s, 5970, 7035, 1545, 375);
    txtdublett = widgets::twips::place(new QLineEdit(u"0"_s, this), u"txtdublett"_s, 7545, 7050, 510, 330);
    txtdublett->setAccessibleName(u"Antal inledande tecken"_s);
    txtdublett->setToolTip(u"Antal inledande tecken..."_s);
    cmdavbryt2 = widgets::twips::place(new QPushButton(u"Avbryt"_s, this), u"cmdavbryt2"_s, 5970, 7035, 1545, 375);
    cmdavbryt2->hide();
}

void frmredigera::connectHandlers()
{
    connect(comboordspråk, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        m_loadedByIndexChange = true;
        comboordspråk_Click();
    });
    // Picking the entry that is already chosen reloads it too (after "Ångra", that is how the stored list
    // comes back). A pick that changed the index has loaded already.
    connect(comboordspråk, &QComboBox::activated, this, [this](int index) {
        if (std::exchange(m_loadedByIndexChange, false) || index < 0)
            return;
        comboordspråk_Click();
    });
    connect(cmdläggtill, &QPushButton::clicked, this, &frmredigera::cmdläggtill_Click);
    connect(txtordspråk, &QLineEdit::returnPressed, this, [this] { txtordspråk_KeyPress(Qt::Key_Return); });
    connect(cmdtabort, &QPushButton::clicked, this, &frmredigera::cmdtabort_Click);
    // A mouse press moves the current row before it selects the row, the keys select as they move: the marked
    // entry is read once both have happened, whichever comes last.
    const auto markedChanged = [this] {
        if (widgets::markedRow(List1) >= 0)
            List1_Click();
    };
    connect(List1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, markedChanged);
    connect(List1->selectionModel(), &QItemSelectionModel::selectionChanged, this, markedChanged);
    connect(cmd1, &QPushButton::clicked, this, &frmredigera::cmd1_Click);
    connect(cmd2, &QPushButton::clicked, this, &frmredigera::cmd2_Click);
    connect(cmdavbryt, &QPushButton::clicked, this, &frmredigera::cmdavbryt_Click);
    connect(cmdimport, &QPushButton::clicked, this, &frmredigera::cmdimport_Click);
    connect(cmdsnabbspara, &QPushButton::clicked, this, &frmredigera::cmdsnabbspara_Click);
    connect(cmdkopieraklippbok, &QPushButton::clicked, this, &frmredigera::cmdkopieraklippbok_Click);
    connect(txtsök, &QLineEdit::textChanged, this, &frmredigera::txtsök_Change);
    connect(txtsök, &QLineEdit::returnPressed, this, [this] { txtsök_KeyPress(Qt::Key_Return); });
    connect(cmddublett, &QPushButton::clicked, this, &frmredigera::cmddublett_Click);
    connect(cmdavbryt2, &QPushButton::clicked, this, &frmredigera::cmdavbryt2_Click);
    // Enter in a text box keeps its role there: no button of the window is pressed by it unless it has the focus.
    widgets::keyboard(this);
    widgets::readableLists(this);
    // Escape must not throw away what the window holds and the user has not kept.
    widgets::escapeKeepsOpen(this);
}

} // namespace tankedosan::editor
