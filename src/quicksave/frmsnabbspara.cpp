// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "quicksave/frmsnabbspara.h"

#include "widgets/twips.h"
#include "widgets/controls.h"
#include "widgets/keys.h"
#include "widgets/placement.h"
#include "quicksave/quicksavelist.h"
#include "search/sparatextfil.h"
#include "store/shown.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tankedosan::quicksave {

frmsnabbspara::frmsnabbspara(platform::Platform &platform, QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_platform(platform)
    , m_mainWindow(mainWindow)
{
    setObjectName(u"frmsnabbspara"_s);
    setWindowTitle(u"Snabbspara"_s);
    widgets::fixedDialog(this, QSize(6735, 3375));
    createControls();
    connectHandlers();
    Form_Load();
    widgets::centreOnScreen(this);
}

void frmsnabbspara::createControls()
{
    // Wider than the classic 1455 twips, which the desktops' fonts (11 pt and up, even 8 pt) cut after "ordsprå".
    Label1 = widgets::twips::place(new QLabel(u"Sparade ordspråk:"_s, this), u"Label1"_s, 120, 120, 2400, 255);
    Text1 = widgets::twips::place(new QPlainTextEdit(this), u"Text1"_s, 120, 360, 5295, 2895);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to "Spara...", as in every box of the program; the list holds no tabs of its own.
    Text1->setTabChangesFocus(true);
    Label1->setBuddy(Text1);
    cmdstäng = widgets::twips::place(new QPushButton(u"Stäng"_s, this), u"cmdstäng"_s, 5520, 360, 1095, 375);
    cmdtöm = widgets::twips::place(new QPushButton(u"Töm lista..."_s, this), u"cmdtöm"_s, 5520, 840, 1095, 375);
    cmdspara = widgets::twips::place(new QPushButton(u"Spara..."_s, this), u"cmdspara"_s, 5520, 1320, 1095, 375);
    setTabOrder(Text1, cmdspara);
    setTabOrder(cmdspara, cmdtöm);
    setTabOrder(cmdtöm, cmdstäng);
}

void frmsnabbspara::connectHandlers()
{
    widgets::keyboard(this);
    connect(cmdspara, &QPushButton::clicked, this, &frmsnabbspara::cmdspara_Click);
    connect(cmdtöm, &QPushButton::clicked, this, &frmsnabbspara::cmdtöm_Click);
    connect(cmdstäng, &QPushButton::clicked, this, &frmsnabbspara::cmdstäng_Click);
}

QString frmsnabbspara::lista() const
{
    if (!m_whole.isNull())
        return m_whole;
    // The box keeps its lines apart with LF; the list, like the files, separates them with CR LF.
    QString text = widgets::boxText(Text1);
    text.replace(u'\n', u"\r\n"_s);
    return text;
}

void frmsnabbspara::setLista(const QString &list)
{
    bool cut = false;
    const QString shown = store::shownLines(list, &cut);
    m_whole = cut ? list : QString();
    Text1->setReadOnly(cut);
    Text1->setPlainText(cut ? shown
                                  + u"\r\n\r\n[Listan har rader som är för långa för att visas hela här. "
                                    u"\"Spara...\" sparar dem hela.]"_s
                            : list);
}

void frmsnabbspara::snabbspara(const QString &proverb)
{
    setLista(quicksave::appended(lista(), proverb));
}

void frmsnabbspara::Form_Load()
{
    if (m_mainWindow)
        setWindowIcon(m_mainWindow->windowIcon());
}

void frmsnabbspara::cmdspara_Click()
{
    // A failed save is reported by the flow and leaves the list and the program as they were.
    search::spara_textfil(m_platform, lista());
}

void frmsnabbspara::cmdtöm_Click()
{
    const auto answer = m_platform.messageBox(u"Detta kommer att tömma listan!\r\nVill du göra detta?"_s,
                                              platform::Buttons::YesNo, platform::Icon::Question, u"Töm lista?"_s);
    if (answer == platform::Answer::Yes)
        setLista(QString());
}

void frmsnabbspara::cmdstäng_Click()
{
    hide();
}

void frmsnabbspara::closeEvent(QCloseEvent *event)
{
    // The list must outlive the window: closing it only hides it. A hidden window lets the program end.
    if (!isVisible())
        return event->accept();
    event->ignore();
    hide();
}

} // namespace tankedosan::quicksave
