// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "platform/platform.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tankedosan::quicksave {

// "Snabbspara": the quick-save list, proverbs put aside during this run of the program. The list lives in
// memory only, in this window's text box; the window is created once and closing only hides it.
class frmsnabbspara : public QDialog
{
    Q_OBJECT

public:
    frmsnabbspara(platform::Platform &platform, QWidget *mainWindow);

    // The list as the appenders and the save see it: lines separated by CR LF, edits by the user included.
    // A list with a line longer than a view shows (store/shown.h) is kept whole beside the box, which then
    // shows each line's shown part and cannot be edited: laid out whole, such a line freezes the window.
    QString lista() const;
    void setLista(const QString &list);
    // Puts a proverb aside by the append rule; the window is not shown.
    void snabbspara(const QString &proverb);

private:
    QLabel *Label1;
    QPlainTextEdit *Text1;
    QPushButton *cmdstäng;
    QPushButton *cmdtöm;
    QPushButton *cmdspara;

    void createControls();
    void connectHandlers();

    void Form_Load();
    void cmdspara_Click();
    void cmdtöm_Click();
    void cmdstäng_Click();

    void closeEvent(QCloseEvent *event) override;

    platform::Platform &m_platform;
    QWidget *m_mainWindow;
    // The whole list while the box shows it cut; null while the box holds the list itself.
    QString m_whole;
};

} // namespace tankedosan::quicksave
