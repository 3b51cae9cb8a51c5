// Tarvo on a real NetworkManager: the main window's engine, ticked by the
// test, driving the dialing component in front of NetworkManager, with tun
// connections of a private NetworkManager brought up and down from outside
// with nmcli. Run by with-private-nm.sh, which starts that NetworkManager
// and its bus (DBUS_SYSTEM_BUS_ADDRESS) and stops them afterwards.
#include "MonitorTicks.h"
#include "RealDesktop.h"
#include "platform/QtKeystrokes.h"
#include "platform/dialup/DialCommandStarter.h"
#include "platform/dialup/DialUpNetworking.h"
#include "platform/dialup/NetworkManagerLine.h"
#include "tarvo/Form1.h"
#include "tarvo/Form5.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <sys/types.h>

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

// The private NetworkManager's parts ended or started again
// (private-nm.sh): "stop-nm", "start-nm", "stop-bus", "start-bus".
bool privateNm(const QString &command, const QString &signal = QString())
{
    QStringList arguments{QStringLiteral(PRIVATE_NM_SCRIPT), command, qEnvironmentVariable("PRIVATE_NM_DIR")};
    if (!signal.isEmpty())
        arguments << signal;
    QProcess p;
    p.start(QStringLiteral("bash"), arguments);
    // The event loop goes on meanwhile, as a user's Tarvo does: it sees
    // NetworkManager leave and come back while the script runs, not after.
    const QDeadlineTimer deadline(90000);
    while (p.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        p.waitForFinished(10);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    const bool done = p.state() == QProcess::NotRunning && p.exitStatus() == QProcess::NormalExit;
    if (!done || p.exitCode() != 0) {
        ADD_FAILURE() << "private-nm.sh " << command.toStdString() << ": " << p.readAllStandardError().toStdString();
        return false;
    }
    return true;
}

// The process of KIND ("NetworkManager", "dbus-daemon") of the private
// NetworkManager, or 0 while there is none.
pid_t privateNmPid(const QString &kind)
{
    QFile pids(qEnvironmentVariable("PRIVATE_NM_DIR") + QStringLiteral("/pids"));
    if (!pids.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : pids.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 2 && fields.at(0) == kind.toLatin1())
            return static_cast<pid_t>(fields.at(1).toInt());
    }
    return 0;
}

// Measures the longest time the event loop went without running a timer
// due every few milliseconds: how long the windows could not have answered.
class StallProbe {
public:
    StallProbe()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { beat(); });
        m_clock.start();
        m_timer.start(5);
    }
    qint64 longestMs()
    {
        beat();
        return m_longest;
    }

