#pragma once

#include "platform/ControlHost.h"
#include "platform/NotificationArea.h"
#include "platform/Picture.h"
#include "platform/WindowProcedures.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

namespace testing_support {

// A notification area that writes down every call and keeps the icons in
// it by the same rules as the desktop's; the test plays the mouse.
class RecordingNotificationArea : public platform::NotificationArea {
public:
    struct Call {
        quint32 message;
        platform::NOTIFYICONDATAA data;
    };
    struct Icon {
        quint32 flags = 0;   // every field ever given
        quint32 callbackMessage = 0;
        quint32 hIcon = 0;
        QString tip;
    };
    using Key = std::pair<quint32, quint32>;

    explicit RecordingNotificationArea(platform::WindowProcedures &procedures) : m_procedures(procedures) {}

    bool Shell_NotifyIconA(quint32 message, const platform::NOTIFYICONDATAA &data) override;

    bool has(platform::Hwnd window, quint32 id = 0) const { return icons.contains({quint32(window), id}); }
    // The tip as the area shows it.
    QString tip(platform::Hwnd window, quint32 id = 0) const { return icons.value({quint32(window), id}).tip; }
    // Sends the icon's owner `mouseMessage` (platform::wm) on it; false
    // when there is no such icon or it asked for no messages.
    bool mouse(platform::Hwnd window, quint32 id, int mouseMessage);
    // The one icon in the area (the program shows at most one), or none.
    std::optional<Key> only() const;

    QList<Call> calls;
    QMap<Key, Icon> icons;   // in the area now
    // Runs at each call, before it is carried out.
    std::function<void(const Call &)> onCall;

private:
    platform::WindowProcedures &m_procedures;
};

// A control host whose plug-ins the test provides and whose sites write
// down change notices and properties written.
class RecordingControlHost : public platform::ControlHost {
public:
    explicit RecordingControlHost(platform::ControlServices services) : m_services(services) {}

    QObject *loadPlugIn(const QString &name) override;
    std::unique_ptr<platform::ControlSite> createSite(const QString &instance,
                                                      const platform::StoredProperties &stored,
                                                      platform::ControlEvents events) override;

    // What loading a plug-in gives, by name; nullptr for the rest.
    QMap<QString, QObject *> plugIns;
    QStringList loaded;

    // The run mode of the sites made from now on.
    bool userMode = true;
    // Each instance's stored properties, as its site last wrote them.
    QMap<QString, platform::StoredProperties> stored;
    QMap<QString, QMap<QString, platform::Picture>> storedPictures;
    // Change notices, as "instance.property".
    QStringList notices;
    // Events raised, as "instance.dispId(param, ...)".
    QStringList events;

    platform::ControlServices &services() { return m_services; }

private:
    platform::ControlServices m_services;
};

} // namespace testing_support
