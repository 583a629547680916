// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "widgets/linelistmodel.h"
#include "widgets/mainwindowlink.h"
#include "store/editorsort.h"
#include "import/editorlink.h"
#include "platform/platform.h"
#include "store/files.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;

namespace tankedosan::editor {

// The collection editor: one collection as an alphabetically sorted list, where lines are added and removed
// and the whole list written back with "Spara". The import window that it opens hands lines over through
// EditorLink alone.
class frmredigera
    : public QDialog
    , public import::EditorLink
{
    Q_OBJECT

public:
    frmredigera(const widgets::MainWindowLink &main, platform::Platform &platform);
    ~frmredigera() override;

    // The main window's menu entry "Redigera ordspråk-listan...": a fresh editor on the main window's
    // collection, shown modally.
    static void mnuredigera_redigera_Click(const widgets::MainWindowLink &main, platform::Platform &platform);
    // What that entry does before showing the window: the main window's collections into the collection box,
    // and its chosen one selected, which loads it.
    void takeCollectionsFromMain();

private:
    // Controls, named as the window's objects are.
    QLabel *Label3;
    QComboBox *comboordspråk;
    QPushButton *cmd1;
    QPushButton *cmd2;
    QLabel *Label1;
    QCheckBox *chkändrad;
    QLabel *Label2;
    QLineEdit *txtordspråk;
    QPushButton *cmdläggtill;
    QLabel *Label4;
    QGroupBox *Frame1;
    QLineEdit *txtsök;
    QComboBox *combosök;
    QPushButton *cmdavbryt;
    QPushButton *cmdimport;
    QListView *List1;
    QPlainTextEdit *Text1;
    QLabel *lblantal;
    QWidget *progress;
    QPushButton *cmdtabort;
    QPushButton *cmdsnabbspara;
    QPushButton *cmdkopieraklippbok;
    QPushButton *cmddublett;
    QLineEdit *txtdublett;
    QPushButton *cmdavbryt2;
    // Why the collection can only be read here, shown in the place of the add box; hidden where it can be written.
    QLabel *lblskrivskydd;

    // The editor list behind List1.
    widgets::LineListModel *lista() const { return m_lista; }

    // Handlers.
    void Form_Load();
    void comboordspråk_Click();
    void cmdläggtill_Click();
    void txtordspråk_KeyPress(int key);
    void cmdtabort_Click();
    void List1_KeyDown(int key);
    void List1_Click();
    void cmd1_Click();
    void cmd2_Click();
    void cmdavbryt_Click();
    void cmdimport_Click();
    void cmdsnabbspara_Click();
    void cmdkopieraklippbok_Click();
    void txtsök_Change();
    void txtsök_KeyPress(int key);
    void cmddublett_Click();
    void cmdavbryt2_Click();
    void öppna_dublettfil();

    // The marked entry of the editor list, -1 for none; marking runs List1_Click.
    void setMarkedIndex(int index);
    // The marked entry's whole text, or an empty text when none is marked.
    QString markedLine() const;

    // Adds a line at its sorted place; gives its position. A text holding line ends is added as the lines the
    // collection file would read back from it.
    qsizetype addLine(const QString &text);
    // Many lines at once (the import window's "all of them"): one merge rather than one insert after another.
    void addLines(const store::LineStore &lines);
    void showCount();
    // The import window's hand-over: the lines at their sorted places, then the count, the changed flag and the
    // changed state.
    void takeLine(const QString &line) override;
    void takeLines(const store::LineStore &lines) override;
    void enterChangedState();
    void enterCleanState();
    // Told as soon as a collection is loaded, before the user adds or removes anything that could never be
    // saved: the reason in the window, and the buttons that change the list disabled.
    void showWhetherWritable(const QString &path, const store::FileStamp &stamp);

    bool eventFilter(QObject *watched, QEvent *event) override;

    // The count label and the progress strip over it, which covers it exactly when it has grown all the way.
    static constexpr int kProgressWidth = 7215;
    // The collection whose lines the list holds: a cancelled load leaves the box on it.
    QString m_loadedName;

    void createControls();
    void createTopRows();
    void createFindRow();
    void createListAndCount();
    void createBottomRow();
    void connectHandlers();
    void handedOver();
    void findFrom(qsizetype start);
    class CheckGuard;
    void redoChangesOnNewerFile();

    widgets::MainWindowLink m_main;
    platform::Platform &m_platform;
    widgets::LineListModel *m_lista;
    store::SwedishOrder m_order;
    // Set by "Avbryt", polled by the duplicate check.
    bool m_avbryt = false;
    // What the collection file was when the editor list was read from it: "Spara" writes only over that. A
    // list read from no file may go only to a free name.
    store::FileStamp m_stamp{store::FileStamp::State::Absent};
    // The lines added and removed here since the list was read or saved: when another program changed the
    // file meanwhile, they are made again on the file as it is now, so that neither side's change is lost.
    store::LineStore m_added;
    store::LineStore m_removed;
    // A pick in the collection box that changed the index has loaded already.
    bool m_loadedByIndexChange = false;
};

} // namespace tankedosan::editor
