#pragma once

#include <QIcon>
#include <QWidget>
#include <functional>

namespace platform {

// An icon shown in a small always-on-top window of its own, for a desktop
// without a notification area: the same picture, the same tip, and every
// mouse action on it reported as the mouse message (wm::) it is.
class TrayIconWindow : public QWidget {
    Q_OBJECT
public:
    explicit TrayIconWindow(std::function<void(int mouseMessage)> mouse);

    void setIcon(const QIcon &icon);
    QIcon icon() const { return m_icon; }
    void setTip(const QString &tip);
    // Puts the window in the bottom-right corner of the screen, `slot`
    // places from the corner.
    void placeInCorner(int slot);

    static constexpr int kSide = 36;

    // The mouse message a button event is (wm::), or 0 for one that has none.
    static int messageOf(const QMouseEvent &event);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void report(const QMouseEvent &event);

    std::function<void(int)> m_mouse;
    QIcon m_icon;
};

} // namespace platform
