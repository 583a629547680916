#include "main/windowsetup.h"

#include "main/twips.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>

#include <algorithm>

namespace windowsetup {

void fixedDialog(QDialog *dialog, QSize clientTwips)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(twips::size(clientTwips.width(), clientTwips.height()));
    dialog->setSizeGripEnabled(false);
}

void noDefaultButtons(QWidget *window)
{
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void centreOnScreen(QWidget *window)
{
    const QWidget *anchor = window->parentWidget() ? window->parentWidget() : window;
    QScreen *screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

namespace {
// The current row is read as the button goes down, before the press moves it.
class ClickAgain : public QObject {
public:
    ClickAgain(QListWidget *list, std::function<void()> again)
        : QObject(list)
        , m_list(list)
    {
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::itemClicked, this, [this, again = std::move(again)](QListWidgetItem *item) {
            if (m_list->row(item) == m_rowBeforePress)
                again();
        });
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            m_rowBeforePress = m_list->currentRow();
        return QObject::eventFilter(watched, event);
    }

private:
    QListWidget *m_list;
    int m_rowBeforePress = -1;
};
} // namespace

void onClickAgain(QListWidget *list, std::function<void()> again)
{
    new ClickAgain(list, std::move(again));
}

QString boxText(const QPlainTextEdit *box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

LoadProgress::LoadProgress(QWidget *window, platform::Platform &platform, const QString &name)
    : m_window(window)
    , m_platform(platform)
    , m_name(name)
{
    m_clock.start();
}

LoadProgress::~LoadProgress() = default;

store::ReadProgress LoadProgress::callback()
{
    return [this](qint64 done, qint64 size) {
        if (m_clock.elapsed() < progressAfterMs)
            return true;
        if (!m_box) {
            m_box = std::make_unique<QProgressDialog>(QStringLiteral("Läser ''") + m_name + QStringLiteral("''..."),
                                                      QStringLiteral("Avbryt"), 0, 1000, m_window);
            m_box->setObjectName(QStringLiteral("progress"));
            m_box->setWindowTitle(QStringLiteral("Tankedosan"));
            m_box->setWindowModality(Qt::WindowModal);
            m_box->setMinimumDuration(0);
            m_box->setAutoReset(false);
            m_platform.setPointer(platform::Pointer::ArrowBusy);
        }
        m_box->setValue(size > 0 ? int(std::min<qint64>(done * 1000 / size, 1000)) : 0);
        m_platform.processEvents();
        return !m_box->wasCanceled();
    };
}

} // namespace windowsetup
