#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <memory>

class QObject;

namespace platform {

// A control's place on one of the program's windows, as the control sees
// it: the window's run mode, the control's stored properties, and the
// window's ear for changes to them.
class ControlSite {
public:
    virtual ~ControlSite() = default;

    // The ambient run mode: true in the running program (user mode), false
    // while a designer edits the window (design mode).
    virtual bool userMode() const = 0;

    // The property bag: the control's stored properties, by name. Reading
    // one that is not stored gives `defaultValue`.
    virtual QVariant readProperty(const QString &name, const QVariant &defaultValue) const = 0;
    virtual void writeProperty(const QString &name, const QVariant &value) = 0;

    // Change notice: the control's property `name` has a new value, so the
    // window's stored copy is out of date until it is written again.
    virtual void propertyChanged(const QString &name) = 0;
};

// A site in the running program. Nobody edits the windows there, so change
// notices go nowhere; properties written are kept for reading back.
class RunningControlSite : public ControlSite {
public:
    explicit RunningControlSite(QVariantMap stored) : m_stored(std::move(stored)) {}

    bool userMode() const override { return true; }
    QVariant readProperty(const QString &name, const QVariant &defaultValue) const override
    {
        return m_stored.value(name, defaultValue);
    }
    void writeProperty(const QString &name, const QVariant &value) override { m_stored.insert(name, value); }
    void propertyChanged(const QString &) override {}

private:
    QVariantMap m_stored;
};

// Where the controls on the program's windows come from: plug-in libraries
// delivered beside the program, and a site for every instance placed.
class ControlHost {
public:
    virtual ~ControlHost() = default;

    // The root object of the plug-in library `name` in the program folder
    // (its file name without the platform's prefix and suffix), nullptr when
    // there is none to load. A loaded library stays for the whole process.
    virtual QObject *loadPlugIn(const QString &name) = 0;

    // A site for the control instance `instance` (the name it has on its
    // window), stored with the properties `stored`.
    virtual std::unique_ptr<ControlSite> createSite(const QString &instance, const QVariantMap &stored) = 0;
};

} // namespace platform
