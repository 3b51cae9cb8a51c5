#pragma once

// The type library of the tray icon control: what a program that hosts
// the control sees of it. The plug-in's metadata (TarvoTray.json) carries
// the same identity.

#include "platform/ControlHost.h"
#include "platform/Picture.h"

#include <QString>
#include <QVariant>
#include <QtPlugin>

class QWidget;

namespace TarvoTrayCtl {

using DISPID = qint32;

// Properties of the default interface, by dispatch identifier. A host sets
// InTray and TrayTip by these.
constexpr DISPID DISPID_InTray = 0x68030000;
constexpr DISPID DISPID_TrayIcon = 0x68030001;
constexpr DISPID DISPID_TrayTip = -517;

// Events of the event interface, by dispatch identifier. Parameters, all by
// reference: MouseMove (Id); the others (Button, Id). Button 1 is the left
// and 2 the right mouse button; Id is the icon's number, always 0.
namespace Event {
constexpr DISPID MouseMove = 1;
constexpr DISPID MouseDown = 2;
constexpr DISPID MouseUp = 3;
constexpr DISPID MouseDblClick = 4;
} // namespace Event

// _cSysTray, the default interface: dual, so each property can be reached
// by name or by dispatch identifier.
class _cSysTray {
public:
    virtual ~_cSysTray() = default;

    virtual platform::Picture TrayIcon() const = 0;
    // Set by reference: the control keeps this picture object.
    virtual void putref_TrayIcon(const platform::Picture &value) = 0;
    virtual QString TrayTip() const = 0;
    virtual void put_TrayTip(const QString &value) = 0;
    virtual bool InTray() const = 0;
    virtual void put_InTray(bool value) = 0;

    // The dispatch half. A property the control does not have, or a value
    // of the wrong kind, gives false and changes nothing.
    virtual QVariant getProperty(DISPID dispId) const = 0;
    virtual bool putProperty(DISPID dispId, const QVariant &value) = 0;

    // What the host does with a control it has placed: start a new
    // instance's properties, load a stored one's, store them.
    virtual void InitNew() = 0;
    virtual void Load() = 0;
    virtual void Save() = 0;

    // The control's own window on its host's window.
    virtual QWidget *window() = 0;
};

// The class object of cSysTray: the plug-in's root object.
class ClassFactory {
public:
    virtual ~ClassFactory() = default;
    // A new instance placed on `parent` at `site`. The host then runs
    // InitNew or Load, and owns what it got.
    virtual _cSysTray *CreateInstance(QWidget *parent, platform::ControlSite &site) = 0;
};

} // namespace TarvoTrayCtl

#define TarvoTrayCtl_ClassFactory_iid "TarvoTrayCtl.cSysTray/1.0"
Q_DECLARE_INTERFACE(TarvoTrayCtl::ClassFactory, TarvoTrayCtl_ClassFactory_iid)
