#include "tarvo/Form2.h"

#include "tarvo/Codes.h"
#include "tarvo/Form1.h"

#include <QLabel>
#include <QPushButton>

namespace tarvo {

namespace {

// Procedure numbers of this window in the error log.
enum { PShowText = 1, PCommand1_Click = 49 };

} // namespace

Form2::Form2(Form1 &main) : ChildWindow(main, Window::HelpText)
{
    setWindowTitle(QStringLiteral(" TARVO HELP"));
    const QString texts[] = {handsFreeText(), autoInsertText(), licenceText()};
    for (int i = 0; i < 3; ++i) {
        Label[i] = m_layout.place(new QLabel(texts[i], this), 12, 12, 456, 300);
        Label[i]->setWordWrap(true);
        Label[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        Label[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        Label[i]->hide();
    }
    Command1 = m_layout.place(new QPushButton(QStringLiteral("&Ok"), this), 200, 322, 80, 28);
    Command1->setDefault(true);
    m_layout.fit();
    setFixedSize(m_layout.toPixels(QSize(480, 362)));
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
}

void Form2::showText(Text text, const QString &caption)
{
    trap(PShowText, [&] {
        for (int i = 0; i < 3; ++i)
            Label[i]->setVisible(i == text);
        setWindowTitle(caption);
    });
}

void Form2::Command1_Click()
{
    trap(PCommand1_Click, [&] { accept(); });
}

QString Form2::handsFreeText()
{
    return QStringLiteral(
        "Tips For Hands-Free Operation\n\n"
        "Tarvo can keep you online without your hand on the mouse:\n\n"
        "- Tick \"Connect As Soon As Tarvo Starts.\" and \"Shrink To Tray When Tarvo Starts.\" in the settings "
        "panel. Tarvo then starts hidden in the tray and dials the last connection at once.\n"
        "- Give the connection its user name and password with \"Auto Insert\". Tarvo types them into the "
        "\"Connect To\" dialog for you.\n"
        "- Keep \"Automatic Reconnection\" ticked. A line that drops is dialled again, up to the number of "
        "tries you set.\n"
        "- In \"More Settings\" set a daily time to connect and one to disconnect, or have Tarvo connect when "
        "the browser starts. For a one-off time, type it in the tray menu's time box.\n"
        "- Double-click the tray icon to go online or offline, and right-click it for the tray menu.\n\n"
        "On this machine the dialing is done by the stand-in machine: its window lets you dial a connection "
        "by hand, drop the line and open a browser window, to see what Tarvo does.");
}

QString Form2::autoInsertText()
{
    return QStringLiteral(
        "The Auto-Insertion Feature\n\n"
        "When the dialer asks for a user name and password in its \"Connect To\" dialog, Tarvo types the ones "
        "you gave for that connection and presses Connect, so a dial needs nobody at the keyboard.\n\n"
        "Choose the connection in the main window, open the settings panel and press \"Auto Insert\". Enter "
        "the user name and the password and press OK. Each connection keeps its own pair. The password is "
        "stored scrambled in Tarvo's database, never as you typed it.\n\n"
        "If you leave them empty, Tarvo leaves the dialog's boxes as they are and only presses Connect.\n\n"
        "If the server refuses the user name or password, Tarvo says so, hangs up and opens this dialog "
        "again so that you can put them right.");
}

QString Form2::licenceText()
{
    return QStringLiteral(
        "Licence Agreement\n\n"
        "You may use Tarvo on your own computers, and copy it and pass it on unchanged, free of charge.\n\n"
        "Tarvo comes without any warranty. Its authors are not liable for any loss or damage arising from its "
        "use, including telephone and online charges run up while Tarvo dials or keeps a line up, and "
        "connections it did not make or did not end.\n\n"
        "The costs Tarvo shows and warns about are worked out from the rate per hour you enter. They are an "
        "estimate: your provider's bill is what counts.");
}

} // namespace tarvo
