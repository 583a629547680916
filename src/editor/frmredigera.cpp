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

namespace tankedosan::editor {

namespace {

// "N st ordspråk.", the count under the list.
QString proverbCountLabel(int count)
{
    return QString::number(count) + u" st ordspråk."_s;
}

const QString kReportName = u"dublett-check.txt"_s;

// The lines that the written form of a typed text reads back as: a line ends at CR LF or at a CR alone.
QStringList linesOfTypedText(const QString &text)
{
    QString unified = text;
    unified.replace(u"\r\n"_s, u"\r"_s);
    return unified.split(u'\r', Qt::SkipEmptyParts);
}

} // namespace

frmredigera::frmredigera(const widgets::MainWindowLink &main, platform::Platform &platform)
    : QDialog(main.window)
    , m_main(main)
    , m_platform(platform)
    , m_lista(new widgets::LineListModel(this))
{
    setObjectName(u"frmredigera"_s);
    setWindowTitle(u"Redigera ordspråk"_s);
    widgets::fixedDialog(this, QSize(8175, 7530));
    createControls();
    connectHandlers();
    Form_Load();
}

frmredigera::~frmredigera() = default;

void frmredigera::mnuredigera_redigera_Click(const widgets::MainWindowLink &main, platform::Platform &platform)
{
    frmredigera editor(main, platform);
    editor.takeCollectionsFromMain();
    widgets::centreOnScreen(&editor);
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
    using Outcome = widgets::ChosenCollection::Outcome;
    const QString name = comboordspråk->currentText();
    auto chosen = widgets::readChosenCollection(this, m_platform, name);
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
        showWhetherWritable(chosen.path, m_stamp);
        break;
    case Outcome::Read:
    case Outcome::Failed:
        m_stamp = chosen.stamp;
        m_lista->clear();
        m_added.clear();
        m_removed.clear();
        m_loadedName = name;
        showWhetherWritable(chosen.path, m_stamp);
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

void frmredigera::showWhetherWritable(const QString &path, const store::FileStamp &stamp)
{
    using Reason = store::ReadOnlyReason;
    QString reason;
    switch (store::readOnlyReason(path, stamp)) {
    case Reason::Writable: break;
    case Reason::OtherProgram: {
        const QString text = store::fortuneTextPath(path);
        reason = u"Samlingen i ''"_s + (text.isEmpty() ? path : text)
                 + u"'' hör till ett annat program (fortune) och kan bara läsas här."_s;
        break;
    }
    case Reason::Folder:
        reason = u"Mappen går inte att skriva i, så samlingen i ''"_s + path + u"'' kan bara läsas här."_s;
        break;
    case Reason::File: reason = u"Filen ''"_s + path + u"'' är skrivskyddad, så samlingen kan bara läsas här."_s; break;
    }
    const bool readOnly = !reason.isEmpty();
    lblskrivskydd->setText(reason);
    lblskrivskydd->setToolTip(reason); // a long path may not fit
    lblskrivskydd->setVisible(readOnly);
    for (QWidget *addRow :
         {static_cast<QWidget *>(Label1), static_cast<QWidget *>(Label2), static_cast<QWidget *>(txtordspråk)})
        addRow->setVisible(!readOnly);
    for (QPushButton *changesList : {cmdläggtill, cmdtabort, cmdimport})
        changesList->setEnabled(!readOnly);
}

void frmredigera::cmdläggtill_Click()
{
    // Enter in the add box runs this too: it does what the button does, only where the button can be pressed.
    if (!cmdläggtill->isEnabled())
        return;
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
    if (widgets::isEnter(key))
        cmdläggtill_Click();
}

void frmredigera::cmdtabort_Click()
{
    if (m_platform.messageBox(u"Vill du radera markerat ordspråk ur datafilen?"_s, platform::Buttons::YesNo,
                              platform::Icon::Question, u"Radera?"_s)
        != platform::Answer::Yes)
        return;
    const int marked = widgets::markedRow(List1);
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
    // The key does what the button does, only where the button can be pressed.
    if (key == Qt::Key_Delete && cmdtabort->isEnabled())
        cmdtabort_Click();
    else if (key == Qt::Key_F2)
        cmdsnabbspara_Click();
}

void frmredigera::List1_Click()
{
    const int marked = widgets::markedRow(List1);
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
    const bool showsMain = path == store::Module1::sökväg;
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
    import::frmimport window(m_platform, *this, this);
    window.exec();
}

QString frmredigera::markedLine() const
{
    const int marked = widgets::markedRow(List1);
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
    if (const auto failure = marked.failure()) {
        Text1->setPlainText(store::errorMessage(*failure, store::ErrorForm::Find));
        return;
    }
    setMarkedIndex(int(*marked));
}

void frmredigera::txtsök_Change()
{
    findFrom(0);
}

void frmredigera::txtsök_KeyPress(int key)
{
    if (widgets::isEnter(key))
        findFrom(qsizetype(widgets::markedRow(List1)) + 1);
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

    const float step = float(widgets::twips::toPixels(kProgressWidth)) / float(n);
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

} // namespace tankedosan::editor
