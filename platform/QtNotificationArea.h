#pragma once

#include "platform/NotificationArea.h"
#include "platform/Picture.h"
#include "platform/WindowProcedures.h"

#include <QIcon>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <utility>

class QWidget;

namespace platform {

class TrayIconWindow;

// The notification area through QSystemTrayIcon, one per icon; while the
// desktop has none, each icon also gets a small always-on-top window of its
// own (TrayIconWindow) with the same tip and mouse actions, so a program
// that hid itself in the tray can always be got back. The notification area
// may go and come back while the program runs (a panel restarting): the
// windows come and go with it.
//
// A window of its own reports the mouse as it is. So does an icon in an
// X11 notification area: the widget Qt puts there is watched for its own
// button events, because QSystemTrayIcon's summary of them loses the second
// press of a right double click (that widget takes no double click but the
// left one), and with it the owner would lose the second release.
//
// Where Qt's icon has no widget of its own (a desktop that takes icons over
// D-Bus), it reports clicks only, so the owner hears each click as the
// messages it is made of: a click as left button down and up; a double
// click as left double click and up (Qt reports its first click as a
// click); a context request as right button down and up, or, when it
// follows another on the same icon within the double-click time, as right
// double click and up; a middle click as middle button down and up. Mouse
// moves are not reported there.
class QtNotificationArea : public QObject, public NotificationArea {
    Q_OBJECT

public:
    enum class Place { Automatic, NotificationArea, OwnWindow };

    // `place` chooses where icons go (Automatic: the notification area, and
    // a window of its own while the desktop has none); `msecs` is the clock
    // the double-click time is measured on (a monotonic one by default).
    QtNotificationArea(WindowProcedures &procedures, const PictureTable &pictures, Place place = Place::Automatic,
                       std::function<qint64()> msecs = {}, QObject *parent = nullptr);
    ~QtNotificationArea() override;

    bool Shell_NotifyIconA(quint32 dwMessage, const NOTIFYICONDATAA &data) override;

    // Which of this area's Qt icons `widget` draws, or nullptr. By default
    // the widget Qt puts into an X11 notification area, matched by where it
    // is; tests give a widget of their own.
    using IconWidgetFinder = std::function<const QSystemTrayIcon *(const QWidget *widget)>;
    void setIconWidgetFinder(IconWidgetFinder finder) { m_findIcon = std::move(finder); }
    // Whether the desktop has a notification area now; Qt's answer unless
    // a test gives its own.
    void setTrayAvailability(std::function<bool()> available) { m_trayAvailable = std::move(available); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Key = std::pair<quint32, quint32>;   // window, number
    struct Entry {
        QSystemTrayIcon *icon = nullptr;
        QPointer<TrayIconWindow> window;
        QString tip;
        QIcon image;
        quint32 callbackMessage = 0;
        bool hasCallback = false;
        qint64 lastContextAt = -1;
        // Its widget's own button events reach the owner: Qt's summary of
        // them is not told as well.
        bool buttonsSeen = false;
    };

    void apply(Entry &entry, const NOTIFYICONDATAA &data);
    void activated(const Key &key, QSystemTrayIcon::ActivationReason reason);
    // Tells the icon's owner, if the icon is still there and wants to hear.
    bool tell(const Key &key, int mouseMessage);
    bool trayAvailable() const;
    void addWindow(const Key &key, Entry &entry);
    void placeWindows();
    bool isIconWidget(const QWidget *widget) const;
    const QSystemTrayIcon *qtIconDrawnBy(const QWidget *widget) const;
    // Gives each icon a window of its own exactly while it needs one: always
    // in OwnWindow, while the desktop has no notification area in Automatic.
    void rehome();
    // Watches the application's events only while a Qt icon is there.
    void watchIconWidgets();

    WindowProcedures &m_procedures;
    const PictureTable &m_pictures;
    Place m_place;
    std::function<qint64()> m_msecs;
    std::function<bool()> m_trayAvailable;
    QMap<Key, Entry> m_icons;
    IconWidgetFinder m_findIcon;
    bool m_watching = false;
    bool m_rehomePending = false;
    // Depth of mouse reports under way from an icon's widget: while one
    // is, an icon taken out is left for its widget to finish the event.
    int m_reporting = 0;
};

} // namespace platform
