#include "platform/dialup/NetworkManagerReasons.h"

#include "platform/dialup/NetworkManagerLine.h"
#include "platform/dialup/NetworkManagerNames.h"

#include <optional>

namespace dialup {

namespace {

using Meaning = NetworkManagerReason::Meaning;

#define TARVO_NM_REASON(reason, meaning, words) {nm::reason, #reason, Meaning::meaning, words}

// NMDeviceStateReason. A device's reason is often only the event that took
// it down (the user, a new activation, the carrier); those are incidental,
// and the connection's own reason is asked before them.
const NetworkManagerReason kDeviceReasons[] = {
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_NONE, Incidental, "no reason was given."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_UNKNOWN, Incidental, "it did not say why."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_NOW_MANAGED, Incidental, "its device was taken into its care."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_NOW_UNMANAGED, Incidental, "its device was taken out of its care."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_CONFIG_FAILED, Failure, "its configuration failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_IP_CONFIG_UNAVAILABLE, Failure, "no IP address could be configured."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_IP_CONFIG_EXPIRED, Failure, "the IP configuration expired."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_NO_SECRETS, PasswordRefused, "no password was given."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SUPPLICANT_DISCONNECT, Failure, "the 802.1X authenticator disconnected."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SUPPLICANT_CONFIG_FAILED, Failure, "the 802.1X authenticator could not be configured."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SUPPLICANT_FAILED, Failure, "the 802.1X authenticator failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SUPPLICANT_TIMEOUT, Failure, "the 802.1X authentication took too long."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_PPP_START_FAILED, Failure, "the PPP service did not start."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_PPP_DISCONNECT, Failure, "the PPP service disconnected."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_PPP_FAILED, Failure, "the PPP connection failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_DHCP_START_FAILED, Failure, "DHCP failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_DHCP_ERROR, Failure, "DHCP failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_DHCP_FAILED, Failure, "DHCP failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SHARED_START_FAILED, Failure, "the connection sharing service did not start."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SHARED_FAILED, Failure, "the connection sharing service failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_AUTOIP_START_FAILED, Failure, "the link-local addressing service did not start."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_AUTOIP_ERROR, Failure, "the link-local addressing service failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_AUTOIP_FAILED, Failure, "the link-local addressing service failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_MODEM_BUSY, ModemBusy, "the line is busy."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_MODEM_NO_DIAL_TONE, Failure, "there is no dial tone."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_MODEM_NO_CARRIER, Failure, "the modem found no carrier."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_MODEM_DIAL_TIMEOUT, Failure, "the modem timed out while dialing."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_MODEM_DIAL_FAILED, Failure, "the modem could not dial."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_MODEM_INIT_FAILED, Failure, "the modem could not be started."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_GSM_APN_FAILED, Failure, "the mobile network did not take the access point name (APN)."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_GSM_REGISTRATION_NOT_SEARCHING, Failure, "the mobile network did not register the modem."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_GSM_REGISTRATION_DENIED, Failure, "the mobile network did not register the modem."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_GSM_REGISTRATION_TIMEOUT, Failure, "the mobile network did not register the modem."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_GSM_REGISTRATION_FAILED, Failure, "the mobile network did not register the modem."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_GSM_PIN_CHECK_FAILED, Failure, "the SIM card's PIN was not accepted."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_FIRMWARE_MISSING, Failure, "the device's firmware may be missing."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_REMOVED, Failure, "its network device was removed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SLEEPING, Incidental, "the computer went to sleep."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_CONNECTION_REMOVED, Incidental, "the connection was removed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_USER_REQUESTED, Incidental, "it was disconnected by its user."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_CARRIER, Incidental, "the link went down."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_CONNECTION_ASSUMED, Incidental, "the device's existing connection was taken over."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SUPPLICANT_AVAILABLE, Incidental, "the 802.1X authenticator became available."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_MODEM_NOT_FOUND, ModemBusy, "the modem could not be found."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_BT_FAILED, Failure, "the Bluetooth connection failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_GSM_SIM_NOT_INSERTED, Failure, "no SIM card is inserted."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_GSM_SIM_PIN_REQUIRED, Failure, "the SIM card needs its PIN or PUK."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_GSM_SIM_PUK_REQUIRED, Failure, "the SIM card needs its PIN or PUK."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_GSM_SIM_WRONG, Failure, "the SIM card is not the right one."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_INFINIBAND_MODE, Failure, "the InfiniBand device cannot work in connected mode."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_DEPENDENCY_FAILED, Failure, "a connection it depends on failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_BR2684_FAILED, Failure, "the Ethernet over ADSL bridge failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_MODEM_MANAGER_UNAVAILABLE, ModemBusy, "ModemManager is not running."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SSID_NOT_FOUND, Failure, "the Wi-Fi network could not be found."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SECONDARY_CONNECTION_FAILED, Failure, "a connection brought up with it failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_DCB_FCOE_FAILED, Failure, "the DCB or FCoE set-up failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_TEAMD_CONTROL_FAILED, Failure, "the team device's service failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_MODEM_FAILED, Failure, "the modem failed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_MODEM_AVAILABLE, Incidental, "the modem became available."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SIM_PIN_INCORRECT, Failure, "the SIM card's PIN was not accepted."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_NEW_ACTIVATION, Incidental, "another activation took its place."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_PARENT_CHANGED, Incidental, "the device it runs over changed."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_PARENT_MANAGED_CHANGED, Incidental, "the device it runs over was taken into or out of its care."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_OVSDB_FAILED, Failure, "the Open vSwitch database did not answer."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_IP_ADDRESS_DUPLICATE, Failure, "its IP address is used by another computer."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_IP_METHOD_UNSUPPORTED, Failure, "its way of getting an IP address is not supported."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_SRIOV_CONFIGURATION_FAILED, Failure, "the SR-IOV settings could not be applied."),
    TARVO_NM_REASON(NM_DEVICE_STATE_REASON_PEER_NOT_FOUND, Failure, "the Wi-Fi P2P peer could not be found."),
};

// NMActiveConnectionStateReason.
const NetworkManagerReason kActiveConnectionReasons[] = {
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_UNKNOWN, Incidental, "it did not say why."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_NONE, Incidental, "no reason was given."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_USER_DISCONNECTED, Failure, "it was disconnected by its user."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_DEVICE_DISCONNECTED, Failure, "its device disconnected."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_SERVICE_STOPPED, Failure, "the service providing the connection stopped."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_IP_CONFIG_INVALID, Failure, "its IP configuration was not valid."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_CONNECT_TIMEOUT, Failure, "the attempt timed out."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_SERVICE_START_TIMEOUT, Failure, "the VPN service did not start in time."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_SERVICE_START_FAILED, Failure, "the VPN service did not start."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_NO_SECRETS, PasswordRefused, "no password was given."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_LOGIN_FAILED, PasswordRefused, "the server refused the login."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_CONNECTION_REMOVED, Failure, "the connection was removed."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_DEPENDENCY_FAILED, Failure, "a connection it depends on failed."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_DEVICE_REALIZE_FAILED, Failure, "its network device could not be made."),
    TARVO_NM_REASON(NM_ACTIVE_CONNECTION_STATE_REASON_DEVICE_REMOVED, Failure, "its network device was removed."),
};

#undef TARVO_NM_REASON

template <std::size_t N>
const NetworkManagerReason *rowOf(const NetworkManagerReason (&table)[N], unsigned number)
{
    for (const NetworkManagerReason &r : table)
        if (r.number == number)
            return &r;
    return nullptr;
}

QString notConnected(const char *why)
{
    return notConnectedMessage(QString::fromLatin1(why));
}

} // namespace

