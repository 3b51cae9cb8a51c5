#include "platform/dialup/DialUpNetworking.h"

#include "platform/ProcessStarter.h"
#include "platform/dialup/ScriptedLine.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <functional>

namespace dialup {

namespace {

// A top-level window of the component that tells it how it is left.
class ComponentWindow : public QWidget {
public:
    std::function<void()> onEscape;
    std::function<void()> onClose;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Escape && onEscape) {
            onEscape();
            return;
        }
        QWidget::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent *e) override
    {
        e->ignore();
        if (onClose)
            onClose();
    }
};

QLabel *label(QWidget *parent, const QString &text, int x, int y, int w)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(x, y, w, 22);
    return l;
}

QPushButton *button(QWidget *parent, const QString &text, int x, int y)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(x, y, 90, 28);
    return b;
}

void bringToFront(QWidget *w)
{
    if (!w)
        return;
    w->showNormal();
    // The offscreen platform cannot raise and says so on every call.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        w->raise();
    w->activateWindow();
}

} // namespace

DialUpNetworking::DialUpNetworking(platform::Clock &clock, QString scriptPath, bool ticking, QObject *parent)
    : QObject(parent), m_ownLine(std::make_unique<ScriptedLine>(clock, std::move(scriptPath))), m_line(*m_ownLine)
{
    listen();
    m_timer.setInterval(200);
    connect(&m_timer, &QTimer::timeout, this, &DialUpNetworking::advance);
    if (ticking)
        m_scripted = static_cast<ScriptedLine *>(m_ownLine.get());
}

DialUpNetworking::DialUpNetworking(Line &line, QObject *parent)
    : QObject(parent), m_line(line)
{
    listen();
}

void DialUpNetworking::listen()
{
    connect(&m_line, &Line::verifying, this,
            [this](const QString &name) { setStatus(name, QStringLiteral("Verifying user name and password...")); });
    connect(&m_line, &Line::loggingOn, this,
            [this](const QString &name) { setStatus(name, QStringLiteral("Logging on to network...")); });
    connect(&m_line, &Line::connected, this, &DialUpNetworking::onConnected);
    connect(&m_line, &Line::failed, this, &DialUpNetworking::onFailed);
    connect(&m_line, &Line::dropped, this, &DialUpNetworking::onDropped);
    connect(&m_line, &Line::dialingElsewhere, this, &DialUpNetworking::onDialingElsewhere);
}

DialUpNetworking::~DialUpNetworking()
{
    for (Dial &d : m_dials)
        for (QWidget *w : std::initializer_list<QWidget *>{d.dialog, d.progress, d.failure, d.connected})
            delete w;
}

QString DialUpNetworking::caption(const QString &prefix, const QString &name)
{
    const QString full = prefix + name;
    return full.size() > kCaptionLimit ? full.left(kCaptionLimit - 3) + QStringLiteral("...") : full;
}

DialUpNetworking::Dial *DialUpNetworking::find(const QString &name)
{
    for (Dial &d : m_dials)
        if (d.name == name)
            return &d;
    return nullptr;
}

const DialUpNetworking::Dial *DialUpNetworking::find(const QString &name) const
{
    for (const Dial &d : m_dials)
        if (d.name == name)
            return &d;
    return nullptr;
}

bool DialUpNetworking::dial(const QString &connection, int windowStyle)
{
    if (!m_line.canStart(connection))
        return false;
    Dial *d = find(connection);
    if (windowStyle == platform::style::MinimizedFocus || windowStyle == platform::style::MinimizedNoFocus) {
        if (d && d->connected)
            bringToFront(d->connected);
        return true;
    }
    if (d) {
        // Already under way: its window comes to the front.
        bringToFront(d->failure ? d->failure.data() : d->dialog ? static_cast<QWidget *>(d->dialog.data())
                                                  : d->progress ? d->progress.data() : d->connected.data());
        return true;
    }
    m_dials.push_back(Dial{});
    Dial &fresh = m_dials.back();
    fresh.name = connection;
    openDialog(fresh);
    return true;
}

