#include "platform/dialup/NetworkManagerLine.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QSet>

namespace dialup {

namespace {

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

// NMActiveConnectionState
enum : uint { ActiveActivating = 1, ActiveActivated = 2, ActiveDeactivated = 4 };
// NMDeviceState
enum : uint { DeviceNeedAuth = 60, DeviceIpConfig = 70, DeviceFailed = 120 };
// NMSecretAgentGetSecretsFlags: the secrets given before were refused.
constexpr uint kRequestNew = 0x2;

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
    return value.value<QDBusObjectPath>().path();
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

// Kinds a modem stands behind: an absent modem reads as a busy one.
bool isModemType(const QString &type)
{
    return type == QLatin1String("gsm") || type == QLatin1String("cdma") || type == QLatin1String("bluetooth")
        || type == QLatin1String("pppoe");
}

QString notConnected(const QString &why)
{
    return QStringLiteral("NetworkManager could not bring the connection up: ") + why;
}

} // namespace

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
    const auto typed = m_line.m_credentials.constFind(path);
    if (typed == m_line.m_credentials.constEnd() || typed->password.isEmpty())
        // Not one of ours, or nothing typed: another agent may answer.
        return message.createErrorReply(kNoSecrets, QStringLiteral("Tarvo has no secrets for this connection"));
    for (NetworkManagerLine::Activation &a : m_line.m_activations) {
        if (a.profilePath != path || !a.ours)
            continue;
        if (flags & kRequestNew) {
            // What was typed has just been refused: asking again would
            // only repeat it.
            a.passwordRefused = true;
            return message.createErrorReply(kNoSecrets, QStringLiteral("the password typed was refused"));
        }
        Q_EMIT m_line.verifying(a.name);
    }
    QVariantMap setting;
    if (settingName == QLatin1String("vpn"))
        setting.insert(QStringLiteral("secrets"),
                       QVariant::fromValue(QMap<QString, QString>{{QStringLiteral("password"), typed->password}}));
    else
        setting.insert(QStringLiteral("password"), typed->password);
    NmSettings secrets;
    secrets.insert(settingName, setting);
    return message.createReply(QVariant::fromValue(secrets));
}

// ------------------------------------------------------------------- line

NetworkManagerLine::NetworkManagerLine(QDBusConnection bus, QObject *parent)
    : Line(parent), m_bus(std::move(bus)), m_agent(*this)
{
    qDBusRegisterMetaType<NmSettings>();
    qDBusRegisterMetaType<QMap<QString, QString>>();
    qDBusRegisterMetaType<QList<QDBusObjectPath>>();
    if (!m_bus.isConnected())
        return;

    m_bus.connect(kService, kSettingsPath, kSettingsInterface, QStringLiteral("NewConnection"), this,
                  SLOT(onProfilesChanged()));
    m_bus.connect(kService, kSettingsPath, kSettingsInterface, QStringLiteral("ConnectionRemoved"), this,
                  SLOT(onProfilesChanged()));
    m_bus.connect(kService, QString(), kProfileInterface, QStringLiteral("Updated"), this, SLOT(onProfilesChanged()));
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
    m_bus.registerVirtualObject(kAgentPath, &m_agent);

    // NetworkManager may start after us, or restart: each time it comes,
    // the agent registers again and the connections are read anew.
    auto *watcher = new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) {
                m_available = !owner.isEmpty();
                if (m_available)
                    m_bus.call(QDBusMessage::createMethodCall(kService, kAgentManagerPath, kAgentManagerInterface,
                                                              QStringLiteral("Register"))
                                   << kAgentIdentifier,
                               QDBus::Block, 5000);
                reloadProfiles();
                watchActivations();
            });
    m_available = m_bus.interface() && m_bus.interface()->isServiceRegistered(kService);
    if (!m_available)
        return;
    m_bus.call(QDBusMessage::createMethodCall(kService, kAgentManagerPath, kAgentManagerInterface,
                                              QStringLiteral("Register"))
                   << kAgentIdentifier,
               QDBus::Block, 5000);
    reloadProfiles();
    // Connections already up or coming up are reported once the component
    // listens.
    QMetaObject::invokeMethod(this, &NetworkManagerLine::watchActivations, Qt::QueuedConnection);
}

