// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tankedosan::main {

// The About text: six lines joined by CR LF, the third one empty, no line end after the last.
QString aboutText();

// "Om ...": the program's name, version, date and contact lines. Modal, built anew at every opening.
class frmOm : public QDialog
{
    Q_OBJECT

public:
    // mainWindow gives the icon and is the window the dialog stands over.
    explicit frmOm(QWidget *mainWindow);

private:
    QLabel *Image1;
    QLabel *Label1;
    QPlainTextEdit *Text1;
    QPushButton *cmdok;

    void createControls();
    void connectHandlers();

    void Form_Load();
    void cmdok_Click();

    QWidget *m_mainWindow;
};

} // namespace tankedosan::main