private:
    void beat()
    {
        const qint64 now = m_clock.elapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

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

class OnNetworkManager : public ::testing::Test, public MonitorTicks {
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
    void TearDown() override
    {
        d.reset();
        // A test that stopped half-way leaves NetworkManager as the next
        // one needs it: running, on its bus.
        if (const pid_t frozen = privateNmPid(QStringLiteral("NetworkManager")))
            ::kill(frozen, SIGCONT);
        if (!privateNmPid(QStringLiteral("dbus-daemon"))) {
            privateNm(QStringLiteral("stop-nm"));
            privateNm(QStringLiteral("start-bus"));
        }
        if (!privateNmPid(QStringLiteral("NetworkManager")))
            privateNm(QStringLiteral("start-nm"));
    }

    void choose(const QString &name) { f->setConText(name); }
    void passSecond() override
    {
        d->clock.advanceSeconds(1);
        d->settle();
    }
    void storeCredentials(const QString &name, const QString &user, const QString &password)
    {
        ASSERT_TRUE(f->Ucinfo(tarvo::ConInfo::UserName, user, tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, name));
        ASSERT_TRUE(f->Ucinfo(tarvo::ConInfo::Password, f->ProcessPwd(password, tarvo::PwdScramble),
                              tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, name));
    }
    // The user name stored for `name`, or a null value when it has no row.
    QString storedUser(const QString &name)
    {
        if (!f->Ucinfo(0, {}, tarvo::UcinfoFind, tarvo::ConInfo::ConName, name))
            return QString();
        return f->conInfo->field(tarvo::ConInfo::UserName).toString();
    }
    bool listed(const QString &name) const { return f->Con->findText(name, Qt::MatchExactly) >= 0; }
    // How many windows of this process are titled exactly `title` and shown.
    static int windows(const QString &title)
    {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += w->windowTitle() == title && !w->isHidden();
        return n;
    }
    static void freeze(int signal)
    {
        const pid_t pid = privateNmPid(QStringLiteral("NetworkManager"));
        ASSERT_GT(pid, 0);
        ASSERT_EQ(::kill(pid, signal), 0);
    }
    // Dials `name` and freezes NetworkManager once the dialog is up: true
    // when a failure box came within forty ticks a real second apart
    // (Tarvo's own wait of a minute is not out before it). NetworkManager
    // is thawed either way.
    bool failsWhileFrozen(const QString &name)
    {
        choose(name);
        f->Com_Click(0);
        if (!ticksUntil([&] { return window(QStringLiteral("Connect To")) != nullptr; }, 20))
            return false;
        freeze(SIGSTOP);
        bool shown = false;
        if (ticksUntil([&] { return window(QStringLiteral("Connecting to ") + name) != nullptr; }, 20)) {
            d->boxes.answer(mb::Ok);
            for (int i = 0; i < 40 && !shown; ++i) {
                d->waitFor([] { return false; }, 1000);
                tick();
                shown = !d->boxes.shown().empty();
            }
        }
        freeze(SIGCONT);
        return shown;
    }
    // Up through Tarvo, with a user name stored for it.
    void connectThroughTarvo(const QString &name)
    {
        storeCredentials(name, QStringLiteral("tarvo-user"), QStringLiteral("kept"));
        choose(name);
        f->Com_Click(0);
        ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
        ASSERT_TRUE(window(QStringLiteral("Connected to ") + name));
    }
    // nmcli with the event loop going on, for when NetworkManager asks this
    // process's secret agent meanwhile; its exit code, -1 if it did not end.
    int nmcliWhileRunning(const QStringList &arguments)
    {
        QProcess p;
        p.start(QStringLiteral("nmcli"), arguments);
        d->waitFor([&] { return p.state() == QProcess::NotRunning; }, 60000);
        if (p.state() != QProcess::NotRunning || p.exitStatus() != QProcess::NormalExit)
            return -1;
        if (p.exitCode() != 0)
            ADD_FAILURE() << "nmcli " << arguments.join(u' ').toStdString() << ": "
                          << p.readAllStandardError().toStdString();
        return p.exitCode();
    }
    // The VPN whose password NetworkManager asks the secret agent for,
    // dialled through Tarvo with the password stored, and hung up again: it
    // comes up only while the agent is registered.
    void dialThePasswordVpn()
    {
        nmcli({QStringLiteral("connection"), QStringLiteral("up"), kBase});
        storeCredentials(kVpn, QStringLiteral("vuser"), QStringLiteral("open+sesame{1}"));
        choose(kVpn);
        const size_t boxes = d->boxes.shown().size();
        f->Com_Click(0);
        ASSERT_TRUE(ticksUntil([&] { return lineUp() || d->boxes.shown().size() > boxes; }));
        ASSERT_EQ(d->boxes.shown().size(), boxes) << d->boxes.shown().back().title.toStdString();
        EXPECT_TRUE(active(kVpn));
        f->Com_Click(0);
        ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting && !active(kVpn); }));
        nmcli({QStringLiteral("connection"), QStringLiteral("down"), kBase});
    }
    static void report(const char *what, qint64 value, const char *unit = "ms")
    {
        ::testing::Test::RecordProperty(what, static_cast<int>(value));
        std::printf("[ figure   ] %s: %lld %s\n", what, static_cast<long long>(value), unit);
    }
    // A window of this process titled exactly `title`, shown, or nullptr.
    static QWidget *window(const QString &title)
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->windowTitle() == title && !w->isHidden())
                return w;
        return nullptr;
    }

    std::unique_ptr<NetworkManagerDesktop> d;
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
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting && !active(kUp); }));
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
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting && !active(kUp); }));
}

