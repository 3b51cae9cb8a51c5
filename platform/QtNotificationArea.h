#pragma once

#include "platform/NotificationArea.h"
#include "platform/Picture.h"
#include "platform/WindowProcedures.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <utility>

namespace platform {

class TrayIconWindow;

// The notification area through QSystemTrayIcon, one per icon; where the
// desktop has none, each icon gets a small always-on-top window of its own
// (TrayIconWindow) with the same tip and mouse actions, so a program that
// hid itself in the tray can always be got back.
//
// A window of its own reports the mouse as it is. QSystemTrayIcon reports
// clicks only, so the owner hears each click as the messages it is made of:
// a click as left button down and up; a double click as left double click
// and up (Qt reports its first click as a click); a context request as
// right button down and up, or, when it follows another on the same icon
// within the double-click time, as right double click and up; a middle
// click as middle button down and up. Mouse moves are not reported there.
class QtNotificationArea : public QObject, public NotificationArea {
    Q_OBJECT

public:
    enum class Place { Automatic, NotificationArea, OwnWindow };

    // `place` chooses where icons go (Automatic: the notification area when
    // the desktop has one when the icon is added); `msecs` is the clock the
    // double-click time is measured on (a monotonic one by default).
    QtNotificationArea(WindowProcedures &procedures, const PictureTable &pictures, Place place = Place::Automatic,
                       std::function<qint64()> msecs = {}, QObject *parent = nullptr);
    ~QtNotificationArea() override;

    bool Shell_NotifyIconA(quint32 dwMessage, const NOTIFYICONDATAA &data) override;

private:
    using Key = std::pair<quint32, quint32>;   // window, number
    struct Entry {
        QSystemTrayIcon *icon = nullptr;
        QPointer<TrayIconWindow> window;
        quint32 callbackMessage = 0;
        bool hasCallback = false;
        qint64 lastContextAt = -1;
    };

    void apply(Entry &entry, const NOTIFYICONDATAA &data);
    void activated(const Key &key, QSystemTrayIcon::ActivationReason reason);
    // Tells the icon's owner, if the icon is still there and wants to hear.
    bool tell(const Key &key, int mouseMessage);
    bool useOwnWindow() const;
    void placeWindows();

    WindowProcedures &m_procedures;
    const PictureTable &m_pictures;
    Place m_place;
    std::function<qint64()> m_msecs;
    QMap<Key, Entry> m_icons;
};

} // namespace platform
