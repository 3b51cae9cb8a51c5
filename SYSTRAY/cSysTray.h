#pragma once

#include "SYSTRAY/TarvoTrayCtl.h"
#include "platform/ControlHost.h"
#include "platform/NotificationArea.h"
#include "platform/Picture.h"

#include <QObject>
#include <QWidget>

namespace TarvoTrayCtl {

// One icon with a tip in the desktop's notification area, shown while
// InTray is true, whose mouse activity comes back as the control's events.
// It knows nothing of the program that hosts it.
class cSysTray : public QWidget, public _cSysTray {
    Q_OBJECT
public:
    cSysTray(QWidget *parent, platform::ControlSite &site);
    ~cSysTray() override;

    platform::Picture TrayIcon() const override;
    void putref_TrayIcon(const platform::Picture &value) override;
    QString TrayTip() const override;
    void put_TrayTip(const QString &value) override;
    bool InTray() const override;
    void put_InTray(bool value) override;
    QVariant getProperty(DISPID dispId) const override;
    bool putProperty(DISPID dispId, const QVariant &value) override;
    void InitNew() override { UserControl_InitProperties(); }
    void Load() override { UserControl_ReadProperties(); }
    void Save() override { UserControl_WriteProperties(); }
    QWidget *window() override { return this; }

    // A mouse message (0x200 to 0x206) on the icon, as the window procedure
    // passes it on.
    void RaiseMouseEvent(int mouseMessage, qint32 id);

    // The tip field of the shell's record for `tip`.
    static void fillTip(platform::NOTIFYICONDATAA &data, const QString &tip);
    // The control's built-in picture, as a new picture object.
    platform::Picture ownPicture() const;

    static constexpr int kSizeTwips = 510;
    static constexpr int kTwipsPerPixel = 15;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void UserControl_Initialize();
    void UserControl_InitProperties();
    void UserControl_ReadProperties();
    void UserControl_WriteProperties();
    void UserControl_Resize();
    void UserControl_Paint();
    void UserControl_Terminate();

    void AddToTray(platform::Hwnd hwnd, qint32 id, const QString &tip, const platform::Picture &icon);
    void RemoveFromTray(platform::Hwnd hwnd, qint32 id);
    void RaiseEvent(DISPID dispId, QVariantList params);
    platform::ControlServices &services() { return m_site.services(); }

    platform::ControlSite &m_site;
    bool m_InTray = false;
    bool iconShown = false;
    qint32 iconId = 0;
    platform::Hwnd m_hWnd = 0;
    QString m_TrayTip;
    platform::Picture m_TrayIcon;
};

} // namespace TarvoTrayCtl