void DialUpNetworking::openDialog(Dial &d)
{
    const QString name = d.name;
    auto *dialog = new QDialog;
    dialog->setWindowTitle(QStringLiteral("Connect To"));
    dialog->setFixedSize(340, 190);
    label(dialog, QStringLiteral("Dial-up connection"), 10, 8, 320);
    label(dialog, name, 10, 30, 320);
    auto *userLabel = label(dialog, QStringLiteral("&User name:"), 10, 62, 90);
    auto *user = new QLineEdit(dialog);
    user->setGeometry(105, 62, 225, 24);
    userLabel->setBuddy(user);
    auto *passwordLabel = label(dialog, QStringLiteral("&Password:"), 10, 94, 90);
    auto *password = new QLineEdit(dialog);
    password->setGeometry(105, 94, 225, 24);
    password->setEchoMode(QLineEdit::Password);
    passwordLabel->setBuddy(password);
    auto *connectButton = button(dialog, QStringLiteral("&Connect"), 140, 145);
    connectButton->setDefault(true);
    auto *cancel = button(dialog, QStringLiteral("Cancel"), 240, 145);

    connect(connectButton, &QPushButton::clicked, this, [this, name] {
        if (Dial *x = find(name))
            press(*x);
    });
    connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    connect(dialog, &QDialog::rejected, this, [this, name] {
        if (Dial *x = find(name))
            endDial(*x);
    });

    d.dialog = dialog;
    d.userField = user;
    d.passwordField = password;
    d.stage = Stage::Dialog;
    dialog->show();
    // The focus rests on the button, so a typed user name replaces rather
    // than adds to what a field holds.
    connectButton->setFocus();
    bringToFront(dialog);
}

void DialUpNetworking::press(Dial &d)
{
    d.user = d.userField ? d.userField->text() : QString();
    d.password = d.passwordField ? d.passwordField->text() : QString();
    retire(d.dialog);
    d.dialog = nullptr;
    openProgress(d);
    d.stage = Stage::Dialing;
    m_line.dial(d.name, d.user, d.password);
    scheduleAdvance();
}

void DialUpNetworking::openProgress(Dial &d)
{
    const QString name = d.name;
    auto *w = new ComponentWindow;
    w->setWindowTitle(caption(QStringLiteral("Connecting to "), name));
    w->setFixedSize(300, 110);
    label(w, QStringLiteral("Status:"), 10, 10, 280);
    d.status = label(w, QStringLiteral("Dialing..."), 10, 34, 280);
    auto *cancel = button(w, QStringLiteral("Cancel"), 105, 70);
    w->onEscape = [this, name] {
        if (Dial *x = find(name))
            cancelAttempt(*x);
    };
    w->onClose = [this, name] {
        if (Dial *x = find(name))
            endDial(*x);
    };
    connect(cancel, &QPushButton::clicked, this, [this, name] {
        if (Dial *x = find(name))
            cancelAttempt(*x);
    });
    d.progress = w;
    w->show();
    bringToFront(w);
}