QString notConnectedMessage(const QString &why)
{
    return QStringLiteral("NetworkManager could not bring the connection up: ") + why;
}

const NetworkManagerReason *deviceReason(unsigned number)
{
    return rowOf(kDeviceReasons, number);
}

const NetworkManagerReason *activeConnectionReason(unsigned number)
{
    return rowOf(kActiveConnectionReasons, number);
}

QString deviceReasonName(unsigned number)
{
    const NetworkManagerReason *r = deviceReason(number);
    return r ? QString::fromLatin1(r->name) : QString::number(number);
}

QString activeConnectionReasonName(unsigned number)
{
    const NetworkManagerReason *r = activeConnectionReason(number);
    return r ? QString::fromLatin1(r->name) : QString::number(number);
}

QString NetworkManagerLine::failureText(uint deviceNumber, uint activeNumber)
{
    const NetworkManagerReason *device = deviceReason(deviceNumber);
    const NetworkManagerReason *active = activeConnectionReason(activeNumber);
    // A refused password and a busy or absent modem read as the dialing
    // component's own texts, so the program explains them as it always has.
    const auto says = [](const NetworkManagerReason *r) -> std::optional<QString> {
        if (!r)
            return std::nullopt;
        switch (r->meaning) {
        case Meaning::PasswordRefused:
            return passwordRefusedMessage();
        case Meaning::ModemBusy:
            return modemBusyMessage();
        case Meaning::Failure:
            return notConnected(r->words);
        case Meaning::Incidental:
            break;
        }
        return std::nullopt;
    };
    // The device knows best what went wrong on it; the connection's reason
    // says more only where the device's merely names the event.
    if (auto text = says(device))
        return *text;
    if (auto text = says(active))
        return *text;
    if (device && device->number != nm::NM_DEVICE_STATE_REASON_NONE
        && device->number != nm::NM_DEVICE_STATE_REASON_UNKNOWN)
        return notConnected(device->words);
    if (active && active->number != nm::NM_ACTIVE_CONNECTION_STATE_REASON_UNKNOWN)
        return notConnected(active->words);
    return notConnected("no reason was given.");
}

} // namespace dialup