NetworkManagerLine::~NetworkManagerLine()
{
    if (m_bus.isConnected()) {
        m_bus.call(QDBusMessage::createMethodCall(kService, kAgentManagerPath, kAgentManagerInterface,
                                                  QStringLiteral("Unregister")),
                   QDBus::NoBlock);
        m_bus.unregisterObject(kAgentPath);
    }
}

bool NetworkManagerLine::isDialerType(const QString &type)
{
    static const QSet<QString> kinds{QStringLiteral("gsm"),  QStringLiteral("cdma"), QStringLiteral("pppoe"),
                                     QStringLiteral("bluetooth"), QStringLiteral("vpn"), QStringLiteral("wireguard"),
                                     QStringLiteral("tun")};
    return kinds.contains(type);
}

QVariant NetworkManagerLine::property(const QString &path, const QString &interface, const QString &name) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, kPropertiesInterface, QStringLiteral("Get"));
    call << interface << name;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

QStringList NetworkManagerLine::connections() const
{
    QStringList names;
    for (const Profile &p : m_profiles)
        names << p.name;
    return names;
}

void NetworkManagerLine::reloadProfiles()
{
    QVector<Profile> profiles;
    if (m_available) {
        const QDBusMessage reply = m_bus.call(
            QDBusMessage::createMethodCall(kService, kSettingsPath, kSettingsInterface, QStringLiteral("ListConnections")),
            QDBus::Block, 5000);
        const QStringList paths = reply.arguments().isEmpty() ? QStringList() : objectPaths(reply.arguments().constFirst());
        for (const QString &path : paths) {
            const QDBusMessage got = m_bus.call(
                QDBusMessage::createMethodCall(kService, path, kProfileInterface, QStringLiteral("GetSettings")),
                QDBus::Block, 5000);
            if (got.type() != QDBusMessage::ReplyMessage || got.arguments().isEmpty())
                continue;
            const NmSettings settings = settingsOf(got.arguments().constFirst());
            const QVariantMap connection = settings.value(QStringLiteral("connection"));
            const QString type = connection.value(QStringLiteral("type")).toString();
            if (!isDialerType(type))
                continue;
            // Bluetooth connections dial only as dial-up networking.
            if (type == QLatin1String("bluetooth")
                && settings.value(QStringLiteral("bluetooth")).value(QStringLiteral("type")).toString()
                    != QLatin1String("dun"))
                continue;
            profiles.push_back({path, connection.value(QStringLiteral("id")).toString(), type});
        }
    }
    const QStringList before = connections();
    m_profiles = profiles;
    if (connections() != before)
        Q_EMIT connectionsChanged();
}

const NetworkManagerLine::Profile *NetworkManagerLine::profileNamed(const QString &name) const
{
    for (const Profile &p : m_profiles)
        if (p.name == name)
            return &p;
    return nullptr;
}

const NetworkManagerLine::Profile *NetworkManagerLine::profileAt(const QString &path) const
{
    for (const Profile &p : m_profiles)
        if (p.path == path)
            return &p;
    return nullptr;
}

QString NetworkManagerLine::activationOf(const QString &name) const
{
    for (auto it = m_activations.cbegin(); it != m_activations.cend(); ++it)
        if (it->name == name && !it->ending)
            return it.key();
    return {};
}

bool NetworkManagerLine::canStart(const QString &)
{
    // The dialer starts whenever NetworkManager is there; a connection it
    // does not know fails in the dialer, as a wrong number would.
    return m_available;
}

void NetworkManagerLine::fail(const QString &name, const QString &text)
{
    // Told after the dial call has returned, as a line would.
    QMetaObject::invokeMethod(
        this, [this, name, text] { Q_EMIT failed(name, text); }, Qt::QueuedConnection);
}

void NetworkManagerLine::dial(const QString &name, const QString &user, const QString &password)
{
    const Profile *profile = profileNamed(name);
    if (!profile) {
        fail(name, notConnected(QStringLiteral("it has no connection named \"%1\".").arg(name)));
        return;
    }
    const Profile p = *profile;
    m_credentials.insert(p.path, {user, password});
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kManagerPath, kManagerInterface,
                                                       QStringLiteral("ActivateConnection"));
    call << QVariant::fromValue(QDBusObjectPath(p.path)) << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")))
         << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")));
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, 25000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        m_credentials.remove(p.path);
        // No device for a modem's connection: the modem is absent or held.
        if (isModemType(p.type) && reply.errorName().startsWith(kManagerInterface))
            fail(name, modemBusyMessage());
        else
            fail(name, notConnected(reply.errorMessage().isEmpty() ? QStringLiteral("it did not answer.")
                                                                   : reply.errorMessage()));
        return;
    }
    const QString active = objectPath(reply.arguments().constFirst());
    Activation &a = m_activations[active];
    a.name = name;
    a.profilePath = p.path;
    a.ours = true;
}

