// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "editor/frmredigera.h"

#include "editor/duplicates.h"
#include "editor/editorfind.h"
#include "import/frmimport.h"
#include "widgets/twips.h"
#include "widgets/collectionboxes.h"
#include "widgets/controls.h"
#include "widgets/keys.h"
#include "widgets/placement.h"
#include "store/collections.h"
#include "store/files.h"
#include "store/module1.h"
#include "store/programfolder.h"

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

namespace {

// "N st ordspråk.", the count under the list.
QString proverbCountLabel(int count)
{
    return QString::number(count) + u" st ordspråk."_s;
}

constexpr int kFullWidth = 7935; // the separator, the list and the text box
// The count label and the progress strip over it, which covers it exactly when it has grown all the way.
constexpr int kProgressWidth = 7215;
const QColor kDarkBlue(0, 0, 128);
const QString kReportName = u"dublett-check.txt"_s;

QLabel *strip(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    auto *w = twips::place(new QLabel(parent), name, left, top, width, height);
    w->setAutoFillBackground(true);
    QPalette palette = w->palette();
    // A strip shows no text, but a colour set comes with its partner all the same.
    palette.setColor(QPalette::Window, kDarkBlue);
    palette.setColor(QPalette::WindowText, Qt::white);
    w->setPalette(palette);
    return w;
}

// The lines that the written form of a typed text reads back as: a line ends at CR LF or at a CR alone.
QStringList linesOfTypedText(const QString &text)
{
    QString unified = text;
    unified.replace(u"\r\n"_s, u"\r"_s);
    return unified.split(u'\r', Qt::SkipEmptyParts);
}

} // namespace

frmredigera::frmredigera(const MainWindowLink &main, platform::Platform &platform)
    : QDialog(main.window)
    , m_main(main)
    , m_platform(platform)
    , m_lista(new LineListModel(this))
{
    setObjectName(u"frmredigera"_s);
    setWindowTitle(u"Redigera ordspråk"_s);
    createControls();
    Form_Load();
}

frmredigera::~frmredigera() = default;

void frmredigera::createControls()
{
    windowsetup::fixedDialog(this, QSize(8175, 7530));
    createTopRows();
    createFindRow();
    createListAndCount();
    createBottomRow();
    // Only user actions move focus here; the window opens with the add box ready.
    txtordspråk->setFocus();
    connectHandlers();
    // Enter in a text box keeps its role there: no button of the window is pressed by it unless it has the focus.
    windowsetup::keyboard(this);
    windowsetup::readableLists(this);
    // Escape must not throw away what the window holds and the user has not kept.
    windowsetup::escapeKeepsOpen(this);
    enterCleanState();
}

// The collection box with "Spara" and "Ångra", then the add box, down to the separator strip.
void frmredigera::createTopRows()
{
    Label3 = twips::place(new QLabel(u"Välj ordspråkfil:"_s, this), u"Label3"_s, 120, 165, 1500, 255);
    comboordspråk = twips::place(new QComboBox(this), u"comboordspråk"_s, 1620, 120, 2895, 330);
    Label3->setBuddy(comboordspråk);
    cmd1 = twips::place(new QPushButton(u"Spara"_s, this), u"cmd1"_s, 5655, 105, 1140, 360);
    cmd2 = twips::place(new QPushButton(u"Ångra"_s, this), u"cmd2"_s, 6915, 105, 1140, 360);

    Label1 = twips::place(new QLabel(u"Lägg till ordspråk:"_s, this), u"Label1"_s, 120, 615, 2100, 255);
    chkändrad = twips::place(new QCheckBox(u"ändrad"_s, this), u"chkändrad"_s, 2220, 600, 900, 255);
    chkändrad->hide();
    Label2 = twips::place(new QLabel(u"Listan sorteras automatiskt i bokstavsordning."_s, this), u"Label2"_s, 3135, 615,
                          4920, 255);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtordspråk = twips::place(new QLineEdit(this), u"txtordspråk"_s, 120, 900, 6615, 330);
    Label1->setBuddy(txtordspråk);
    cmdläggtill = twips::place(new QPushButton(u"Lägg till"_s, this), u"cmdläggtill"_s, 6855, 885, 1200, 360);

    Label4 = strip(this, u"Label4"_s, 120, 1380, kFullWidth, 45);
}

