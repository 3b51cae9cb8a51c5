#include "FakeDesktop.h"

namespace testing_support {

platform::Hwnd FakeDesktop::make(const QString &title, const QStringList &children)
{
    const platform::Hwnd h = m_next++;
    Window w;
    w.text = title;
    for (const QString &c : children) {
        const platform::Hwnd ch = m_next++;
        Window cw;
        cw.text = c;
        cw.parent = h;
        m_windows.insert(ch, cw);
        w.children.push_back(ch);
    }
    m_windows.insert(h, w);
    return h;
}

platform::Hwnd FakeDesktop::open(const QString &title, const QStringList &children)
{
    const platform::Hwnd h = make(title, children);
    m_order.prepend(h);
    return h;
}

platform::Hwnd FakeDesktop::openBehind(const QString &title, const QStringList &children)
{
    const platform::Hwnd h = make(title, children);
    m_order.append(h);
    return h;
}

void FakeDesktop::close(platform::Hwnd window)
{
    if (!m_windows.contains(window))
        return;
    for (platform::Hwnd c : m_windows[window].children)
        m_windows.remove(c);
    m_windows.remove(window);
    m_order.removeAll(window);
}

void FakeDesktop::clear()
{
    m_windows.clear();
    m_order.clear();
}

void FakeDesktop::setText(platform::Hwnd window, const QString &text)
{
    if (m_windows.contains(window))
        m_windows[window].text = text;
}

void FakeDesktop::setVisible(platform::Hwnd window, bool visible)
{
    if (m_windows.contains(window))
        m_windows[window].visible = visible;
}

void FakeDesktop::setRect(platform::Hwnd window, const QRect &rect)
{
    if (m_windows.contains(window))
        m_windows[window].rect = rect;
}

platform::Hwnd FakeDesktop::child(platform::Hwnd topLevel, int index) const
{
    return m_windows.value(topLevel).children.value(index, -1);
}

bool FakeDesktop::enumChildWindows(platform::Hwnd parent, const std::function<bool(platform::Hwnd)> &visitor)
{
    QVector<platform::Hwnd> tops;
    if (parent == kDesktop)
        tops = m_order;
    else if (m_windows.contains(parent))
        tops = m_windows[parent].children;
    else
        return false;
    for (platform::Hwnd t : tops) {
        if (!visitor(t))
            return true;
        if (parent == kDesktop) {
            for (platform::Hwnd c : m_windows.value(t).children)
                if (!visitor(c))
                    return true;
        }
    }
    return true;
}

QString FakeDesktop::getWindowText(platform::Hwnd window, int maxCount)
{
    return m_windows.value(window).text.left(maxCount - 1);
}

int FakeDesktop::isWindowVisible(platform::Hwnd window)
{
    return m_windows.contains(window) && m_windows[window].visible ? 1 : 0;
}

bool FakeDesktop::setForegroundWindow(platform::Hwnd window)
{
    if (QWidget *w = widgetOf(window)) {
        m_foreground = handleOf(w->window());
        return true;
    }
    if (!m_windows.contains(window))
        return false;
    const platform::Hwnd top = m_windows[window].parent ? m_windows[window].parent : window;
    m_foreground = top;
    return true;
}

platform::Hwnd FakeDesktop::setFocus(platform::Hwnd window)
{
    const platform::Hwnd before = focused;
    focused = window;
    return before;
}

bool FakeDesktop::setWindowPos(platform::Hwnd window, platform::Hwnd insertAfter, int x, int y, int cx, int cy,
                               unsigned flags)
{
    if (QWidget *w = widgetOf(window)) {
        if (insertAfter == platform::swp::HWND_TOPMOST)
            topmost << window;
        if (!(flags & platform::swp::SWP_NOMOVE))
            w->move(x, y);
        if (!(flags & platform::swp::SWP_NOSIZE))
            w->resize(cx, cy);
        return true;
    }
    if (!m_windows.contains(window))
        return false;
    if (insertAfter == platform::swp::HWND_TOPMOST)
        topmost << window;
    QRect &rect = m_windows[window].rect;
    if (!(flags & platform::swp::SWP_NOMOVE))
        rect.moveTo(x, y);
    if (!(flags & platform::swp::SWP_NOSIZE))
        rect.setSize(QSize(cx, cy));
    return true;
}

QRect FakeDesktop::getWindowRect(platform::Hwnd window)
{
    if (QWidget *w = widgetOf(window))
        return w->frameGeometry();
    return m_windows.value(window).rect;
}

platform::Hwnd FakeDesktop::handleOf(QWidget *widget)
{
    if (!widget)
        return 0;
    for (auto i = m_widgets.cbegin(); i != m_widgets.cend(); ++i)
        if (i.value() == widget)
            return i.key();
    const platform::Hwnd handle = m_nextWidget++;
    m_widgets.insert(handle, widget);
    return handle;
}

QWidget *FakeDesktop::widgetOf(platform::Hwnd window)
{
    return m_widgets.value(window);
}

} // namespace testing_support
