// The stand-in machine's registry file as a user might leave it.
#include "FuzzInput.h"
#include "platform/FileRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::InputFile file;
    platform::FileRegistry registry(file.write(data, size));
    for (const QString &key : {QStringLiteral("HKEY_CURRENT_USER\\RemoteAccess\\Addresses"),
                               QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main")})
        registry.readKey(key);

    platform::reg::Hkey key = 0;
    if (registry.regOpenKeyEx(platform::reg::HKEY_CURRENT_USER, QStringLiteral("RemoteAccess\\Addresses"), 0, 0, key) == 0) {
        for (int i = 0; i < 10000; ++i) {
            QString name(256, QChar());
            int nameLength = 256, type = 0, dataSize = 64;
            QByteArray value(64, '\0');
            if (registry.regEnumValue(key, i, name, nameLength, type, value, dataSize) != 0)
                break;
        }
        registry.regCloseKey(key);
    }
    return 0;
}