TEST_F(OnNetworkManager, BroughtUpByHandWhileOfflineItIsOfferedForTakeOver)
{
    choose(kUp);
    tick();
    nmcli({QStringLiteral("connection"), QStringLiteral("up"), kUp});
    ASSERT_TRUE(ticksUntil([&] { return window(QStringLiteral("Connected to ") + kUp) != nullptr; }, 50));
    ASSERT_TRUE(ticksUntil([&] { return f->window<tarvo::Form5>().isVisible(); }, 10));
    EXPECT_EQ(f->dial.takeOverKind, 2);

    f->window<tarvo::Form5>().Com[1]->click();
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }, 10));
    EXPECT_TRUE(online());

    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting && !active(kUp); }));
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
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting; }));

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
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting && !active(kVpn); }));
    nmcli({QStringLiteral("connection"), QStringLiteral("down"), kBase});
}

// NetworkManager stopped (a package upgrade) or killed (a crash) while a
// line is up: it is an outage, not a connection that went away. The
// credentials and the list entry stay, and once NetworkManager is back the
// line is brought up again by itself.
class RestartWhileConnected : public OnNetworkManager, public ::testing::WithParamInterface<const char *> {};

TEST_P(RestartWhileConnected, CredentialsStayAndTheLineComesBackWithAutomaticReconnection)
{
    ASSERT_TRUE(f->Atrec->isChecked());
    connectThroughTarvo(kUp);

    ASSERT_TRUE(privateNm(QStringLiteral("stop-nm"), QString::fromLatin1(GetParam())));
    ASSERT_TRUE(d->waitFor([&] { return !d->line.available(); }));
    for (int i = 0; i < 10; ++i)
        tick();
    EXPECT_TRUE(d->boxes.shown().empty());
    EXPECT_TRUE(listed(kUp));
    EXPECT_EQ(storedUser(kUp), QStringLiteral("tarvo-user"));
    EXPECT_TRUE(online());

    ASSERT_TRUE(privateNm(QStringLiteral("start-nm")));
    QElapsedTimer back;
    back.start();
    // Its links went with it: the line is seen to drop, is recorded, and is
    // dialled again.
    int ticks = 0;
    ASSERT_TRUE(ticksUntil([&] { return ++ticks, !lineUp(); }));
    ASSERT_TRUE(ticksUntil([&] { return ++ticks, lineUp(); }));
    report("from NetworkManager's return to Connected to again", back.elapsed());
    report("from NetworkManager's return to Connected to again", ticks - 1, "monitor ticks");
    EXPECT_TRUE(d->line.agentRegistered());
    EXPECT_TRUE(active(kUp));
    EXPECT_EQ(windows(QStringLiteral("Connected to ") + kUp), 1);
    EXPECT_EQ(f->track->recordCount(), 1);
    EXPECT_TRUE(d->boxes.shown().empty());
    EXPECT_EQ(storedUser(kUp), QStringLiteral("tarvo-user"));

    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting && !active(kUp); }));
    ASSERT_NO_FATAL_FAILURE(dialThePasswordVpn());
}

INSTANTIATE_TEST_SUITE_P(Signals, RestartWhileConnected, ::testing::Values("TERM", "KILL"));

TEST_F(OnNetworkManager, GoOnlineWhileNetworkManagerIsAwayFailsPlainlyAndRemovesNothing)
{
    storeCredentials(kUp, QStringLiteral("tarvo-user"), QStringLiteral("kept"));
    choose(kUp);
    ASSERT_TRUE(privateNm(QStringLiteral("stop-nm")));
    ASSERT_TRUE(d->waitFor([&] { return !d->line.available(); }));

    f->Com_Click(0);
    d->boxes.answer(mb::Ok);
    ASSERT_TRUE(ticksUntil([&] { return !d->boxes.shown().empty(); }, 50));
    EXPECT_EQ(d->boxes.shown().front().title, QStringLiteral("Tarvo - Problem During Connection"));
    EXPECT_TRUE(d->boxes.shown().front().prompt.contains(QStringLiteral("NETWORKMANAGER IS NOT RUNNING.")))
        << d->boxes.shown().front().prompt.toStdString();
    ASSERT_TRUE(ticksUntil([&] { return !online() && !f->dial.watchConnecting; }));
    EXPECT_TRUE(listed(kUp));
    EXPECT_EQ(f->conText(), kUp);
    EXPECT_EQ(storedUser(kUp), QStringLiteral("tarvo-user"));
    // Moving over the list reads it again: the names last known stay.
    f->Label5_MouseMove(0, 0, 0, 0);
    EXPECT_TRUE(listed(kUp));

    ASSERT_TRUE(privateNm(QStringLiteral("start-nm")));
    ASSERT_TRUE(d->waitFor([&] { return d->line.listed(); }));
    EXPECT_TRUE(d->line.agentRegistered());
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    EXPECT_EQ(d->boxes.shown().size(), 1u);
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting && !active(kUp); }));
    ASSERT_NO_FATAL_FAILURE(dialThePasswordVpn());
}

