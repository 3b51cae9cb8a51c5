#pragma once

#include "platform/NotificationArea.h"
#include "platform/Picture.h"
#include "platform/WindowManager.h"
#include "platform/WindowProcedures.h"

#include <QMap>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <memory>

class QObject;

namespace platform {

// The desktop as a hosted control calls it. A plug-in is a library of its
// own: it reaches these through its site, so that it works on the
// program's notification area and tables, never on copies of its own.
struct ControlServices {
    NotificationArea &shell;
    WindowManager &windows;
    WindowProcedures &procedures;
    PictureTable &pictures;
};

// A control's properties as its window stores them: plain values by name,
// and pictures by name as the image files they were made from.
struct StoredProperties {
    QVariantMap values;
    QMap<QString, QString> pictures;
};

// Reads the stored controls of a window from a JSON file (normally one of
// the program's resources): an object of instances, each an object of
// properties; a property stored as {"picture": FILE} is a picture.
// Anything unreadable gives no instances.
QMap<QString, StoredProperties> readStoredControls(const QString &path);

// The window's handler of one control's events: the event's dispatch
// identifier and its parameters, passed by reference.
using ControlEvents = std::function<void(qint32 dispId, QVariantList &params)>;

// A control's place on one of the program's windows, as the control sees
// it: the window's run mode, the control's stored properties, the window's
// ear for changes to them and for the control's events.
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
    virtual Picture readPicture(const QString &name, const Picture &defaultValue) const = 0;
    virtual void writePicture(const QString &name, const Picture &value) = 0;

    // Change notice: the control's property `name` has a new value, so the
    // window's stored copy is out of date until it is written again.
    virtual void propertyChanged(const QString &name) = 0;

    // The control raises an event; the window's handler runs before this
    // returns.
    virtual void raiseEvent(qint32 dispId, QVariantList &params) = 0;

    virtual ControlServices &services() = 0;
};

// A site in the running program. Nobody edits the windows there, so change
// notices go nowhere; properties written are kept for reading back.
class RunningControlSite : public ControlSite {
public:
    RunningControlSite(ControlServices &services, StoredProperties stored, ControlEvents events)
        : m_services(services), m_stored(std::move(stored)), m_events(std::move(events))
    {
    }

    bool userMode() const override { return true; }
    QVariant readProperty(const QString &name, const QVariant &defaultValue) const override;
    void writeProperty(const QString &name, const QVariant &value) override;
    Picture readPicture(const QString &name, const Picture &defaultValue) const override;
    void writePicture(const QString &name, const Picture &value) override;
    void propertyChanged(const QString &) override {}
    void raiseEvent(qint32 dispId, QVariantList &params) override;
    ControlServices &services() override { return m_services; }

private:
    ControlServices &m_services;
    StoredProperties m_stored;
    QMap<QString, Picture> m_pictures;   // written at run time
    ControlEvents m_events;
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
    // window), stored with the properties `stored`, whose events go to
    // `events`.
    virtual std::unique_ptr<ControlSite> createSite(const QString &instance, const StoredProperties &stored,
                                                    ControlEvents events) = 0;
};

} // namespace platform
