#include "tarvo/Module1.h"

#include "runtime/Basics.h"
#include "tarvo/Form1.h"

#include <QComboBox>

namespace tarvo {

namespace reg = platform::reg;

namespace {
// Procedure numbers of this module in the error log.
enum Proc { PReadReg = 1, PGetRegValue, PGetMousePos };
} // namespace

void Module1::ReadReg(int mode)
{
    trapped(m_form, Window::RegistryModule, PReadReg, [&] {
        if (mode == ReadConnections) {
            rebuildConnectionList();
        } else if (mode == ReadStartPage) {
            QString page;
            GetRegValue(reg::HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main"),
                        QStringLiteral("Start Page"), page, ReadStartPage);
        }
    });
}

void Module1::rebuildConnectionList()
{
    platform::Registry &registry = m_form.platform().registry;
    QComboBox *con = m_form.Con;

    const QString remembered = m_form.conText();
    m_form.clearConList();

    reg::Hkey key = 0;
    if (registry.regOpenKeyEx(reg::HKEY_CURRENT_USER, QStringLiteral("RemoteAccess\\Addresses"), 0, kAccessMask, key)
        != reg::ERROR_SUCCESS) {
        // The box is now empty: a change like any other.
        if (!remembered.isEmpty())
            m_form.Con_Change();
        return;
    }

    int dataSize = kDataBufferStart;
    int nameBuffer = kNameBuffer;
    for (int index = 0; index < kMaxValues; ++index) {
        QString name(nameBuffer, QLatin1Char(' '));
        int nameLength = nameBuffer;
        int type = 0;
        QByteArray data(dataSize, '\0');
        int size = dataSize;
        const int answer = registry.regEnumValue(key, index, name, nameLength, type, data, size);
        if (answer == reg::ERROR_MORE_DATA) {
            // A name too long for its buffer gets a buffer of the size it
            // needs; only the data buffer grows step by step. Either way the
            // same value is asked for again, and each retry is closer to
            // fitting, so this ends.
            if (nameLength > nameBuffer)
                nameBuffer = nameLength;
            else
                dataSize += kDataBufferGrowth;
            --index;
            continue;
        }
        if (answer != reg::ERROR_SUCCESS)
            break;
        nameBuffer = kNameBuffer;
        m_form.registerConnection(rt::dropTrailingNul(rt::trimBlanks(name)));
    }
    registry.regCloseKey(key);

    // The rebuild is one change of the box: the dial is prepared again only
    // when the selection ends up different.
    const QString chosen = m_form.Ucinfo(0, {}, UcinfoFind, ConInfo::ConName, remembered) ? remembered
                                                                   : (con->count() > 0 ? con->itemText(0) : QString());
    m_form.setConText(chosen, false);
    if (chosen != remembered)
        m_form.Con_Change();
}

bool Module1::GetRegValue(reg::Hkey hive, const QString &subKey, const QString &valueName, QString &result, int mode)
{
    return trapped(m_form, Window::RegistryModule, PGetRegValue, false, [&] {
        platform::Registry &registry = m_form.platform().registry;
        reg::Hkey key = 0;
        if (registry.regOpenKeyEx(hive, subKey, 0, kAccessMask, key) != reg::ERROR_SUCCESS) {
            result.clear();
            return false;
        }
        QByteArray buffer(1024, '\0');
        int size = 1024;
        int type = 0;
        if (registry.regQueryValueEx(key, valueName, type, buffer, size) != reg::ERROR_SUCCESS) {
            result.clear();
            registry.regCloseKey(key);
            return false;
        }
        QByteArray text = buffer.left(size);
        if (text.endsWith('\0'))
            text.chop(1);
        // Only string values are read through here; anything else reads as
        // no text.
        result = type == reg::REG_SZ ? QString::fromUtf8(text) : QString();
        registry.regCloseKey(key);
        if (mode == ReadStartPage)
            m_form.BrowserMatchText = result;
        return true;
    });
}

void Module1::GetMousePos()
{
    trapped(m_form, Window::RegistryModule, PGetMousePos, [&] { MousePos = m_form.platform().windows.getCursorPos(); });
}

} // namespace tarvo
