#include "platform/dialup/NetworkManagerLine.h"

#include "platform/dialup/NetworkManagerNames.h"
#include "platform/dialup/NetworkManagerReasons.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QMutex>
#include <algorithm>
#include <limits>
#include <thread>

Q_LOGGING_CATEGORY(lcNetworkManager, "tarvo.dialup.networkmanager", QtWarningMsg)

namespace dialup {

namespace {

using namespace nm;

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kManagerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString kSettingsInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString kProfileInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kActiveInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kDeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kAgentManagerPath = QStringLiteral("/org/freedesktop/NetworkManager/AgentManager");
const QString kAgentManagerInterface = QStringLiteral("org.freedesktop.NetworkManager.AgentManager");
const QString kAgentPath = QStringLiteral("/org/freedesktop/NetworkManager/SecretAgent");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kAgentIdentifier = QStringLiteral("org.tarvo.Tarvo");
const QString kNoSecrets = QStringLiteral("org.freedesktop.NetworkManager.SecretAgent.NoSecrets");
const QString kBusService = QStringLiteral("org.freedesktop.DBus");
const QString kBusPath = QStringLiteral("/org/freedesktop/DBus");

// How long an activation request may go unanswered: NetworkManager answers
// it as soon as the activation is under way, so a silence this long means
// it is stopped or stuck.
constexpr int kActivateTimeoutMs = 25000;
// The bus's own "never": a request given up on is still answered when a
// stuck NetworkManager wakes, and its answer names the activation it
// started, which is then taken down.
constexpr int kNoTimeout = std::numeric_limits<int>::max();
// How often the bus connection is looked at, and made again once lost.
constexpr int kBusCheckMs = 1000;
// NetworkManager takes its name on the bus before its objects are there:
// what it does not know yet is asked again, soon at first.
constexpr int kFirstRetryMs = 100;
constexpr int kLongestRetryMs = 5000;

QStringList objectPaths(const QVariant &value)
{
    QList<QDBusObjectPath> list;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> list;
    else
        list = value.value<QList<QDBusObjectPath>>();
    QStringList paths;
    for (const QDBusObjectPath &p : list)
        paths << p.path();
    return paths;
}

QString objectPath(const QVariant &value)
{
    if (value.canConvert<QDBusArgument>()) {
        QDBusObjectPath path;
        value.value<QDBusArgument>() >> path;
        return path.path();
    }
    return value.value<QDBusObjectPath>().path();
}

QVariantMap variantMap(const QVariant &value)
{
    QVariantMap map;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> map;
    else
        map = value.toMap();
    return map;
}

NmSettings settingsOf(const QVariant &value)
{
    NmSettings settings;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> settings;
    else
        settings = value.value<NmSettings>();
    return settings;
}

bool answered(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

// Kinds a modem stands behind: an absent modem reads as a busy one.
bool isModemType(const QString &type)
{
    return type == QLatin1String("gsm") || type == QLatin1String("cdma") || type == QLatin1String("bluetooth")
        || type == QLatin1String("pppoe");
}

// The bus gave up waiting, or the caller's connection or NetworkManager
// went: the request itself was never judged.
bool unanswered(const QDBusMessage &reply)
{
    const QString error = reply.errorName();
    return error == QLatin1String("org.freedesktop.DBus.Error.NoReply")
        || error == QLatin1String("org.freedesktop.DBus.Error.Timeout")
        || error == QLatin1String("org.freedesktop.DBus.Error.TimedOut");
}

// NetworkManager on the bus but not ready to answer this yet (it is
// starting), or answering for an object it has not made yet.
bool notReady(const QDBusMessage &reply)
{
    const QString error = reply.errorName();
    return error == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")
        || error == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")
        || error == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface")
        || error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || error == QLatin1String("org.freedesktop.DBus.Error.NoReply")
        || error == QLatin1String("org.freedesktop.DBus.Error.Timeout")
        || error == QLatin1String("org.freedesktop.DBus.Error.TimedOut");
}

bool gone(const QDBusMessage &reply)
{
    const QString error = reply.errorName();
    return error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
        || error == QLatin1String("org.freedesktop.DBus.Error.Disconnected");
}

} // namespace

// A bus connection is made on a thread of its own (it waits for the bus to
// answer); the line takes it over on its own thread, unless it is gone by
// then.
struct NetworkManagerLine::BusHandoff {
    QMutex mutex;
    NetworkManagerLine *line = nullptr;
};

// ----------------------------------------------------------- secret agent

SecretAgent::SecretAgent(NetworkManagerLine &line)
    : m_line(line)
{
}

QString SecretAgent::introspect(const QString &) const
{
    return QStringLiteral(
        "<interface name=\"org.freedesktop.NetworkManager.SecretAgent\">"
        "<method name=\"GetSecrets\"><arg name=\"connection\" type=\"a{sa{sv}}\" direction=\"in\"/>"
        "<arg name=\"connection_path\" type=\"o\" direction=\"in\"/>"
        "<arg name=\"setting_name\" type=\"s\" direction=\"in\"/>"
        "<arg name=\"hints\" type=\"as\" direction=\"in\"/><arg name=\"flags\" type=\"u\" direction=\"in\"/>"
        "<arg name=\"secrets\" type=\"a{sa{sv}}\" direction=\"out\"/></method>"
        "<method name=\"CancelGetSecrets\"><arg name=\"connection_path\" type=\"o\" direction=\"in\"/>"
        "<arg name=\"setting_name\" type=\"s\" direction=\"in\"/></method>"
        "<method name=\"SaveSecrets\"><arg name=\"connection\" type=\"a{sa{sv}}\" direction=\"in\"/>"
        "<arg name=\"connection_path\" type=\"o\" direction=\"in\"/></method>"
        "<method name=\"DeleteSecrets\"><arg name=\"connection\" type=\"a{sa{sv}}\" direction=\"in\"/>"
        "<arg name=\"connection_path\" type=\"o\" direction=\"in\"/></method>"
        "</interface>");
}

bool SecretAgent::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString member = message.member();
    if (member == QLatin1String("GetSecrets")) {
        connection.send(getSecrets(message));
        return true;
    }
    // Typed secrets belong to one activation: there is nothing to save,
    // delete or stop looking for.
    if (member == QLatin1String("CancelGetSecrets") || member == QLatin1String("SaveSecrets")
        || member == QLatin1String("DeleteSecrets")) {
        connection.send(message.createReply());
        return true;
    }
    return false;
}

QDBusMessage SecretAgent::getSecrets(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 5)
        return message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("GetSecrets takes five arguments"));
    const QString path = objectPath(args.at(1));
    const QString settingName = args.at(2).toString();
    const uint flags = args.at(4).toUInt();
    const auto typed = m_line.m_credentials.find(path);
    if (typed == m_line.m_credentials.end() || typed->password.isEmpty()) {
        // Not one of ours, or nothing typed: the desktop's own agent, asked
        // after us, may answer.
        qCDebug(lcNetworkManager) << "secrets for" << path << "left to other agents";
        return message.createErrorReply(kNoSecrets, QStringLiteral("Tarvo has no secrets for this connection"));
    }
    if (flags & NM_SECRET_AGENT_GET_SECRETS_FLAG_REQUEST_NEW) {
        // What was typed has just been refused: asking again would only
        // repeat it.
        typed->refused = true;
        qCInfo(lcNetworkManager) << "the password typed for" << typed->name << "was refused";
        return message.createErrorReply(kNoSecrets, QStringLiteral("the password typed was refused"));
    }
    Q_EMIT m_line.verifying(typed->name);
    QVariantMap setting;
    if (settingName == QLatin1String("vpn"))
        setting.insert(QStringLiteral("secrets"),
                       QVariant::fromValue(QMap<QString, QString>{{QStringLiteral("password"), typed->password}}));
    else
        setting.insert(QStringLiteral("password"), typed->password);
    NmSettings secrets;
    secrets.insert(settingName, setting);
    qCDebug(lcNetworkManager) << "secrets for" << typed->name << "handed over";
    return message.createReply(QVariant::fromValue(secrets));
}

