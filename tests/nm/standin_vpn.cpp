// A VPN service for the tests' private NetworkManager: it asks for the
// "password" secret of the vpn setting, then connects when it is the one
// given on its command line and fails with a refused login otherwise. It
// gives NetworkManager an address and nothing that carries traffic: it is
// there to drive the secret agent and the password failure.
//
//   standin_vpn [PASSWORD]      (open+sesame{1} unless given; bus: $DBUS_SYSTEM_BUS_ADDRESS)
//
// NetworkManager starts it itself, found through a .name file in its VPN
// plug-in folder that names the service org.freedesktop.NetworkManager.tarvotest.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>
#include <cstdio>

namespace {

using Settings = QMap<QString, QVariantMap>;

const QString kPath = QStringLiteral("/org/freedesktop/NetworkManager/VPN/Plugin");
const QString kInterface = QStringLiteral("org.freedesktop.NetworkManager.VPN.Plugin");
enum : uint { Starting = 3, Started = 4, Stopped = 6 };   // NMVpnServiceState
constexpr uint kLoginFailed = 0;                          // NMVpnPluginFailure

QString passwordOf(const QVariant &connection)
{
    Settings settings;
    connection.value<QDBusArgument>() >> settings;
    const QVariant secrets = settings.value(QStringLiteral("vpn")).value(QStringLiteral("secrets"));
    QMap<QString, QString> map;
    if (secrets.canConvert<QDBusArgument>())
        secrets.value<QDBusArgument>() >> map;
    else
        map = secrets.value<QMap<QString, QString>>();
    return map.value(QStringLiteral("password"));
}

class Plugin : public QDBusVirtualObject {
public:
    Plugin(QDBusConnection bus, QString accepted) : m_bus(std::move(bus)), m_accepted(std::move(accepted)) {}

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        const QString member = message.member();
        const QList<QVariant> args = message.arguments();
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            if (member == QLatin1String("GetAll"))
                m_bus.send(message.createReply(QVariantMap{{QStringLiteral("State"), m_state}}));
            else
                m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(m_state))));
            return true;
        }
        if (member == QLatin1String("NeedSecrets")) {
            m_bus.send(message.createReply(args.isEmpty() || passwordOf(args.at(0)).isEmpty() ? QStringLiteral("vpn")
                                                                                             : QString()));
        } else if (member == QLatin1String("Connect") || member == QLatin1String("ConnectInteractive")) {
            const QString password = args.isEmpty() ? QString() : passwordOf(args.at(0));
            m_bus.send(message.createReply());
            QTimer::singleShot(0, [this, password] { connectWith(password); });
        } else if (member == QLatin1String("Disconnect")) {
            m_bus.send(message.createReply());
            setState(Stopped);
        } else {
            m_bus.send(message.createReply());
        }
        return true;
    }

private:
    void signal(const QString &name, const QVariant &argument)
    {
        QDBusMessage s = QDBusMessage::createSignal(kPath, kInterface, name);
        s << argument;
        m_bus.send(s);
    }
    void setState(uint state)
    {
        m_state = state;
        signal(QStringLiteral("StateChanged"), state);
    }
    void connectWith(const QString &password)
    {
        setState(Starting);
        if (password != m_accepted) {
            signal(QStringLiteral("Failure"), kLoginFailed);
            setState(Stopped);
            return;
        }
        signal(QStringLiteral("Config"), QVariantMap{{QStringLiteral("gateway"), uint(0x0164a8c6)},
                                                     {QStringLiteral("has-ip4"), true},
                                                     {QStringLiteral("has-ip6"), false}});
        signal(QStringLiteral("Ip4Config"), QVariantMap{{QStringLiteral("address"), uint(0x0a64a8c6)},
                                                        {QStringLiteral("prefix"), uint(32)}});
        setState(Started);
    }

    QDBusConnection m_bus;
    QString m_accepted;
    uint m_state = 1;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<Settings>();
    qDBusRegisterMetaType<QMap<QString, QString>>();
    QDBusConnection bus = QDBusConnection::systemBus();
    Plugin plugin(bus, argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("open+sesame{1}"));
    if (!bus.registerVirtualObject(kPath, &plugin)
        || !bus.registerService(QStringLiteral("org.freedesktop.NetworkManager.tarvotest"))) {
        std::fprintf(stderr, "standin_vpn: cannot take its name on the bus\n");
        return 1;
    }
    return app.exec();
}
