#include "platform/dialup/Line.h"

namespace dialup {

QString Line::modemBusyMessage()
{
    return QStringLiteral("The modem is being used by another Dial-Up Networking connection or another program. "
                          "Disconnect the other connection or close the program, and then try again.");
}

QString Line::otherProgramDialingMessage()
{
    return QStringLiteral("Another program is dialing the selected connection.");
}

QString Line::cannotEstablishMessage()
{
    return QStringLiteral("The computer you are dialing in to cannot establish a Dial-Up Networking connection. "
                          "Check your settings, and then try again.");
}

QString Line::passwordRefusedMessage()
{
    return QStringLiteral("The dial-up server did not accept your user name and password, or the account has expired. "
                          "Verify the user name and password, and then try again.");
}

} // namespace dialup
