#pragma once

#include "tarvo/ChildWindow.h"
#include "tarvo/DesignLayout.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvo {

// Where the user gives a connection's user name and password for Tarvo to
// type into the dialing dialog. The password is kept scrambled.
class frmLogin : public ChildWindow {
    Q_OBJECT
public:
    explicit frmLogin(Form1 &main);

    void Form_Activate();
    void txtPassword_Change();
    void Check1_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void Help_Click();

    // A password is stored: the box shows it in its own colour, empty.
    // Whether it does is kept apart from the colour, which a dark desktop
    // changes.
    void showPasswordStored(bool stored);
    bool passwordStoredLook() const;

    std::array<QLabel *, 2> lblLabels{};
    QLineEdit *txtUserName = nullptr;
    QLineEdit *txtPassword = nullptr;
    QCheckBox *Check1 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *Help = nullptr;

    bool PasswordEdited = false;

    static const QColor kStoredColour;

private:
    DesignLayout m_layout{1};
    bool m_passwordStored = false;

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace tarvo
