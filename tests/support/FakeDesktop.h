#pragma once

#include "platform/Keystrokes.h"
#include "platform/ProcessStarter.h"
#include "platform/WindowManager.h"

#include <QHash>
#include <QMap>
#include <QPointer>
#include <QWidget>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

namespace testing_support {

// A desktop written out by the test: windows with texts, in walk order.
class FakeDesktop : public platform::WindowManager {
public:
    static constexpr platform::Hwnd kDesktop = 1;

    // A top-level window put in FRONT of the ones already there (as the most
    // recently shown window would be), with its children's texts in order.
    platform::Hwnd open(const QString &title, const QStringList &children = {});
    // A top-level window put BEHIND all the others.
    platform::Hwnd openBehind(const QString &title, const QStringList &children = {});
    void close(platform::Hwnd window);
    void setText(platform::Hwnd window, const QString &text);
    void setVisible(platform::Hwnd window, bool visible);
    // Where the window is on the screen; windows start empty at 0, 0.
    void setRect(platform::Hwnd window, const QRect &rect);
    platform::Hwnd child(platform::Hwnd topLevel, int index) const;
    void clear();

    platform::Hwnd desktopWindow() override { return kDesktop; }
    bool enumChildWindows(platform::Hwnd parent, const std::function<bool(platform::Hwnd)> &visitor) override;
    QString getWindowText(platform::Hwnd window, int maxCount) override;
    int isWindowVisible(platform::Hwnd window) override;
    bool setForegroundWindow(platform::Hwnd window) override;
    platform::Hwnd setFocus(platform::Hwnd window) override;
    platform::Hwnd getForegroundWindow() override { return m_foreground; }
    bool setWindowPos(platform::Hwnd window, platform::Hwnd insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override;
    QPoint getCursorPos() override { return cursor; }
    QRect getWindowRect(platform::Hwnd window) override;
    // The program's own widgets get handles too, apart from the written-out
    // windows and never walked; moving, stacking and bringing one to the
    // front acts on the widget.
    platform::Hwnd handleOf(QWidget *widget) override;
    QWidget *widgetOf(platform::Hwnd window) override;

    QPoint cursor{500, 400};
    QVector<platform::Hwnd> topmost;
    platform::Hwnd focused = 0;

private:
    struct Window {
        QString text;
        bool visible = true;
        QRect rect;
        QVector<platform::Hwnd> children;
        platform::Hwnd parent = 0;
    };
    platform::Hwnd make(const QString &title, const QStringList &children);
    QMap<platform::Hwnd, Window> m_windows;
    QVector<platform::Hwnd> m_order;   // front to back
    platform::Hwnd m_next = 100;
    platform::Hwnd m_foreground = 0;
    QHash<platform::Hwnd, QPointer<QWidget>> m_widgets;
    platform::Hwnd m_nextWidget = 1000000;
};

// Keystrokes written down instead of typed.
class RecordingKeystrokes : public platform::Keystrokes {
public:
    void sendKeys(const QString &keys) override { sent << keys; }
    QStringList sent;
};

// Command lines written down; answers as told.
class RecordingStarter : public platform::ProcessStarter {
public:
    qint64 shell(const QString &commandLine, int windowStyle) override
    {
        lines << commandLine;
        styles << windowStyle;
        return answer;
    }
    QStringList lines;
    QVector<int> styles;
    qint64 answer = 4242;
};

} // namespace testing_support
