#pragma once

#include "platform/dialup/Line.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QTimer>
#include <QVariantMap>
#include <QVector>
#include <functional>
#include <memory>

class QDBusMessage;
class QDBusServiceWatcher;

namespace dialup {

// A connection profile's settings as NetworkManager hands them over:
// setting name -> property -> value.
using NmSettings = QMap<QString, QVariantMap>;

class NetworkManagerLine;

// Answers NetworkManager's requests for secrets with what was typed into
// the dialing dialog, for the activations this line started; they are used
// for that activation only and never stored. The calls are taken as they
// come rather than through typed slots: their maps of maps are read and
// written here, so nothing depends on how a type name is registered.
class SecretAgent : public QDBusVirtualObject {
    Q_OBJECT
public:
    explicit SecretAgent(NetworkManagerLine &line);
    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    QDBusMessage getSecrets(const QDBusMessage &message);

    NetworkManagerLine &m_line;
};

// The machine's NetworkManager as the line behind the dialing component:
// the connections a dialer keeps up (mobile broadband, PPPoE, dial-up and
// Bluetooth modems, VPNs, tun) by their names, dialled by activating them,
// with the typed password handed over as a secret agent does.
//
// Every call to NetworkManager is answered later on the event loop, never
// waited for: a NetworkManager that is slow, stopped or gone leaves the
// windows working. While it is away, the connections it had stay listed and
// a line that was up is taken to be up still (NetworkManager is not in the
// data path, and a restart leaves links as they are); what it says when it
// is back decides.
class NetworkManagerLine : public Line {
    Q_OBJECT
public:
    // On the system bus, through a connection of its own that is made again
    // when the bus itself comes back.
    explicit NetworkManagerLine(QObject *parent = nullptr);
    ~NetworkManagerLine() override;

    // Whether NetworkManager owns its name on the bus.
    bool available() const { return !m_owner.isEmpty(); }
    // Whether the connections and activations of the NetworkManager now on
    // the bus have been read (false while it is away).
    bool listed() const { return m_activationsRead; }
    // Whether what NetworkManager is doing is known at least once: read in
    // full, or known to be away.
    bool settledOnce() const { return m_settledOnce; }
    // Whether NetworkManager accepted the secret agent.
    bool agentRegistered() const { return m_agentRegistered; }
    // The names of the connections a dialer keeps up, in NetworkManager's
    // order; the last ones known while it is away.
    QStringList connections() const { return m_names; }

    bool canStart(const QString &name) override;
    void dial(const QString &name, const QString &user, const QString &password) override;
    void cancel(const QString &name) override;
    void hangUp(const QString &name) override;
    void drop(const QString &name) override;

    // The plain-words failure text for NetworkManager's reasons: the
    // device's state reason when it says why, else the active
    // connection's. Worded so that a refused password and a busy or
    // absent modem read as the dialing component's own texts.
    static QString failureText(uint deviceReason, uint activeReason);
    // The connection types a dialer keeps up.
    static bool isDialerType(const QString &type);
    // The failure of a dial while NetworkManager is not on the bus.
    static QString notRunningMessage();
    // The failure of a dial NetworkManager did not answer.
    static QString noAnswerMessage();

Q_SIGNALS:
    void connectionsChanged();
    // What NetworkManager is doing is known: read in full, or it is away.
    void settled();

private:
    friend class SecretAgent;
    struct Profile {
        QString name;
        QString type;
        bool dialer = false;
    };
    // One activation NetworkManager knows of, keyed by its path.
    struct Activation {
        QString name;           // empty: not a dialer's connection
        QString profilePath;
        uint state = 0;         // NMActiveConnectionState, as last told
        uint reason = 0;        // NMActiveConnectionStateReason of its end
        quint64 dial = 0;       // the dial() that started it; 0 when not ours
        bool known = false;     // its properties were read
        bool ending = false;    // cancel(), hangUp() or drop() asked for its end
        bool activated = false;
        bool superseded = false;  // a newer activation of the device took its place
        uint deviceReason = 0;
    };
    struct Credentials {
        QString name, user, password;
        quint64 dial = 0;
        bool refused = false;   // asked for anew: what was typed was refused
    };
    struct Dialing {
        quint64 dial = 0;
        QString profilePath;
    };
    struct Waiting {
        QString user, password;
        quint64 dial = 0;   // which dial this is, for its give-up timer
    };
    struct BusHandoff;

