#pragma once

#include "platform/dialup/Line.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QDBusObjectPath>
#include <QHash>
#include <QMap>
#include <QVariantMap>
#include <QVector>

class QDBusMessage;

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
class NetworkManagerLine : public Line {
    Q_OBJECT
public:
    explicit NetworkManagerLine(QDBusConnection bus = QDBusConnection::systemBus(), QObject *parent = nullptr);
    ~NetworkManagerLine() override;

    // Whether NetworkManager answered on the bus.
    bool available() const { return m_available; }
    // The names of the connections a dialer keeps up, in NetworkManager's order.
    QStringList connections() const;

    bool canStart(const QString &name) override;
    void dial(const QString &name, const QString &user, const QString &password) override;
    void cancel(const QString &name) override;
    void hangUp(const QString &name) override;
    void drop(const QString &name) override;

    // The plain-words failure text for NetworkManager's reasons: the
    // device's state reason when there is one, else the active
    // connection's. Worded so that a refused password and a busy or
    // absent modem read as the dialing component's own texts.
    static QString failureText(uint deviceReason, uint activeReason);
    // The connection types a dialer keeps up.
    static bool isDialerType(const QString &type);

Q_SIGNALS:
    void connectionsChanged();

private:
    friend class SecretAgent;
    struct Profile {
        QString path;
        QString name;
        QString type;
    };
    // One activation NetworkManager knows of, keyed by its path.
    struct Activation {
        QString name;
        QString profilePath;
        bool ours = false;        // started by dial()
        bool ending = false;      // cancel(), hangUp() or drop() asked for its end
        bool droppedByUs = false; // drop(): its end is reported as a drop
        bool activated = false;
        bool passwordRefused = false; // the typed password was asked for anew
        uint deviceReason = 0;
    };
    struct Credentials {
        QString user, password;
    };

    QVariant property(const QString &path, const QString &interface, const QString &name) const;
    void reloadProfiles();
    const Profile *profileNamed(const QString &name) const;
    const Profile *profileAt(const QString &path) const;
    QString activationOf(const QString &name) const;
    void deactivate(const QString &activePath);
    void fail(const QString &name, const QString &text);
    void watchActivations();
    void noticeActivation(const QString &activePath);
    void endActivation(const QString &activePath, uint activeReason);

private Q_SLOTS:
    void onProfilesChanged();
    void onManagerPropertiesChanged(const QDBusMessage &message);
    void onObjectPropertiesChanged(const QDBusMessage &message);
    void onActiveStateChanged(const QDBusMessage &message);
    void onDeviceStateChanged(const QDBusMessage &message);

private:
    QDBusConnection m_bus;
    bool m_available = false;
    QVector<Profile> m_profiles;
    QHash<QString, Activation> m_activations;
    // What was typed for each profile path being dialled.
    QHash<QString, Credentials> m_credentials;
    // The activation each device was last said (or found) to serve.
    QHash<QString, QString> m_deviceServes;
    SecretAgent m_agent;
};

} // namespace dialup

Q_DECLARE_METATYPE(dialup::NmSettings)
