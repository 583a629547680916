// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "platform/platform.h"
#include "store/encoding.h"
#include "store/files.h"

#include <QDialog>

#include <array>

class QLabel;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tankedosan::widgets {
class ListBoxModel;
}

namespace tankedosan::textfiles {

// "Texteditor": the ".txt" files of the program folder, one at a time, as a list of lines or as a text.
// Lines can be copied and deleted from a file, the text saved back, and whole files deleted. Modal, built
// anew at every opening.
class frmtextedit : public QDialog
{
    Q_OBJECT

public:
    frmtextedit(platform::Platform &platform, QWidget *mainWindow);

private:
    QPushButton *cmdstäng;
    QPushButton *cmdraderafil;
    QPushButton *cmdspara;
    QPushButton *cmdradera;
    QPushButton *cmdkopiera;
    QLabel *Label1;
    std::array<QRadioButton *, 2> optvisa;
    QListWidget *list_filer;
    // The list view: every line of the chosen file, laid out by its shown part.
    QListView *List1;
    QPlainTextEdit *Text1;
    // The hidden file list: the ".txt" files of the program folder.
    widgets::ListBoxModel *File1;

    void Form_Load();
    void list_filer_Click();
    void optvisa_Click(int index);
    void cmdkopiera_Click();
    void cmdradera_Click();
    void cmdraderafil_Click();
    void cmdspara_Click();
    void cmdstäng_Click();

    void createControls();
    void connectHandlers();
    QString chosenName() const;
    QString chosenPath() const;
    // Whether the views hold the chosen file as read, not an error report or nothing at all.
    bool mayWriteBack();
    // A failed write back; a file that another program changed meanwhile is read again.
    void writeFailed(const store::Failure &failure);

    platform::Platform &m_platform;
    QWidget *m_mainWindow;
    widgets::ListBoxModel *m_lines;
    bool m_loaded = false;
    // What the chosen file was when the views were filled from it: a write back goes only over that.
    store::FileStamp m_stamp;
    bool m_textWhole = true;
    // What the chosen file was read as: both views write it back so.
    store::FileEncoding m_encoding;
};

} // namespace tankedosan::textfiles