// The find frame, with "Stäng" and "Importera från fil..." at its right.
void frmredigera::createFindRow()
{
    Frame1 =
        twips::place(new QGroupBox(u"Hitta i listan (Enter = hitta nästa)"_s, this), u"Frame1"_s, 120, 1515, 5175, 750);
    txtsök = twips::place(new QLineEdit(Frame1), u"txtsök"_s, 120, 300, 2700, 330);
    combosök = twips::place(new QComboBox(Frame1), u"combosök"_s, 2910, 300, 2130, 330);

    cmdavbryt = twips::place(new QPushButton(u"Stäng"_s, this), u"cmdavbryt"_s, 5415, 1560, 2640, 330);
    QFont bold = cmdavbryt->font();
    bold.setBold(true);
    cmdavbryt->setFont(bold);
    cmdimport = twips::place(new QPushButton(u"Importera från fil..."_s, this), u"cmdimport"_s, 5415, 1935, 2640, 330);
}

// The editor list, the box that shows its marked line, and the count label with the progress strip over it.
void frmredigera::createListAndCount()
{
    List1 = twips::place(new QListView(this), u"List1"_s, 120, 2385, kFullWidth, 3660);
    List1->setAccessibleName(u"Ordspråken i samlingen"_s);
    // Every row is one line high: the view then never measures a million rows before it can show them.
    List1->setUniformItemSizes(true);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List1->setTextElideMode(Qt::ElideRight);
    List1->setModel(m_lista);
    List1->installEventFilter(this);

    Text1 = twips::place(new QPlainTextEdit(this), u"Text1"_s, 120, 6105, kFullWidth, 555);
    Text1->setAccessibleName(u"Markerat ordspråk"_s);
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    lblantal = twips::place(new QLabel(this), u"lblantal"_s, 120, 6705, kProgressWidth, 255);
    progress = strip(this, u"progress"_s, 120, 6705, kProgressWidth, 255);
    progress->hide();
}

// "Radera markerad", the transfers, and the duplicate check with its count box and "Avbryt". The first three
// share their span in proportion to their captions: styles with wide button margins (Adwaita) cut "Radera
// markerad" at 11 pt in the narrower share it once had.
void frmredigera::createBottomRow()
{
    cmdtabort = twips::place(new QPushButton(u"Radera markerad"_s, this), u"cmdtabort"_s, 120, 7035, 1740, 375);
    cmdsnabbspara =
        twips::place(new QPushButton(u"Snabbspara markerad"_s, this), u"cmdsnabbspara"_s, 1890, 7035, 2160, 375);
    cmdkopieraklippbok =
        twips::place(new QPushButton(u"Kopiera markerad"_s, this), u"cmdkopieraklippbok"_s, 4080, 7035, 1860, 375);
    cmddublett = twips::place(new QPushButton(u"Sök dubletter"_s, this), u"cmddublett"_s, 5970, 7035, 1545, 375);
    txtdublett = twips::place(new QLineEdit(u"0"_s, this), u"txtdublett"_s, 7545, 7050, 510, 330);
    txtdublett->setAccessibleName(u"Antal inledande tecken"_s);
    txtdublett->setToolTip(u"Antal inledande tecken..."_s);
    cmdavbryt2 = twips::place(new QPushButton(u"Avbryt"_s, this), u"cmdavbryt2"_s, 5970, 7035, 1545, 375);
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
        if (windowsetup::markedRow(List1) >= 0)
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
}

void frmredigera::mnuredigera_redigera_Click(const MainWindowLink &main, platform::Platform &platform)
{
    frmredigera editor(main, platform);
    editor.takeCollectionsFromMain();
    windowsetup::centreOnScreen(&editor);
    editor.exec();
}

void frmredigera::takeCollectionsFromMain()
{
    if (comboordspråk->count() == 0) {
        // Filling the box must load nothing (it would choose its first entry on the way): the choice that
        // counts is the main window's, below.
        const QSignalBlocker quiet(comboordspråk);
        comboordspråk->addItems(m_main.collectionNames());
        comboordspråk->setCurrentIndex(-1);
    }
    if (comboordspråk->currentIndex() < 0)
        comboordspråk->setCurrentIndex(m_main.shownCollectionIndex());
    m_loadedByIndexChange = false;
}

void frmredigera::Form_Load()
{
    setWindowIcon(m_main.window->windowIcon());
    combosök->addItem(u"Textens början"_s);
    combosök->addItem(u"Alla förekomster"_s);
    combosök->setCurrentIndex(1);
}

