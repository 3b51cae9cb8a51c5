#pragma once

#include "platform/Registry.h"

#include <QPoint>
#include <QString>

namespace tarvo {

class Form1;

// The registry module: the dial-up connections the machine knows, and the
// browser's start page for recognising its window.
class Module1 {
public:
    explicit Module1(Form1 &form) : m_form(form) {}

    // ReadConnections: rebuild the connection list; ReadStartPage: read the
    // browser's start page.
    void ReadReg(ReadRegMode mode);
    bool GetRegValue(platform::reg::Hkey hive, const QString &subKey, const QString &valueName, QString &result,
                     int mode);
    void GetMousePos();

    // Where the mouse pointer was last read, for placing the tray menu.
    QPoint MousePos;

    static constexpr int kMaxValues = 101;
    static constexpr int kNameBuffer = 50;
    static constexpr int kDataBufferStart = 4096;
    static constexpr int kDataBufferGrowth = 8;
    static constexpr int kMaxRetries = 16;
    static constexpr int kAccessMask = 0x2003F;

private:
    void rebuildConnectionList();
    Form1 &m_form;
};

} // namespace tarvo
