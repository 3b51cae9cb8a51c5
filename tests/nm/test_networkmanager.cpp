// Tarvo on a real NetworkManager: the main window's engine, ticked by the
// test, driving the dialing component in front of NetworkManager, with tun
// connections of a private NetworkManager brought up and down from outside
// with nmcli. Run by with-private-nm.sh, which starts that NetworkManager
// and its bus (DBUS_SYSTEM_BUS_ADDRESS) and stops them afterwards.
#include "RealDesktop.h"
#include "platform/QtKeystrokes.h"
#include "platform/dialup/DialCommandStarter.h"
#include "platform/dialup/DialUpNetworking.h"
#include "platform/dialup/NetworkManagerLine.h"
#include "tarvo/Form1.h"
#include "tarvo/Form5.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <functional>
#include <gtest/gtest.h>

using namespace testing_support;
namespace mb = platform::mb;

namespace {

const QString kUp = QStringLiteral("Tarvo Tun");
const QString kFails = QStringLiteral("Tarvo Tun Fails");
const QString kBase = QStringLiteral("Tarvo Base");
const QString kVpn = QStringLiteral("Tarvo VPN");

// nmcli on the private NetworkManager; its output, or a failure of the test.
QString nmcli(const QStringList &arguments, bool mustWork = true)
{
    QProcess p;
    p.start(QStringLiteral("nmcli"), arguments);
    const bool done = p.waitForFinished(20000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (mustWork && (!done || p.exitCode() != 0))
        ADD_FAILURE() << "nmcli " << arguments.join(u' ').toStdString() << ": "
                      << p.readAllStandardError().toStdString();
    return out;
}

bool active(const QString &name)
{
    return nmcli({QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("NAME"), QStringLiteral("connection"),
                  QStringLiteral("show"), QStringLiteral("--active")})
        .split(u'\n')
        .contains(name);
}

// The harness with the dialing component in front of NetworkManager, the
// connection list being NetworkManager's.
class NetworkManagerDesktop : public Harness {
public:
    NetworkManagerDesktop()
        : Harness(desktopWindows(), realKeys, realStarter), dialup(line), realStarter(dialup)
    {
        dialup::NetworkManagerLine *l = &line;
        registry.provideKey(QStringLiteral("HKEY_CURRENT_USER\\RemoteAccess\\Addresses"), [l] {
            QVector<platform::FileRegistry::Entry> entries;
            for (const QString &name : l->connections())
                entries.push_back({name, platform::reg::REG_BINARY, QByteArray(4, '\0')});
            return entries;
        });
    }
    ~NetworkManagerDesktop() override
    {
        endForm();
        settle();
    }

    // Lets NetworkManager's answers arrive: the daemon works in real time,
    // so this looks for them for a twentieth of a second.
    void settle()
    {
        const QDeadlineTimer deadline(50);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    // Lets the event loop run until `done` holds, for at most `ms` of real
    // time: for what only NetworkManager's own pace decides.
    bool waitFor(const std::function<bool()> &done, int ms = 15000)
    {
        const QDeadlineTimer deadline(ms);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        return true;
    }

    platform::QtKeystrokes realKeys;
    dialup::NetworkManagerLine line;
    dialup::DialUpNetworking dialup;
    dialup::DialCommandStarter realStarter;
};

class OnNetworkManager : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Tun devices need no modem, and with no addresses nothing reaches
        // past the test's own network namespace. The second cannot get the
        // address it insists on, so its activation fails at once.
        nmcli({QStringLiteral("connection"), QStringLiteral("add"), QStringLiteral("type"), QStringLiteral("tun"),
               QStringLiteral("ifname"), QStringLiteral("tarvo-up"), QStringLiteral("con-name"), kUp,
               QStringLiteral("tun.mode"), QStringLiteral("1"), QStringLiteral("ipv4.method"), QStringLiteral("disabled"),
               QStringLiteral("ipv6.method"), QStringLiteral("disabled"), QStringLiteral("autoconnect"), QStringLiteral("no")});
        nmcli({QStringLiteral("connection"), QStringLiteral("add"), QStringLiteral("type"), QStringLiteral("tun"),
               QStringLiteral("ifname"), QStringLiteral("tarvo-fails"), QStringLiteral("con-name"), kFails,
               QStringLiteral("tun.mode"), QStringLiteral("1"), QStringLiteral("ipv4.method"), QStringLiteral("auto"),
               QStringLiteral("ipv4.dhcp-timeout"), QStringLiteral("1"), QStringLiteral("ipv4.may-fail"), QStringLiteral("no"),
               QStringLiteral("ipv6.method"), QStringLiteral("disabled"), QStringLiteral("autoconnect"), QStringLiteral("no")});
        // A VPN through a service of the tests' own, which checks the
        // password NetworkManager gets from the secret agent; it needs a
        // base connection with a route to run over. The password is not
        // kept by NetworkManager, so it has to ask.
        QFile name(qEnvironmentVariable("PRIVATE_NM_DIR") + QStringLiteral("/vpn/tarvotest.name"));
        ASSERT_TRUE(name.open(QIODevice::WriteOnly)) << "no PRIVATE_NM_DIR";
        name.write("[VPN Connection]\nname=tarvotest\nservice=org.freedesktop.NetworkManager.tarvotest\nprogram=" STANDIN_VPN "\n");
        name.close();
        nmcli({QStringLiteral("connection"), QStringLiteral("add"), QStringLiteral("type"), QStringLiteral("tun"),
               QStringLiteral("ifname"), QStringLiteral("tarvo-base"), QStringLiteral("con-name"), kBase,
               QStringLiteral("tun.mode"), QStringLiteral("1"), QStringLiteral("ipv4.method"), QStringLiteral("manual"),
               QStringLiteral("ipv4.addresses"), QStringLiteral("198.51.100.1/24"), QStringLiteral("ipv4.gateway"),
               QStringLiteral("198.51.100.254"), QStringLiteral("ipv6.method"), QStringLiteral("disabled"),
               QStringLiteral("autoconnect"), QStringLiteral("no")});
        nmcli({QStringLiteral("connection"), QStringLiteral("add"), QStringLiteral("type"), QStringLiteral("vpn"),
               QStringLiteral("con-name"), kVpn, QStringLiteral("autoconnect"), QStringLiteral("no"),
               QStringLiteral("vpn.service-type"), QStringLiteral("org.freedesktop.NetworkManager.tarvotest"),
               QStringLiteral("vpn.user-name"), QStringLiteral("vuser"), QStringLiteral("vpn.data"),
               QStringLiteral("password-flags=2")});
    }
    static void TearDownTestSuite()
    {
        nmcli({QStringLiteral("connection"), QStringLiteral("delete"), kUp, kFails, kVpn, kBase}, false);
    }
    void SetUp() override
    {
        nmcli({QStringLiteral("connection"), QStringLiteral("down"), kUp}, false);
        d = std::make_unique<NetworkManagerDesktop>();
        ASSERT_TRUE(d->waitFor([&] { return d->line.listed(); }))
            << "NetworkManager does not answer on DBUS_SYSTEM_BUS_ADDRESS";
        ASSERT_TRUE(d->line.connections().contains(kUp));
        f = &d->start();
    }
    void TearDown() override { d.reset(); }

    void choose(const QString &name) { f->setConText(name); }
    void tick()
    {
        d->clock.advanceSeconds(1);
        d->settle();
        f->KeepOnline_Timer();
    }
    bool ticksUntil(const std::function<bool()> &done, int most = 200)
    {
        for (int i = 0; i < most; ++i) {
            if (done())
                return true;
            tick();
        }
        return done();
    }
    bool online() const { return f->Com[0]->text() == QLatin1String("&Go Offline"); }
    void storeCredentials(const QString &name, const QString &user, const QString &password)
    {
        ASSERT_TRUE(f->Ucinfo(tarvo::ConInfo::UserName, user, tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, name));
        ASSERT_TRUE(f->Ucinfo(tarvo::ConInfo::Password, f->ProcessPwd(password, tarvo::PwdScramble),
                              tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, name));
    }
    bool lineUp() const { return f->LineState.equals(tarvo::LineUp); }
    // A window of this process titled exactly `title`, shown, or nullptr.
    static QWidget *window(const QString &title)
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->windowTitle() == title && !w->isHidden())
                return w;
        return nullptr;
    }

    std::unique_ptr<NetworkManagerDesktop> d;
    tarvo::Form1 *f = nullptr;
};

} // namespace

