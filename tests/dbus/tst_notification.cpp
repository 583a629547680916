// SPDX-License-Identifier: LicenseRef-Tankedosan
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

static const QString kExecutable = QStringLiteral(TANKEDOSAN_EXECUTABLE);

// A notification server as a desktop runs one, with the capabilities a row gives it; it keeps the last Notify,
// and refuses it when its capabilities say "refuse".
class Server
    : public QObject
    , protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList capabilities;
    QVariantList notified;

public Q_SLOTS:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &hints, int timeout)
    {
        notified = {app, replaces, icon, summary, body, actions, hints, timeout};
        if (capabilities.contains(u"refuse"_s))
            sendErrorReply(QDBusError::Failed, u"refused"_s);
        return 41;
    }
    void CloseNotification(uint) { }

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &key);
    void NotificationClosed(uint id, uint reason);
};

// `tankedosan --dagens --avisera` against a server of the test's own, on the private session bus of
// dbus-run-session (never the desktop's: the name would be taken there).
class tst_notification : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Server m_server;

    QStringList arguments(const QString &more) const
    {
        return QStringList{u"--mapp"_s, m_dir.path(), u"--dagens"_s} + more.split(u' ', Qt::SkipEmptyParts);
    }
    // Where the proverbs lie, as the window numbers them: empty lines are no proverbs. Each holds a character
    // that markup reads as its own.
    static QString placeOf(const QString &proverb)
    {
        return QMap<QString, QString>{{u"Ett > noll"_s, u"Alfa 1"_s},
                                      {u"Två & tre"_s, u"Alfa 2"_s},
                                      {u"<Fyra>"_s, u"Beta 1"_s},
                                      {u"Fem & sex"_s, u"Beta 2"_s}}
            .value(proverb);
    }
    // The command lines of the processes started with --fönster from this test's folder.
    QList<QPair<pid_t, QStringList>> windows() const
    {
        QList<QPair<pid_t, QStringList>> found;
        for (const QString &pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
            QFile file(u"/proc/"_s + pid + u"/cmdline"_s);
            if (pid.toInt() <= 0 || !file.open(QIODevice::ReadOnly))
                continue;
            const QStringList words = QString::fromUtf8(file.readAll()).split(QChar(0), Qt::SkipEmptyParts);
            if (words.contains(u"--fönster"_s) && words.contains(m_dir.path()))
                found.append({pid_t(pid.toInt()), words.mid(1)});
        }
        return found;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QFile alfa(m_dir.filePath(u"Alfa.dat"_s)), beta(m_dir.filePath(u"Beta.dat"_s));
        QVERIFY(alfa.open(QIODevice::WriteOnly) && alfa.write("Ett > noll\r\n\r\nTv\xE5 & tre\r\n") > 0);
        QVERIFY(beta.open(QIODevice::WriteOnly) && beta.write("<Fyra>\r\nFem & sex\r\n") > 0);
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY2(bus.registerObject(u"/org/freedesktop/Notifications"_s, &m_server,
                                    QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals),
                 "run under dbus-run-session");
    }

    void notifies_data()
    {
        QTest::addColumn<QString>("capabilities"); // none: no server on the bus
        QTest::newRow("actions and markup") << u"actions body body-markup"_s;
        QTest::newRow("plain body") << u"body"_s;
        QTest::newRow("no server") << u"none"_s;
        QTest::newRow("refused") << u"body refuse"_s;
    }
    void notifies()
    {
        QFETCH(QString, capabilities);
        QProcess daily;
        daily.start(kExecutable, arguments({}));
        QVERIFY(daily.waitForFinished(30000) && daily.exitCode() == 0);
        const QString proverb = QString::fromUtf8(daily.readAllStandardOutput()).chopped(1);
        const QStringList place = placeOf(proverb).split(u' ');
        QVERIFY2(place.size() == 2, qPrintable(proverb));

        QDBusConnection bus = QDBusConnection::sessionBus();
        const bool serving = capabilities != u"none"_s;
        QVERIFY(!serving || bus.registerService(u"org.freedesktop.Notifications"_s));
        m_server.capabilities = capabilities.split(u' ');
        m_server.notified.clear();
        const bool actions = m_server.capabilities.contains(u"actions"_s);
        const bool markup = m_server.capabilities.contains(u"body-markup"_s);
        for (const bool closing : {false, true}) {
            if (closing && !actions)
                break;
            QProcess notifying;
            notifying.start(kExecutable, arguments(u"--avisera"_s));
            if (!serving || m_server.capabilities.contains(u"refuse"_s)) {
                // The server answers from this test's event loop, which waitForFinished would hold.
                QTRY_VERIFY_WITH_TIMEOUT(notifying.state() == QProcess::NotRunning, 30000);
                QCOMPARE(m_server.notified.isEmpty(), !serving);
                QVERIFY(!serving || bus.unregisterService(u"org.freedesktop.Notifications"_s));
                QCOMPARE(notifying.readAllStandardOutput(), (proverb + u'\n').toUtf8());
                QVERIFY(notifying.readAllStandardError().contains("tankedosan: aviseringen kunde inte visas: "));
                QCOMPARE(notifying.exitCode(), 2);
                return;
            }
            QTRY_VERIFY_WITH_TIMEOUT(!m_server.notified.isEmpty(), 30000);
            const QVariantList &n = m_server.notified;
            QCOMPARE(n.mid(0, 4), (QVariantList{u"Tankedosan"_s, 0u, u"tankedosan"_s, u"Dagens ordspråk"_s}));
            QCOMPARE(n[4].toString(),
                     markup
                         ? QString(proverb).replace(u'&', u"&amp;"_s).replace(u'<', u"&lt;"_s).replace(u'>', u"&gt;"_s)
                         : proverb);
            QCOMPARE(n[5].toStringList(), (actions ? QStringList{u"default"_s, u"Öppna"_s} : QStringList()));
            QCOMPARE(n[6].toMap().value(u"desktop-entry"_s).toString(), u"org.example.tankedosan"_s);
            m_server.notified.clear();
            if (actions) {
                QTest::qWait(300); // waiting for the click
                QCOMPARE(notifying.state(), QProcess::Running);
                // Another notification's closing is none of its business; its own click opens the window.
                emit m_server.NotificationClosed(40, 2);
                if (closing)
                    emit m_server.NotificationClosed(41, 2);
                else
                    emit m_server.ActionInvoked(41, u"default"_s);
            }
            QVERIFY(notifying.state() == QProcess::NotRunning || notifying.waitForFinished(30000));
            QCOMPARE(notifying.exitCode(), 0);
            QCOMPARE(notifying.readAllStandardOutput(), QByteArray());
            if (actions && !closing) {
                // Taken from the look that saw it: the next may not (a process's command line can read empty
                // while it starts).
                QList<QPair<pid_t, QStringList>> started;
                for (QDeadlineTimer deadline(10000); started.isEmpty() && !deadline.hasExpired(); started = windows())
                    QTest::qWait(50);
                QCOMPARE(started.size(), qsizetype(1));
                const auto [pid, words] = started.constFirst();
                ::kill(pid, SIGKILL);
                QCOMPARE(words, (QStringList{u"--fönster"_s, u"--samling"_s, place[0], u"--nummer"_s, place[1],
                                             u"--mapp"_s, m_dir.path()}));
            }
        }
        QTRY_COMPARE(windows().size(), qsizetype(0)); // a closed notification opens nothing
        QVERIFY(bus.unregisterService(u"org.freedesktop.Notifications"_s));
    }
};

QTEST_GUILESS_MAIN(tst_notification)
#include "tst_notification.moc"
