#pragma once

#include <QHash>
#include <QIcon>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace platform {

class PictureTable;

// A picture object: an image with the kind it was made as and the handle
// the desktop knows it by. Copies share one picture (a counted reference);
// the handle stays valid until the last copy goes. A default-made Picture
// is "nothing".
class Picture {
public:
    enum Type : int { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, EnhMetafile = 4 };

    Picture() = default;

    bool isNothing() const { return !d; }
    int type() const { return d ? d->type : None; }
    quint32 handle() const { return d ? d->handle : 0; }
    QIcon image() const { return d ? d->image : QIcon(); }

    // The same picture object, not merely an equal image.
    friend bool operator==(const Picture &a, const Picture &b) { return a.d == b.d; }

private:
    friend class PictureTable;
    struct Data {
        int type = None;
        quint32 handle = 0;
        QIcon image;
        std::function<void(quint32)> release;
        ~Data()
        {
            if (release)
                release(handle);
        }
    };
    std::shared_ptr<const Data> d;
};

// The desktop's table of picture handles: one for the whole process, handed
// by reference to whoever makes pictures or reads them by handle (the
// program, the plug-ins it hosts, the notification area). Kept in this
// header so that a plug-in uses the program's table, not a copy of its own.
// Must outlive every picture it made.
class PictureTable {
public:
    Picture create(int type, const QIcon &image)
    {
        auto data = std::make_shared<Picture::Data>();
        data->type = type;
        data->handle = m_next++;
        data->image = image;
        m_images.insert(data->handle, image);
        data->release = [this](quint32 handle) { m_images.remove(handle); };
        Picture picture;
        picture.d = std::move(data);
        return picture;
    }
    Picture icon(const QIcon &image) { return create(Picture::Icon, image); }

    // The image of a live handle; a null icon for any other number.
    QIcon imageOf(quint32 handle) const { return m_images.value(handle); }
    bool isLive(quint32 handle) const { return m_images.contains(handle); }

private:
    QHash<quint32, QIcon> m_images;
    // Small numbers are left out, so a stray count or flag is never taken
    // for a handle.
    quint32 m_next = 0x10000;
};

} // namespace platform
