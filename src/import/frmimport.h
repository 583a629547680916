// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "import/editorlink.h"
#include "import/importlogic.h"
#include "widgets/listboxmodel.h"
#include "platform/platform.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;

namespace tankedosan::import {

// Takes proverbs from any text file on any drive into the editor's list; it never writes a file itself.
class frmimport : public QDialog
{
    Q_OBJECT

public:
    frmimport(platform::Platform &platform, EditorLink &editor, QWidget *parent = nullptr);

    // Moves the folder list to a folder, as a double click on it does; a folder that cannot be read gives a
    // message and the list stays where it was.
    void setDirPath(const QString &path);

private:
    QLabel *Label3;
    QComboBox *Drive1;
    QLabel *Label2;
    QLineEdit *txtpattern;
    QPushButton *cmdpattern;
    QListWidget *Dir1;
    QListWidget *File1;
    QLabel *Label1;
    QPushButton *cmdläggtill;
    QPushButton *cmdtabort;
    QPushButton *cmdläggtillalla;
    QPushButton *cmdstäng;
    QListView *List1;
    QLabel *lblantal;
    // The encoding of a file that is neither UTF-8 nor UTF-16; it can be chosen only for such a file.
    QLabel *lblkodning;
    QComboBox *combokodning;

    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_Click();
    void cmdpattern_Click();
    void File1_Click();
    void cmdläggtill_Click();
    void cmdtabort_Click();
    void cmdläggtillalla_Click();
    void cmdstäng_Click();
    void combokodning_Change();

    // The import list, the lines of the clicked file.
    widgets::ListBoxModel &importList() { return m_lines; }
    // The marked line of the import list, -1 when none.
    void markLine(int row);

    void createControls();
    void fillEncodings();
    void layOutControls();
    void connectHandlers();
    void showFiles();
    void setCountLabel();
    void notice(const QString &text);

    platform::Platform &m_platform;
    EditorLink &m_editor;
    widgets::ListBoxModel m_lines;
    // The folder the folder list stands in, and the one the file list shows.
    QString m_dirPath;
    QString m_filePath;
    QString m_pattern = QStringLiteral("*.txt");
    QString m_drive;
};

} // namespace tankedosan::import
