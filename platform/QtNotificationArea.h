#pragma once

#include "platform/NotificationArea.h"
#include "platform/Picture.h"
#include "platform/WindowProcedures.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

class QWidget;
#include <functional>
#include <utility>

namespace platform {

class TrayIconWindow;

// The notification area through QSystemTrayIcon, one per icon; where the
// desktop has none, each icon gets a small always-on-top window of its own
// (TrayIconWindow) with the same tip and mouse actions, so a program that
// hid itself in the tray can always be got back.
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

    // `place` chooses where icons go (Automatic: the notification area when
    // the desktop has one when the icon is added); `msecs` is the clock the
    // double-click time is measured on (a monotonic one by default).
    QtNotificationArea(WindowProcedures &procedures, const PictureTable &pictures, Place place = Place::Automatic,
                       std::function<qint64()> msecs = {}, QObject *parent = nullptr);
    ~QtNotificationArea() override;

    bool Shell_NotifyIconA(quint32 dwMessage, const NOTIFYICONDATAA &data) override;

    // Which of this area's Qt icons `widget` draws, or nullptr. By default
    // the widget Qt puts into an X11 notification area, matched by where it
    // is; tests give a widget of their own.
    using IconWidgetFinder = std::function<const QSystemTrayIcon *(const QWidget *widget)>;
    void setIconWidgetFinder(IconWidgetFinder finder) { m_findIcon = std::move(finder); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Key = std::pair<quint32, quint32>;   // window, number
    struct Entry {
        QSystemTrayIcon *icon = nullptr;
        QPointer<TrayIconWindow> window;
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
    bool useOwnWindow() const;
    void placeWindows();
    const QSystemTrayIcon *qtIconDrawnBy(const QWidget *widget) const;
    // Watches the application's events only while a Qt icon is shown.
    void watchButtons();

    WindowProcedures &m_procedures;
    const PictureTable &m_pictures;
    Place m_place;
    std::function<qint64()> m_msecs;
    QMap<Key, Entry> m_icons;
    IconWidgetFinder m_findIcon;
    bool m_watching = false;
    // Depth of mouse reports under way from an icon's widget: while one
    // is, an icon taken out is left for its widget to finish the event.
    int m_reporting = 0;
};

} // namespace platform