// ------------------------------------------------------------------- line

NetworkManagerLine::NetworkManagerLine(QObject *parent)
    : Line(parent), m_bus(QString()), m_handoff(std::make_shared<BusHandoff>()), m_agent(*this)
{
    qDBusRegisterMetaType<NmSettings>();
    qDBusRegisterMetaType<QMap<QString, QString>>();
    qDBusRegisterMetaType<QList<QDBusObjectPath>>();
    m_handoff->line = this;
    connect(&m_busCheck, &QTimer::timeout, this, &NetworkManagerLine::checkBus);
    m_busCheck.start(kBusCheckMs);
    connectBus();
}

NetworkManagerLine::~NetworkManagerLine()
{
    {
        QMutexLocker lock(&m_handoff->mutex);
        m_handoff->line = nullptr;
    }
    if (m_attached && m_bus.isConnected()) {
        if (available())
            m_bus.asyncCall(QDBusMessage::createMethodCall(kService, kAgentManagerPath, kAgentManagerInterface,
                                                           QStringLiteral("Unregister")));
        m_bus.unregisterObject(kAgentPath);
    }
    if (!m_busName.isEmpty())
        QDBusConnection::disconnectFromBus(m_busName);
}

QString NetworkManagerLine::notRunningMessage()
{
    return QStringLiteral("NetworkManager is not running.");
}

QString NetworkManagerLine::noAnswerMessage()
{
    return QStringLiteral("NetworkManager did not answer.");
}

bool NetworkManagerLine::isDialerType(const QString &type)
{
    static const QSet<QString> kinds{QStringLiteral("gsm"),  QStringLiteral("cdma"), QStringLiteral("pppoe"),
                                     QStringLiteral("bluetooth"), QStringLiteral("vpn"), QStringLiteral("wireguard"),
                                     QStringLiteral("tun")};
    return kinds.contains(type);
}