void DialUpNetworking::showFailure(Dial &d, const QString &text)
{
    const QString name = d.name;
    auto *box = new QDialog;
    box->setWindowTitle(QStringLiteral("Dial-Up Networking"));
    box->setFixedSize(420, 130);
    auto *ok = button(box, QStringLiteral("OK"), 165, 92);
    ok->setDefault(true);
    auto *icon = new QLabel(box);
    icon->setGeometry(12, 14, 40, 40);
    icon->setPixmap(box->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    // A picture has no text of its own: its name is what is read.
    icon->setWindowTitle(QStringLiteral("Warning"));
    auto *message = label(box, text, 60, 10, 350);
    message->setWordWrap(true);
    message->setFixedHeight(70);
    connect(ok, &QPushButton::clicked, box, &QDialog::accept);
    connect(box, &QDialog::finished, this, [this, name] {
        if (Dial *x = find(name))
            cancelAttempt(*x);
    });
    d.failure = box;
    d.stage = Stage::Failed;
    box->show();
    bringToFront(box);
}

void DialUpNetworking::openConnected(Dial &d)
{
    const QString name = d.name;
    auto *w = new ComponentWindow;
    w->setWindowTitle(caption(QStringLiteral("Connected to "), name));
    w->setFixedSize(260, 80);
    auto *hangUp = button(w, QStringLiteral("Dis&connect"), 85, 25);
    // Reacting to the press, not the click: a mnemonic presses at once.
    connect(hangUp, &QPushButton::pressed, this, [this, name] {
        if (Dial *x = find(name))
            endDial(*x);
    });
    w->onClose = [this, name] {
        if (Dial *x = find(name))
            endDial(*x);
    };
    d.connected = w;
    w->show();
}

void DialUpNetworking::cancelAttempt(Dial &d)
{
    m_line.cancel(d.name);
    scheduleAdvance();
    retire(d.failure);
    retire(d.progress);
    d.failure = nullptr;
    d.progress = nullptr;
    d.status = nullptr;
    openDialog(d);
}

void DialUpNetworking::endDial(Dial &d, bool tellLine)
{
    if (tellLine && d.stage == Stage::Connected)
        m_line.hangUp(d.name);
    else if (tellLine && d.stage != Stage::Dialog)
        m_line.cancel(d.name);
    scheduleAdvance();
    for (QWidget *w : std::initializer_list<QWidget *>{d.dialog, d.progress, d.failure, d.connected})
        retire(w);
    const QString name = d.name;
    m_dials.remove_if([&](const Dial &x) { return x.name == name; });
}

void DialUpNetworking::retire(QWidget *w)
{
    if (!w)
        return;
    // Gone at once for everyone who looks, destroyed at the next pass of the
    // event queue (never inside the window's own key handler).
    w->hide();
    w->setWindowTitle(QString());
    QPointer<QWidget> guard(w);
    QMetaObject::invokeMethod(this, [guard] { delete guard.data(); }, Qt::QueuedConnection);
}

void DialUpNetworking::advance()
{
    m_line.advance();
    scheduleAdvance();
}

void DialUpNetworking::scheduleAdvance()
{
    if (!m_scripted)
        return;
    if (!m_scripted->hasTimedWork())
        m_timer.stop();
    else if (!m_timer.isActive())
        m_timer.start();
}

void DialUpNetworking::setStatus(const QString &name, const QString &text)
{
    if (Dial *d = find(name); d && d->status)
        d->status->setText(text);
}

void DialUpNetworking::onConnected(const QString &name)
{
    Dial *d = find(name);
    if (!d) {
        // Connected by other hands: its window shows all the same.
        m_dials.push_back(Dial{});
        d = &m_dials.back();
        d->name = name;
    }
    // A line says it once per session; told twice, the one window stays.
    if (d->stage == Stage::Connected && d->connected)
        return;
    retire(d->dialog);
    retire(d->progress);
    d->dialog = nullptr;
    d->progress = nullptr;
    d->status = nullptr;
    d->stage = Stage::Connected;
    openConnected(*d);
}

void DialUpNetworking::onFailed(const QString &name, const QString &text)
{
    if (Dial *d = find(name); d && d->stage == Stage::Dialing) {
        if (d->progress)
            showFailure(*d, text);
        else
            endDial(*d);   // dialled by other hands: nothing of ours to show it in
    }
}

void DialUpNetworking::onDropped(const QString &name)
{
    if (Dial *d = find(name))
        endDial(*d, false);
}

void DialUpNetworking::onDialingElsewhere(const QString &name)
{
    if (find(name))
        return;
    m_dials.push_back(Dial{});
    Dial &d = m_dials.back();
    d.name = name;
    d.stage = Stage::Dialing;
    openProgress(d);
}

void DialUpNetworking::dropLine(const QString &connection)
{
    if (Dial *d = find(connection); d && d->stage == Stage::Connected) {
        m_line.drop(connection);
        scheduleAdvance();
    }
}

bool DialUpNetworking::isConnected(const QString &connection) const
{
    const Dial *d = find(connection);
    return d && d->stage == Stage::Connected;
}

QStringList DialUpNetworking::connectedLines() const
{
    QStringList lines;
    for (const Dial &d : m_dials)
        if (d.stage == Stage::Connected)
            lines << d.name;
    return lines;
}

QString DialUpNetworking::typedUser(const QString &connection) const
{
    const Dial *d = find(connection);
    return d ? d->user : QString();
}

QString DialUpNetworking::typedPassword(const QString &connection) const
{
    const Dial *d = find(connection);
    return d ? d->password : QString();
}

} // namespace dialup
