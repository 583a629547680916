#pragma once

#include <QSize>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The help text as the Help window shows it: every line of help.txt, blank ones kept, each followed by a line
// break; a note in place of the text when the file is missing or cannot be read.
QString helpText();

// The size of the help text box for a given client area (pixels): it keeps its left and top edges and fills
// the rest less the margins it had when the window opened.
QSize helpTextBoxSize(QSize client);

// "Hjälp": shows help.txt beside the main window, modeless and resizable. Built anew at every opening and
// destroyed when closed, so changes to help.txt show the next time.
class frmhjälp : public QWidget {
public:
    explicit frmhjälp(QWidget *mainWindow);

    QPushButton *Command1;
    QPlainTextEdit *Text1;

    void Form_Load();
    void Form_Resize();
    void Command1_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_mainWindow;
};