void NetworkManagerLine::call(const QDBusMessage &message, Reply done, int timeout)
{
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, timeout), this);
    const quint64 generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, generation, done = std::move(done)] {
                watcher->deleteLater();
                if (generation == m_generation)
                    done(watcher->reply());
            });
}

// ------------------------------------------------------------------- bus

void NetworkManagerLine::connectBus()
{
    if (m_connecting)
        return;
    m_connecting = true;
    const QString name = QStringLiteral("tarvo-networkmanager-%1").arg(++m_busSerial);
    std::thread([handoff = m_handoff, name] {
        const bool connected = QDBusConnection::connectToBus(QDBusConnection::SystemBus, name).isConnected();
        QMutexLocker lock(&handoff->mutex);
        if (!handoff->line) {
            QDBusConnection::disconnectFromBus(name);
            return;
        }
        NetworkManagerLine *line = handoff->line;
        QMetaObject::invokeMethod(
            line, [line, name, connected] { line->busConnected(name, connected); }, Qt::QueuedConnection);
    }).detach();
}

void NetworkManagerLine::busConnected(const QString &connectionName, bool connected)
{
    m_connecting = false;
    if (!connected) {
        QDBusConnection::disconnectFromBus(connectionName);
        qCInfo(lcNetworkManager) << "no system bus yet; trying again";
        if (!m_settledOnce) {
            m_settledOnce = true;
            Q_EMIT settled();
        }
        return;
    }
    m_busName = connectionName;
    m_bus = QDBusConnection(connectionName);
    attach();
}

void NetworkManagerLine::attach()
{
    m_attached = true;
    m_bus.connect(kService, kSettingsPath, kSettingsInterface, QStringLiteral("NewConnection"), this,
                  SLOT(onNewConnection(QDBusMessage)));
    m_bus.connect(kService, kSettingsPath, kSettingsInterface, QStringLiteral("ConnectionRemoved"), this,
                  SLOT(onConnectionRemoved(QDBusMessage)));
    m_bus.connect(kService, QString(), kProfileInterface, QStringLiteral("Updated"), this,
                  SLOT(onProfileUpdated(QDBusMessage)));
    m_bus.connect(kService, kManagerPath, kPropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                  SLOT(onManagerPropertiesChanged(QDBusMessage)));
    m_bus.connect(kService, QString(), kActiveInterface, QStringLiteral("StateChanged"), this,
                  SLOT(onActiveStateChanged(QDBusMessage)));
    m_bus.connect(kService, QString(), kDeviceInterface, QStringLiteral("StateChanged"), this,
                  SLOT(onDeviceStateChanged(QDBusMessage)));
    // A failed activation is gone from the bus at once, its devices with
    // it; which activation a device serves is learnt as it is told.
    m_bus.connect(kService, QString(), kPropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                  SLOT(onObjectPropertiesChanged(QDBusMessage)));
    if (!m_bus.registerVirtualObject(kAgentPath, &m_agent))
        qCWarning(lcNetworkManager) << "the secret agent could not be put on the bus:" << m_bus.lastError().message();

    // NetworkManager may start after us, or restart: each time it comes,
    // the agent registers again and the connections are read anew.
    delete m_ownerWatcher;
    m_ownerWatcher = new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_ownerWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &oldOwner, const QString &newOwner) {
                ownerChanged(oldOwner, newOwner);
            });
    call(QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService, QStringLiteral("GetNameOwner")) << kService,
         [this](const QDBusMessage &reply) {
             if (answered(reply)) {
                 ownerChanged(QString(), reply.arguments().constFirst().toString());
                 return;
             }
             qCInfo(lcNetworkManager) << "NetworkManager is not on the bus";
             if (!m_settledOnce) {
                 m_settledOnce = true;
                 Q_EMIT settled();
             }
         });
}

void NetworkManagerLine::checkBus()
{
    if (m_attached && !m_bus.isConnected()) {
        qCWarning(lcNetworkManager) << "the system bus went away";
        if (available())
            left();
        ++m_generation;
        m_attached = false;
        delete m_ownerWatcher;
        m_ownerWatcher = nullptr;
        m_bus.unregisterObject(kAgentPath);
        QDBusConnection::disconnectFromBus(m_busName);
        m_busName.clear();
        m_bus = QDBusConnection(QString());
    }
    if (!m_attached)
        connectBus();
}

void NetworkManagerLine::ownerChanged(const QString &, const QString &newOwner)
{
    if (newOwner == m_owner)
        return;
    if (available())
        left();
    if (!newOwner.isEmpty())
        arrived(newOwner);
}

void NetworkManagerLine::arrived(const QString &owner)
{
    ++m_generation;
    m_owner = owner;
    qCInfo(lcNetworkManager) << "NetworkManager is on the bus as" << owner;
    registerAgent();
    listProfiles();
}

