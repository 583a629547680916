// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "textfiles/frmtextedit.h"

#include "widgets/listboxmodel.h"
#include "widgets/twips.h"
#include "widgets/controls.h"
#include "widgets/keys.h"
#include "widgets/placement.h"
#include "store/collections.h"
#include "store/files.h"
#include "store/encoding.h"
#include "store/programfolder.h"
#include "textfiles/textview.h"

#include <QEvent>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace tankedosan::textfiles {

namespace {

// Each entry of the file list carries the file's real name, whatever the letter case of its extension.
constexpr int kFileNameRole = Qt::UserRole;

} // namespace

frmtextedit::frmtextedit(platform::Platform &platform, QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_platform(platform)
    , m_mainWindow(mainWindow)
{
    setObjectName(u"frmtextedit"_s);
    setWindowTitle(u"Texteditor"_s);
    widgets::fixedDialog(this, QSize(8160, 5520));
    createControls();
    connectHandlers();
    Form_Load();
    widgets::centreOnScreen(this);
}

void frmtextedit::createControls()
{
    cmdstäng = widgets::twips::place(new QPushButton(u"Stäng"_s, this), u"cmdstäng"_s, 120, 120, 1095, 375);
    cmdraderafil =
        widgets::twips::place(new QPushButton(u"Radera fil"_s, this), u"cmdraderafil"_s, 1320, 120, 1095, 375);
    cmdspara = widgets::twips::place(new QPushButton(u"Spara"_s, this), u"cmdspara"_s, 2520, 120, 1095, 375);
    cmdspara->hide();
    // Starts below the row; loading moves it up onto the place of the hidden "Spara".
    cmdradera = widgets::twips::place(new QPushButton(u"Radera rad"_s, this), u"cmdradera"_s, 2520, 600, 1095, 375);
    cmdkopiera =
        widgets::twips::place(new QPushButton(u"Kopiera markerad"_s, this), u"cmdkopiera"_s, 3720, 120, 1800, 375);

    Label1 = widgets::twips::place(new QLabel(u"Visa:"_s, this), u"Label1"_s, 120, 615, 495, 255);
    optvisa[0] = widgets::twips::place(new QRadioButton(u"Lista"_s, this), u"optvisa"_s, 660, 585, 915, 285);
    optvisa[1] = widgets::twips::place(new QRadioButton(u"Text"_s, this), u"optvisa"_s, 1620, 585, 915, 285);
    optvisa[0]->setChecked(true);
    // "Visa:" labels the option chosen, for a screen reader and for its Alt letter, which lands where Tab does.
    Label1->setBuddy(optvisa[0]);

    list_filer = widgets::twips::place(new QListWidget(this), u"list_filer"_s, 120, 1005, 2055, 4395);
    list_filer->setAccessibleName(u"Textfiler"_s);
    m_lines = new widgets::ListBoxModel(u"List1"_s, this);
    List1 = widgets::twips::place(new QListView(this), u"List1"_s, 2280, 1005, 5760, 4395);
    List1->setAccessibleName(u"Rader"_s);
    List1->setModel(m_lines);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setUniformItemSizes(true);
    Text1 = widgets::twips::place(new QPlainTextEdit(this), u"Text1"_s, 2280, 1005, 5760, 4395);
    Text1->setAccessibleName(u"Text"_s);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->hide();
    File1 = new widgets::ListBoxModel(u"File1"_s, this);
}

// The keys of the window, and what each control runs.
void frmtextedit::connectHandlers()
{
    widgets::keyboard(this);
    widgets::readableLists(this);
    // Escape must not throw away what the window holds and the user has not kept.
    widgets::escapeKeepsOpen(this);
    connect(cmdstäng, &QPushButton::clicked, this, &frmtextedit::cmdstäng_Click);
    connect(cmdraderafil, &QPushButton::clicked, this, &frmtextedit::cmdraderafil_Click);
    connect(cmdspara, &QPushButton::clicked, this, &frmtextedit::cmdspara_Click);
    connect(cmdradera, &QPushButton::clicked, this, &frmtextedit::cmdradera_Click);
    connect(cmdkopiera, &QPushButton::clicked, this, &frmtextedit::cmdkopiera_Click);
    for (int i = 0; i < 2; ++i) {
        connect(optvisa[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                optvisa_Click(i);
        });
    }
    connect(list_filer, &QListWidget::currentRowChanged, this, [this] { list_filer_Click(); });
    // A click on the entry already chosen reads the file again.
    widgets::onClickAgain(list_filer, [this] { list_filer_Click(); });
}

QString frmtextedit::chosenName() const
{
    const QListWidgetItem *item = list_filer->currentItem();
    return item ? item->text() : QString();
}

QString frmtextedit::chosenPath() const
{
    const QListWidgetItem *item = list_filer->currentItem();
    return item ? store::pathInProgramFolder(item->data(kFileNameRole).toString()) : QString();
}

void frmtextedit::Form_Load()
{
    if (m_mainWindow)
        setWindowIcon(m_mainWindow->windowIcon());
    cmdradera->move(cmdradera->x(), widgets::twips::toPixels(120));
    File1->setItems(store::listFiles(u"*.txt"_s, store::Nameless::Shown));
    {
        const QSignalBlocker quiet(list_filer);
        for (const QString &file : File1->items()) {
            auto *item = new QListWidgetItem(store::withoutExtension(file));
            item->setData(kFileNameRole, file);
            list_filer->addItem(item);
        }
        list_filer->setCurrentRow(-1);
    }
    list_filer->setCurrentRow(0); // an empty list keeps none
}

void frmtextedit::list_filer_Click()
{
    platform::BusyPointer busy(m_platform);
    m_lines->clear();
    Text1->clear();
    m_loaded = false;
    m_textWhole = true;
    Text1->setReadOnly(false);
    if (!list_filer->currentItem())
        return;

    store::Result<QByteArray> bytes = store::readWholeFile(chosenPath(), &m_stamp);
    textfiles::TextView view;
    if (bytes.ok())
        view = textfiles::textViewOf(*bytes);
    store::Result<store::LineStore> lines =
        bytes.ok() ? store::linesFromFile(chosenPath(), *std::move(bytes), /*keepEmpty*/ true) : *bytes.failure();
    if (auto failure = lines.failure()) {
        // No box: the views themselves report it, and nothing of it may be written over the file.
        busy.restore();
        Text1->setPlainText(store::standardErrorMessage(*failure));
        Text1->setReadOnly(true);
        m_lines->addItem(u"Ett fel uppstod."_s);
        m_lines->addItem(store::errorMessage(*failure, store::ErrorForm::Numbered));
        return;
    }
    Text1->setPlainText(view.text);
    m_textWhole = view.whole;
    Text1->setReadOnly(!view.whole);
    m_encoding = view.encoding;
    m_lines->setLines(*std::move(lines));
    m_loaded = true;
    busy.restore();
    if (optvisa[0]->isChecked() && m_lines->count() > 0)
        List1->setCurrentIndex(m_lines->index(0));
}

void frmtextedit::optvisa_Click(int index)
{
    const bool list = index == 0;
    Label1->setBuddy(optvisa[index]);
    List1->setVisible(list);
    Text1->setVisible(!list);
    cmdkopiera->setEnabled(list);
    cmdspara->setVisible(!list);
    cmdradera->setVisible(list);
}

void frmtextedit::cmdkopiera_Click()
{
    const int line = widgets::markedRow(List1);
    if (line < 0)
        return;
    m_platform.setClipboardText(m_lines->item(line));
}

bool frmtextedit::mayWriteBack()
{
    if (m_loaded)
        return true;
    m_platform.showStandardError(store::failures::notRead(chosenPath()));
    return false;
}

void frmtextedit::cmdradera_Click()
{
    const int line = widgets::markedRow(List1);
    if (line < 0 || !mayWriteBack())
        return;
    if (m_platform.messageBox(u"Vill du ta bort den markerade raden ur filen ''"_s + chosenName() + u"''?"_s,
                              platform::Buttons::YesNo, platform::Icon::Question, u"Ta bort rad"_s)
        != platform::Answer::Yes)
        return;
    const QString path = chosenPath();
    const QString removed = m_lines->item(line);
    (void)m_lines->removeItem(line);
    List1->selectionModel()->clear();
    if (auto failure = store::writeTextFile(path, m_lines->lines(), m_encoding, &m_stamp)) {
        // The file keeps the line, so the list does too.
        m_lines->insertItem(line, removed);
        writeFailed(*failure);
        return;
    }
    // The text view shows the file as it now is: a "Spara" from it must not write the line back.
    textfiles::TextView view = textfiles::textViewOf(m_lines->lines().toFileBytes());
    Text1->setPlainText(view.text);
    m_textWhole = view.whole;
    Text1->setReadOnly(!view.whole);
}

void frmtextedit::cmdraderafil_Click()
{
    const int row = list_filer->currentRow();
    if (row < 0)
        return;
    if (m_platform.messageBox(u"Vill du radera filen ''"_s + chosenName() + u"''?"_s, platform::Buttons::YesNo,
                              platform::Icon::Question, u"Radera"_s)
        != platform::Answer::Yes)
        return;
    if (auto failure = store::deleteFile(chosenPath())) {
        m_platform.messageBox(store::errorMessage(*failure, store::ErrorForm::Deleting), platform::Buttons::Ok,
                              platform::Icon::Exclamation);
        return;
    }
    File1->setItems(store::listFiles(u"*.txt"_s, store::Nameless::Shown));
    Text1->clear();
    m_lines->clear();
    m_loaded = false;
    {
        const QSignalBlocker quiet(list_filer);
        delete list_filer->takeItem(row);
        list_filer->setCurrentRow(-1);
    }
    list_filer->setCurrentRow(0); // an empty list keeps none
}

void frmtextedit::cmdspara_Click()
{
    // Without a chosen file there is nothing to save to.
    if (!list_filer->currentItem() || !mayWriteBack())
        return;
    if (!m_textWhole) {
        m_platform.messageBox(u"Filen ''"_s + chosenName()
                                  + u"'' är för stor för att visas hel och kan inte sparas från textvyn."_s,
                              platform::Buttons::Ok, platform::Icon::Exclamation);
        return;
    }
    // The text view holds what the lines hold: a file they cannot write back unchanged it cannot either.
    if (!m_lines->lines().writesBackUnchanged())
        return m_platform.showStandardError(store::failures::wouldChange(chosenPath()));
    if (m_platform.messageBox(u"Vill du spara texten i filen ''"_s + chosenName() + u"''?"_s, platform::Buttons::YesNo,
                              platform::Icon::Question, u"Spara"_s)
        != platform::Answer::Yes)
        return;
    // The text and a closing CR LF unless it ends with a line break already, every line break written as
    // CR LF, in the file's own encoding: an unchanged text of a file that ends with a line break is saved as
    // that file again, byte for byte, not one line longer.
    QString text = widgets::boxText(Text1);
    if (text.endsWith(u'\n'))
        text.chop(1);
    const std::optional<QByteArray> bytes = store::encodeText(text.replace(u'\n', u"\r\n"_s) + u"\r\n"_s, m_encoding);
    if (!bytes)
        return m_platform.showStandardError(store::failures::wouldChange(chosenPath()));
    if (auto failure = store::writeFileAtomically(chosenPath(), *bytes, &m_stamp))
        writeFailed(*failure);
}

void frmtextedit::writeFailed(const store::Failure &failure)
{
    if (m_platform.tellWriteFailure(failure, u"Filen har lästs in igen. Gör ändringen på nytt."_s))
        list_filer_Click();
}

void frmtextedit::cmdstäng_Click()
{
    reject();
}

} // namespace tankedosan::textfiles
