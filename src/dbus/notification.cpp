// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "dbus/notification.h"

#include "dbus/startwindow.h"

#include "cli/dagens.h"
#include "cli/output.h"
#include "store/failure.h"
#include "store/programfolder.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QTimer>

#include <new>
#include <utility>

using namespace Qt::StringLiterals;

namespace tankedosan::dbus {

namespace {

const QString kService = u"org.freedesktop.Notifications"_s;
const QString kPath = u"/org/freedesktop/Notifications"_s;

// A notification still shown after this long is left to the server: nobody is taken to a proverb of the morning
// at night.
constexpr int kLongestWait = 30 * 60 * 1000;

// Waits for our notification's click or its closing; the signals carry every notification's id.
class Waiter : public QObject
{
    Q_OBJECT

public:
    Waiter(const cli::CommandLine &line, QStringList window)
        : m_line(line)
        , m_window(std::move(window))
    { }
    void setId(uint id) { m_id = id; }
    int status() const { return m_status; }

public Q_SLOTS:
    void actionInvoked(uint id, const QString &key)
    {
        if (id != m_id || key != u"default"_s)
            return;
        if (!startWindow(m_line, m_window)) {
            cli::printError(u"fönstret kunde inte öppnas"_s);
            m_status = cli::kError;
        }
        QCoreApplication::quit();
    }
    void notificationClosed(uint id, uint)
    {
        if (id == m_id)
            QCoreApplication::quit();
    }

private:
    const cli::CommandLine &m_line;
    QStringList m_window;
    uint m_id = 0;
    int m_status = cli::kFound;
};

QDBusMessage call(const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kService, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message);
}

QString escaped(QString text)
{
    return text.replace(u'&', u"&amp;"_s).replace(u'<', u"&lt;"_s).replace(u'>', u"&gt;"_s);
}

// At login nobody reads the terminal: where no notification can be shown, the proverb still goes to standard
// output (a session's log keeps it), and the failure to standard error, so that the status tells it.
int notShown(const QString &proverb, const QString &why)
{
    cli::Printer out(stdout);
    out.line(proverb);
    (void)out.finish();
    cli::printError(u"aviseringen kunde inte visas: "_s + why);
    return cli::kError;
}

int notify(const cli::CommandLine &line)
{
    // The folder the window would use, seeded as the terminal's commands seed it.
    if (auto failure = store::settleProgramFolder(line.folder))
        cli::printFailure(*failure);
    const cli::DailyProverb daily = cli::proverbOfDay(line, QDate::currentDate());
    if (!daily.drawn)
        return daily.status;
    const cli::DrawnProverb &drawn = *daily.drawn;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return notShown(drawn.proverb, u"ingen sessionsbuss"_s);
    const QDBusMessage capabilities = call(u"GetCapabilities"_s);
    if (capabilities.type() == QDBusMessage::ErrorMessage)
        return notShown(drawn.proverb, capabilities.errorName() == u"org.freedesktop.DBus.Error.ServiceUnknown"_s
                                           ? u"ingen aviseringsserver på sessionsbussen"_s
                                           : capabilities.errorMessage());
    const QStringList can = capabilities.arguments().value(0).toStringList();
    const bool actions = can.contains(u"actions"_s);

    // Connected before the notification is shown, so that no click can come first.
    // The window at the proverb, in the folder and the encoding this run reads.
    Waiter waiter(line, {u"--samling"_s, drawn.collection, u"--nummer"_s, QString::number(drawn.number)});
    if (actions) {
        bus.connect(QString(), kPath, kService, u"ActionInvoked"_s, &waiter, SLOT(actionInvoked(uint, QString)));
        bus.connect(QString(), kPath, kService, u"NotificationClosed"_s, &waiter, SLOT(notificationClosed(uint, uint)));
    }
    // A server that shows no body gets the proverb as the summary; one that reads the body as markup gets it
    // escaped, and one that does not shows it as it stands.
    const QString summary = u"Dagens ordspråk"_s;
    const bool body = can.contains(u"body"_s) || can.isEmpty();
    const QString text = can.contains(u"body-markup"_s) ? escaped(drawn.proverb) : drawn.proverb;
    const QVariantMap hints{{u"desktop-entry"_s, u"org.example.tankedosan"_s}};
    const QDBusMessage shown =
        call(u"Notify"_s,
             {u"Tankedosan"_s, uint(0), u"tankedosan"_s, body ? summary : drawn.proverb, body ? text : QString(),
              actions ? QStringList{u"default"_s, u"Öppna"_s} : QStringList(), hints, -1});
    if (shown.type() == QDBusMessage::ErrorMessage)
        return notShown(drawn.proverb, shown.errorMessage());
    if (!actions)
        return daily.status;
    waiter.setId(shown.arguments().value(0).toUInt());
    // A server that goes away (the session ends) takes its notifications with it.
    QDBusServiceWatcher gone(kService, bus, QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&gone, &QDBusServiceWatcher::serviceUnregistered, &waiter, [] { QCoreApplication::quit(); });
    QTimer::singleShot(kLongestWait, &waiter, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    return waiter.status() == cli::kFound ? daily.status : waiter.status();
}

} // namespace

int notifyDailyProverb(const cli::CommandLine &line)
{
    try {
        return notify(line);
    } catch (const std::bad_alloc &) {
        cli::printFailure(store::failures::outOfMemory());
        return cli::kError;
    }
}

} // namespace tankedosan::dbus

#include "notification.moc"