TEST_F(OnNetworkManager, TheBusItselfRestartedIsConnectedToAgain)
{
    connectThroughTarvo(kUp);

    // NetworkManager does not outlive its bus in any useful way: both go,
    // and both come back on the same address.
    ASSERT_TRUE(privateNm(QStringLiteral("stop-bus")));
    ASSERT_TRUE(privateNm(QStringLiteral("stop-nm")));
    ASSERT_TRUE(d->waitFor([&] { return !d->line.available(); }));
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_TRUE(d->boxes.shown().empty());
    EXPECT_TRUE(listed(kUp));

    ASSERT_TRUE(privateNm(QStringLiteral("start-bus")));
    ASSERT_TRUE(privateNm(QStringLiteral("start-nm")));
    ASSERT_TRUE(d->waitFor([&] { return d->line.listed(); }));
    EXPECT_TRUE(d->line.agentRegistered());
    ASSERT_TRUE(ticksUntil([&] { return !lineUp(); }));
    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    EXPECT_TRUE(active(kUp));
    EXPECT_EQ(f->track->recordCount(), 1);
    EXPECT_EQ(storedUser(kUp), QStringLiteral("tarvo-user"));

    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting && !active(kUp); }));
    ASSERT_NO_FATAL_FAILURE(dialThePasswordVpn());
}

// Brought down and up from outside fifty times, as fast as nmcli goes, with
// Tarvo keeping the line up meanwhile: never two "Connected to" windows,
// every session Tarvo saw recorded once, and Quit still ends it.
TEST_F(OnNetworkManager, FiftyOutsideCyclesLeaveOneWindowOneRecordPerSessionAndQuitEnds)
{
    connectThroughTarvo(kUp);
    f->options.maxTries = 200;
    const QString connectedTitle = QStringLiteral("Connected to ") + kUp;
    int sessions = 1;
    bool wasUp = true;
    int mostWindows = 0;
    const auto look = [&] {
        tick();
        mostWindows = std::max(mostWindows, windows(connectedTitle));
        if (lineUp() && !wasUp)
            ++sessions;
        wasUp = lineUp();
    };
    for (int cycle = 0; cycle < 50; ++cycle) {
        nmcli({QStringLiteral("connection"), QStringLiteral("down"), kUp}, false);
        look();
        nmcli({QStringLiteral("connection"), QStringLiteral("up"), kUp}, false);
        look();
    }
    // And "up" again on the line that is up: a new activation in place of
    // the old one.
    for (int i = 0; i < 6; ++i) {
        nmcli({QStringLiteral("connection"), QStringLiteral("up"), kUp}, false);
        look();
    }
    ASSERT_TRUE(ticksUntil([&] {
        look();
        return lineUp();
    }));
    EXPECT_LE(mostWindows, 1);
    EXPECT_EQ(windows(connectedTitle), 1);

    d->boxes.clear();
    d->boxes.answer(mb::Yes);
    f->ComQ_Click();
    QElapsedTimer quitting;
    quitting.start();
    ASSERT_TRUE(ticksUntil([&] { return f->ended(); }, 20));
    report("Quit, Yes, to the end", quitting.elapsed());
    ASSERT_EQ(d->boxes.shown().size(), 1u);
    EXPECT_EQ(d->boxes.shown()[0].title, QStringLiteral("Tarvo - Exit Mode Confirmation"));
    EXPECT_EQ(f->track->recordCount(), sessions);
    EXPECT_EQ(windows(connectedTitle), 0);
    // Yes takes the line down too.
    ASSERT_TRUE(d->waitFor([&] { return !active(kUp); }));
}