void frmredigera::comboordspråk_Click()
{
    platform::BusyPointer busy(m_platform);
    // The list stays until the new lines are read, so that a cancelled load leaves it as it was.
    using Outcome = collectionboxes::ChosenCollection::Outcome;
    const QString name = comboordspråk->currentText();
    auto chosen = collectionboxes::readChosenCollection(this, m_platform, name);
    switch (chosen.outcome) {
    case Outcome::Refused: return busy.showError(*chosen.failure);
    case Outcome::Cancelled: {
        const QSignalBlocker quiet(comboordspråk);
        comboordspråk->setCurrentIndex(
            m_loadedName.isNull() ? -1
                                  : comboordspråk->findText(m_loadedName, Qt::MatchExactly | Qt::MatchCaseSensitive));
        return;
    }
    case Outcome::Missing:
        // The list stays and may be saved under this name, as a new file: only while the name is free.
        m_stamp = {};
        m_stamp.state = store::FileStamp::State::Absent;
        break;
    case Outcome::Read:
    case Outcome::Failed:
        m_stamp = chosen.stamp;
        m_lista->clear();
        m_added.clear();
        m_removed.clear();
        m_loadedName = name;
        // The count stays as it was shown: the trap ends the load before the count is told.
        if (chosen.failure)
            return busy.showError(*chosen.failure);
        m_lista->setLines(store::sortedLines(chosen.lines, m_order));
        break;
    }
    showCount();
}

namespace {
qsizetype indexOfExactly(const store::LineStore &lines, const QString &line)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i) == line)
            return i;
    }
    return -1;
}
} // namespace

qsizetype frmredigera::addLine(const QString &text)
{
    qsizetype position = -1;
    for (const QString &line : linesOfTypedText(text)) {
        position = store::sortedPosition(m_lista->lines(), line, m_order);
        m_lista->insertLine(position, line);
        m_added.append(line);
    }
    return position;
}

void frmredigera::addLines(const store::LineStore &lines)
{
    // Lines read from a file hold no CR and none is empty; any other list goes in line by line, by the rule of
    // typed text.
    bool plain = lines.findFirst(u"\r", store::Match::Anywhere) < 0;
    for (qsizetype i = 0; plain && i < lines.size(); ++i)
        plain = !lines.at(i).isEmpty();
    if (!plain) {
        for (qsizetype i = 0; i < lines.size(); ++i)
            addLine(lines.at(i));
        return;
    }
    m_lista->setLines(store::mergedLines(m_lista->lines(), lines, m_order));
    if (m_added.isEmpty()) {
        m_added = lines;
    } else {
        for (qsizetype i = 0; i < lines.size(); ++i)
            m_added.append(lines.at(i));
    }
}

void frmredigera::showCount()
{
    lblantal->setText(proverbCountLabel(m_lista->count()));
}

void frmredigera::takeLine(const QString &line)
{
    addLine(line);
    handedOver();
}

void frmredigera::takeLines(const store::LineStore &lines)
{
    addLines(lines);
    handedOver();
}

void frmredigera::handedOver()
{
    showCount();
    chkändrad->setChecked(true);
    enterChangedState();
}

void frmredigera::enterChangedState()
{
    cmd1->setEnabled(true);
    cmd2->setEnabled(true);
    comboordspråk->setEnabled(false);
}

void frmredigera::enterCleanState()
{
    cmd1->setEnabled(false);
    cmd2->setEnabled(false);
    comboordspråk->setEnabled(true);
}

void frmredigera::cmdläggtill_Click()
{
    if (txtordspråk->text().isEmpty()) {
        m_platform.messageBox(u"Ingen text inskriven. Skriv in en text och försök igen."_s, platform::Buttons::Ok,
                              platform::Icon::Exclamation, u"Inget att lägga till"_s);
        return;
    }
    addLine(txtordspråk->text());
    enterChangedState();
    showCount();
    txtordspråk->clear();
    txtordspråk->setFocus();
}

void frmredigera::txtordspråk_KeyPress(int key)
{
    if (windowsetup::isEnter(key))
        cmdläggtill_Click();
}