void NetworkManagerLine::left()
{
    ++m_generation;
    qCWarning(lcNetworkManager) << "NetworkManager left the bus";
    m_owner.clear();
    m_agentRegistered = false;

    // A line that was up is taken to be up until NetworkManager says
    // otherwise; an attempt under way has lost what was bringing it up.
    QStringList failedNames;
    for (const Activation &a : std::as_const(m_activations)) {
        if (a.name.isEmpty() || a.ending)
            continue;
        if (a.state == NM_ACTIVE_CONNECTION_STATE_ACTIVATED && m_up.contains(a.name))
            m_held.insert(a.name);
        else if (!a.activated && !m_up.contains(a.name) && !failedNames.contains(a.name))
            failedNames << a.name;
    }
    for (auto it = m_dialing.cbegin(); it != m_dialing.cend(); ++it)
        if (!failedNames.contains(it.key()))
            failedNames << it.key();
    for (auto it = m_waiting.cbegin(); it != m_waiting.cend(); ++it)
        if (!failedNames.contains(it.key()))
            failedNames << it.key();
    const QSet<QString> up = m_up;
    for (const QString &name : up)
        if (!m_held.contains(name)) {
            m_up.remove(name);
            QMetaObject::invokeMethod(this, [this, name] { Q_EMIT dropped(name); }, Qt::QueuedConnection);
        }
    for (const QString &name : std::as_const(failedNames))
        fail(name, notRunningMessage());

    m_activations.clear();
    m_activationsPending = 0;
    m_activationsRead = false;
    m_activationListRead = false;
    m_deviceServes.clear();
    m_earlyDeviceReasons.clear();
    m_deferredFailures.clear();
    m_dialing.clear();
    m_waiting.clear();
    m_credentials.clear();
    // The names stay as they were last read: an outage is not a removal.
    m_order.clear();
    m_profiles.clear();
    m_profilesPending = 0;
    m_listed = false;
    if (!m_settledOnce) {
        m_settledOnce = true;
        Q_EMIT settled();
    }
}

void NetworkManagerLine::retry(int attempt, void (NetworkManagerLine::*what)(int))
{
    const int delay = std::min(kFirstRetryMs << std::min(attempt, 10), kLongestRetryMs);
    const quint64 generation = m_generation;
    QTimer::singleShot(delay, this, [this, generation, attempt, what] {
        // Only for the NetworkManager that was asked: a new one starts anew.
        if (generation == m_generation && available())
            (this->*what)(attempt + 1);
    });
}

void NetworkManagerLine::registerAgent(int attempt)
{
    call(QDBusMessage::createMethodCall(kService, kAgentManagerPath, kAgentManagerInterface, QStringLiteral("Register"))
             << kAgentIdentifier,
         [this, attempt](const QDBusMessage &reply) {
             m_agentRegistered = reply.type() == QDBusMessage::ReplyMessage;
             if (m_agentRegistered) {
                 qCInfo(lcNetworkManager) << "secret agent registered as" << kAgentIdentifier;
                 return;
             }
             if (notReady(reply)) {
                 qCInfo(lcNetworkManager) << "secret agent not registered yet:" << reply.errorName();
                 retry(attempt, &NetworkManagerLine::registerAgent);
                 return;
             }
             qCWarning(lcNetworkManager) << "secret agent not registered:" << reply.errorName()
                                         << reply.errorMessage();
         });
}

// -------------------------------------------------------------- profiles

void NetworkManagerLine::listProfiles(int attempt)
{
    m_order.clear();
    m_profiles.clear();
    m_profilesPending = 0;
    m_listed = false;
    call(QDBusMessage::createMethodCall(kService, kSettingsPath, kSettingsInterface, QStringLiteral("ListConnections")),
         [this, attempt](const QDBusMessage &reply) {
             if (!answered(reply)) {
                 qCInfo(lcNetworkManager) << "the connections could not be listed yet:" << reply.errorName()
                                          << reply.errorMessage();
                 retry(attempt, &NetworkManagerLine::listProfiles);
                 return;
             }
             const QStringList paths = objectPaths(reply.arguments().constFirst());
             for (const QString &path : paths)
                 if (!m_order.contains(path))
                     m_order << path;
             if (m_order.isEmpty()) {
                 listingDone();
                 return;
             }
             for (const QString &path : paths)
                 fetchProfile(path, true);
         });
}

void NetworkManagerLine::fetchProfile(const QString &path, bool initial)
{
    if (initial)
        ++m_profilesPending;
    call(QDBusMessage::createMethodCall(kService, path, kProfileInterface, QStringLiteral("GetSettings")),
         [this, path, initial](const QDBusMessage &reply) {
             if (answered(reply) && m_order.contains(path)) {
                 const NmSettings settings = settingsOf(reply.arguments().constFirst());
                 const QVariantMap connection = settings.value(QStringLiteral("connection"));
                 Profile p;
                 p.name = connection.value(QStringLiteral("id")).toString();
                 p.type = connection.value(QStringLiteral("type")).toString();
                 // Bluetooth connections dial only as dial-up networking.
                 p.dialer = isDialerType(p.type)
                     && (p.type != QLatin1String("bluetooth")
                         || settings.value(QStringLiteral("bluetooth")).value(QStringLiteral("type")).toString()
                             == QLatin1String("dun"));
                 m_profiles.insert(path, p);
             } else if (!answered(reply)) {
                 qCInfo(lcNetworkManager) << "settings of" << path << "not read:" << reply.errorMessage();
             }
             if (initial) {
                 if (--m_profilesPending == 0)
                     listingDone();
             } else if (m_listed) {
                 updateNames();
             }
         });
}

