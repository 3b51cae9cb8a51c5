#pragma once

#include "platform/Clock.h"
#include "platform/dialup/Line.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <list>
#include <memory>

class QDialog;
class QLabel;
class QLineEdit;
class QWidget;

namespace dialup {

class ScriptedLine;

// The dialing component: real windows with the captions, children and key
// reactions of the old system's dial-up networking, in front of a line that
// does the dialing. The stand-in machine's line behaves as its line-script
// file says; it reads the time through the clock, and moves along only when
// advance() is called (by the component's timer in the program, by the test
// otherwise).
//
// Windows, in the order of their children:
//   "Connect To"           "Dial-up connection", the connection's name,
//                          "&User name:" + field, "&Password:" + field,
//                          "&Connect" (default), "Cancel"
//   "Connecting to NAME"   "Status:", the status line, "Cancel"
//   "Connected to NAME"    "Dis&connect"
//   "Dial-Up Networking"   "OK" (default), the icon (named "Warning"), the text
// Escape in the progress window cancels the attempt and brings the dialing
// dialog back; closing it (Alt+F4) or the dialog ends the dial. Dismissing a
// failure box ends the attempt the same way as Escape. Captions longer than
// kCaptionLimit characters are cut and end in "...".
class DialUpNetworking : public QObject {
    Q_OBJECT
public:
    static constexpr int kCaptionLimit = 40;

    // On the stand-in machine's scripted line.
    DialUpNetworking(platform::Clock &clock, QString scriptPath, bool ticking, QObject *parent = nullptr);
    // In front of another line, which reports by itself.
    explicit DialUpNetworking(Line &line, QObject *parent = nullptr);
    ~DialUpNetworking() override;

    // What the dial command line runs. NormalFocus opens (or brings to the
    // front) the dialing dialog; MinimizedFocus brings back the connected
    // window of that connection when there is one. False when the
    // connection refuses to start.
    bool dial(const QString &connection, int windowStyle);

    void advance();

    // The far end hangs up the line that is up (for the machine window).
    void dropLine(const QString &connection);
    bool isConnected(const QString &connection) const;
    QStringList connectedLines() const;

    static QString caption(const QString &prefix, const QString &name);

    // The credentials typed for the last attempt of a connection.
    QString typedUser(const QString &connection) const;
    QString typedPassword(const QString &connection) const;

private:
    enum class Stage { Dialog, Dialing, Failed, Connected };
    struct Dial {
        QString name;
        Stage stage = Stage::Dialog;
        QString user, password;
        QPointer<QDialog> dialog;
        QPointer<QLineEdit> userField, passwordField;
        QPointer<QWidget> progress;
        QPointer<QLabel> status;
        QPointer<QDialog> failure;
        QPointer<QWidget> connected;
    };

    Dial *find(const QString &name);
    const Dial *find(const QString &name) const;
    void openDialog(Dial &d);
    void press(Dial &d);
    void openProgress(Dial &d);
    void showFailure(Dial &d, const QString &text);
    void openConnected(Dial &d);
    void cancelAttempt(Dial &d);
    // The windows go; `tellLine`: the line is hung up or the attempt
    // given up too (not when the line itself ended).
    void endDial(Dial &d, bool tellLine = true);
    void retire(QWidget *w);
    void listen();
    // The timer runs while the line has something timed to do, so an idle
    // or connected machine is not woken five times a second for nothing.
    void scheduleAdvance();
    void setStatus(const QString &name, const QString &text);
    void onConnected(const QString &name);
    void onFailed(const QString &name, const QString &text);
    void onDropped(const QString &name);
    void onDialingElsewhere(const QString &name);

    std::unique_ptr<Line> m_ownLine;
    ScriptedLine *m_scripted = nullptr; // the own line, which the timer moves along
    Line &m_line;
    QTimer m_timer;
    std::list<Dial> m_dials;
};

} // namespace dialup
