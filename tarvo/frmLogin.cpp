#include "tarvo/frmLogin.h"

#include "tarvo/Codes.h"
#include "tarvo/Colours.h"
#include "tarvo/DatabaseFile.h"
#include "tarvo/Form1.h"
#include "tarvo/Form2.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>

namespace tarvo {

namespace {

// Procedure numbers of this window in the error log.
enum { PForm_Activate = 1, PtxtPassword_Change, PCheck1_Click, PcmdOK_Click, PcmdCancel_Click, PHelp_Click };

// A masked password shows one "*" per character, whatever the desktop's
// style draws by default.
class AsteriskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

// Light cyan: a password is already stored.
const QColor frmLogin::kStoredColour = QColor(0xC0, 0xFF, 0xFF);

frmLogin::frmLogin(Form1 &main)
    : ChildWindow(main, Window::Credentials)
{
    setWindowTitle(QStringLiteral("Auto Insert UserName And Password "));
    lblLabels[0] = m_layout.place(new QLabel(QStringLiteral("&User Name:"), this), 10, 15, 90, 24);
    txtUserName = m_layout.place(new QLineEdit(this), 105, 15, 210, 24);
    lblLabels[0]->setBuddy(txtUserName);

    lblLabels[1] = m_layout.place(new QLabel(QStringLiteral("&Password:"), this), 10, 48, 90, 24);
    txtPassword = m_layout.place(new QLineEdit(this), 105, 48, 210, 24);
    txtPassword->setEchoMode(QLineEdit::Password);
    auto *asterisks = new AsteriskStyle;
    asterisks->setParent(txtPassword);
    txtPassword->setStyle(asterisks);
    lblLabels[1]->setBuddy(txtPassword);

    Check1 = m_layout.place(new QCheckBox(QStringLiteral("&Mask The Password"), this), 105, 78, 210, 22);
    Check1->setChecked(true);

    cmdOK = m_layout.place(new QPushButton(QStringLiteral("OK"), this), 40, 110, 80, 28);
    cmdOK->setDefault(true);
    cmdCancel = m_layout.place(new QPushButton(QStringLiteral("Cancel"), this), 125, 110, 80, 28);
    Help = m_layout.place(new QPushButton(QStringLiteral("&Help"), this), 210, 110, 80, 28);
    Help->setToolTip(QStringLiteral("Help On Auto Insert Feature"));

    m_layout.fit();
    setFixedSize(m_layout.toPixels(QSize(330, 150)));

    connect(txtPassword, &QLineEdit::textChanged, this, &frmLogin::txtPassword_Change);
    connect(Check1, &QCheckBox::clicked, this, &frmLogin::Check1_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
    connect(Help, &QPushButton::clicked, this, &frmLogin::Help_Click);
}

void frmLogin::showPasswordStored(bool stored)
{
    m_passwordStored = stored;
    if (stored) {
        paintReadable(txtPassword, QPalette::Base, QPalette::Text, kStoredColour);
    } else {
        QPalette p = txtPassword->palette();
        p.setColor(QPalette::Base, palette().color(QPalette::Base));
        p.setColor(QPalette::Text, palette().color(QPalette::Text));
        txtPassword->setPalette(p);
    }
}

bool frmLogin::passwordStoredLook() const
{
    return m_passwordStored;
}

void frmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void frmLogin::Form_Activate()
{
    trap(PForm_Activate, [&] {
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
    trap(PtxtPassword_Change, [&] {
        PasswordEdited = true;
        Check1->setEnabled(true);
    });
}

void frmLogin::Check1_Click()
{
    trap(PCheck1_Click, [&] {
        txtPassword->setEchoMode(Check1->isChecked() ? QLineEdit::Password : QLineEdit::Normal);
        txtPassword->setFocus();
    });
}

void frmLogin::cmdOK_Click()
{
    trap(PcmdOK_Click, [&] {
        if (passwordStoredLook() && !PasswordEdited) {
            accept();
            return;
        }
        if (txtUserName->text().trimmed().isEmpty() || txtPassword->text().trimmed().isEmpty()) {
            const int answer = m_main.platform().boxes.msgBox(
                QStringLiteral(" You Must Enter Both UserName And PassWord ") + kCrLf
                    + QStringLiteral(" For Autio Insert Feature To Work. Continue ?"),
                platform::mb::YesNo);
            if (answer == platform::mb::No)
                return;
        }
        // Scrambled before anything is stored: should that fail, the stored
        // user name and password stay as they were and the dialog stays open.
        const std::optional<QString> scrambled = m_main.checkedProcessPwd(txtPassword->text(), PwdScramble);
        if (!scrambled)
            return;
        const QString name = m_main.conText();
        m_main.Ucinfo(ConInfo::UserName, txtUserName->text(), UcinfoEditFound, ConInfo::ConName, name);
        m_main.Ucinfo(ConInfo::Password, *scrambled, UcinfoEditFound, ConInfo::ConName, name);
        m_main.Con_Change();
        accept();
    });
}

void frmLogin::cmdCancel_Click()
{
    trap(PcmdCancel_Click, [&] { reject(); });
}

void frmLogin::Help_Click()
{
    trap(PHelp_Click, [&] {
        m_main.window<Form2>().showText(Form2::AutoInsert, QStringLiteral(" TARVO HELP - AUTO-INSERTION FEATURE"));
        m_main.showModalWindow<Form2>();
    });
}

} // namespace tarvo