void NetworkManagerLine::listingDone()
{
    m_listed = true;
    updateNames();
    // Dials asked for before the list was known go now.
    const QHash<QString, Waiting> waiting = std::exchange(m_waiting, {});
    for (auto it = waiting.cbegin(); it != waiting.cend(); ++it)
        startActivation(it.key(), it->user, it->password);
    // Connections already up or coming up are reported now that their
    // names are known.
    call(QDBusMessage::createMethodCall(kService, kManagerPath, kPropertiesInterface, QStringLiteral("Get"))
             << kManagerInterface << QStringLiteral("ActiveConnections"),
         [this](const QDBusMessage &reply) {
             const QStringList paths =
                 answered(reply) ? objectPaths(reply.arguments().constFirst().value<QDBusVariant>().variant())
                                 : QStringList();
             for (const QString &path : paths)
                 if (!m_activations.contains(path))
                     learnActivation(path);
             m_activationListRead = true;
             learnt();
         });
}

void NetworkManagerLine::updateNames()
{
    QStringList names;
    for (const QString &path : std::as_const(m_order)) {
        const auto p = m_profiles.constFind(path);
        if (p != m_profiles.cend() && p->dialer)
            names << p->name;
    }
    if (names == m_names)
        return;
    m_names = names;
    Q_EMIT connectionsChanged();
}

QString NetworkManagerLine::profilePathOf(const QString &name) const
{
    for (const QString &path : m_order) {
        const auto p = m_profiles.constFind(path);
        if (p != m_profiles.cend() && p->dialer && p->name == name)
            return path;
    }
    return {};
}

void NetworkManagerLine::onNewConnection(const QDBusMessage &message)
{
    if (message.arguments().isEmpty())
        return;
    const QString path = objectPath(message.arguments().constFirst());
    if (!m_order.contains(path))
        m_order << path;
    fetchProfile(path, false);
}

void NetworkManagerLine::onConnectionRemoved(const QDBusMessage &message)
{
    if (message.arguments().isEmpty())
        return;
    const QString path = objectPath(message.arguments().constFirst());
    m_order.removeAll(path);
    m_profiles.remove(path);
    if (m_listed)
        updateNames();
}

void NetworkManagerLine::onProfileUpdated(const QDBusMessage &message)
{
    // Only the one that changed is read again.
    if (m_order.contains(message.path()))
        fetchProfile(message.path(), false);
}

// ------------------------------------------------------------------ dials

bool NetworkManagerLine::canStart(const QString &name)
{
    // While NetworkManager is away, or its list not read yet, the dialer
    // starts and the dial says what came of it: an outage is not a
    // connection that does not exist. Only one NetworkManager really does
    // not have refuses to start, as a wrong number would.
    if (!available() || !m_listed)
        return true;
    return !profilePathOf(name).isEmpty() || m_up.contains(name);
}

void NetworkManagerLine::fail(const QString &name, const QString &text)
{
    qCInfo(lcNetworkManager) << "dial of" << name << "failed:" << text;
    // Told after the call that led to it has returned, as a line would.
    QMetaObject::invokeMethod(
        this, [this, name, text] { Q_EMIT failed(name, text); }, Qt::QueuedConnection);
}

void NetworkManagerLine::dial(const QString &name, const QString &user, const QString &password)
{
    if (!available()) {
        fail(name, notRunningMessage());
        return;
    }
    if (!m_listed) {
        // Dialled once the list is read; a NetworkManager that never gets
        // that far fails the dial as an unanswered activation would.
        const quint64 dial = ++m_dialSerial;
        m_waiting.insert(name, {user, password, dial});
        QTimer::singleShot(kActivateTimeoutMs, this, [this, name, dial] {
            const auto waiting = m_waiting.constFind(name);
            if (waiting == m_waiting.constEnd() || waiting->dial != dial)
                return;
            m_waiting.erase(waiting);
            fail(name, noAnswerMessage());
        });
        return;
    }
    startActivation(name, user, password);
}

void NetworkManagerLine::startActivation(const QString &name, const QString &user, const QString &password)
{
    const QString profilePath = profilePathOf(name);
    if (profilePath.isEmpty()) {
        fail(name, notConnectedMessage(QStringLiteral("it has no connection named \"%1\".").arg(name)));
        return;
    }
    const quint64 dial = ++m_dialSerial;
    m_credentials.insert(profilePath, {name, user, password, dial, false});
    m_dialing.insert(name, {dial, profilePath});
    qCDebug(lcNetworkManager) << "activating" << name << profilePath;
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kManagerPath, kManagerInterface,
                                                          QStringLiteral("ActivateConnection"));
    message << QVariant::fromValue(QDBusObjectPath(profilePath)) << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")))
            << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")));
    // The bus is never left to give up on the request itself: only its
    // answer tells which activation it started, so that one given up on can
    // be taken down when it comes, and none other.
    call(
        message,
        [this, name, dial, profilePath](const QDBusMessage &reply) { dialAnswered(name, dial, profilePath, reply); },
        kNoTimeout);
    const quint64 generation = m_generation;
    QTimer::singleShot(kActivateTimeoutMs, this, [this, generation, name, dial, profilePath] {
        if (generation == m_generation)
            activationUnanswered(name, dial, profilePath);
    });
}

