// The machine around the dialing component: which line it dials on, the
// connection list a machine keeps itself, and how NetworkManager's reasons
// read to the program's failure rules.
#include "platform/FileRegistry.h"
#include "platform/dialup/Machine.h"
#include "platform/dialup/NetworkManagerLine.h"
#include "platform/dialup/NetworkManagerNames.h"
#include "platform/dialup/NetworkManagerReasons.h"
#include "tarvo/Module2.h"

#include <QFile>
#include <algorithm>
#include <iterator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using dialup::Machine;
using dialup::NetworkManagerLine;

namespace {

void write(const QString &path, const QByteArray &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

TEST(MachineDialer, MachineIniChoosesTheDialerAndAnythingElseIsTheStandIn)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("machine.ini"));
    EXPECT_EQ(Machine::chosenDialer(dir.path()), Machine::Dialer::StandIn);   // no file
    const struct { const char *text; Machine::Dialer dialer; } cases[] = {
        {"[Machine]\ndialer = NetworkManager\n", Machine::Dialer::NetworkManager},
        {"; comment\n[machine]\n  Dialer=networkmanager  \n", Machine::Dialer::NetworkManager},
        {"[Machine]\ndialer = stand-in\n", Machine::Dialer::StandIn},
        {"[Machine]\ndialer = ModemManager\n", Machine::Dialer::StandIn},
        {"[Other]\ndialer = NetworkManager\n", Machine::Dialer::StandIn},
    };
    for (const auto &c : cases) {
        write(ini, c.text);
        EXPECT_EQ(Machine::chosenDialer(dir.path()), c.dialer) << c.text;
    }
}