void NetworkManagerLine::deactivate(const QString &activePath)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kManagerPath, kManagerInterface,
                                                       QStringLiteral("DeactivateConnection"));
    call << QVariant::fromValue(QDBusObjectPath(activePath));
    m_bus.call(call, QDBus::NoBlock);
}

void NetworkManagerLine::cancel(const QString &name)
{
    const QString active = activationOf(name);
    if (active.isEmpty())
        return;
    Activation &a = m_activations[active];
    a.ending = true;
    m_credentials.remove(a.profilePath);
    deactivate(active);
}

void NetworkManagerLine::hangUp(const QString &name)
{
    cancel(name);
}

void NetworkManagerLine::drop(const QString &name)
{
    const QString active = activationOf(name);
    if (active.isEmpty())
        return;
    m_activations[active].droppedByUs = true;
    cancel(name);
}

void NetworkManagerLine::onProfilesChanged()
{
    reloadProfiles();
}

void NetworkManagerLine::onObjectPropertiesChanged(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || args.at(0).toString() != kDeviceInterface)
        return;
    QVariantMap changed;
    if (args.at(1).canConvert<QDBusArgument>())
        args.at(1).value<QDBusArgument>() >> changed;
    else
        changed = args.at(1).toMap();
    const auto active = changed.constFind(QStringLiteral("ActiveConnection"));
    if (active != changed.constEnd())
        m_deviceServes.insert(message.path(), objectPath(*active));
}

void NetworkManagerLine::onManagerPropertiesChanged(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2)
        return;
    QVariantMap changed;
    if (args.at(1).canConvert<QDBusArgument>())
        args.at(1).value<QDBusArgument>() >> changed;
    else
        changed = args.at(1).toMap();
    if (changed.contains(QStringLiteral("ActiveConnections")))
        watchActivations();
}

void NetworkManagerLine::watchActivations()
{
    const QStringList now = m_available
        ? objectPaths(property(kManagerPath, kManagerInterface, QStringLiteral("ActiveConnections")))
        : QStringList();
    for (const QString &path : now)
        if (!m_activations.contains(path))
            noticeActivation(path);
    // One that is no longer listed ends with its own state change, which
    // carries the reason and may still be on its way; only when
    // NetworkManager itself has gone does nothing more come.
    if (!m_available)
        for (const QString &path : m_activations.keys())
            endActivation(path, 0);
}

void NetworkManagerLine::noticeActivation(const QString &activePath)
{
    Activation &a = m_activations[activePath];
    a.profilePath = objectPath(property(activePath, kActiveInterface, QStringLiteral("Connection")));
    const Profile *p = profileAt(a.profilePath);
    if (!p)
        return;   // not a dialer's connection: kept, so it is not looked at again
    a.name = p->name;
    const uint state = property(activePath, kActiveInterface, QStringLiteral("State")).toUInt();
    if (state == ActiveActivated) {
        a.activated = true;
        Q_EMIT connected(a.name);
    } else if (state == ActiveActivating) {
        Q_EMIT dialingElsewhere(a.name);
    }
}

void NetworkManagerLine::endActivation(const QString &activePath, uint activeReason)
{
    if (!m_activations.contains(activePath))
        return;
    const Activation a = m_activations.take(activePath);
    if (a.ours)
        m_credentials.remove(a.profilePath);
    if (a.name.isEmpty())
        return;
    if (a.activated) {
        if (!a.ending || a.droppedByUs)
            Q_EMIT dropped(a.name);
    } else if (!a.ending) {
        Q_EMIT failed(a.name, a.passwordRefused ? passwordRefusedMessage() : failureText(a.deviceReason, activeReason));
    }
}

