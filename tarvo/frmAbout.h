#pragma once

#include "tarvo/ChildWindow.h"
#include "tarvo/DesignLayout.h"

class QLabel;
class QPushButton;

namespace tarvo {

// The about box: the program's name, version, what it does and its licence.
class frmAbout : public ChildWindow {
    Q_OBJECT
public:
    explicit frmAbout(Form1 &main);

    void cmdOK_Click();
    void cmdTips_Click();
    void cmdLicence_Click();

    static QString version();

    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblLicence = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdTips = nullptr;
    QPushButton *cmdLicence = nullptr;

private:
    DesignLayout m_layout{1};
};

} // namespace tarvo
