#pragma once

#include "platform/NotificationArea.h"
#include "platform/Picture.h"
#include "platform/WindowProcedures.h"

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
    QtNotificationArea(WindowProcedures &procedures, const PictureTable &pictures, QObject *parent = nullptr);
    ~QtNotificationArea() override;

    bool Shell_NotifyIconA(quint32 dwMessage, const NOTIFYICONDATAA &data) override;

private:
    using Key = std::pair<quint32, quint32>;   // window, number
    struct Entry {
        QSystemTrayIcon *icon = nullptr;
        quint32 callbackMessage = 0;
        bool hasCallback = false;
    };

    void apply(Entry &entry, const NOTIFYICONDATAA &data);
    void activated(const Key &key, QSystemTrayIcon::ActivationReason reason);

    WindowProcedures &m_procedures;
    const PictureTable &m_pictures;
    QMap<Key, Entry> m_icons;
};

} // namespace platform