void NetworkManagerLine::activationUnanswered(const QString &name, quint64 dial, const QString &profilePath)
{
    const auto pending = m_dialing.constFind(name);
    if (pending == m_dialing.cend() || pending->dial != dial)
        return;   // answered, cancelled or dialled anew meanwhile
    m_dialing.erase(pending);
    forgetCredentials(profilePath, dial);
    qCWarning(lcNetworkManager) << "activation of" << name << "not answered";
    fail(name, noAnswerMessage());
}

void NetworkManagerLine::dialAnswered(const QString &name, quint64 dial, const QString &profilePath,
                                      const QDBusMessage &reply)
{
    const auto pending = m_dialing.constFind(name);
    const bool current = pending != m_dialing.cend() && pending->dial == dial;
    if (current)
        m_dialing.remove(name);
    if (!answered(reply)) {
        forgetCredentials(profilePath, dial);
        if (!current)
            return;
        qCWarning(lcNetworkManager) << "activation of" << name << "not made:" << reply.errorName();
        if (unanswered(reply))
            fail(name, noAnswerMessage());
        else if (gone(reply))
            fail(name, notRunningMessage());
        // No device for a modem's connection: the modem is absent or held.
        else if (isModemType(m_profiles.value(profilePath).type) && reply.errorName().startsWith(kManagerInterface))
            fail(name, modemBusyMessage());
        else
            fail(name, notConnectedMessage(reply.errorMessage().isEmpty() ? QStringLiteral("it did not answer.")
                                                                   : reply.errorMessage()));
        return;
    }
    const QString active = objectPath(reply.arguments().constFirst());
    const bool seen = m_activations.contains(active);
    Activation &a = m_activations[active];
    a.dial = dial;
    a.name = name;
    a.profilePath = profilePath;
    if (!current) {
        // Cancelled, or given up on, while NetworkManager had not answered:
        // this activation, and only this one, is taken down.
        qCInfo(lcNetworkManager) << "activation" << active << "of" << name << "answered late; taken down";
        a.ending = true;
        forgetCredentials(profilePath, dial);
        deactivate(active);
    }
    if (!seen)
        learnActivation(active);
    else if (a.known)
        reconcile(name);
}

void NetworkManagerLine::forgetCredentials(const QString &profilePath, quint64 dial)
{
    const auto it = m_credentials.constFind(profilePath);
    if (it != m_credentials.cend() && it->dial == dial)
        m_credentials.erase(it);
}

void NetworkManagerLine::deactivate(const QString &activePath)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kManagerPath, kManagerInterface,
                                                          QStringLiteral("DeactivateConnection"));
    message << QVariant::fromValue(QDBusObjectPath(activePath));
    call(message, [activePath](const QDBusMessage &reply) {
        // Already on its way down, or gone: nothing is left to do.
        if (reply.type() == QDBusMessage::ErrorMessage)
            qCDebug(lcNetworkManager) << "deactivating" << activePath << ":" << reply.errorMessage();
    });
}

void NetworkManagerLine::cancel(const QString &name)
{
    m_dialing.remove(name);
    m_waiting.remove(name);
    // The component has closed the windows: whatever comes up next for this
    // name is a line of its own.
    m_up.remove(name);
    m_held.remove(name);
    for (auto it = m_activations.begin(); it != m_activations.end(); ++it) {
        if (it->name != name || it->ending)
            continue;
        it->ending = true;
        forgetCredentials(it->profilePath, it->dial);
        deactivate(it.key());
    }
    m_credentials.removeIf([&name](const auto &it) { return it.value().name == name; });
}

void NetworkManagerLine::hangUp(const QString &name)
{
    cancel(name);
}

void NetworkManagerLine::drop(const QString &name)
{
    bool any = false;
    for (auto it = m_activations.begin(); it != m_activations.end(); ++it) {
        if (it->name != name || it->ending)
            continue;
        // Still up as far as the windows go: its end is reported as a drop.
        it->ending = true;
        any = true;
        deactivate(it.key());
    }
    if (!any && m_up.contains(name)) {
        // Held through an outage: nothing to take down but the windows.
        m_up.remove(name);
        m_held.remove(name);
        QMetaObject::invokeMethod(this, [this, name] { Q_EMIT dropped(name); }, Qt::QueuedConnection);
    }
}

// ------------------------------------------------------------ activations

