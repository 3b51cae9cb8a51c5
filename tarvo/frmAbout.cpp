#include "tarvo/frmAbout.h"

#include "tarvo/Codes.h"
#include "tarvo/Form1.h"
#include "tarvo/Form2.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace tarvo {

namespace {

// Procedure numbers of this window in the error log.
enum { PcmdOK_Click = 1, PcmdTips_Click, PcmdLicence_Click };

} // namespace

frmAbout::frmAbout(Form1 &main) : ChildWindow(main, Window::AboutBox)
{
    setWindowTitle(QStringLiteral("About Tarvo"));
    lblTitle = m_layout.place(new QLabel(QStringLiteral("Tarvo"), this), 12, 12, 336, 30);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = m_layout.place(new QLabel(QStringLiteral("Version ") + version(), this), 12, 46, 336, 18);
    lblDescription = m_layout.place(
        new QLabel(QStringLiteral("Keeps your dial-up connection online: it dials, types your password, "
                                  "reconnects after a drop and logs every session with its cost."),
                   this),
        12, 72, 336, 54);
    lblDescription->setWordWrap(true);
    lblLicence = m_layout.place(
        new QLabel(QStringLiteral("Free to use, copy and pass on unchanged. No warranty: the costs shown are "
                                  "estimates, and charges run up while it dials are yours."),
                   this),
        12, 132, 336, 54);
    lblLicence->setWordWrap(true);
    cmdTips = m_layout.place(new QPushButton(QStringLiteral("&Tips"), this), 12, 198, 100, 28);
    cmdLicence = m_layout.place(new QPushButton(QStringLiteral("&Licence"), this), 130, 198, 100, 28);
    cmdOK = m_layout.place(new QPushButton(QStringLiteral("&Ok"), this), 248, 198, 100, 28);
    cmdOK->setDefault(true);
    m_layout.fit();
    setFixedSize(m_layout.toPixels(QSize(360, 238)));
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdTips, &QPushButton::clicked, this, &frmAbout::cmdTips_Click);
    connect(cmdLicence, &QPushButton::clicked, this, &frmAbout::cmdLicence_Click);
}

QString frmAbout::version()
{
    return QStringLiteral(TARVO_VERSION);
}

void frmAbout::cmdOK_Click()
{
    trap(PcmdOK_Click, [&] { accept(); });
}

void frmAbout::cmdTips_Click()
{
    trap(PcmdTips_Click, [&] {
        m_main.window<Form2>().showText(Form2::HandsFree, QStringLiteral(" TARVO HELP - TIPS FOR HANDS-FREE OPERATION"));
        m_main.showModalWindow<Form2>();
    });
}

void frmAbout::cmdLicence_Click()
{
    trap(PcmdLicence_Click, [&] {
        m_main.window<Form2>().showText(Form2::Licence, QStringLiteral(" TARVO - LICENCE AGREEMENT"));
        m_main.showModalWindow<Form2>();
    });
}

} // namespace tarvo
