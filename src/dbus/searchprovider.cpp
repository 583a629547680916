// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "dbus/searchprovider.h"

#include "cli/output.h"
#include "dbus/startwindow.h"
#include "store/collections.h"
#include "store/programfolder.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>

using namespace Qt::StringLiterals;

namespace tankedosan::dbus {

namespace {
// A minute without a call: the desktop asks again within moments while the user types, and D-Bus starts
// the service anew for the next search.
constexpr int kIdleMilliseconds = 60'000;

QStringList ids(const std::vector<Found> &found)
{
    QStringList list;
    for (const Found &hit : found)
        list.append(hit.id());
    return list;
}

QString description(const Found &found)
{
    return found.collection + u", nr "_s + QString::number(found.number);
}
} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const RunnerMatch &match)
{
    argument.beginStructure();
    argument << match.id << match.text << match.icon << match.category << match.relevance << match.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, RunnerMatch &match)
{
    argument.beginStructure();
    argument >> match.id >> match.text >> match.icon >> match.category >> match.relevance >> match.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const RunnerAction &action)
{
    argument.beginStructure();
    argument << action.id << action.text << action.icon;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, RunnerAction &action)
{
    argument.beginStructure();
    argument >> action.id >> action.text >> action.icon;
    argument.endStructure();
    return argument;
}

SearchService::SearchService(const cli::CommandLine &line, QObject *parent)
    : QObject(parent)
    , m_line(line)
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleMilliseconds);
    connect(&m_idle, &QTimer::timeout, QCoreApplication::instance(), &QCoreApplication::quit);
    m_idle.start();
    // A bus that has gone (the session ended) brings no more calls: the service ends with it, not a minute later.
    connect(&m_busWatch, &QTimer::timeout, this, [] {
        if (!QDBusConnection::sessionBus().isConnected())
            QCoreApplication::quit();
    });
    m_busWatch.start(2000);
}

void SearchService::called()
{
    m_idle.start();
}

std::vector<Found> SearchService::initial(const QStringList &terms)
{
    called();
    return m_search.initial(terms);
}

std::vector<Found> SearchService::narrowed(const QStringList &previous, const QStringList &terms)
{
    called();
    return m_search.narrowed(previous, terms);
}

std::vector<Found> SearchService::found(const QStringList &ids)
{
    called();
    return m_search.found(ids);
}

void SearchService::openAt(const QString &id)
{
    called();
    if (const auto named = readId(id))
        startWindow(m_line, {u"--samling"_s, named->collection, u"--nummer"_s, QString::number(named->number)});
}

void SearchService::openSearch(const QStringList &terms)
{
    called();
    startWindow(m_line, {u"--sök"_s, terms.join(u' ')});
}

void SearchService::copy(const QString &id)
{
    const std::vector<Found> hit = found({id});
    if (hit.empty())
        return;
    // KRunner's desktop keeps the clipboard in Klipper, which takes a text over the bus: this service has
    // no display of its own to hold one.
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.kde.klipper"_s, u"/klipper"_s,
                                                       u"org.kde.klipper.klipper"_s, u"setClipboardContents"_s);
    call << hit.front().proverb;
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
}

ShellSearch::ShellSearch(SearchService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service)
{ }

QStringList ShellSearch::GetInitialResultSet(const QStringList &terms)
{
    return ids(m_service->initial(terms));
}

QStringList ShellSearch::GetSubsearchResultSet(const QStringList &previous, const QStringList &terms)
{
    return ids(m_service->narrowed(previous, terms));
}

QList<QVariantMap> ShellSearch::GetResultMetas(const QStringList &ids)
{
    QList<QVariantMap> metas;
    for (const Found &found : m_service->found(ids)) {
        metas.append({{u"id"_s, found.id()},
                      {u"name"_s, shortProverb(found.proverb)},
                      {u"description"_s, description(found)},
                      {u"gicon"_s, QString::fromLatin1(kIcon)},
                      {u"clipboardText"_s, found.proverb}});
    }
    return metas;
}

void ShellSearch::ActivateResult(const QString &id, const QStringList &, uint)
{
    m_service->openAt(id);
}

void ShellSearch::LaunchSearch(const QStringList &terms, uint)
{
    m_service->openSearch(terms);
}

RunnerSearch::RunnerSearch(SearchService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service)
{ }

QList<RunnerAction> RunnerSearch::Actions()
{
    return {{u"kopiera"_s, u"Kopiera"_s, u"edit-copy"_s}};
}

QList<RunnerMatch> RunnerSearch::Match(const QString &query)
{
    const std::vector<Found> found = m_service->initial(query.split(u' ', Qt::SkipEmptyParts));
    QList<RunnerMatch> matches;
    const double count = double(found.size());
    for (const Found &hit : found) {
        // Below the programs and settings the user looks for most, in the order of the search window.
        const double relevance = 0.5 - 0.4 * double(matches.size()) / count;
        matches.append({hit.id(),
                        shortProverb(hit.proverb),
                        QString::fromLatin1(kIcon),
                        30,
                        relevance,
                        {{u"subtext"_s, description(hit)}, {u"actions"_s, QStringList{u"kopiera"_s}}}});
    }
    return matches;
}

void RunnerSearch::Run(const QString &id, const QString &action)
{
    if (action == u"kopiera"_s)
        m_service->copy(id);
    else
        m_service->openAt(id);
}

int serveSearch(const cli::CommandLine &line)
{
    if (auto failure = store::settleProgramFolder(line.folder))
        cli::printFailure(*failure);
    store::setFolderEncoding(line.encoding);
    qDBusRegisterMetaType<QList<QVariantMap>>();
    qDBusRegisterMetaType<RunnerMatch>();
    qDBusRegisterMetaType<QList<RunnerMatch>>();
    qDBusRegisterMetaType<RunnerAction>();
    qDBusRegisterMetaType<QList<RunnerAction>>();

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        cli::printError(u"sessionens D-Bus kan inte nås: "_s + bus.lastError().message());
        return cli::kError;
    }
    SearchService service(line);
    new ShellSearch(&service);
    new RunnerSearch(&service);
    if (!bus.registerObject(QString::fromLatin1(kSearchPath), &service)) {
        cli::printError(u"sökleverantören kan inte ställas ut på D-Bus: "_s + bus.lastError().message());
        return cli::kError;
    }
    // The name last, once the object answers: D-Bus sends the call that started the service as soon as the
    // name is taken.
    if (!bus.registerService(QString::fromLatin1(kSearchService))) {
        cli::printError(u"namnet "_s + QString::fromLatin1(kSearchService) + u" är redan taget på D-Bus"_s);
        return cli::kError;
    }
    QCoreApplication::exec();
    return cli::kFound;
}

} // namespace tankedosan::dbus
