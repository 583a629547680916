// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "import/frmimport.h"

#include "widgets/controls.h"
#include "widgets/keys.h"
#include "widgets/placement.h"
#include "store/collections.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tankedosan::import {

namespace {

template<typename W>
W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

frmimport::frmimport(platform::Platform &platform, EditorLink &editor, QWidget *parent)
    : QDialog(parent)
    , m_platform(platform)
    , m_editor(editor)
    , m_lines(u"List1"_s)
{
    setObjectName(u"frmimport"_s);
    setWindowTitle(u"Importera från textfil"_s);
    // 640 × 560 pixels at 96 to the inch.
    widgets::fixedDialog(this, QSize(9600, 8400));
    createControls();
    connectHandlers();
    Form_Load();
    widgets::centreOnScreen(this);
}

void frmimport::createControls()
{
    Label3 = named(new QLabel(u"Här kan du importera ordspråk ur textfiler på din hårddisk."_s, this), u"Label3"_s);
    Drive1 = named(new QComboBox(this), u"Drive1"_s);
    // No label says what the box chooses, and on Linux a screen reader names a box by its value; the help's word.
    Drive1->setAccessibleDescription(u"Enhet"_s);
    Label2 = named(new QLabel(u"Filtyper"_s, this), u"Label2"_s);
    txtpattern = named(new QLineEdit(m_pattern, this), u"txtpattern"_s);
    Label2->setBuddy(txtpattern);
    cmdpattern = named(new QPushButton(u"ok"_s, this), u"cmdpattern"_s);
    Dir1 = named(new QListWidget(this), u"Dir1"_s);
    File1 = named(new QListWidget(this), u"File1"_s);
    Dir1->setAccessibleName(u"Mappar"_s);
    File1->setAccessibleName(u"Filer"_s);
    Label1 = named(new QLabel(this), u"Label1"_s);
    Label1->setFixedHeight(3); // 45 twips
    Label1->setFrameShape(QFrame::HLine);
    cmdläggtill = named(new QPushButton(u"Lägg till markerad"_s, this), u"cmdläggtill"_s);
    cmdtabort = named(new QPushButton(u"Ta bort markerad"_s, this), u"cmdtabort"_s);
    cmdläggtillalla = named(new QPushButton(u"Lägg till alla"_s, this), u"cmdläggtillalla"_s);
    cmdstäng = named(new QPushButton(u"Stäng"_s, this), u"cmdstäng"_s);
    QFont bold = cmdstäng->font();
    bold.setBold(true);
    cmdstäng->setFont(bold);
    List1 = named(new QListView(this), u"List1"_s);
    List1->setAccessibleName(u"Rader i filen"_s);
    List1->setModel(&m_lines);
    // A text file may hold a million lines: rows of one height are laid out without measuring each.
    List1->setUniformItemSizes(true);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lblantal = named(new QLabel(this), u"lblantal"_s);
    lblkodning = named(new QLabel(u"Teckenkodning:"_s, this), u"lblkodning"_s);
    combokodning = named(new QComboBox(this), u"combokodning"_s);
    lblkodning->setBuddy(combokodning);
    fillEncodings();
    layOutControls();
}

// The encodings a text file of the last decades is most likely in, where it is no UTF-8: Western Europe first,
// then its neighbours. Only those this system can decode are offered.
void frmimport::fillEncodings()
{
    const std::pair<const char *, QString> encodings[] = {
        {"windows-1252", u"Windows-1252 (västeuropeisk)"_s},
        {"ISO-8859-1", u"ISO-8859-1 (Latin-1, västeuropeisk)"_s},
        {"ISO-8859-15", u"ISO-8859-15 (Latin-9, västeuropeisk med euro)"_s},
        {"IBM850", u"IBM850 (DOS, västeuropeisk)"_s},
        {"IBM437", u"IBM437 (DOS, amerikansk)"_s},
        {"macintosh", u"Mac OS Roman (västeuropeisk)"_s},
        {"ISO-8859-2", u"ISO-8859-2 (Latin-2, centraleuropeisk)"_s},
        {"windows-1250", u"Windows-1250 (centraleuropeisk)"_s},
        {"ISO-8859-3", u"ISO-8859-3 (Latin-3, sydeuropeisk och esperanto)"_s},
        {"ISO-8859-4", u"ISO-8859-4 (Latin-4, baltisk)"_s},
        {"windows-1257", u"Windows-1257 (baltisk)"_s},
        {"ISO-8859-5", u"ISO-8859-5 (kyrillisk)"_s},
        {"windows-1251", u"Windows-1251 (kyrillisk)"_s},
        {"KOI8-R", u"KOI8-R (rysk)"_s},
        {"KOI8-U", u"KOI8-U (ukrainsk)"_s},
        {"ISO-8859-7", u"ISO-8859-7 (grekisk)"_s},
        {"ISO-8859-9", u"ISO-8859-9 (Latin-5, turkisk)"_s},
    };
    for (const auto &[name, caption] : encodings) {
        if (store::ChosenEncoding::named(QString::fromLatin1(name)))
            combokodning->addItem(caption, QString::fromLatin1(name));
    }
    combokodning->setEnabled(false);
    combokodning->setToolTip(u"Gäller filer som inte är UTF-8 eller UTF-16"_s);
}

// The controls in a column, the lists sharing the width and the height as the window is resized.
void frmimport::layOutControls()
{
    auto *top = new QHBoxLayout;
    top->addWidget(Drive1, 1);
    top->addSpacing(12);
    top->addWidget(Label2);
    top->addWidget(txtpattern, 1);
    top->addWidget(cmdpattern);
    auto *browse = new QHBoxLayout;
    browse->addWidget(Dir1, 1);
    browse->addWidget(File1, 1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdläggtill, cmdtabort, cmdläggtillalla, cmdstäng})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label3);
    layout->addLayout(top);
    layout->addLayout(browse, 2);
    layout->addWidget(Label1);
    layout->addLayout(buttons);
    layout->addWidget(List1, 3);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblantal, 1);
    bottom->addWidget(lblkodning);
    bottom->addWidget(combokodning);
    layout->addLayout(bottom);
}

