#include "platform/QtNotificationArea.h"

#include "platform/TrayIconWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPointer>
#include <array>
#include <memory>

namespace platform {

QtNotificationArea::QtNotificationArea(WindowProcedures &procedures, const PictureTable &pictures, Place place,
                                       std::function<qint64()> msecs, QObject *parent)
    : QObject(parent), m_procedures(procedures), m_pictures(pictures), m_place(place), m_msecs(std::move(msecs))
{
    if (!m_msecs) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        m_msecs = [timer] { return timer->elapsed(); };
    }
}

QtNotificationArea::~QtNotificationArea()
{
    if (m_watching)
        qApp->removeEventFilter(this);
    for (const Entry &e : std::as_const(m_icons)) {
        delete e.icon;
        delete e.window.data();
    }
}

bool QtNotificationArea::trayAvailable() const
{
    return m_trayAvailable ? m_trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void QtNotificationArea::apply(Entry &entry, const NOTIFYICONDATAA &data)
{
    if (data.uFlags & nif::NIF_MESSAGE) {
        entry.callbackMessage = data.uCallbackMessage;
        entry.hasCallback = true;
    }
    if (data.uFlags & nif::NIF_TIP)
        entry.tip = shownTip(data);
    if (data.uFlags & nif::NIF_ICON)
        entry.image = m_pictures.imageOf(data.hIcon);
    if (entry.window) {
        if (data.uFlags & nif::NIF_TIP)
            entry.window->setTip(entry.tip);
        if (data.uFlags & nif::NIF_ICON)
            entry.window->setIcon(entry.image);
    }
    if (entry.icon) {
        if (data.uFlags & nif::NIF_TIP)
            entry.icon->setToolTip(entry.tip);
        if (data.uFlags & nif::NIF_ICON)
            entry.icon->setIcon(entry.image);
        // Qt shows no entry without a picture; the place is kept all the
        // same. A shown icon stays so while the desktop has no notification
        // area: Qt puts it there when one comes.
        entry.icon->setVisible(!entry.icon->icon().isNull());
    }
}

void QtNotificationArea::addWindow(const Key &key, Entry &entry)
{
    entry.window = new TrayIconWindow([this, key](int message) { tell(key, message); });
    entry.window->setTip(entry.tip);
    entry.window->setIcon(entry.image);
    placeWindows();
    entry.window->show();
    entry.window->raise();
}

void QtNotificationArea::placeWindows()
{
    int slot = 0;
    for (const Entry &e : std::as_const(m_icons))
        if (e.window)
            e.window->placeInCorner(slot++);
}

void QtNotificationArea::rehome()
{
    m_rehomePending = false;
    if (m_place != Place::Automatic)
        return;
    const bool tray = trayAvailable();
    for (auto it = m_icons.begin(); it != m_icons.end(); ++it) {
        if (tray && it->window) {
            it->window->hide();
            it->window->deleteLater();
            it->window = nullptr;
        } else if (!tray && !it->window) {
            addWindow(it.key(), *it);
        }
    }
    placeWindows();
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
        if (m_place != Place::OwnWindow) {
            entry.icon = new QSystemTrayIcon(this);
            connect(entry.icon, &QSystemTrayIcon::activated, this,
                    [this, key](QSystemTrayIcon::ActivationReason reason) { activated(key, reason); });
        }
        Entry &added = m_icons.insert(key, entry).value();
        apply(added, data);
        if (m_place == Place::OwnWindow || (m_place == Place::Automatic && !trayAvailable()))
            addWindow(key, added);
        watchIconWidgets();
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
        const Entry gone = found.value();
        m_icons.erase(found);
        // The owner may be deleting it from inside the icon's own report.
        // Hiding Qt's icon destroys its widget at once, so while that
        // widget's event is being told the icon goes with its deletion.
        if (gone.icon) {
            if (m_reporting == 0)
                gone.icon->hide();
            gone.icon->deleteLater();
        }
        if (gone.window) {
            gone.window->hide();
            gone.window->deleteLater();
        }
        placeWindows();
        watchIconWidgets();
        return true;
    }
    default:
        return false;
    }
}

