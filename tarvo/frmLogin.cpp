#include "tarvo/frmLogin.h"

#include "tarvo/Form1.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarvo {

// Light cyan: a password is already stored.
const QColor frmLogin::kStoredColour = QColor(0xC0, 0xFF, 0xFF);

frmLogin::frmLogin(Form1 &main, QWidget *parent)
    : QDialog(parent), m_main(main)
{
    setWindowTitle(QStringLiteral("Auto Insert UserName And Password "));
    setFixedSize(330, 150);

    lblLabels[0] = new QLabel(QStringLiteral("&User Name:"), this);
    lblLabels[0]->setGeometry(10, 15, 90, 24);
    txtUserName = new QLineEdit(this);
    txtUserName->setGeometry(105, 15, 210, 24);
    lblLabels[0]->setBuddy(txtUserName);

    lblLabels[1] = new QLabel(QStringLiteral("&Password:"), this);
    lblLabels[1]->setGeometry(10, 48, 90, 24);
    txtPassword = new QLineEdit(this);
    txtPassword->setGeometry(105, 48, 210, 24);
    txtPassword->setEchoMode(QLineEdit::Password);
    lblLabels[1]->setBuddy(txtPassword);

    Check1 = new QCheckBox(QStringLiteral("&Mask The Password"), this);
    Check1->setGeometry(105, 78, 210, 22);
    Check1->setChecked(true);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(40, 110, 80, 28);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setGeometry(125, 110, 80, 28);
    Help = new QPushButton(QStringLiteral("&Help"), this);
    Help->setGeometry(210, 110, 80, 28);
    Help->setToolTip(QStringLiteral("Help On Auto Insert Feature"));

    connect(txtPassword, &QLineEdit::textChanged, this, &frmLogin::txtPassword_Change);
    connect(Check1, &QCheckBox::clicked, this, &frmLogin::Check1_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
    connect(Help, &QPushButton::clicked, this, &frmLogin::Help_Click);
}

void frmLogin::showPasswordStored(bool stored)
{
    QPalette p = txtPassword->palette();
    p.setColor(QPalette::Base, stored ? kStoredColour : palette().color(QPalette::Base));
    txtPassword->setPalette(p);
}

bool frmLogin::passwordStoredLook() const
{
    return txtPassword->palette().color(QPalette::Base) == kStoredColour;
}

void frmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void frmLogin::Form_Activate()
{
    trapped(m_main, 10, 1, [&] {
        setWindowTitle(QStringLiteral(" Connection : ") + m_main.conText());
        PasswordEdited = false;
        if (!txtUserName->text().trimmed().isEmpty()) {
            // The caret stands at the start; Shift+End selects the name so
            // that typing replaces it.
            txtUserName->setFocus();
            txtUserName->setCursorPosition(0);
            // The keys go to the foreground window: make sure it is this one,
            // or Shift+End would land in whatever window was active before.
            platform::WindowManager &windows = m_main.platform().windows;
            const platform::Hwnd self = windows.handleOf(this);
            if (self > 0)
                windows.setForegroundWindow(self);
            if (self <= 0 || windows.getForegroundWindow() == self)
                m_main.platform().keys.sendKeys(QStringLiteral("+{END}"));
        }
    });
}

void frmLogin::txtPassword_Change()
{
    trapped(m_main, 10, 2, [&] {
        PasswordEdited = true;
        Check1->setEnabled(true);
    });
}

void frmLogin::Check1_Click()
{
    trapped(m_main, 10, 3, [&] {
        txtPassword->setEchoMode(Check1->isChecked() ? QLineEdit::Password : QLineEdit::Normal);
        txtPassword->setFocus();
    });
}

void frmLogin::cmdOK_Click()
{
    trapped(m_main, 10, 4, [&] {
        if (passwordStoredLook() && !PasswordEdited) {
            accept();
            return;
        }
        if (txtUserName->text().trimmed().isEmpty() || txtPassword->text().trimmed().isEmpty()) {
            const int answer = m_main.platform().boxes.msgBox(
                QStringLiteral(" You Must Enter Both UserName And PassWord \r\n For Autio Insert Feature To Work. Continue ?"),
                platform::mb::YesNo);
            if (answer == platform::mb::No)
                return;
        }
        const QString name = m_main.conText();
        m_main.Ucinfo(1, txtUserName->text(), 1, 0, name);
        m_main.Ucinfo(2, m_main.ProcessPwd(txtPassword->text(), 1), 1, 0, name);
        m_main.Con_Change();
        accept();
    });
}

void frmLogin::cmdCancel_Click()
{
    trapped(m_main, 10, 5, [&] { reject(); });
}

void frmLogin::Help_Click()
{
    // The help window belongs to the help screens; until they exist the
    // button has nothing to open.
}

} // namespace tarvo
