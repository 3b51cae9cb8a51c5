#include "platform/ControlHost.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace platform {

namespace {

// The kind of picture an image file makes: icons are drawn to be shown
// small and at any size, the rest are bitmaps.
int pictureType(const QString &file)
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    return suffix == QLatin1String("svg") || suffix == QLatin1String("ico") ? Picture::Icon : Picture::Bitmap;
}

} // namespace

QMap<QString, StoredProperties> readStoredControls(const QString &path)
{
    QMap<QString, StoredProperties> controls;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return controls;
    const QJsonObject instances = QJsonDocument::fromJson(file.readAll()).object();
    for (auto i = instances.begin(); i != instances.end(); ++i) {
        StoredProperties stored;
        const QJsonObject properties = i.value().toObject();
        for (auto p = properties.begin(); p != properties.end(); ++p) {
            const QJsonValue picture = p.value().toObject().value(QLatin1String("picture"));
            if (picture.isString())
                stored.pictures.insert(p.key(), picture.toString());
            else
                stored.values.insert(p.key(), p.value().toVariant());
        }
        controls.insert(i.key(), stored);
    }
    return controls;
}

QVariant RunningControlSite::readProperty(const QString &name, const QVariant &defaultValue) const
{
    return m_stored.values.value(name, defaultValue);
}

void RunningControlSite::writeProperty(const QString &name, const QVariant &value)
{
    m_stored.values.insert(name, value);
}

Picture RunningControlSite::readPicture(const QString &name, const Picture &defaultValue) const
{
    if (m_pictures.contains(name))
        return m_pictures.value(name);
    const QString file = m_stored.pictures.value(name);
    if (file.isEmpty())
        return defaultValue;
    QIcon image(file);
    // A stored image that cannot be read is no picture, as a damaged
    // property would be.
    if (image.availableSizes().isEmpty() && image.pixmap(16, 16).isNull())
        return defaultValue;
    return m_services.pictures.create(pictureType(file), image);
}

void RunningControlSite::writePicture(const QString &name, const Picture &value)
{
    m_pictures.insert(name, value);
}

void RunningControlSite::raiseEvent(qint32 dispId, QVariantList &params)
{
    if (m_events)
        m_events(dispId, params);
}

} // namespace platform
