// Opening the credentials dialog for the chosen connection.
#include "tarvo/Form1.h"

#include "tarvo/frmLogin.h"

#include <QCheckBox>
#include <QLineEdit>

namespace tarvo {

void Form1::UserPwd_Click()
{
    trapped(*this, Window::Main, Form1Proc::UserPwd_Click, [&] {
        Con_Change();
        frmLogin &dialog = window<frmLogin>();
        const QString user = dial.user.isNull() ? QString() : dial.user.toString();
        const QString password = dial.password.isNull() ? QString() : dial.password.toString();
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
        showModalWindow<frmLogin>();
    });
}

} // namespace tarvo