TEST(MachineRegistry, AKeyTheMachineKeepsIsReadFromItEveryTimeAndTheRestFromTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    write(path, "[HKEY_CURRENT_USER\\RemoteAccess\\Addresses]\n\"From The File\"=\"\"\n"
                "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main]\n\"Start Page\"=\"http://x/\"\n");
    platform::FileRegistry registry(path);
    QStringList names{QStringLiteral("Mobile")};
    registry.provideKey(QStringLiteral("HKEY_CURRENT_USER\\RemoteAccess\\Addresses"), [&names] {
        QVector<platform::FileRegistry::Entry> entries;
        for (const QString &n : names)
            entries.push_back({n, platform::reg::REG_BINARY, QByteArray(4, '\0')});
        return entries;
    });

    const auto enumerate = [&] {
        QStringList seen;
        platform::reg::Hkey key = 0;
        EXPECT_EQ(registry.regOpenKeyEx(platform::reg::HKEY_CURRENT_USER, QStringLiteral("remoteaccess\\addresses"), 0,
                                        platform::reg::KEY_READ, key),
                  platform::reg::ERROR_SUCCESS);
        for (int i = 0;; ++i) {
            QString name;
            int nameLength = 256, type = 0, dataSize = 64;
            QByteArray data(64, '\0');
            if (registry.regEnumValue(key, i, name, nameLength, type, data, dataSize) != platform::reg::ERROR_SUCCESS)
                break;
            seen << name.left(nameLength);
        }
        registry.regCloseKey(key);
        return seen;
    };
    EXPECT_EQ(enumerate(), QStringList{QStringLiteral("Mobile")});
    names = {QStringLiteral("Mobile"), QStringLiteral("Office VPN")};
    EXPECT_EQ(enumerate(), names);
    names.clear();
    EXPECT_TRUE(enumerate().isEmpty());   // kept by the machine: there even when empty
    EXPECT_EQ(registry.readKey(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main")).size(), 1);
}

// Each reason NetworkManager gives, as the program's failure rules read the
// text: a refused password and a busy or absent modem must read as the
// dialing component's own texts; every other reason must fall to the
// general failure and never to the password or settings rules by accident.
TEST(NetworkManagerReasons, EachReasonReadsAsTheFailureItIs)
{
    using namespace dialup::nm;
    const auto classify = [](uint device, uint active) {
        return tarvo::Module2::ClassifyFailure(NetworkManagerLine::failureText(device, active).toUpper());
    };
    EXPECT_EQ(classify(NM_DEVICE_STATE_REASON_NO_SECRETS, NM_ACTIVE_CONNECTION_STATE_REASON_UNKNOWN),
              tarvo::FailurePassword);
    EXPECT_EQ(classify(NM_DEVICE_STATE_REASON_NONE, NM_ACTIVE_CONNECTION_STATE_REASON_NO_SECRETS),
              tarvo::FailurePassword);
    EXPECT_EQ(classify(NM_DEVICE_STATE_REASON_NONE, NM_ACTIVE_CONNECTION_STATE_REASON_LOGIN_FAILED),
              tarvo::FailurePassword);
    // The device only names the event (its user, a new activation): the
    // connection's reason tells.
    EXPECT_EQ(classify(NM_DEVICE_STATE_REASON_USER_REQUESTED, NM_ACTIVE_CONNECTION_STATE_REASON_LOGIN_FAILED),
              tarvo::FailurePassword);
    const uint modems[] = {NM_DEVICE_STATE_REASON_MODEM_BUSY, NM_DEVICE_STATE_REASON_MODEM_NOT_FOUND,
                           NM_DEVICE_STATE_REASON_MODEM_MANAGER_UNAVAILABLE};
    for (uint modem : modems)
        EXPECT_EQ(classify(modem, NM_ACTIVE_CONNECTION_STATE_REASON_UNKNOWN), tarvo::FailurePortInUse) << modem;
    // A device that says why comes before the connection.
    EXPECT_EQ(classify(NM_DEVICE_STATE_REASON_MODEM_BUSY, NM_ACTIVE_CONNECTION_STATE_REASON_LOGIN_FAILED),
              tarvo::FailurePortInUse);

    for (uint device = 0; device < 70; ++device) {
        if (device == NM_DEVICE_STATE_REASON_NO_SECRETS
            || std::find(std::begin(modems), std::end(modems), device) != std::end(modems))
            continue;
        for (uint active : {0u, 1u, 3u, 5u, 6u, 8u, 13u, 14u, 99u}) {
            const QString text = NetworkManagerLine::failureText(device, active);
            EXPECT_EQ(classify(device, active), tarvo::FailureOther) << text.toStdString();
            EXPECT_TRUE(text.startsWith(QLatin1String("NetworkManager could not bring the connection up: ")));
        }
    }
    EXPECT_TRUE(NetworkManagerLine::failureText(NM_DEVICE_STATE_REASON_IP_CONFIG_UNAVAILABLE, 0)
                    .endsWith(QLatin1String("no IP address could be configured.")));
}

// Every reason NetworkManager names has its row, under its own name, with
// words of its own; a number it does not name has none.
TEST(NetworkManagerReasons, EveryNamedReasonHasItsRow)
{
    for (uint n = dialup::nm::NM_DEVICE_STATE_REASON_NONE; n <= dialup::nm::NM_DEVICE_STATE_REASON_PEER_NOT_FOUND; ++n) {
        const dialup::NetworkManagerReason *r = dialup::deviceReason(n);
        ASSERT_NE(r, nullptr) << n;
        EXPECT_TRUE(QByteArray(r->name).startsWith("NM_DEVICE_STATE_REASON_")) << n;
        EXPECT_TRUE(QByteArray(r->words).endsWith('.')) << r->name;
    }
    for (uint n = dialup::nm::NM_ACTIVE_CONNECTION_STATE_REASON_UNKNOWN;
         n <= dialup::nm::NM_ACTIVE_CONNECTION_STATE_REASON_DEVICE_REMOVED; ++n) {
        const dialup::NetworkManagerReason *r = dialup::activeConnectionReason(n);
        ASSERT_NE(r, nullptr) << n;
        EXPECT_TRUE(QByteArray(r->name).startsWith("NM_ACTIVE_CONNECTION_STATE_REASON_")) << n;
    }
    EXPECT_EQ(dialup::deviceReason(dialup::nm::NM_DEVICE_STATE_REASON_PEER_NOT_FOUND + 1), nullptr);
    EXPECT_EQ(dialup::deviceReasonName(dialup::nm::NM_DEVICE_STATE_REASON_DHCP_FAILED),
              QStringLiteral("NM_DEVICE_STATE_REASON_DHCP_FAILED"));
    EXPECT_EQ(dialup::activeConnectionReasonName(99), QStringLiteral("99"));
}

TEST(NetworkManagerKinds, OnlyTheConnectionsADialerKeepsUpAreListed)
{
    for (const char *kind : {"gsm", "cdma", "pppoe", "bluetooth", "vpn", "wireguard", "tun"})
        EXPECT_TRUE(NetworkManagerLine::isDialerType(QString::fromLatin1(kind))) << kind;
    for (const char *kind : {"802-3-ethernet", "802-11-wireless", "loopback", "bridge", ""})
        EXPECT_FALSE(NetworkManagerLine::isDialerType(QString::fromLatin1(kind))) << kind;
}

} // namespace
