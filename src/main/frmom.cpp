// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "main/frmom.h"

#include "widgets/twips.h"
#include "widgets/keys.h"
#include "widgets/placement.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tankedosan::main {

QString aboutText()
{
    return QStringList{
        u"Tankedosan v2.2"_s,
        u"Datum: 2005-03-20"_s,
        QString(),
        u"Fritt att använda och dela med andra."_s,
        u"Hemsida: https://tankedosan.example.org"_s,
        u"Epost: tankedosan@example.org"_s,
    }
        .join(u"\r\n"_s);
}

frmOm::frmOm(QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_mainWindow(mainWindow)
{
    setObjectName(u"frmOm"_s);
    setWindowTitle(u"Om ..."_s);
    widgets::fixedDialog(this, QSize(4545, 2850));
    createControls();
    connectHandlers();
    Form_Load();
    widgets::centreOnScreen(this);
}

void frmOm::createControls()
{
    Image1 = widgets::twips::place(new QLabel(this), u"Image1"_s, 120, 120, 495, 495);
    Image1->setAccessibleName(u"Tankedosan"_s);
    Image1->setAlignment(Qt::AlignCenter);
    Label1 = widgets::twips::place(new QLabel(u"Tankedosan"_s, this), u"Label1"_s, 735, 90, 3690, 600);
    QFont heading = Label1->font();
    heading.setPointSizeF(24);
    Label1->setFont(heading);
    Text1 = widgets::twips::place(new QPlainTextEdit(this), u"Text1"_s, 120, 735, 4305, 1560);
    Text1->setAccessibleName(u"Om Tankedosan"_s);
    Text1->setReadOnly(true);
    cmdok = widgets::twips::place(new QPushButton(u"OK"_s, this), u"cmdok"_s, 3330, 2385, 1095, 375);
}

void frmOm::connectHandlers()
{
    widgets::keyboard(this);
    connect(cmdok, &QPushButton::clicked, this, &frmOm::cmdok_Click);
}

void frmOm::Form_Load()
{
    if (m_mainWindow)
        setWindowIcon(m_mainWindow->windowIcon());
    const int side = widgets::twips::toPixels(495);
    Image1->setPixmap(windowIcon().pixmap(QSize(side, side)));
    Text1->setPlainText(aboutText());
}

void frmOm::cmdok_Click()
{
    accept();
}

} // namespace tankedosan::main