void QtNotificationArea::watchIconWidgets()
{
    bool qtIcons = false;
    for (const Entry &e : std::as_const(m_icons))
        qtIcons = qtIcons || e.icon;
    if (qtIcons == m_watching)
        return;
    m_watching = qtIcons;
    if (m_watching)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool QtNotificationArea::isIconWidget(const QWidget *widget) const
{
    if (m_findIcon)
        return m_findIcon(widget) != nullptr;
    return qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0;
}

const QSystemTrayIcon *QtNotificationArea::qtIconDrawnBy(const QWidget *widget) const
{
    // Qt's own widget for an icon in an X11 notification area; nothing
    // public leads from the icon to it but its place on the screen.
    if (!isIconWidget(widget))
        return nullptr;
    const QPoint middle = widget->mapToGlobal(widget->rect().center());
    for (const Entry &e : m_icons)
        if (e.icon && e.icon->geometry().contains(middle))
            return e.icon;
    return nullptr;
}

bool QtNotificationArea::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    const bool button =
        type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick;
    const bool shown = type == QEvent::Show || type == QEvent::Hide;
    if ((!button && !shown) || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (shown) {
        // Qt hides its icons' widgets when the notification area goes and
        // makes new ones when one comes: the moment to look again, once the
        // change is through.
        if (m_place == Place::Automatic && !m_rehomePending && isIconWidget(widget)) {
            m_rehomePending = true;
            QMetaObject::invokeMethod(this, &QtNotificationArea::rehome, Qt::QueuedConnection);
        }
        return false;
    }
    const QSystemTrayIcon *icon = m_findIcon ? m_findIcon(widget) : qtIconDrawnBy(widget);
    if (!icon)
        return false;
    const int message = TrayIconWindow::messageOf(*static_cast<QMouseEvent *>(event));
    for (auto it = m_icons.begin(); it != m_icons.end(); ++it) {
        if (it->icon != icon)
            continue;
        it->buttonsSeen = true;
        if (message == 0)
            return false;
        const QPointer<QWidget> alive(widget);
        ++m_reporting;
        tell(it.key(), message);
        --m_reporting;
        // Not delivered to a widget the owner's handler did away with.
        return alive.isNull();
    }
    return false;
}

bool QtNotificationArea::tell(const Key &key, int mouseMessage)
{
    // Looked up afresh: the owner may have taken the icon out, or changed
    // who hears of it, while told of the last message.
    const auto found = m_icons.constFind(key);
    if (found == m_icons.constEnd() || !found->hasCallback)
        return false;
    m_procedures.sendMessage(key.first, found->callbackMessage, key.second, mouseMessage);
    return true;
}

void QtNotificationArea::activated(const Key &key, QSystemTrayIcon::ActivationReason reason)
{
    if (const auto found = m_icons.constFind(key); found != m_icons.constEnd() && found->buttonsSeen)
        return;   // its widget has told each button event as it came
    std::array<int, 2> messages{};
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        messages = {wm::WM_LBUTTONDOWN, wm::WM_LBUTTONUP};
        break;
    case QSystemTrayIcon::DoubleClick:
        messages = {wm::WM_LBUTTONDBLCLK, wm::WM_LBUTTONUP};
        break;
    case QSystemTrayIcon::Context: {
        const auto found = m_icons.find(key);
        if (found == m_icons.end())
            return;
        const qint64 now = m_msecs();
        const bool second = found->lastContextAt >= 0 && now - found->lastContextAt <= QApplication::doubleClickInterval();
        // A third click starts a new pair, as the mouse's own would.
        found->lastContextAt = second ? -1 : now;
        messages = second ? std::array<int, 2>{wm::WM_RBUTTONDBLCLK, wm::WM_RBUTTONUP}
                          : std::array<int, 2>{wm::WM_RBUTTONDOWN, wm::WM_RBUTTONUP};
        break;
    }
    case QSystemTrayIcon::MiddleClick:
        messages = {wm::WM_MBUTTONDOWN, wm::WM_MBUTTONUP};
        break;
    default:
        return;
    }
    for (int message : messages)
        if (!tell(key, message))
            return;
}

} // namespace platform
