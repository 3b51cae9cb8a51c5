#include "platform/DefaultServices.h"

#include "platform/BusyPointer.h"
#include "platform/Clock.h"
#include "platform/ControlHost.h"
#include "platform/EventPump.h"
#include "platform/Keystrokes.h"
#include "platform/MessageBoxes.h"
#include "platform/NotificationArea.h"
#include "platform/Printer.h"
#include "platform/ProcessStarter.h"
#include "platform/Registry.h"
#include "platform/SystemFolders.h"
#include "platform/WindowManager.h"

#include <QCoreApplication>

namespace platform::defaults {

namespace {

class NoBoxes : public MessageBoxes {
public:
    // The answer of the box's last button, the one Escape presses.
    int msgBox(const QString &, int style, const QString &) override
    {
        switch (style & mb::ButtonsMask) {
        case mb::OkCancel:
        case mb::YesNoCancel:
        case mb::RetryCancel:
            return mb::Cancel;
        case mb::AbortRetryIgnore:
            return mb::Ignore;
        case mb::YesNo:
            return mb::No;
        default:
            return mb::Ok;
        }
    }
    void showModal(QDialog &) override {}
};

class NoRegistry : public Registry {
public:
    int regOpenKeyEx(reg::Hkey, const QString &, int, int, reg::Hkey &result) override
    {
        result = 0;
        return reg::ERROR_FILE_NOT_FOUND;
    }
    int regEnumValue(reg::Hkey, int, QString &, int &, int &, QByteArray &, int &) override
    {
        return reg::ERROR_INVALID_HANDLE;
    }
    int regQueryValueEx(reg::Hkey, const QString &, int &, QByteArray &, int &) override
    {
        return reg::ERROR_INVALID_HANDLE;
    }
    int regCloseKey(reg::Hkey) override { return reg::ERROR_INVALID_HANDLE; }
};

class NoWindows : public WindowManager {
public:
    static constexpr Hwnd Desktop = 1;
    Hwnd desktopWindow() override { return Desktop; }
    bool enumChildWindows(Hwnd parent, const std::function<bool(Hwnd)> &) override { return parent == Desktop; }
    QString getWindowText(Hwnd, int) override { return QString(); }
    int isWindowVisible(Hwnd window) override { return window == Desktop ? 1 : 0; }
    bool setForegroundWindow(Hwnd) override { return false; }
    Hwnd setFocus(Hwnd) override { return 0; }
    Hwnd getForegroundWindow() override { return 0; }
    bool setWindowPos(Hwnd, Hwnd, int, int, int, int, unsigned) override { return false; }
    QRect getWindowRect(Hwnd) override { return QRect(); }
    QPoint getCursorPos() override { return QPoint(); }
    Hwnd handleOf(QWidget *) override { return 0; }
    QWidget *widgetOf(Hwnd) override { return nullptr; }
};

class NoKeys : public Keystrokes {
public:
    void sendKeys(const QString &) override {}
};

class NoProcesses : public ProcessStarter {
public:
    qint64 shell(const QString &, int) override { return 0; }
};

class NoPrinter : public Printer {
public:
    void setOrientation(int) override {}
    void printLine(const QString &) override {}
    void endDoc() override {}
};

class NoTray : public NotificationArea {
public:
    bool Shell_NotifyIconA(quint32, const NOTIFYICONDATAA &) override { return false; }
};

class NoPlugIns : public ControlHost {
public:
    QObject *loadPlugIn(const QString &) override { return nullptr; }
    std::unique_ptr<ControlSite> createSite(const QString &, const StoredProperties &stored,
                                            ControlEvents events) override
    {
        return std::make_unique<RunningControlSite>(m_services, stored, std::move(events));
    }

private:
    NoTray m_tray;
    WindowProcedures m_procedures;
    PictureTable m_pictures;
    ControlServices m_services{m_tray, windows(), m_procedures, m_pictures};
};

class NoEvents : public EventPump {
public:
    void doEvents() override {}
};

class NoPointer : public BusyPointer {
public:
    void setBusy(bool) override {}
};

} // namespace

Clock &clock()
{
    static SystemClock c;
    return c;
}

MessageBoxes &boxes()
{
    static NoBoxes b;
    return b;
}

SystemFolders &folders()
{
    static MachineFolders f(QCoreApplication::applicationDirPath());
    return f;
}

FileLookup &files()
{
    static DiskFileLookup f;
    return f;
}

Registry &registry()
{
    static NoRegistry r;
    return r;
}

WindowManager &windows()
{
    static NoWindows w;
    return w;
}

Keystrokes &keys()
{
    static NoKeys k;
    return k;
}

ProcessStarter &process()
{
    static NoProcesses p;
    return p;
}

Printer &printer()
{
    static NoPrinter p;
    return p;
}

ControlHost &controls()
{
    static NoPlugIns c;
    return c;
}

EventPump &events()
{
    static NoEvents e;
    return e;
}

BusyPointer &pointer()
{
    static NoPointer p;
    return p;
}

} // namespace platform::defaults
