#include "platform/QtNotificationArea.h"

#include <array>

namespace platform {

QtNotificationArea::QtNotificationArea(QObject *parent) : QObject(parent) {}

QtNotificationArea::~QtNotificationArea()
{
    for (const Entry &e : std::as_const(m_icons))
        delete e.icon;
}

void QtNotificationArea::apply(Entry &entry, const NotifyIconData &data)
{
    if (data.flags & nif::NIF_MESSAGE)
        entry.callback = data.callback;
    if (data.flags & nif::NIF_TIP)
        entry.icon->setToolTip(shownTip(data.tip));
    if (data.flags & nif::NIF_ICON)
        entry.icon->setIcon(data.icon);
    // Qt shows no entry without a picture; the place is kept all the same.
    entry.icon->setVisible(!entry.icon->icon().isNull());
}

bool QtNotificationArea::shellNotifyIcon(int message, const NotifyIconData &data)
{
    const Key key{data.window, data.id};
    switch (message) {
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
        if (found == m_icons.constEnd() || !found->callback)
            return;
        const auto callback = found->callback;
        callback(key.second, message);
    }
}

} // namespace platform
