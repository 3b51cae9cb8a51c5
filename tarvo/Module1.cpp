#include "tarvo/Module1.h"

#include "runtime/Basics.h"
#include "tarvo/Form1.h"

#include <QComboBox>

#include <algorithm>

namespace tarvo {

namespace reg = platform::reg;

namespace {
// Procedure numbers of this module in the error log.
enum { PReadReg = 1, PGetRegValue, PGetMousePos };
} // namespace

void Module1::ReadReg(ReadRegMode mode)
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
    int retries = 0;
    // One buffer for the whole walk, enlarged only when a value needs more:
    // a fresh zero-filled one per value and per retry made a value of a few
    // megabytes take minutes.
    QByteArray data(dataSize, Qt::Uninitialized);
    for (int index = 0; index < kMaxValues; ++index) {
        QString name(nameBuffer, QLatin1Char(' '));
        int nameLength = nameBuffer;
        int type = 0;
        if (data.size() < dataSize)
            data.resize(dataSize);
        int size = dataSize;
        const int answer = registry.regEnumValue(key, index, name, nameLength, type, data, size);
        if (answer == reg::ERROR_MORE_DATA) {
            // The same value is asked for again with the buffer that was too
            // small made as large as the registry says it must be; growing
            // by a few bytes is left for a registry that does not say. A
            // registry that is never satisfied ends the walk as any other
            // refusal does.
            if (++retries > kMaxRetries)
                break;
            if (nameLength > nameBuffer)
                nameBuffer = nameLength;
            else
                dataSize = std::max(size, dataSize + kDataBufferGrowth);
            --index;
            continue;
        }
        if (answer != reg::ERROR_SUCCESS)
            break;
        nameBuffer = kNameBuffer;
        retries = 0;
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
            m_form.setBrowserMatchText(result);
        return true;
    });
}

void Module1::GetMousePos()
{
    trapped(m_form, Window::RegistryModule, PGetMousePos, [&] { MousePos = m_form.platform().windows.getCursorPos(); });
}

} // namespace tarvo
