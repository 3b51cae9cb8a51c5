#include "RecordingTray.h"

#include <cstring>

namespace testing_support {

namespace {

class RecordingSite : public platform::ControlSite {
public:
    RecordingSite(RecordingControlHost &host, QString instance, bool userMode, platform::ControlEvents events)
        : m_host(host), m_instance(std::move(instance)), m_userMode(userMode), m_events(std::move(events)),
          m_running(host.services(), host.stored.value(m_instance), {})
    {
    }
    bool userMode() const override { return m_userMode; }
    QVariant readProperty(const QString &name, const QVariant &defaultValue) const override
    {
        return m_host.stored.value(m_instance).values.value(name, defaultValue);
    }
    void writeProperty(const QString &name, const QVariant &value) override
    {
        m_host.stored[m_instance].values.insert(name, value);
    }
    platform::Picture readPicture(const QString &name, const platform::Picture &defaultValue) const override
    {
        const auto written = m_host.storedPictures.value(m_instance);
        if (written.contains(name))
            return written.value(name);
        return m_running.readPicture(name, defaultValue);
    }
    void writePicture(const QString &name, const platform::Picture &value) override
    {
        m_host.storedPictures[m_instance].insert(name, value);
    }
    void propertyChanged(const QString &name) override { m_host.notices << m_instance + QLatin1Char('.') + name; }
    void raiseEvent(qint32 dispId, QVariantList &params) override
    {
        QStringList shown;
        for (const QVariant &p : std::as_const(params))
            shown << p.toString();
        m_host.events << QStringLiteral("%1.%2(%3)").arg(m_instance).arg(dispId).arg(shown.join(QLatin1Char(',')));
        if (m_events)
            m_events(dispId, params);
    }
    platform::ControlServices &services() override { return m_host.services(); }

private:
    RecordingControlHost &m_host;
    QString m_instance;
    bool m_userMode;
    platform::ControlEvents m_events;
    platform::RunningControlSite m_running;   // reads stored pictures as the program does
};

} // namespace

bool RecordingNotificationArea::Shell_NotifyIconA(quint32 message, const platform::NOTIFYICONDATAA &data)
{
    calls << Call{message, data};
    if (onCall)
        onCall(calls.last());
    if (data.cbSize != sizeof data)
        return false;
    const Key key{data.hWnd, data.uID};
    switch (message) {
    case platform::nim::NIM_ADD:
        if (icons.contains(key))
            return false;
        icons.insert(key, {});
        [[fallthrough]];
    case platform::nim::NIM_MODIFY: {
        if (!icons.contains(key))
            return false;
        Icon &icon = icons[key];
        icon.flags |= data.uFlags;
        if (data.uFlags & platform::nif::NIF_MESSAGE)
            icon.callbackMessage = data.uCallbackMessage;
        if (data.uFlags & platform::nif::NIF_ICON)
            icon.hIcon = data.hIcon;
        if (data.uFlags & platform::nif::NIF_TIP)
            icon.tip = platform::shownTip(data);
        return true;
    }
    case platform::nim::NIM_DELETE:
        return icons.remove(key) > 0;
    default:
        return false;
    }
}

bool RecordingNotificationArea::mouse(platform::Hwnd window, quint32 id, int mouseMessage)
{
    const auto found = icons.constFind({quint32(window), id});
    if (found == icons.constEnd() || !(found->flags & platform::nif::NIF_MESSAGE))
        return false;
    m_procedures.sendMessage(window, found->callbackMessage, id, mouseMessage);
    return true;
}

std::optional<RecordingNotificationArea::Key> RecordingNotificationArea::only() const
{
    if (icons.size() != 1)
        return std::nullopt;
    return icons.firstKey();
}

QObject *RecordingControlHost::loadPlugIn(const QString &name)
{
    loaded << name;
    return plugIns.value(name, nullptr);
}

std::unique_ptr<platform::ControlSite> RecordingControlHost::createSite(const QString &instance,
                                                                        const platform::StoredProperties &storedProperties,
                                                                        platform::ControlEvents eventHandler)
{
    stored.insert(instance, storedProperties);
    return std::make_unique<RecordingSite>(*this, instance, userMode, std::move(eventHandler));
}

} // namespace testing_support
