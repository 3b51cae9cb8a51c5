#include "RecordingTray.h"

namespace testing_support {

namespace {

class RecordingSite : public platform::ControlSite {
public:
    RecordingSite(RecordingControlHost &host, QString instance, bool userMode)
        : m_host(host), m_instance(std::move(instance)), m_userMode(userMode)
    {
    }
    bool userMode() const override { return m_userMode; }
    QVariant readProperty(const QString &name, const QVariant &defaultValue) const override
    {
        return m_host.stored.value(m_instance).value(name, defaultValue);
    }
    void writeProperty(const QString &name, const QVariant &value) override
    {
        m_host.stored[m_instance].insert(name, value);
    }
    void propertyChanged(const QString &name) override { m_host.notices << m_instance + QLatin1Char('.') + name; }

private:
    RecordingControlHost &m_host;
    QString m_instance;
    bool m_userMode;
};

} // namespace

bool RecordingNotificationArea::shellNotifyIcon(int message, const platform::NotifyIconData &data)
{
    calls << Call{message, data};
    const Key key{data.window, data.id};
    switch (message) {
    case platform::nim::NIM_ADD:
        if (icons.contains(key))
            return false;
        icons.insert(key, {});
        [[fallthrough]];
    case platform::nim::NIM_MODIFY: {
        if (!icons.contains(key))
            return false;
        platform::NotifyIconData &icon = icons[key];
        icon.window = data.window;
        icon.id = data.id;
        icon.flags |= data.flags;
        if (data.flags & platform::nif::NIF_MESSAGE)
            icon.callback = data.callback;
        if (data.flags & platform::nif::NIF_ICON)
            icon.icon = data.icon;
        if (data.flags & platform::nif::NIF_TIP)
            icon.tip = data.tip;
        return true;
    }
    case platform::nim::NIM_DELETE:
        return icons.remove(key) > 0;
    default:
        return false;
    }
}

QString RecordingNotificationArea::tip(platform::Hwnd window, quint32 id) const
{
    return platform::shownTip(icons.value({window, id}).tip);
}

bool RecordingNotificationArea::mouse(platform::Hwnd window, quint32 id, int mouseMessage)
{
    const auto found = icons.constFind({window, id});
    if (found == icons.constEnd() || !found->callback)
        return false;
    // A copy: the owner may take its icon out while it is told.
    const auto callback = found->callback;
    callback(id, mouseMessage);
    return true;
}

QObject *RecordingControlHost::loadPlugIn(const QString &name)
{
    loaded << name;
    return plugIns.value(name, nullptr);
}

std::unique_ptr<platform::ControlSite> RecordingControlHost::createSite(const QString &instance,
                                                                        const QVariantMap &storedProperties)
{
    stored.insert(instance, storedProperties);
    return std::make_unique<RecordingSite>(*this, instance, userMode);
}

} // namespace testing_support
