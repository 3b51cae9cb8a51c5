#pragma once

#include "platform/FileRegistry.h"
#include "platform/dialup/DialCommandStarter.h"
#include "platform/dialup/DialUpNetworking.h"
#include "platform/dialup/MachineWindow.h"

#include <memory>

namespace platform {
class Clock;
}

namespace dialup {

class NetworkManagerLine;

// The machine Tarvo runs on, as its machine folder describes it: the
// registry, the dialing component in front of the line chosen in
// machine.ini (the stand-in's scripted line, or NetworkManager), the
// dial command that starts it, and the machine's own window.
class Machine {
public:
    enum class Dialer { StandIn, NetworkManager };
    // The dialer machine.ini in `folder` chooses; the stand-in when it
    // names none or one not known.
    static Dialer chosenDialer(const QString &folder);

    Machine(platform::Clock &clock, const QString &folder);
    ~Machine();

    Dialer dialer() const { return m_dialer; }
    platform::FileRegistry &registry() { return m_registry; }
    platform::ProcessStarter &starter() { return *m_starter; }
    DialUpNetworking &component() { return *m_component; }
    MachineWindow &window() { return *m_window; }

private:
    Dialer m_dialer;
    platform::FileRegistry m_registry;
    std::unique_ptr<NetworkManagerLine> m_networkManager;
    std::unique_ptr<DialUpNetworking> m_component;
    std::unique_ptr<DialCommandStarter> m_starter;
    std::unique_ptr<MachineWindow> m_window;
};

} // namespace dialup