void frmimport::connectHandlers()
{
    connect(Drive1, &QComboBox::currentIndexChanged, this, [this] { Drive1_Change(); });
    connect(Dir1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { setDirPath(item->data(Qt::UserRole).toString()); });
    connect(Dir1, &QListWidget::itemClicked, this, [this] { Dir1_Click(); });
    connect(cmdpattern, &QPushButton::clicked, this, &frmimport::cmdpattern_Click);
    connect(txtpattern, &QLineEdit::returnPressed, this, &frmimport::cmdpattern_Click);
    connect(File1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            File1_Click();
    });
    // Enter in the pattern box applies the pattern: no button is pressed by it unless it has the focus.
    widgets::keyboard(this);
    widgets::readableLists(this);
    // A click on the file that is already chosen reads it again, as a refresh.
    widgets::onClickAgain(File1, [this] { File1_Click(); });
    connect(cmdläggtill, &QPushButton::clicked, this, &frmimport::cmdläggtill_Click);
    connect(cmdtabort, &QPushButton::clicked, this, &frmimport::cmdtabort_Click);
    connect(cmdläggtillalla, &QPushButton::clicked, this, &frmimport::cmdläggtillalla_Click);
    connect(cmdstäng, &QPushButton::clicked, this, &frmimport::cmdstäng_Click);
    connect(combokodning, &QComboBox::currentIndexChanged, this, &frmimport::combokodning_Change);
}

void frmimport::Form_Load()
{
    // The editor that opens the window took the main window's icon.
    setWindowIcon(parentWidget() ? parentWidget()->windowIcon() : QApplication::windowIcon());
    // The drive and folder lists start where the program was started from.
    const QStringList drives = import::drives();
    m_dirPath = QDir::currentPath();
    m_drive = import::driveOf(m_dirPath, drives);
    {
        const QSignalBlocker quiet(Drive1);
        Drive1->addItems(drives);
        Drive1->setCurrentIndex(int(drives.indexOf(m_drive)));
    }
    setDirPath(m_dirPath);
}

void frmimport::notice(const QString &text)
{
    m_platform.messageBox(text, platform::Buttons::Ok, platform::Icon::Exclamation, u"Felmeddelande"_s);
}

void frmimport::Drive1_Change()
{
    const QString drive = Drive1->currentText();
    const QString before = m_dirPath;
    setDirPath(drive);
    if (m_dirPath == before && drive != before) {
        // The drive could not be read: the lists stay on the drive they showed.
        const QSignalBlocker quiet(Drive1);
        Drive1->setCurrentIndex(Drive1->findText(m_drive));
        return;
    }
    m_drive = drive;
}