void frmredigera::cmdtabort_Click()
{
    if (m_platform.messageBox(u"Vill du radera markerat ordspråk ur datafilen?"_s, platform::Buttons::YesNo,
                              platform::Icon::Question, u"Radera?"_s)
        != platform::Answer::Yes)
        return;
    const int marked = windowsetup::markedRow(List1);
    if (marked >= 0) {
        const QString line = m_lista->lines().at(marked);
        if (const qsizetype own = indexOfExactly(m_added, line); own >= 0)
            m_added.removeAt(own); // taken back before it was ever saved
        else
            m_removed.append(line);
        // A removed entry leaves no entry marked, as the list box does. Unmarked first: removing the current row
        // would make the next one current, and the text box would show a line nobody marked.
        List1->selectionModel()->clear();
        m_lista->removeLine(marked);
    }
    enterChangedState();
}

void frmredigera::List1_KeyDown(int key)
{
    if (key == Qt::Key_Delete)
        cmdtabort_Click();
    else if (key == Qt::Key_F2)
        cmdsnabbspara_Click();
}

void frmredigera::List1_Click()
{
    const int marked = windowsetup::markedRow(List1);
    if (marked >= 0)
        Text1->setPlainText(m_lista->lines().shownAt(marked));
}

void frmredigera::setMarkedIndex(int index)
{
    // The text box follows through the selection's signals. A row marked already sends none, and needs none:
    // the box shows its line since it was marked (the find's error text comes only of an empty list).
    const QModelIndex target = m_lista->index(index);
    List1->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    List1->scrollTo(target);
}

void frmredigera::cmd1_Click()
{
    const QString name = comboordspråk->currentText();
    if (auto failure = store::checkNameForWriting(name))
        return m_platform.showStandardError(*failure);
    const QString path = store::collectionFile(name);
    const bool showsMain = path == Module1::sökväg;
    // Writing a large collection takes a while: the pointer says so, and is normal again before any message.
    platform::BusyPointer busy(m_platform);
    // The file is replaced whole or not at all, and the main window is refilled only after that, so a failed
    // save leaves both as they were and the editor still holding its changes.
    if (auto failure = store::writeCollection(path, m_lista->lines(), &m_stamp)) {
        if (busy.tellWriteFailure(*failure, u"Samlingen läses in igen som den är nu, och dina ändringar görs om "
                                            u"i den. Se över listan och spara igen."_s))
            redoChangesOnNewerFile();
        return;
    }
    m_added.clear();
    m_removed.clear();
    showCount();
    if (showsMain)
        m_main.refillProverbs(m_lista->lines(), m_stamp);
    enterCleanState();
}

// Another program changed the collection file since it was read: its lines as they are now, with the lines
// added and removed here made again on them. A list that came from no file is added whole. Should the file
// no longer read, the list stays as it was (and is never written over that file).
void frmredigera::redoChangesOnNewerFile()
{
    const store::LineStore mine = m_lista->lines();
    const store::LineStore added = m_stamp.state == store::FileStamp::State::Absent ? mine : m_added;
    const store::LineStore removed = m_removed;
    enterCleanState();
    comboordspråk_Click();
    if (m_stamp.state == store::FileStamp::State::Present) {
        for (qsizetype i = 0; i < removed.size(); ++i) {
            const QString line = removed.at(i);
            if (const qsizetype at = indexOfExactly(m_lista->lines(), line); at >= 0) {
                m_lista->removeLine(int(at));
                m_removed.append(line);
            }
        }
        addLines(added);
    } else {
        m_lista->setLines(mine);
    }
    List1->selectionModel()->clear();
    showCount();
    enterChangedState();
}

void frmredigera::cmd2_Click()
{
    enterCleanState();
}

void frmredigera::cmdavbryt_Click()
{
    close();
}

void frmredigera::cmdimport_Click()
{
    frmimport import(m_platform, *this, this);
    import.exec();
}

QString frmredigera::markedLine() const
{
    const int marked = windowsetup::markedRow(List1);
    return marked < 0 ? QString() : m_lista->lines().at(marked);
}

void frmredigera::cmdsnabbspara_Click()
{
    m_main.quickSave(markedLine());
}

void frmredigera::cmdkopieraklippbok_Click()
{
    m_platform.setClipboardText(markedLine());
}

void frmredigera::findFrom(qsizetype start)
{
    const store::Match match = combosök->currentIndex() == 0 ? store::Match::Beginning : store::Match::Anywhere;
    const auto marked = lineToMark(m_lista->lines(), txtsök->text(), match, start);
    if (const auto *failure = std::get_if<store::Failure>(&marked)) {
        Text1->setPlainText(store::errorMessage(*failure, store::ErrorForm::Find));
        return;
    }
    setMarkedIndex(int(std::get<qsizetype>(marked)));
}

void frmredigera::txtsök_Change()
{
    findFrom(0);
}

