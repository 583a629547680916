// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QSize>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace tankedosan::main {

// The help text as the Help window shows it: every line of help.txt, blank ones kept, each followed by a line
// break; a note in place of the text when the file is missing or cannot be read.
QString helpText();

// The size of the help text box for the window's outer size, frame included (pixels): 300 twips narrower and
// 950 twips lower; its left and top edges stay where they are.
QSize helpTextBoxSize(QSize outer);

// "Hjälp": shows help.txt beside the main window, modeless and resizable. Built anew at every opening and
// destroyed when closed, so changes to help.txt show the next time.
// The class is named in ASCII, as moc reads names, and known by the window's own name through the alias below.
class frmhjalp : public QWidget
{
    Q_OBJECT

public:
    explicit frmhjalp(QWidget *mainWindow);

private:
    QPushButton *Command1;
    QPlainTextEdit *Text1;

    void createControls();
    void connectHandlers();

    void Form_Load();
    void Form_Resize();
    void Command1_Click();

    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

    QWidget *m_mainWindow;
};
using frmhjälp = frmhjalp;

} // namespace tankedosan::main
