#include "platform/TrayIconWindow.h"

#include "platform/NotificationArea.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace platform {

TrayIconWindow::TrayIconWindow(std::function<void(int)> mouse)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_mouse(std::move(mouse))
{
    // Clicking the icon must leave the active window as it is, as a click
    // in the notification area does.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    setFixedSize(kSide, kSide);
}

void TrayIconWindow::setIcon(const QIcon &icon)
{
    m_icon = icon;
    update();
}

void TrayIconWindow::setTip(const QString &tip)
{
    setToolTip(tip);
    // The window's name, so the desktop's window lists can tell it.
    setWindowTitle(tip);
}

void TrayIconWindow::placeInCorner(int slot)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    constexpr int margin = 8;
    move(area.right() - margin - (slot + 1) * kSide - slot * margin + 1, area.bottom() - margin - kSide + 1);
}

void TrayIconWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    m_icon.paint(&painter, rect().adjusted(4, 4, -4, -4));
}

int TrayIconWindow::messageOf(const QMouseEvent &event)
{
    // Each button's messages are down, up and double click, one after another.
    int first = 0;
    switch (event.button()) {
    case Qt::LeftButton:
        first = wm::WM_LBUTTONDOWN;
        break;
    case Qt::RightButton:
        first = wm::WM_RBUTTONDOWN;
        break;
    case Qt::MiddleButton:
        first = wm::WM_MBUTTONDOWN;
        break;
    default:
        return 0;
    }
    switch (event.type()) {
    case QEvent::MouseButtonPress:
        return first;
    case QEvent::MouseButtonRelease:
        return first + 1;
    case QEvent::MouseButtonDblClick:
        return first + 2;
    default:
        return 0;
    }
}

void TrayIconWindow::report(const QMouseEvent &event)
{
    if (const int message = messageOf(event))
        m_mouse(message);
}

void TrayIconWindow::mouseMoveEvent(QMouseEvent *)
{
    m_mouse(wm::WM_MOUSEMOVE);
}

void TrayIconWindow::mousePressEvent(QMouseEvent *event)
{
    report(*event);
}

void TrayIconWindow::mouseReleaseEvent(QMouseEvent *event)
{
    report(*event);
}

void TrayIconWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    report(*event);
}

} // namespace platform
