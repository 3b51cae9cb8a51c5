#include "platform/QtNotificationArea.h"

#include <array>

namespace platform {

QtNotificationArea::QtNotificationArea(WindowProcedures &procedures, const PictureTable &pictures, QObject *parent)
    : QObject(parent), m_procedures(procedures), m_pictures(pictures)
{
}

QtNotificationArea::~QtNotificationArea()
{
    for (const Entry &e : std::as_const(m_icons))
        delete e.icon;
}

void QtNotificationArea::apply(Entry &entry, const NOTIFYICONDATAA &data)
{
    if (data.uFlags & nif::NIF_MESSAGE) {
        entry.callbackMessage = data.uCallbackMessage;
        entry.hasCallback = true;
    }
    if (data.uFlags & nif::NIF_TIP)
        entry.icon->setToolTip(shownTip(data));
    if (data.uFlags & nif::NIF_ICON)
        entry.icon->setIcon(m_pictures.imageOf(data.hIcon));
    // Qt shows no entry without a picture; the place is kept all the same.
    entry.icon->setVisible(!entry.icon->icon().isNull());
}

bool QtNotificationArea::Shell_NotifyIconA(quint32 dwMessage, const NOTIFYICONDATAA &data)
{
    if (data.cbSize != sizeof(NOTIFYICONDATAA))
        return false;
    const Key key{data.hWnd, data.uID};
    switch (dwMessage) {
    case nim::NIM_ADD: {
        if (m_icons.contains(key))
            return false;
        Entry entry;
        entry.icon = new QSystemTrayIcon(this);
        connect(entry.icon, &QSystemTrayIcon::activated, this,
                [this, key](QSystemTrayIcon::ActivationReason reason) { activated(key, reason); });
        apply(m_icons.insert(key, entry).value(), data);
        return true;
    }
    case nim::NIM_MODIFY: {
        const auto found = m_icons.find(key);
        if (found == m_icons.end())
            return false;
        apply(found.value(), data);
        return true;
    }
    case nim::NIM_DELETE: {
        const auto found = m_icons.find(key);
        if (found == m_icons.end())
            return false;
        QSystemTrayIcon *icon = found->icon;
        m_icons.erase(found);
        icon->hide();
        // The owner may be deleting it from inside the icon's own signal.
        icon->deleteLater();
        return true;
    }
    default:
        return false;
    }
}

void QtNotificationArea::activated(const Key &key, QSystemTrayIcon::ActivationReason reason)
{
    std::array<int, 2> messages{};
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        messages = {wm::WM_LBUTTONDOWN, wm::WM_LBUTTONUP};
        break;
    case QSystemTrayIcon::DoubleClick:
        messages = {wm::WM_LBUTTONDBLCLK, wm::WM_LBUTTONUP};
        break;
    case QSystemTrayIcon::Context:
        messages = {wm::WM_RBUTTONDOWN, wm::WM_RBUTTONUP};
        break;
    case QSystemTrayIcon::MiddleClick:
        messages = {wm::WM_MBUTTONDOWN, wm::WM_MBUTTONUP};
        break;
    default:
        return;
    }
    for (int message : messages) {
        // Looked up afresh: the owner may have taken the icon out, or
        // changed who hears of it, while told of the last message.
        const auto found = m_icons.constFind(key);
        if (found == m_icons.constEnd() || !found->hasCallback)
            return;
        m_procedures.sendMessage(key.first, found->callbackMessage, key.second, message);
    }
}

} // namespace platform