void NetworkManagerLine::learnActivation(const QString &path)
{
    m_activations[path];
    ++m_activationsPending;
    call(QDBusMessage::createMethodCall(kService, path, kPropertiesInterface, QStringLiteral("GetAll"))
             << kActiveInterface,
         [this, path](const QDBusMessage &reply) {
             --m_activationsPending;
             if (answered(reply)) {
                 activationLearnt(path, variantMap(reply.arguments().constFirst()));
             } else if (m_activations.contains(path) && !m_activations.value(path).known) {
                 // Gone before it could be read: it ended as its last state
                 // change said.
                 m_activations[path].known = true;
                 endActivation(path, m_activations.value(path).reason);
             }
             learnt();
         });
}

void NetworkManagerLine::activationLearnt(const QString &path, const QVariantMap &properties)
{
    const auto it = m_activations.find(path);
    if (it == m_activations.end() || it->known)
        return;   // ended meanwhile, or known already
    Activation &a = *it;
    a.known = true;
    a.profilePath = objectPath(properties.value(QStringLiteral("Connection")));
    for (const QString &device : objectPaths(properties.value(QStringLiteral("Devices"))))
        m_deviceServes.insert(device, path);
    if (a.name.isEmpty()) {
        const auto p = m_profiles.constFind(a.profilePath);
        if (p == m_profiles.cend() || !p->dialer)
            return;   // not a dialer's connection: kept, so it is not looked at again
        a.name = p->name;
    }
    const uint state = properties.value(QStringLiteral("State")).toUInt();
    qCDebug(lcNetworkManager) << "activation" << path << "of" << a.name << "state" << state;
    applyState(path, state, a.reason, true);
}

void NetworkManagerLine::learnt()
{
    flushDeferredFailures();
    if (m_activationsRead || !m_activationListRead || m_activationsPending > 0)
        return;
    m_activationsRead = true;
    // Lines held through an outage are up only if NetworkManager has them.
    const QSet<QString> held = m_held;
    for (const QString &name : held)
        reconcile(name);
    if (!m_settledOnce)
        m_settledOnce = true;
    Q_EMIT settled();
}

bool NetworkManagerLine::anyAlive(const QString &name) const
{
    for (const Activation &a : m_activations)
        if (a.name == name && !a.ending)
            return true;
    return false;
}

// One "Connected to" window per name, however many activations of it
// NetworkManager keeps, and however their replacements overlap.
void NetworkManagerLine::reconcile(const QString &name)
{
    bool activated = false;
    for (const Activation &a : std::as_const(m_activations))
        if (a.name == name && a.known && !a.ending && a.state == NM_ACTIVE_CONNECTION_STATE_ACTIVATED)
            activated = true;
    if (activated) {
        m_held.remove(name);
        if (!m_up.contains(name)) {
            m_up.insert(name);
            qCInfo(lcNetworkManager) << name << "is up";
            Q_EMIT connected(name);
        }
        return;
    }
    if (!m_up.contains(name))
        return;
    if (m_held.contains(name)) {
        if (!m_activationsRead || anyAlive(name))
            return;   // not known yet, or coming up again
        m_held.remove(name);
    }
    m_up.remove(name);
    qCInfo(lcNetworkManager) << name << "went down";
    Q_EMIT dropped(name);
}

void NetworkManagerLine::applyState(const QString &path, uint state, uint reason, bool firstSeen)
{
    const auto it = m_activations.find(path);
    if (it == m_activations.end())
        return;
    Activation &a = *it;
    a.state = state;
    if (state == NM_ACTIVE_CONNECTION_STATE_DEACTIVATED && reason != NM_ACTIVE_CONNECTION_STATE_REASON_NONE)
        a.reason = reason;
    if (!a.known)
        return;   // its properties, when they come, carry the state
    if (a.name.isEmpty()) {
        if (state == NM_ACTIVE_CONNECTION_STATE_DEACTIVATED)
            m_activations.erase(it);
        return;
    }
    switch (state) {
    case NM_ACTIVE_CONNECTION_STATE_ACTIVATING:
        if (firstSeen && !a.dial && !a.ending && !m_up.contains(a.name))
            Q_EMIT dialingElsewhere(a.name);
        break;
    case NM_ACTIVE_CONNECTION_STATE_ACTIVATED:
        a.activated = true;
        // Handed over and used: nothing typed is kept past this.
        forgetCredentials(a.profilePath, a.dial);
        reconcile(a.name);
        break;
    case NM_ACTIVE_CONNECTION_STATE_DEACTIVATING:
        reconcile(a.name);
        break;
    case NM_ACTIVE_CONNECTION_STATE_DEACTIVATED:
        endActivation(path, a.reason);
        break;
    default:
        break;
    }
}