void frmimport::setDirPath(const QString &path)
{
    const store::Result<QList<import::FolderEntry>> entries = import::folderEntries(path);
    if (auto failure = entries.failure()) {
        m_platform.showStandardError(*failure);
        return;
    }
    const bool changed = path != m_dirPath || Dir1->count() == 0;
    int currentDepth = 0;
    for (const auto &entry : *entries) {
        if (entry.isCurrent) {
            m_dirPath = entry.path;
            currentDepth = entry.depth;
        }
    }
    Dir1->clear();
    // Open folders lead down to the current one; closed ones lie below it, as the desktop draws them.
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    for (const auto &entry : *entries) {
        auto *item = new QListWidgetItem(entry.depth <= currentDepth ? open : closed,
                                         QString(entry.depth * 2, u' ') + entry.caption, Dir1);
        item->setData(Qt::UserRole, entry.path);
        if (entry.isCurrent)
            Dir1->setCurrentItem(item);
    }
    if (changed)
        Dir1_Change();
}

void frmimport::Dir1_Change()
{
    m_filePath = m_dirPath;
    showFiles();
}

void frmimport::Dir1_Click()
{
    Dir1_Change();
}

void frmimport::cmdpattern_Click()
{
    m_pattern = txtpattern->text();
    showFiles();
}

void frmimport::showFiles()
{
    const store::Result<QStringList> names = import::listMatchingFiles(m_filePath, m_pattern);
    if (auto failure = names.failure()) {
        m_platform.showStandardError(*failure);
        return;
    }
    const QSignalBlocker quiet(File1);
    File1->clear();
    File1->addItems(*names);
}

void frmimport::File1_Click()
{
    const QListWidgetItem *item = File1->currentItem();
    if (!item)
        return;
    platform::BusyPointer busy(m_platform);
    m_lines.clear();
    // The whole file is read and released before anything is shown; a failure leaves no file open. A file of
    // fortune's shows its entries, one a row, as they would stand in a collection.
    const auto encoding = store::ChosenEncoding::named(combokodning->currentData().toString());
    bool applies = false;
    store::Result<store::LineStore> lines = store::readImportFile(import::fileInFolder(m_filePath, item->text()), {},
                                                                  encoding.value_or(store::ChosenEncoding()), &applies);
    combokodning->setEnabled(lines.ok() && applies);
    if (auto failure = lines.failure()) {
        busy.showError(*failure);
        return;
    }
    m_lines.setLines(*std::move(lines));
    setCountLabel();
}

void frmimport::markLine(int row)
{
    if (row < 0 || row >= m_lines.count()) {
        List1->selectionModel()->clear();
        return;
    }
    List1->selectionModel()->setCurrentIndex(m_lines.index(row), QItemSelectionModel::ClearAndSelect);
}

void frmimport::setCountLabel()
{
    lblantal->setText(QString::number(m_lines.count()) + u" st rader"_s);
}

void frmimport::cmdläggtill_Click()
{
    const int p = widgets::markedRow(List1);
    if (p < 0)
        return notice(u"Ingen text markerad i listan!"_s);
    const QString line = m_lines.item(p);
    if (line.isEmpty())
        return notice(u"Ingen text att lägga till!"_s);
    m_editor.takeLine(line);
    (void)m_lines.removeItem(p);
    markLine(m_lines.count() > p ? p : -1);
    setCountLabel();
}

void frmimport::cmdläggtillalla_Click()
{
    if (m_lines.count() == 0)
        return notice(u"Ingen text att lägga till!"_s);
    // A million lines take over a second to sort into the editor's list.
    platform::BusyPointer busy(m_platform);
    m_editor.takeLines(m_lines.lines());
    m_lines.clear();
    setCountLabel();
}

void frmimport::cmdtabort_Click()
{
    const int p = widgets::markedRow(List1);
    if (p < 0)
        return;
    (void)m_lines.removeItem(p);
    markLine(p - 1);
    setCountLabel();
}

void frmimport::cmdstäng_Click()
{
    close();
}

// The file read again in the encoding chosen, so that the list shows the lines as they will be added.
void frmimport::combokodning_Change()
{
    if (combokodning->isEnabled())
        File1_Click();
}

} // namespace tankedosan::import
