#pragma once

#include "platform/ControlHost.h"
#include "platform/NotificationArea.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <utility>

namespace testing_support {

// A notification area that writes down every call and keeps the icons in
// it by the same rules as the desktop's; the test plays the mouse.
class RecordingNotificationArea : public platform::NotificationArea {
public:
    struct Call {
        int message;
        platform::NotifyIconData data;
    };
    using Key = std::pair<platform::Hwnd, quint32>;

    bool shellNotifyIcon(int message, const platform::NotifyIconData &data) override;

    bool has(platform::Hwnd window, quint32 id = 0) const { return icons.contains({window, id}); }
    // The tip as the area shows it.
    QString tip(platform::Hwnd window, quint32 id = 0) const;
    // Tells the icon's owner of `mouseMessage` (platform::wm) on it; false
    // when there is no such icon or it reports nothing.
    bool mouse(platform::Hwnd window, quint32 id, int mouseMessage);

    QList<Call> calls;
    QMap<Key, platform::NotifyIconData> icons;   // in the area now
};

// A control host whose plug-ins the test provides and whose sites write
// down change notices and properties written.
class RecordingControlHost : public platform::ControlHost {
public:
    QObject *loadPlugIn(const QString &name) override;
    std::unique_ptr<platform::ControlSite> createSite(const QString &instance, const QVariantMap &stored) override;

    // What loading a plug-in gives, by name; nullptr for the rest.
    QMap<QString, QObject *> plugIns;
    QStringList loaded;

    // The run mode of the sites made from now on.
    bool userMode = true;
    // Each instance's stored properties, as its site last wrote them.
    QMap<QString, QVariantMap> stored;
    // Change notices, as "instance.property".
    QStringList notices;
};

} // namespace testing_support