void NetworkManagerLine::onActiveStateChanged(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2)
        return;
    const QString path = message.path();
    const uint state = args.at(0).toUInt();
    const uint reason = args.at(1).toUInt();
    if (!m_activations.contains(path)) {
        if (state == ActiveDeactivated)
            return;
        noticeActivation(path);
        return;
    }
    Activation &a = m_activations[path];
    if (a.name.isEmpty())
        return;
    if (state == ActiveActivated && !a.activated) {
        a.activated = true;
        m_credentials.remove(a.profilePath);
        if (!a.ending)
            Q_EMIT connected(a.name);
    } else if (state == ActiveDeactivated) {
        endActivation(path, reason);
    }
}

void NetworkManagerLine::onDeviceStateChanged(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    if (args.size() < 3)
        return;
    const QString device = message.path();
    const uint state = args.at(0).toUInt();
    const uint reason = args.at(2).toUInt();
    // A device whose activation was not told yet (it began before Tarvo
    // listened) is asked once.
    auto serves = m_deviceServes.constFind(device);
    if (serves == m_deviceServes.constEnd())
        serves = m_deviceServes.insert(device, objectPath(property(device, kDeviceInterface,
                                                                   QStringLiteral("ActiveConnection"))));
    const auto it = m_activations.find(*serves);
    if (it == m_activations.end() || it->name.isEmpty() || it->activated || it->ending)
        return;
    if (state == DeviceNeedAuth)
        Q_EMIT verifying(it->name);
    else if (state == DeviceIpConfig)
        Q_EMIT loggingOn(it->name);
    else if (state == DeviceFailed)
        it->deviceReason = reason;
}

QString NetworkManagerLine::failureText(uint deviceReason, uint activeReason)
{
    // NMDeviceStateReason, then NMActiveConnectionStateReason, in plain words.
    struct Reason {
        uint number;
        const char *words;
    };
    static const Reason kDevice[] = {
        {4, "its configuration failed."}, {5, "no IP address could be configured."},
        {6, "the IP configuration expired."}, {12, "the PPP service did not start."},
        {13, "the PPP service disconnected."}, {14, "the PPP connection failed."},
        {15, "DHCP failed."}, {16, "DHCP failed."}, {17, "DHCP failed."},
        {24, "there is no dial tone."}, {25, "the modem found no carrier."},
        {26, "the modem timed out while dialing."}, {27, "the modem could not dial."},
        {28, "the modem could not be started."},
        {29, "the mobile network did not take the access point name (APN)."},
        {30, "the mobile network did not register the modem."}, {31, "the mobile network did not register the modem."},
        {32, "the mobile network did not register the modem."}, {33, "the mobile network did not register the modem."},
        {34, "the SIM card's PIN was not accepted."}, {44, "the Bluetooth connection failed."},
        {45, "no SIM card is inserted."}, {46, "the SIM card needs its PIN or PUK."},
        {47, "the SIM card needs its PIN or PUK."}, {48, "the SIM card is not the right one."},
        {50, "a connection it depends on failed."}, {57, "the modem failed."},
        {59, "the SIM card's PIN was not accepted."},
    };
    static const Reason kActive[] = {
        {2, "it was disconnected by its user."}, {3, "its device disconnected."},
        {4, "the service providing the connection stopped."}, {5, "its IP configuration was not valid."},
        {6, "the attempt timed out."}, {7, "the VPN service did not start in time."},
        {8, "the VPN service did not start."}, {11, "the connection was removed."},
        {12, "a connection it depends on failed."}, {13, "its network device could not be made."},
        {14, "its network device was removed."},
    };
    const auto wordsFor = [](const auto &table, uint number) -> const char * {
        for (const Reason &r : table)
            if (r.number == number)
                return r.words;
        return nullptr;
    };

    // A refused password (NO_SECRETS) and a busy or absent modem (MODEM_BUSY,
    // MODEM_NOT_FOUND, MODEM_MANAGER_UNAVAILABLE) read as the component's own.
    if (deviceReason == 7)
        return passwordRefusedMessage();
    if (deviceReason == 23 || deviceReason == 43 || deviceReason == 52)
        return modemBusyMessage();
    if (const char *words = wordsFor(kDevice, deviceReason))
        return notConnected(QString::fromLatin1(words));
    // NO_SECRETS, LOGIN_FAILED
    if (activeReason == 9 || activeReason == 10)
        return passwordRefusedMessage();
    if (const char *words = wordsFor(kActive, activeReason))
        return notConnected(QString::fromLatin1(words));
    return notConnected(QStringLiteral("no reason was given (device reason %1, connection reason %2).")
                            .arg(deviceReason)
                            .arg(activeReason));
}

} // namespace dialup