// NetworkManager frozen (SIGSTOP) just before Connect is pressed: the
// windows keep answering, and when it wakes the dial goes on.
TEST_F(OnNetworkManager, FrozenDuringADialTheWindowsAnswerAndTheDialGoesOnWhenItWakes)
{
    choose(kUp);
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return window(QStringLiteral("Connect To")) != nullptr; }, 20));
    freeze(SIGSTOP);
    StallProbe probe;
    ASSERT_TRUE(ticksUntil([&] { return window(QStringLiteral("Connecting to ") + kUp) != nullptr; }, 20));
    for (int i = 0; i < 30; ++i)
        tick();
    EXPECT_FALSE(lineUp());
    EXPECT_TRUE(window(QStringLiteral("Connecting to ") + kUp));
    const qint64 stall = probe.longestMs();
    freeze(SIGCONT);
    report("longest event-loop stall with NetworkManager frozen during a dial", stall);
    EXPECT_LT(stall, 100);

    ASSERT_TRUE(ticksUntil([&] { return lineUp(); }));
    EXPECT_TRUE(d->boxes.shown().empty());
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting && !active(kUp); }));
}

// Frozen past the attempt's wait: Tarvo cancels and gives up as it does
// with any line, and what NetworkManager does with the requests once it
// wakes is taken down again.
TEST_F(OnNetworkManager, FrozenPastTheWaitTheDialIsGivenUpAndNothingStaysUpWhenItWakes)
{
    f->Wait->setText(QStringLiteral("5"));
    f->options.maxTries = 2;
    choose(kUp);
    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return window(QStringLiteral("Connect To")) != nullptr; }, 20));
    freeze(SIGSTOP);
    StallProbe probe;
    ASSERT_TRUE(ticksUntil([&] { return !online(); }, 100));
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting; }));
    EXPECT_FALSE(window(QStringLiteral("Connecting to ") + kUp));
    EXPECT_FALSE(window(QStringLiteral("Connect To")));
    EXPECT_TRUE(d->boxes.shown().empty());
    const qint64 stall = probe.longestMs();
    freeze(SIGCONT);
    report("longest event-loop stall with NetworkManager frozen past the wait", stall);
    EXPECT_LT(stall, 100);

    // The requests NetworkManager finds on waking are answered, and each
    // activation they started is taken down.
    ASSERT_TRUE(d->waitFor([&] {
        d->settle();
        return !active(kUp);
    }));
    for (int i = 0; i < 10; ++i)
        tick();
    EXPECT_FALSE(active(kUp));
    EXPECT_FALSE(window(QStringLiteral("Connected to ") + kUp));
    EXPECT_FALSE(online());
}

// Frozen for longer than NetworkManager ever takes to answer: the dial
// fails with a plain text before the attempt's wait is out.
TEST_F(OnNetworkManager, FrozenLongerThanItEverTakesTheDialFailsWithAPlainText)
{
    ASSERT_TRUE(failsWhileFrozen(kUp));
    EXPECT_EQ(d->boxes.shown().front().title, QStringLiteral("Tarvo - Problem During Connection"));
    EXPECT_TRUE(d->boxes.shown().front().prompt.contains(QStringLiteral("NETWORKMANAGER DID NOT ANSWER.")))
        << d->boxes.shown().front().prompt.toStdString();
    ASSERT_TRUE(ticksUntil([&] { return !online() && !f->dial.watchConnecting; }));
    ASSERT_TRUE(d->waitFor([&] {
        d->settle();
        return !active(kUp);
    }));
}

TEST_F(OnNetworkManager, RenamedWhileConnectedTheLineStaysUntilHungUpAndTheNewNameIsListed)
{
    const QString renamed = QStringLiteral("Tarvo Tun Renamed");
    connectThroughTarvo(kUp);
    nmcli({QStringLiteral("connection"), QStringLiteral("modify"), kUp, QStringLiteral("connection.id"), renamed});
    ASSERT_TRUE(d->waitFor([&] { return d->line.connections().contains(renamed); }));
    EXPECT_FALSE(d->line.connections().contains(kUp));
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_TRUE(lineUp());
    EXPECT_EQ(windows(QStringLiteral("Connected to ") + kUp), 1);
    EXPECT_TRUE(d->boxes.shown().empty());

    f->Com_Click(0);
    ASSERT_TRUE(ticksUntil([&] { return !f->dial.watchConnecting && !active(renamed); }));
    EXPECT_EQ(f->track->recordCount(), 1);
    EXPECT_EQ(storedUser(kUp), QStringLiteral("tarvo-user"));
    EXPECT_TRUE(d->boxes.shown().empty());
    nmcli({QStringLiteral("connection"), QStringLiteral("modify"), renamed, QStringLiteral("connection.id"), kUp});
    ASSERT_TRUE(d->waitFor([&] { return d->line.connections().contains(kUp); }));
}