    using Reply = std::function<void(const QDBusMessage &)>;
    void call(const QDBusMessage &message, Reply done, int timeout = -1);
    void activationUnanswered(const QString &name, quint64 dial, const QString &profilePath);

    void connectBus();
    void busConnected(const QString &connectionName, bool connected);
    void attach();
    void checkBus();
    void ownerChanged(const QString &oldOwner, const QString &newOwner);
    void arrived(const QString &owner);
    void left();
    void registerAgent(int attempt = 0);
    void retry(int attempt, void (NetworkManagerLine::*what)(int));

    void listProfiles(int attempt = 0);
    void fetchProfile(const QString &path, bool initial);
    void listingDone();
    void updateNames();
    QString profilePathOf(const QString &name) const;

    void startActivation(const QString &name, const QString &user, const QString &password);
    void dialAnswered(const QString &name, quint64 dial, const QString &profilePath, const QDBusMessage &reply);
    void learnActivation(const QString &path);
    void activationLearnt(const QString &path, const QVariantMap &properties);
    void learnt();
    void applyState(const QString &path, uint state, uint reason, bool firstSeen);
    void endActivation(const QString &path, uint reason);
    void reconcile(const QString &name);
    bool anyAlive(const QString &name) const;
    void forgetCredentials(const QString &profilePath, quint64 dial);
    void deactivate(const QString &activePath);
    void fail(const QString &name, const QString &text);
    void applyDeviceState(const QString &activePath, uint state, uint reason);
    void flushDeferredFailures();

private Q_SLOTS:
    void onNewConnection(const QDBusMessage &message);
    void onConnectionRemoved(const QDBusMessage &message);
    void onProfileUpdated(const QDBusMessage &message);
    void onManagerPropertiesChanged(const QDBusMessage &message);
    void onObjectPropertiesChanged(const QDBusMessage &message);
    void onActiveStateChanged(const QDBusMessage &message);
    void onDeviceStateChanged(const QDBusMessage &message);

private:
    // The bus.
    QDBusConnection m_bus;
    QString m_busName;
    bool m_attached = false;
    bool m_connecting = false;
    quint64 m_busSerial = 0;
    std::shared_ptr<BusHandoff> m_handoff;
    QTimer m_busCheck;
    QDBusServiceWatcher *m_ownerWatcher = nullptr;

    // NetworkManager on it. Answers to calls made for an earlier owner (or
    // bus) are dropped by their generation.
    QString m_owner;
    quint64 m_generation = 0;
    bool m_agentRegistered = false;
    bool m_settledOnce = false;

    // Its connections: their paths in its order, what each is, and the
    // names last read in full.
    QStringList m_order;
    QHash<QString, Profile> m_profiles;
    int m_profilesPending = 0;
    bool m_listed = false;
    QStringList m_names;

    // Its activations.
    QHash<QString, Activation> m_activations;
    int m_activationsPending = 0;
    bool m_activationListRead = false;
    bool m_activationsRead = false;
    // The activation each device was last said (or found) to serve.
    QHash<QString, QString> m_deviceServes;
    // By activation path: why its device failed, told before the
    // activation itself was known.
    QHash<QString, uint> m_earlyDeviceReasons;
    // Names whose "Connected to" window shows.
    QSet<QString> m_up;
    // Names up when NetworkManager left, taken to be up until it says.
    QSet<QString> m_held;
    // Failures that wait until every activation on the bus is known: one
    // may have taken the failed one's place.
    QVector<QPair<QString, QString>> m_deferredFailures;

    // Dials.
    quint64 m_dialSerial = 0;
    QHash<QString, Dialing> m_dialing;      // by name: ActivateConnection not answered yet
    QHash<QString, Waiting> m_waiting;      // by name: to be dialled once the list is read
    QHash<QString, Credentials> m_credentials;  // by profile path: what was typed

    SecretAgent m_agent;
};

} // namespace dialup

Q_DECLARE_METATYPE(dialup::NmSettings)
