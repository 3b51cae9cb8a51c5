#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class QComboBox;
class QPushButton;

namespace dialup {

class DialUpNetworking;

// The stand-in machine's own window, for doing by hand what another program
// or the user would: dial a connection without Tarvo, have the server drop
// the line, and start or close the web browser.
class MachineWindow : public QWidget {
    Q_OBJECT
public:
    using Names = std::function<QStringList()>;
    using Text = std::function<QString()>;

    // `connections` lists the machine's dial-up connections; `startPage`
    // gives the browser's start page.
    MachineWindow(DialUpNetworking &dialup, Names connections, Text startPage, QWidget *parent = nullptr);

    void refresh();
    void dialByHand();
    void dropLine();
    void toggleBrowser();
    QWidget *browser() const { return m_browser; }

    QComboBox *connectionBox = nullptr;
    QPushButton *dialButton = nullptr;
    QPushButton *dropButton = nullptr;
    QPushButton *browserButton = nullptr;

protected:
    bool event(QEvent *e) override;

private:
    DialUpNetworking &m_dialup;
    Names m_connections;
    Text m_startPage;
    QPointer<QWidget> m_browser;
};

} // namespace dialup
