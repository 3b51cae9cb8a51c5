#pragma once

#include "tarvo/ChildWindow.h"

#include <array>

class QCheckBox;
class QLineEdit;

namespace tarvo {

// The More Settings window. The settings loader and the tray menu read and
// set its browser-start and timed-connection controls while it is not shown,
// so it is loaded hidden at start-up and keeps them.
class Form8 : public ChildWindow {
    Q_OBJECT
public:
    explicit Form8(Form1 &main);

    QCheckBox *AppStart = nullptr;
    QCheckBox *AlarmStart = nullptr;
    std::array<QLineEdit *, 2> Alarm{};
};

} // namespace tarvo
