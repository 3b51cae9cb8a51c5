#pragma once

#include "platform/ProcessStarter.h"

namespace dialup {

class DialUpNetworking;

// Starting programs on the stand-in machine: the one program there is the
// dialer, "c:\windows\rundll32.exe RNAUI.DLL,RnaDial " + a connection name.
// Anything else cannot be started and answers 0.
class DialCommandStarter : public platform::ProcessStarter {
public:
    explicit DialCommandStarter(DialUpNetworking &dialup) : m_dialup(dialup) {}
    qint64 shell(const QString &commandLine, int windowStyle) override;

    // The connection named by a dial command line, or a null text when the
    // line is not one.
    static QString connectionOf(const QString &commandLine);

private:
    DialUpNetworking &m_dialup;
    qint64 m_nextTask = 0x40;
};

} // namespace dialup
