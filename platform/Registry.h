#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace platform {

namespace reg {
using Hkey = qint64;
constexpr Hkey HKEY_CLASSES_ROOT = 0x80000000;
constexpr Hkey HKEY_CURRENT_USER = 0x80000001;
constexpr Hkey HKEY_LOCAL_MACHINE = 0x80000002;
constexpr int KEY_ALL_ACCESS = 0xF003F;
constexpr int KEY_READ = 0x20019;
constexpr int ERROR_SUCCESS = 0;
constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int ERROR_INVALID_HANDLE = 6;
constexpr int ERROR_MORE_DATA = 234;
constexpr int ERROR_NO_MORE_ITEMS = 259;
constexpr int REG_NONE = 0;
constexpr int REG_SZ = 1;
constexpr int REG_BINARY = 3;
} // namespace reg

// The system registry, in the shape of the calls the program makes.
class Registry {
public:
    virtual ~Registry() = default;

    virtual int regOpenKeyEx(reg::Hkey hive, const QString &subKey, int options, int samDesired, reg::Hkey &result) = 0;

    // Value number `index` of an open key. `nameLength` comes in as the name
    // buffer's size in characters (room for a terminating NUL included) and
    // goes out as the name's length; `dataSize` likewise in bytes.
    // ERROR_MORE_DATA when either buffer is too small: then the one that was
    // too small has been set to the size it needs (name: characters with the
    // NUL; data: bytes) and nothing else is filled in.
    // ERROR_NO_MORE_ITEMS past the last value.
    virtual int regEnumValue(reg::Hkey key, int index, QString &name, int &nameLength, int &type,
                             QByteArray &data, int &dataSize) = 0;

    // One value by name. A string value's data ends with a NUL, counted in
    // `dataSize`. ERROR_MORE_DATA, with `dataSize` set to the need, when the
    // buffer is too small; ERROR_FILE_NOT_FOUND when there is no such value.
    virtual int regQueryValueEx(reg::Hkey key, const QString &valueName, int &type, QByteArray &data,
                                int &dataSize) = 0;

    virtual int regCloseKey(reg::Hkey key) = 0;
};

} // namespace platform
