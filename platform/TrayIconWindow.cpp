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

void TrayIconWindow::report(Qt::MouseButton button, int left, int right, int middle)
{
    switch (button) {
    case Qt::LeftButton:
        m_mouse(left);
        break;
    case Qt::RightButton:
        m_mouse(right);
        break;
    case Qt::MiddleButton:
        m_mouse(middle);
        break;
    default:
        break;
    }
}

void TrayIconWindow::mouseMoveEvent(QMouseEvent *)
{
    m_mouse(wm::WM_MOUSEMOVE);
}

void TrayIconWindow::mousePressEvent(QMouseEvent *event)
{
    report(event->button(), wm::WM_LBUTTONDOWN, wm::WM_RBUTTONDOWN, wm::WM_MBUTTONDOWN);
}

void TrayIconWindow::mouseReleaseEvent(QMouseEvent *event)
{
    report(event->button(), wm::WM_LBUTTONUP, wm::WM_RBUTTONUP, wm::WM_MBUTTONUP);
}

void TrayIconWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    report(event->button(), wm::WM_LBUTTONDBLCLK, wm::WM_RBUTTONDBLCLK, wm::WM_MBUTTONDBLCLK);
}

} // namespace platform
