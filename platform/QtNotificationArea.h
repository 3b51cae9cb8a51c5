#pragma once

#include "platform/NotificationArea.h"

#include <QMap>
#include <QObject>
#include <QSystemTrayIcon>
#include <utility>

namespace platform {

// The notification area through QSystemTrayIcon, one per icon.
//
// Qt reports clicks, not the mouse itself, so the owner hears each click as
// the messages that make it up: a click as left button down and up, a
// double click as left double click and up, a context request as right
// button down and up, a middle click as middle button down and up. Mouse
// moves are not reported at all.
class QtNotificationArea : public QObject, public NotificationArea {
    Q_OBJECT

public:
    explicit QtNotificationArea(QObject *parent = nullptr);
    ~QtNotificationArea() override;

    bool shellNotifyIcon(int message, const NotifyIconData &data) override;

private:
    using Key = std::pair<Hwnd, quint32>;
    struct Entry {
        QSystemTrayIcon *icon = nullptr;
        std::function<void(quint32, int)> callback;
    };

    void apply(Entry &entry, const NotifyIconData &data);
    void activated(const Key &key, QSystemTrayIcon::ActivationReason reason);

    QMap<Key, Entry> m_icons;
};

} // namespace platform
