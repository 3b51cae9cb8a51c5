// Opening the credentials dialog for the chosen connection.
#include "tarvo/Form1.h"

#include "tarvo/frmLogin.h"

#include <QCheckBox>
#include <QLineEdit>

namespace tarvo {

void Form1::UserPwd_Click()
{
    trapped(*this, 1, 46, [&] {
        Con_Change();
        frmLogin dialog(*this);
        const QString user = DialUser.isNull() ? QString() : DialUser.toString();
        const QString password = DialPassword.isNull() ? QString() : DialPassword.toString();
        if (!user.isEmpty()) {
            const bool stored = !password.isEmpty();
            dialog.showPasswordStored(stored);
            dialog.txtPassword->setToolTip(stored ? QStringLiteral(" Password Exists") : QString());
            dialog.Check1->setEnabled(!stored);
            dialog.txtUserName->setText(user);
        } else {
            dialog.txtUserName->clear();
            dialog.showPasswordStored(false);
            dialog.txtPassword->setToolTip(QString());
            dialog.Check1->setEnabled(true);
        }
        m_login = &dialog;
        m_platform.boxes.showModal(dialog);
        m_login = nullptr;
    });
}

} // namespace tarvo
