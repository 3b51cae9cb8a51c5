#include "tarvo/Form3.h"

#include "tarvo/Codes.h"
#include "tarvo/Form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace tarvo {

Form3::Form3(Form1 &main) : ChildWindow(main, Window::TrayMenu)
{
    setWindowTitle(QStringLiteral("Tarvo - Menu"));
    Frame1 = new QFrame(this);
    Combo1 = new QComboBox(Frame1);
    Label7 = new QLabel(Frame1);
    Label1 = new QLabel(QStringLiteral("Go Online"), this);
    Label6 = new QLabel(QStringLiteral("Show Main"), this);
    Label5 = new QLabel(QStringLiteral("Hide"), this);
    Label2 = new QLabel(QStringLiteral("Quit"), this);
    Check1 = new QCheckBox(QStringLiteral("Reconnect"), this);
    Check2 = new QCheckBox(QStringLiteral("Status Window"), this);
    Label8 = new QLabel(QStringLiteral("Auto Disconnect At"), this);
    Text1 = new QLineEdit(this);
    Label9 = new QLabel(this);
    Line1 = new QFrame(this);
    Label3 = new QLabel(this);
    Label4 = new QLabel(this);
    setFixedSize(160, 260);
}

void Form3::Form_Load() {}
void Form3::Form_Activate() {}

} // namespace tarvo
