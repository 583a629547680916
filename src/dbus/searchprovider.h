// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "cli/commandline.h"
#include "dbus/desktopsearch.h"

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

namespace tankedosan::dbus {

// Where the desktop finds the search: the bus name its service file starts the program for, and one object
// that answers both GNOME Shell's interface and KRunner's.
inline constexpr char kSearchService[] = "org.example.tankedosan.SearchProvider";
inline constexpr char kSearchPath[] = "/org/example/tankedosan/SearchProvider";
// The desktop entry and the icon the results show the program by.
inline constexpr char kAppId[] = "org.example.tankedosan";
inline constexpr char kIcon[] = "tankedosan";

// A hit as KRunner takes it: (id, text, icon, category relevance, relevance, properties).
struct RunnerMatch
{
    QString id, text, icon;
    int category = 0;
    double relevance = 0;
    QVariantMap properties;
};
// An action KRunner offers on a hit: (id, text, icon).
struct RunnerAction
{
    QString id, text, icon;
};
QDBusArgument &operator<<(QDBusArgument &argument, const RunnerMatch &match);
const QDBusArgument &operator>>(const QDBusArgument &argument, RunnerMatch &match);
QDBusArgument &operator<<(QDBusArgument &argument, const RunnerAction &action);
const QDBusArgument &operator>>(const QDBusArgument &argument, RunnerAction &action);

// The search service: answers while it is asked, and ends after a minute without a call, for D-Bus starts it
// again at the next. Opening a hit starts the window as a program of its own, on the folder and in the
// encoding the service was started with.
class SearchService : public QObject
{
    Q_OBJECT

public:
    explicit SearchService(const cli::CommandLine &line, QObject *parent = nullptr);

    std::vector<Found> initial(const QStringList &terms);
    std::vector<Found> narrowed(const QStringList &previous, const QStringList &terms);
    std::vector<Found> found(const QStringList &ids);
    void openAt(const QString &id);
    void openSearch(const QStringList &terms);
    void copy(const QString &id);

private:
    void called();

    cli::CommandLine m_line;
    DesktopSearch m_search;
    QTimer m_idle;
    QTimer m_busWatch;
};

// GNOME Shell's search provider.
class ShellSearch : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell.SearchProvider2")

public:
    explicit ShellSearch(SearchService *service);

public Q_SLOTS:
    QStringList GetInitialResultSet(const QStringList &terms);
    QStringList GetSubsearchResultSet(const QStringList &previous, const QStringList &terms);
    QList<QVariantMap> GetResultMetas(const QStringList &ids);
    void ActivateResult(const QString &id, const QStringList &terms, uint timestamp);
    void LaunchSearch(const QStringList &terms, uint timestamp);

private:
    SearchService *m_service;
};

// KRunner's runner.
class RunnerSearch : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.krunner1")

public:
    explicit RunnerSearch(SearchService *service);

public Q_SLOTS:
    QList<RunnerAction> Actions();
    QList<RunnerMatch> Match(const QString &query);
    void Run(const QString &id, const QString &action);

private:
    SearchService *m_service;
};

// Registers the types, the object and the name on the session bus and answers until it has been idle a
// minute; the exit status as the terminal's commands have it.
int serveSearch(const cli::CommandLine &line);

} // namespace tankedosan::dbus

Q_DECLARE_METATYPE(tankedosan::dbus::RunnerMatch)
Q_DECLARE_METATYPE(tankedosan::dbus::RunnerAction)
