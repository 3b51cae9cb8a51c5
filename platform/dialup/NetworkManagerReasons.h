#pragma once

#include <QString>

namespace dialup {

// Why NetworkManager says an activation or a device changed state, as the
// dialing component words it: one row per reason NetworkManager names.
struct NetworkManagerReason {
    // What the reason says about a failed activation.
    enum class Meaning {
        Incidental,     // an event, not a cause: the other reason tells more
        Failure,        // why the connection could not come up
        PasswordRefused,
        ModemBusy,      // the modem is held, absent or not looked after
    };
    unsigned number;
    const char *name;   // NetworkManager's own name for it
    Meaning meaning;
    const char *words;  // in plain words, completing "... could not bring the connection up: "
};

// The row of NMDeviceStateReason or NMActiveConnectionStateReason `number`,
// or nullptr for a number NetworkManager does not name.
const NetworkManagerReason *deviceReason(unsigned number);
const NetworkManagerReason *activeConnectionReason(unsigned number);

// The dialing component's text for a connection NetworkManager could not
// bring up, `why` in plain words.
QString notConnectedMessage(const QString &why);

// The name to log for a reason: NetworkManager's own, or the bare number.
QString deviceReasonName(unsigned number);
QString activeConnectionReasonName(unsigned number);

} // namespace dialup