void frmredigera::txtsök_KeyPress(int key)
{
    if (windowsetup::isEnter(key))
        findFrom(qsizetype(windowsetup::markedRow(List1)) + 1);
}

// While the duplicate check runs, events still run, so that "Avbryt" reaches it; but nothing may change the
// list, replace it, write it or close the window while the check reads the list. One guard does it, for as long
// as the check runs: every named control that acts is disabled and comes back as it was, but for those that
// only read the list (the list, the find and its kind, quick-save, copying) and "Avbryt"; the window refuses to close,
// and the list's Delete key waits like the button it stands for.
class frmredigera::CheckGuard : public QObject
{
public:
    explicit CheckGuard(frmredigera &window)
        : m_window(window)
    {
        const std::initializer_list<QWidget *> onlyRead{
            window.List1,     window.txtsök, window.combosök, window.cmdsnabbspara, window.cmdkopieraklippbok,
            window.cmdavbryt2};
        for (QWidget *w : window.findChildren<QWidget *>()) {
            const bool acts =
                qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w);
            if (acts && !w->objectName().isEmpty()
                && std::find(onlyRead.begin(), onlyRead.end(), w) == onlyRead.end()) {
                m_disabled.emplace_back(w, w->isEnabled());
                w->setEnabled(false);
            }
        }
        window.installEventFilter(this);
        window.List1->installEventFilter(this);
    }
    ~CheckGuard() override
    {
        for (const auto &[w, enabled] : m_disabled)
            w->setEnabled(enabled);
    }
    CheckGuard(const CheckGuard &) = delete;
    CheckGuard &operator=(const CheckGuard &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_window) {
            if (event->type() == QEvent::Close)
                event->ignore();
            return event->type() == QEvent::Close;
        }
        return event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete;
    }

private:
    frmredigera &m_window;
    std::vector<std::pair<QWidget *, bool>> m_disabled;
};

void frmredigera::cmddublett_Click()
{
    const double count = duplicates::leadingNumber(txtdublett->text());
    if (count == 0)
        txtdublett->clear();
    const auto length = duplicates::keyLength(count);

    const qsizetype n = m_lista->count();
    if (n == 0) {
        // Nothing to compare is nothing found, not a division by zero.
        m_platform.messageBox(u"Inga dubletter funna bland citaten!"_s, platform::Buttons::Ok,
                              platform::Icon::Information, u"Dublettkontroll"_s);
        return;
    }

    const float step = float(twips::toPixels(kProgressWidth)) / float(n);
    progress->resize(0, progress->height());
    progress->show();
    progress->raise();
    m_platform.setPointer(platform::Pointer::ArrowBusy);
    cmdavbryt2->move(cmddublett->pos());
    cmddublett->hide();
    cmdavbryt2->show();
    std::optional<CheckGuard> guard(std::in_place, *this);
    m_platform.processEvents();

    const auto result = duplicates::find(m_lista->lines(), length, [&](qsizetype done) {
        progress->resize(int(float(done) * step), progress->height());
        m_platform.processEvents();
        return !m_avbryt;
    });
    progress->resize(int(float(n - 1) * step), progress->height());
    m_avbryt = false;

    guard.reset();
    progress->hide();
    m_platform.setPointer(platform::Pointer::Default);
    cmddublett->show();
    cmdavbryt2->hide();

    if (result.report.isEmpty()) {
        m_platform.messageBox(u"Inga dubletter funna bland citaten!"_s, platform::Buttons::Ok,
                              platform::Icon::Information, u"Dublettkontroll"_s);
        return;
    }
    if (auto failure =
            store::writeOwnFile(store::pathInProgramFolder(kReportName), duplicates::reportFileBytes(result.report)))
        return m_platform.showStandardError(*failure);
    öppna_dublettfil();
}

void frmredigera::cmdavbryt2_Click()
{
    m_avbryt = true;
}

void frmredigera::öppna_dublettfil()
{
    const QString path = store::pathInProgramFolder(kReportName);
    if (!store::fileExists(path)) {
        m_platform.messageBox(u"Filen ''dublett-check.txt'' kunde inte hittas i programmappen!"_s,
                              platform::Buttons::Ok, platform::Icon::Exclamation);
        return;
    }
    // Whether a program could be started is not reported: the desktop shows its own notice if any.
    (void)m_platform.openWithAssociatedProgram(path);
}

bool frmredigera::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == List1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_F2) {
            List1_KeyDown(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
