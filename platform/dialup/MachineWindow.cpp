#include "platform/dialup/MachineWindow.h"

#include "platform/ProcessStarter.h"
#include "platform/dialup/DialUpNetworking.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dialup {

MachineWindow::MachineWindow(DialUpNetworking &dialup, Names connections, Text startPage, QWidget *parent)
    : QWidget(parent), m_dialup(dialup), m_connections(std::move(connections)), m_startPage(std::move(startPage))
{
    setWindowTitle(QStringLiteral("Stand-in Machine"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Dial a connection by hand:"), this));
    connectionBox = new QComboBox(this);
    layout->addWidget(connectionBox);
    dialButton = new QPushButton(QStringLiteral("Dial by hand"), this);
    layout->addWidget(dialButton);
    dropButton = new QPushButton(QStringLiteral("Server drops the line"), this);
    layout->addWidget(dropButton);
    browserButton = new QPushButton(QStringLiteral("Open the browser"), this);
    layout->addWidget(browserButton);
    connect(dialButton, &QPushButton::clicked, this, &MachineWindow::dialByHand);
    connect(dropButton, &QPushButton::clicked, this, &MachineWindow::dropLine);
    connect(browserButton, &QPushButton::clicked, this, &MachineWindow::toggleBrowser);
    refresh();
}

bool MachineWindow::event(QEvent *e)
{
    // Connections may have been added to the registry meanwhile.
    if (e->type() == QEvent::WindowActivate)
        refresh();
    return QWidget::event(e);
}

void MachineWindow::refresh()
{
    const QString current = connectionBox->currentText();
    connectionBox->clear();
    connectionBox->addItems(m_connections ? m_connections() : QStringList());
    const int i = connectionBox->findText(current);
    if (i >= 0)
        connectionBox->setCurrentIndex(i);
}

void MachineWindow::dialByHand()
{
    const QString name = connectionBox->currentText();
    if (!name.isEmpty())
        m_dialup.dial(name, platform::style::NormalFocus);
}

void MachineWindow::dropLine()
{
    const QString name = connectionBox->currentText();
    if (m_dialup.isConnected(name)) {
        m_dialup.dropLine(name);
        return;
    }
    const QStringList up = m_dialup.connectedLines();
    if (!up.isEmpty())
        m_dialup.dropLine(up.first());
}

void MachineWindow::toggleBrowser()
{
    if (m_browser) {
        delete m_browser;
        browserButton->setText(QStringLiteral("Open the browser"));
        return;
    }
    const QString page = m_startPage ? m_startPage() : QString();
    auto *w = new QWidget;
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowTitle(page.isEmpty() ? QStringLiteral("Internet Explorer")
                                     : page + QStringLiteral(" - Microsoft Internet Explorer"));
    w->resize(480, 320);
    auto *l = new QVBoxLayout(w);
    l->addWidget(new QLabel(page.isEmpty() ? QStringLiteral("(no start page)") : page, w));
    m_browser = w;
    w->show();
    browserButton->setText(QStringLiteral("Close the browser"));
}

} // namespace dialup
