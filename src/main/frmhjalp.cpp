// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "main/frmhjalp.h"

#include "widgets/twips.h"
#include "widgets/keys.h"
#include "widgets/placement.h"
#include "store/files.h"
#include "store/failure.h"
#include "store/lines.h"
#include "store/programfolder.h"
#include "store/shown.h"

#include <QAccessibleWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace tankedosan::main {

namespace {

// A window that is neither a dialog nor a main window is told to a screen reader as a pane of the window
// beneath it; this one is a window of its own, and is announced as one.
QAccessibleInterface *helpWindowInterface(const QString &, QObject *object)
{
    auto *help = qobject_cast<frmhjälp *>(object);
    return help ? new QAccessibleWidget(help, QAccessible::Window) : nullptr;
}

// The client area the window opens with, and the text box in it (twips).
constexpr int kClientWidth = 5370;
constexpr int kClientHeight = 4545;
constexpr int kTextLeft = 120;
constexpr int kTextTop = 480;
constexpr int kTextWidth = 5175;
constexpr int kTextHeight = 3975;

// The window's smallest outer size, and what the text box leaves of the outer size (twips).
constexpr int kMinOuter = 5000;
constexpr int kOuterLessTextWidth = 300;
constexpr int kOuterLessTextHeight = 950;

// What the window system draws around the client area: none where it draws none that it tells of (no window
// manager, or decorations a Wayland compositor draws itself).
QSize frameOf(const QWidget *window)
{
    return (window->frameGeometry().size() - window->size()).expandedTo(QSize(0, 0));
}

// Whether the window system has told the frame, or shown the window without one. Until then the outer size is
// not known: a window manager puts its frame around a window only as it maps it.
bool outerSizeKnown(QWidget *window, QSize frame)
{
    return frame != QSize(0, 0) || (window->windowHandle() && window->windowHandle()->isExposed());
}

} // namespace

QString helpText()
{
    const QString path = store::pathInProgramFolder(u"help.txt"_s);
    if (!store::fileExists(path))
        return u"Hjälpfil kunde inte hittas!"_s;
    const store::Result<QByteArray> bytes = store::readWholeFile(path);
    if (auto failure = bytes.failure())
        return u"Hjälpfil kunde inte läsas!\n"_s + store::standardErrorMessage(*failure);
    QString text;
    for (const QString &line : store::allLines(*bytes)) {
        text += store::shownPart(line);
        text += u'\n';
    }
    return text;
}

QSize helpTextBoxSize(QSize outer)
{
    return (outer - widgets::twips::size(kOuterLessTextWidth, kOuterLessTextHeight)).expandedTo(QSize(0, 0));
}

frmhjalp::frmhjalp(QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window)
    , m_mainWindow(mainWindow)
{
    setObjectName(u"frmhjälp"_s);
    static const bool toldAsWindow = (QAccessible::installFactory(helpWindowInterface), true);
    (void)toldAsWindow;
    setWindowTitle(u"Hjälp"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(widgets::twips::size(kClientWidth, kClientHeight));
    createControls();
    connectHandlers();
    Form_Load();
    widgets::centreOnScreen(this);
}

void frmhjalp::createControls()
{
    Command1 = widgets::twips::place(new QPushButton(u"Stäng"_s, this), u"Command1"_s, 120, 60, 735, 375);
    Text1 = widgets::twips::place(new QPlainTextEdit(this), u"Text1"_s, kTextLeft, kTextTop, kTextWidth, kTextHeight);
    Text1->setAccessibleName(u"Hjälp"_s);
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void frmhjalp::connectHandlers()
{
    widgets::keyboard(this);
    connect(Command1, &QPushButton::clicked, this, &frmhjälp::Command1_Click);
    // Nothing here can be lost: Escape closes the window, as "Stäng" does.
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &frmhjälp::Command1_Click);
}

void frmhjälp::Form_Load()
{
    if (m_mainWindow)
        setWindowIcon(m_mainWindow->windowIcon());
    Text1->setPlainText(helpText());
}

void frmhjälp::Form_Resize()
{
    // No smaller outside than 5000 × 5000 twips: the window system keeps the client area at least this large,
    // and a window already smaller grows to it at once.
    const QSize frame = frameOf(this);
    if (outerSizeKnown(this, frame))
        setMinimumSize(widgets::twips::size(kMinOuter, kMinOuter) - frame);
    if (isMinimized())
        return;
    Text1->resize(helpTextBoxSize(size() + frame));
}

void frmhjälp::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmhjälp::moveEvent(QMoveEvent *event)
{
    // The window system tells the frame it put around the window by moving it: the sizes follow the frame.
    QWidget::moveEvent(event);
    Form_Resize();
}

void frmhjälp::Command1_Click()
{
    close();
}

} // namespace tankedosan::main