TEST_F(OnNetworkManager, GoOnlineBringsTheConnectionUpTimesItAndGoOfflineTakesItDown)
{
    choose(kUp);
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    EXPECT_TRUE(window(QStringLiteral("Connected to ") + kUp));
    EXPECT_TRUE(active(kUp));

    // Twelve minutes on the clock, then offline: the session is written
    // with them, and NetworkManager has the connection down.
    d->clock.advanceSeconds(12 * 60);
    tick();
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->WatchConnecting && !active(kUp); }));
    EXPECT_FALSE(online());
    EXPECT_FALSE(window(QStringLiteral("Connected to ") + kUp));
    ASSERT_EQ(f->track->recordCount(), 1);
    f->track->moveFirst();
    EXPECT_EQ(f->track->field(tarvo::Track::Minutes).toInt(), 12);
    EXPECT_EQ(f->track->field(tarvo::Track::Connection).toString(), kUp);
    EXPECT_TRUE(d->boxes.shown().empty());
}

TEST_F(OnNetworkManager, TakenDownFromOutsideItIsDialledAgainWithAutomaticReconnection)
{
    ASSERT_TRUE(f->Atrec->isChecked());
    choose(kUp);
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));

    nmcli({QStringLiteral("connection"), QStringLiteral("down"), kUp});
    ASSERT_TRUE(ticksUntil([&] { return !lineUp(); }));
    EXPECT_TRUE(online());
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    EXPECT_TRUE(active(kUp));
    // The dropped session was written when the line went.
    EXPECT_EQ(f->track->recordCount(), 1);

    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->WatchConnecting && !active(kUp); }));
}

