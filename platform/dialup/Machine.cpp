#include "platform/dialup/Machine.h"

#include "platform/SectionFile.h"
#include "platform/dialup/NetworkManagerLine.h"

#include <QEventLoop>
#include <QTimer>
#include <cstdio>

namespace dialup {

namespace {

const QString kAddresses = QStringLiteral("HKEY_CURRENT_USER\\RemoteAccess\\Addresses");
constexpr int kNetworkManagerStartMs = 5000;

QString stringData(const QByteArray &data)
{
    QByteArray text = data;
    if (text.endsWith('\0'))
        text.chop(1);
    return QString::fromUtf8(text);
}

} // namespace

Machine::Dialer Machine::chosenDialer(const QString &folder)
{
    for (const QString &line : platform::SectionFile::read(folder + QStringLiteral("/machine.ini"))
                                   .lines(QStringLiteral("Machine"), Qt::CaseInsensitive)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed().compare(QLatin1String("dialer"), Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed().compare(QLatin1String("NetworkManager"), Qt::CaseInsensitive) == 0
                ? Dialer::NetworkManager
                : Dialer::StandIn;
    }
    return Dialer::StandIn;
}

Machine::Machine(platform::Clock &clock, const QString &folder)
    : m_dialer(chosenDialer(folder)), m_registry(folder + QStringLiteral("/registry.reg"))
{
    if (m_dialer == Dialer::NetworkManager) {
        m_networkManager = std::make_unique<NetworkManagerLine>();
        // The program reads the connection list as it starts: NetworkManager
        // is given a few seconds to tell it, with the event loop running, so
        // that a slow start shows as an empty list rather than a hang.
        if (!m_networkManager->settledOnce()) {
            QEventLoop loop;
            QObject::connect(m_networkManager.get(), &NetworkManagerLine::settled, &loop, &QEventLoop::quit);
            QTimer::singleShot(kNetworkManagerStartMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
        if (!m_networkManager->available())
            std::fprintf(stderr, "tarvo: NetworkManager does not answer on the system bus; connections are dialled once it does\n");
        // The dial-up connections are NetworkManager's, whatever the file says.
        NetworkManagerLine *line = m_networkManager.get();
        m_registry.provideKey(kAddresses, [line] {
            QVector<platform::FileRegistry::Entry> entries;
            for (const QString &name : line->connections())
                entries.push_back({name, platform::reg::REG_BINARY, QByteArray("\x01\x00\x00\x00", 4)});
            return entries;
        });
        m_component = std::make_unique<DialUpNetworking>(*m_networkManager);
    } else {
        m_component = std::make_unique<DialUpNetworking>(clock, folder + QStringLiteral("/dialup.ini"), true);
    }
    m_starter = std::make_unique<DialCommandStarter>(*m_component);
    m_window = std::make_unique<MachineWindow>(
        *m_component,
        [this] {
            QStringList names;
            for (const auto &e : m_registry.readKey(kAddresses))
                names << e.name;
            return names;
        },
        [this] {
            for (const auto &e : m_registry.readKey(QStringLiteral(
                     "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main")))
                if (e.name.compare(QLatin1String("Start Page"), Qt::CaseInsensitive) == 0)
                    return stringData(e.data);
            return QString();
        });
}

Machine::~Machine() = default;

} // namespace dialup