void NetworkManagerLine::endActivation(const QString &path, uint reason)
{
    const auto it = m_activations.find(path);
    if (it == m_activations.end())
        return;
    Activation a = *it;
    m_activations.erase(it);
    if (const uint early = m_earlyDeviceReasons.take(path); !a.deviceReason)
        a.deviceReason = early;
    const bool refused = m_credentials.value(a.profilePath).dial == a.dial && a.dial
        && m_credentials.value(a.profilePath).refused;
    if (a.dial)
        forgetCredentials(a.profilePath, a.dial);
    if (a.name.isEmpty())
        return;
    qCInfo(lcNetworkManager) << "activation of" << a.name << "ended:" << activeConnectionReasonName(reason)
                             << "device:" << deviceReasonName(a.deviceReason);
    if (a.activated || a.ending || a.superseded || m_up.contains(a.name)) {
        reconcile(a.name);
        return;
    }
    const QString text = refused ? passwordRefusedMessage() : failureText(a.deviceReason, reason);
    m_deferredFailures.push_back({a.name, text});
    flushDeferredFailures();
}

void NetworkManagerLine::flushDeferredFailures()
{
    // An activation not read yet may be one that took the failed one's place.
    if (m_activationsPending > 0)
        return;
    const auto failures = std::exchange(m_deferredFailures, {});
    for (const auto &[name, text] : failures) {
        if (anyAlive(name) || m_up.contains(name))
            continue;
        qCInfo(lcNetworkManager) << "dial of" << name << "failed:" << text;
        Q_EMIT failed(name, text);
    }
}

void NetworkManagerLine::onManagerPropertiesChanged(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || !m_activationsRead)
        return;   // before the first read, that read tells it all
    const QVariantMap changed = variantMap(args.at(1));
    const auto list = changed.constFind(QStringLiteral("ActiveConnections"));
    if (list == changed.cend())
        return;
    const QStringList now = objectPaths(*list);
    for (const QString &path : now)
        if (!m_activations.contains(path))
            learnActivation(path);
    // One that is no longer listed has told its end with its own state
    // change, which comes first; this only makes sure.
    const QStringList known = m_activations.keys();
    for (const QString &path : known)
        if (!now.contains(path) && m_activations.value(path).known)
            endActivation(path, NM_ACTIVE_CONNECTION_STATE_REASON_UNKNOWN);
}

void NetworkManagerLine::onObjectPropertiesChanged(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || args.at(0).toString() != kDeviceInterface)
        return;
    const QVariantMap changed = variantMap(args.at(1));
    const auto active = changed.constFind(QStringLiteral("ActiveConnection"));
    if (active != changed.constEnd())
        m_deviceServes.insert(message.path(), objectPath(*active));
}

void NetworkManagerLine::onActiveStateChanged(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || !m_listed)
        return;
    const QString path = message.path();
    const uint state = args.at(0).toUInt();
    const uint reason = args.at(1).toUInt();
    if (!m_activations.contains(path)) {
        if (state != NM_ACTIVE_CONNECTION_STATE_DEACTIVATED && m_activationsRead)
            learnActivation(path);
        return;
    }
    applyState(path, state, reason, false);
}

void NetworkManagerLine::onDeviceStateChanged(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 3 || !m_activationsRead)
        return;
    const QString device = message.path();
    const uint state = args.at(0).toUInt();
    const uint reason = args.at(2).toUInt();
    const auto serves = m_deviceServes.constFind(device);
    if (serves != m_deviceServes.constEnd()) {
        applyDeviceState(*serves, state, reason);
        return;
    }
    // A device whose activation was not told yet (it began before Tarvo
    // listened) is asked, and its state applied when it answers.
    call(QDBusMessage::createMethodCall(kService, device, kPropertiesInterface, QStringLiteral("Get"))
             << kDeviceInterface << QStringLiteral("ActiveConnection"),
         [this, device, state, reason](const QDBusMessage &reply) {
             if (!answered(reply))
                 return;
             const QString active = objectPath(reply.arguments().constFirst().value<QDBusVariant>().variant());
             if (!m_deviceServes.contains(device))
                 m_deviceServes.insert(device, active);
             applyDeviceState(m_deviceServes.value(device), state, reason);
         });
}

void NetworkManagerLine::applyDeviceState(const QString &activePath, uint state, uint reason)
{
    const auto it = m_activations.find(activePath);
    if (it == m_activations.end()) {
        // An activation can fail within a millisecond, before Tarvo has
        // heard of it: why is kept for when it does.
        if (state == NM_DEVICE_STATE_FAILED) {
            if (m_earlyDeviceReasons.size() > 64)
                m_earlyDeviceReasons.clear();
            m_earlyDeviceReasons.insert(activePath, reason);
        }
        return;
    }
    if (it->activated || it->ending)
        return;
    if (reason == NM_DEVICE_STATE_REASON_NEW_ACTIVATION)
        it->superseded = true;
    if (state == NM_DEVICE_STATE_FAILED) {
        it->deviceReason = reason;
        qCInfo(lcNetworkManager) << "device of" << activePath << "failed:" << deviceReasonName(reason);
    }
    if (it->name.isEmpty())
        return;   // not known yet, or not a dialer's: no window to tell
    if (state == NM_DEVICE_STATE_NEED_AUTH)
        Q_EMIT verifying(it->name);
    else if (state == NM_DEVICE_STATE_IP_CONFIG)
        Q_EMIT loggingOn(it->name);
}

} // namespace dialup