TEST_F(OnNetworkManager, BroughtUpByHandWhileOfflineItIsOfferedForTakeOver)
{
    choose(kUp);
    tick();
    nmcli({QStringLiteral("connection"), QStringLiteral("up"), kUp});
    ASSERT_TRUE(ticksUntil([&] { return window(QStringLiteral("Connected to ") + kUp) != nullptr; }, 50));
    ASSERT_TRUE(ticksUntil([&] { return f->window<tarvo::Form5>().isVisible(); }, 10));
    EXPECT_EQ(f->TakeOverKind, 2);

    f->window<tarvo::Form5>().Com[1]->click();
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }, 10));
    EXPECT_TRUE(online());

    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->WatchConnecting && !active(kUp); }));
}

TEST_F(OnNetworkManager, AConnectionThatCannotComeUpShowsWhyAfterTheHangUpEveryTime)
{
    choose(kFails);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        SCOPED_TRACE(attempt);
        d->boxes.clear();
        f->Com_Click(0);
        d->boxes.answer(mb::Ok);
        ASSERT_TRUE(ticksUntil([&] { return !d->boxes.shown().empty(); }));
        const ShownBox &box = d->boxes.shown().front();
        EXPECT_EQ(box.title, QStringLiteral("Tarvo - Problem During Connection"));
        EXPECT_TRUE(box.prompt.contains(QStringLiteral("NO IP ADDRESS COULD BE CONFIGURED"))) << box.prompt.toStdString();
        EXPECT_FALSE(online());
        EXPECT_FALSE(window(QStringLiteral("Connect To")));
        EXPECT_FALSE(window(QStringLiteral("Connecting to ") + kFails));
        EXPECT_FALSE(active(kFails));
    }
}

TEST_F(OnNetworkManager, TheTypedPasswordGoesToNetworkManagerForThisActivationOnly)
{
    nmcli({QStringLiteral("connection"), QStringLiteral("up"), kBase});
    ASSERT_TRUE(ticksUntil([&] { return d->line.connections().contains(kVpn); }, 50));

    // Refused by the server: the password failure, and the credentials
    // dialog after it.
    storeCredentials(kVpn, QStringLiteral("vuser"), QStringLiteral("wrong"));
    choose(kVpn);
    f->Com_Click(0);
    d->boxes.answer(mb::Ok);
    QString dialogTitle;
    d->boxes.onModal([&](QDialog &dialog) {
        dialogTitle = dialog.windowTitle();
        dialog.reject();
    });
    ASSERT_TRUE(ticksUntil([&] { return !dialogTitle.isEmpty(); }));
    ASSERT_EQ(d->boxes.shown().size(), 1u);
    EXPECT_EQ(d->boxes.shown()[0].title, QStringLiteral("Tarvo - Invalid Password"));
    EXPECT_EQ(dialogTitle, QStringLiteral(" Connection : ") + kVpn);
    ASSERT_TRUE(ticksUntil([&] { return !f->WatchConnecting; }));

    // The right one, typed into "Connect To" as stored, brings it up.
    storeCredentials(kVpn, QStringLiteral("vuser"), QStringLiteral("open+sesame{1}"));
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    EXPECT_TRUE(active(kVpn));
    EXPECT_EQ(d->boxes.shown().size(), 1u);

    // NetworkManager wrote none of it into its connection files. (Asking
    // nmcli for the secrets would have NetworkManager ask this process's
    // agent, which cannot answer while the test waits for nmcli.)
    const QDir connections(qEnvironmentVariable("PRIVATE_NM_DIR") + QStringLiteral("/connections"));
    ASSERT_FALSE(connections.entryList(QDir::Files).isEmpty());
    for (const QString &file : connections.entryList(QDir::Files)) {
        QFile keyfile(connections.filePath(file));
        ASSERT_TRUE(keyfile.open(QIODevice::ReadOnly));
        EXPECT_FALSE(keyfile.readAll().contains("sesame")) << file.toStdString();
    }

    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->WatchConnecting && !active(kVpn); }));
    nmcli({QStringLiteral("connection"), QStringLiteral("down"), kBase});
}