// Deleted while up: NetworkManager takes it down, and the connection really
// is gone, so the redial finds nothing to start and Tarvo removes it.
TEST_F(OnNetworkManager, DeletedWhileConnectedItIsRecordedAndThenRemovedAsOneThatCannotStart)
{
    const QString doomed = QStringLiteral("Tarvo Tun Doomed");
    nmcli({QStringLiteral("connection"), QStringLiteral("add"), QStringLiteral("type"), QStringLiteral("tun"),
           QStringLiteral("ifname"), QStringLiteral("tarvo-doomed"), QStringLiteral("con-name"), doomed,
           QStringLiteral("tun.mode"), QStringLiteral("1"), QStringLiteral("ipv4.method"), QStringLiteral("disabled"),
           QStringLiteral("ipv6.method"), QStringLiteral("disabled"), QStringLiteral("autoconnect"), QStringLiteral("no")});
    ASSERT_TRUE(d->waitFor([&] { return d->line.connections().contains(doomed); }));
    f->Label5_MouseMove(0, 0, 0, 0);
    ASSERT_TRUE(listed(doomed));
    connectThroughTarvo(doomed);

    d->boxes.answer(mb::Ok);
    nmcli({QStringLiteral("connection"), QStringLiteral("delete"), doomed});
    ASSERT_TRUE(ticksUntil([&] { return !d->boxes.shown().empty(); }, 50));
    EXPECT_TRUE(d->boxes.shown().front().prompt.contains(QStringLiteral(" Unable To Initiate Connection : ") + doomed))
        << d->boxes.shown().front().prompt.toStdString();
    EXPECT_EQ(f->track->recordCount(), 1);
    ASSERT_TRUE(ticksUntil([&] { return !online() && !f->dial.watchConnecting; }));
    EXPECT_TRUE(storedUser(doomed).isNull());
    EXPECT_FALSE(window(QStringLiteral("Connected to ") + doomed));
}

// A request given up on while NetworkManager was frozen is answered when it
// wakes: its answer alone says which activation was Tarvo's. The same
// connection brought up from outside afterwards is somebody else's and
// stays up.
TEST_F(OnNetworkManager, AnActivationFromOutsideAfterARequestGivenUpOnStaysUp)
{
    // With no connection for it to run over, NetworkManager refuses the
    // VPN when it wakes: the late answer starts nothing.
    nmcli({QStringLiteral("connection"), QStringLiteral("down"), kBase}, false);
    storeCredentials(kVpn, QStringLiteral("vuser"), QStringLiteral("open+sesame{1}"));
    ASSERT_TRUE(failsWhileFrozen(kVpn));
    EXPECT_TRUE(d->boxes.shown().front().prompt.contains(QStringLiteral("NETWORKMANAGER DID NOT ANSWER.")))
        << d->boxes.shown().front().prompt.toStdString();
    ASSERT_TRUE(ticksUntil([&] { return !online() && !f->dial.watchConnecting; }));

    // Answered in turn, after the late request.
    nmcli({QStringLiteral("connection"), QStringLiteral("up"), kBase});
    // Somebody else's activation, with the password kept in the profile for
    // it: nobody's agent is asked.
    nmcli({QStringLiteral("connection"), QStringLiteral("modify"), kVpn, QStringLiteral("vpn.data"),
           QStringLiteral("password-flags=0"), QStringLiteral("vpn.secrets"), QStringLiteral("password=open+sesame{1}")});
    EXPECT_EQ(nmcliWhileRunning({QStringLiteral("--wait"), QStringLiteral("30"), QStringLiteral("connection"),
                                 QStringLiteral("up"), kVpn}),
              0);
    EXPECT_FALSE(d->waitFor([&] { return !active(kVpn); }, 3000)) << "the outside activation was taken down";
    nmcli({QStringLiteral("connection"), QStringLiteral("modify"), kVpn, QStringLiteral("vpn.data"),
           QStringLiteral("password-flags=2"), QStringLiteral("vpn.secrets"), QString()});
    nmcli({QStringLiteral("connection"), QStringLiteral("down"), kVpn}, false);
    nmcli({QStringLiteral("connection"), QStringLiteral("down"), kBase}, false);
}
