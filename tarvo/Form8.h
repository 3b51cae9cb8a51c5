#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;

namespace tarvo {

// The More Settings window. The settings loader and the tray menu read and
// set its browser-start and timed-connection controls while it is not shown,
// so it is loaded hidden at start-up and keeps them.
class Form8 : public QDialog {
    Q_OBJECT
public:
    explicit Form8(QWidget *parent = nullptr);

    QCheckBox *AppStart = nullptr;
    QCheckBox *AlarmStart = nullptr;
    std::array<QLineEdit *, 2> Alarm{};
};

} // namespace tarvo
