#pragma once

#include "platform/Platform.h"
#include "platform/database/Database.h"
#include "runtime/Value.h"
#include "tarvo/Codes.h"
#include "tarvo/DatabaseFile.h"
#include "tarvo/DesignLayout.h"
#include "tarvo/ErrorTrap.h"
#include "tarvo/IntervalTimer.h"

#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <tuple>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace platform {
class ControlSite;
}
namespace TarvoTrayCtl {
class _cSysTray;
}

namespace tarvo {

class Form2;
class Form3;
class Form4;
class Form5;
class Form6;
class Form8;
class frmAbout;
class frmLogin;
class Module1;
class Module2;

// The main window. It is loaded first and lives until the program ends; it
// owns the database and its three cursors, the timers and the state the
// other windows share, grouped below by concern.
class Form1 : public QWidget, public ErrorLog {
    Q_OBJECT
public:
    explicit Form1(platform::Platform &platform, QWidget *parent = nullptr);
    ~Form1() override;

    platform::Platform &platform() { return m_platform; }
    // Lets the window messages that are waiting run, as the procedures do at
    // their fixed points.
    void doEvents();
    // Shows one of the main window's own messages: the tray icons do not
    // react while it is up, and do again however the message ends.
    int ownMessage(const QString &prompt, int style, const QString &title = QString());

    // --- start-up
    void Form_Load();
    bool CheckDialUp();

    // --- database
    bool InitDatabase();
    void Usetting(Settings::Column field, const rt::Value &fvalue);
    bool Ucinfo(int field = 0, const rt::Value &fvalue = {}, UcinfoMode mode = UcinfoEditCurrent,
                int sfield = 0, const rt::Value &sfvalue = {});
    void LoadSettings();
    // The More Settings options that are read while that window is not
    // shown (browser start, timed connection), put into a hidden instance of
    // it as stored. Errors reach the caller.
    void fillHiddenMoreSettings();

    // --- error log
    PendingError &pendingError() override { return Err; }
    void loger(int frmNo, int functNo, bool nomsg = false) override;
    QString errorLogPath() const;

    // --- settings panel
    void DelayChange_Change();
    void WaitChange_Change();
    void Wait_Change();
    void MaxTryChange_Change();
    void Monitor_Click();
    void AutoConnect_Click();
    void Shrink_Click();
    void Label2_Click();
    void Details_MouseMove(int Button, int Shift, int X, int Y);
    // The option tips, on the right button's release.
    void Atrec_MouseUp(int Button, int Shift, int X, int Y);
    void AutoConnect_MouseUp(int Button, int Shift, int X, int Y);
    void Monitor_MouseUp(int Button, int Shift, int X, int Y);
    void Shrink_MouseUp(int Button, int Shift, int X, int Y);
    void Label2_MouseUp(int Button, int Shift, int X, int Y);
    void Label3_MouseUp(int Button, int Shift, int X, int Y);
    void Label4_MouseUp(int Button, int Shift, int X, int Y);
    void About_Click();
    void Details_Click();
    void Settings_Click();
    void Usage_Click();
    bool isCompact() const { return m_heightTwips <= kCompactHeight; }
    int heightTwips() const { return m_heightTwips; }

    // --- exit
    void ComQ_Click();
    void KeepOnline_Timer();
    void Form_Unload(int &Cancel);
    bool ended() const { return m_ended; }
    // The desktop ends the program (logout, shutdown, a termination
    // signal): the session Tarvo watches is recorded once, nothing is asked
    // and the line is left as it is.
    void endSession();

    // The other windows: each is loaded on first use and unloaded when
    // closed. `loadedWindow` does not load.
    template <class W> W &window();
    template <class W> W *loadedWindow() const { return std::get<std::unique_ptr<W>>(m_windows).get(); }
    template <class W> void unloadWindow();
    // The same for a window closing itself from one of its own handlers:
    // it is closed now and deleted once its handler has returned.
    template <class W> void unloadWindowLater();
    // Shows the window modally, then unloads it.
    template <class W> void showModalWindow();
    // Closes whichever other windows are loaded, in the order the exit
    // takes them down.
    void closeOtherWindows();
    // Closes the usage record of the session on the line, once however
    // many ways the program is ended.
    void recordSessionOnce();
    Module1 &module1() { return *m_module1; }
    Module2 &module2() { return *m_module2; }

    // --- connection catalogue
    void LoadConnection();
    void Con_Click();
    void Con_KeyDown(int KeyCode, int Shift);
    void Con_KeyUp(int KeyCode, int Shift);
    void Label5_MouseMove(int Button, int Shift, int X, int Y);
    bool ConOp(ConOpAction action, const QString &search = QString(), int Index = 0);

    // Makes `name` a known connection: a row in the connection table unless
    // it has one, and an entry in the box's list. Errors reach the caller.
    void registerConnection(const QString &name);

    // The connection box's text and list. Setting the text goes through
    // here so that the box reacts to every change made by the program.
    QString conText() const;
    void setConText(const QString &text, bool notify = true);
    void clearConList();
    void addConListItem(const QString &name);

    // --- keystrokes to the dialing component
    void Skey(SkeyAction action, platform::Hwnd hnd, const QString &txt = QString());

    // --- dialing
    void Com_Click(int Index);
    void Gline(int Index);
    void Con_Change();
    QString ProcessPwd(const QString &pwd, PwdMode mode);
    // The same, but nothing when the error trap ended it, for a caller that
    // would otherwise store the empty text over a password.
    std::optional<QString> checkedProcessPwd(const QString &pwd, PwdMode mode);
    void SetStage(DialStageValue st);
    void Sett(DialStageValue st, StageDetailValue ds);
    // One step of the dial for the current stage; false ends the tick.
    bool dialStep();

    // --- monitor, take-over, hang-up
    void Intercept();
    void TakeOver();
    void DisconnectIt();
    void CantDial();

    // --- session accounting
    void SetCstatus(SetCstatusCode code);
    void Backup_Timer();
    void WarnNetUsage();

    // --- tray icons
    // Puts the two tray icon controls on the window with their stored
    // properties. A plug-in that cannot be loaded is a run-time error.
    void placeTrayViews();
    void UpdateTrayIcon();
    void TrayView1_MouseDblClick(int Button, int Id);
    void TrayView1_MouseUp(int Button, int Id);
    void TrayView2_MouseDblClick(int Button, int Id);
    void TrayView2_Mouseup(int Button, int Id);
    // The properties the window sets by dispatch identifier.
    static void putInTray(TarvoTrayCtl::_cSysTray &view, bool value);
    static void putTrayTip(TarvoTrayCtl::_cSysTray &view, const QString &value);
    bool inTray(const std::unique_ptr<TarvoTrayCtl::_cSysTray> &view) const;
    // Both icons out of the tray, when either is in it.
    void takeTrayIconsOut();
    // Minutes since the session began, counted in minute boundaries.
    int elapsedMinutes() const;

    // --- timed connect and disconnect, browser start
    void StartConnectionAuto(AutoQuestion kind);

    // --- credentials dialog
    void UserPwd_Click();

    // --- controls
    QFrame *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *Con = nullptr;
    QLabel *Label5 = nullptr;
    QCheckBox *Atrec = nullptr;
    QCheckBox *Monitor = nullptr;
    QCheckBox *AutoConnect = nullptr;
    QCheckBox *Shrink = nullptr;
    QLineEdit *Delay = nullptr;
    QScrollBar *DelayChange = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Wait = nullptr;
    QScrollBar *WaitChange = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *MaxTry = nullptr;
    QScrollBar *MaxTryChange = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *UserPwd = nullptr;
    QPushButton *Usage = nullptr;
    QPushButton *Settings = nullptr;
    QFrame *Frame2 = nullptr;
    std::array<QPushButton *, 2> Com{};
    QPushButton *Details = nullptr;
    QPushButton *ComQ = nullptr;
    QPushButton *About = nullptr;
    IntervalTimer *KeepOnline = nullptr;
    IntervalTimer *Backup = nullptr;
    // The sites first: a control takes its icon out through its site
    // when it goes.
    std::unique_ptr<platform::ControlSite> TrayView1Site;
    std::unique_ptr<platform::ControlSite> TrayView2Site;
    std::unique_ptr<TarvoTrayCtl::_cSysTray> TrayView1;   // not connected
    std::unique_ptr<TarvoTrayCtl::_cSysTray> TrayView2;   // a session Tarvo owns

    // --- database and its cursors, open from InitDatabase to the end
    std::unique_ptr<db::Database> database;
    std::unique_ptr<db::Recordset> conInfo;
    std::unique_ptr<db::Recordset> settings;
    std::unique_ptr<db::Recordset> track;

    // --- shared state, by concern. The other windows read it; what they
    // change goes through the calls below, except the window scanner's
    // (Module2) findings, which are the dial's own.
    PendingError Err;

    // The program's run: starting, a message up, the exit asked for.
    // Written by the main window and, for the quit, the tray menu.
    struct RunState {
        bool loading = false;
        ExitModeValue exitMode = ExitAsk;
        bool quitRequested = false;
        bool messageOpen = false;
    } run;

    // The options as loaded, and the dialing component's window captions.
    // Written by the loader and the settings panel.
    struct LoadedOptions {
        bool monitorOff = false;
        int maxTries = 0;
        QString captionConnectTo;
        QString captionConnecting;
        QString captionConnected;
    } options;

    // The dial in progress and the component's windows it found, or the
    // connection being taken over. Written by the dial, the monitor, the
    // hang-up, the credentials, the window scanner and the timed question.
    struct DialState {
        bool inProgress = false;
        bool watchConnecting = false;
        bool verifyingSeen = false;
        DialFailure failureCode = FailureNone;
        platform::Hwnd connectToWindow = -1;
        platform::Hwnd connectingWindow = -1;
        platform::Hwnd connectedWindow = -1;
        rt::Value user = rt::Value::null();
        rt::Value password = rt::Value::null();
        bool stayConnected = false;
        DialStageValue stage = StageLaunch;
        StageDetailValue stageDetail = DetailNone;
        QString command;
        bool dialerLaunched = false;
        int tryCount = 0;
        bool tryCounted = false;
        rt::DateTime connectPressedAt;
        TakeOverKindValue takeOverKind = TakeOverNone;
        platform::Hwnd takeOverWindow = -1;
        bool takeOverDeclined = false;
    } dial;

    // The session being timed and the line as last seen. Written by the
    // session accounting, the monitor and the dial.
    struct SessionState {
        rt::Value lineState;            // empty until the first session check
        int previousLineState = LineDown;
        rt::Value start;
        rt::DateTime end;
        rt::Value minutes;
        bool watchdogArmed = false;
        int watchdogTicks = 0;
    } session;

    // The timed connect and disconnect and the browser-start trigger.
    // Written by the loader, the tick, More Settings, the tray menu, the
    // timed question and the window scanner (which sees the browser).
    struct Triggers {
        bool scheduleArmed = false;
        rt::Value connectAt;
        rt::Value disconnectAt;
        bool browserArmed = false;
        QString browserMatchText;
        bool browserStartSeen = false;
        rt::DateTime questionRaisedAt;
        int countdown = 0;
    } triggers;

    // The main window's own controls: the panel's fold, the connection
    // box's text before a change. Written by the main window alone.
    struct ControlState {
        int panelStep = 0;
        QString conTextBefore;
        int conOpIndex = 0;
    } ui;

    // What the other windows change, each in one call.
    bool isDialing() const { return dial.inProgress; }
    void requestQuit() { run.quitRequested = true; }
    // Timed connect at `connectAt` (a time text), disconnect at
    // `disconnectAt` (a time or empty); armed until disarmed.
    void armSchedule(const rt::Value &connectAt, const rt::Value &disconnectAt);
    void disarmSchedule() { triggers.scheduleArmed = false; }
    void setBrowserTrigger(bool armed) { triggers.browserArmed = armed; }
    void setBrowserMatchText(const QString &text) { triggers.browserMatchText = text; }
    // The timed question's answers: hang the line up at the next tick;
    // or forget the browser start just seen and wait for the next one.
    void hangUpAtNextTick() { dial.watchConnecting = true; }
    void dismissBrowserStart();
    const rt::Value &sessionStart() const { return session.start; }

    // Positions are kept in twips, the unit the window was designed in;
    // mouse positions are reported in them too.
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kCompactHeight = 2000;   // twips
    static constexpr int kFullHeight = 4500;

Q_SIGNALS:
    // The program has finished: the caller ends the process.
    void processEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void applyGeometry();
    void centreOnScreen();
    void closeMainWindow();
    bool findConInfo(int sfield, const rt::Value &sfvalue);
    // The countdown of a connect or disconnect question; false ends the tick.
    bool countdownStep();
    // The connect-at and disconnect-at checks of the tick.
    void checkSchedule();
    bool scheduleDue(const rt::DateTime &at);
    void showInitDatabaseFailure();
    // Closes the window and lets it go, now or once its handler is done.
    template <class W> void unload(bool later);
    void trayViewEvent(int view, qint32 dispId, QVariantList &params);
    // The panel's mouse: tips, the label that gives the arrows the focus,
    // the settings button's tip. True when the event is taken.
    bool panelEvent(QObject *watched, QEvent *event);
    void showTip(int procedure, const QString &caption, const QString &text);
    // Opens the tray menu next to the pointer, or closes it when it is up.
    void toggleTrayMenu();

    platform::Platform &m_platform;
    DesignLayout m_layout;
    // In the order they are closed at the exit.
    std::tuple<std::unique_ptr<Form2>, std::unique_ptr<frmAbout>, std::unique_ptr<frmLogin>, std::unique_ptr<Form8>,
               std::unique_ptr<Form3>, std::unique_ptr<Form5>, std::unique_ptr<Form6>, std::unique_ptr<Form4>>
        m_windows;
    // A window whose modal loop is running: closing it ends the loop, and
    // the one who showed it unloads it.
    QWidget *m_modalWindow = nullptr;
    bool m_sessionRecorded = false;
    int m_conKeyPressed = 0;   // the key whose press the connection box saw
    std::unique_ptr<Module1> m_module1;
    std::unique_ptr<Module2> m_module2;
    int m_heightTwips = kFullHeight;
    int m_frame1HeightTwips = 3095;
    int m_frame2TopTwips = 3100;
    bool m_ended = false;
    // A tick or a fold of the panel under way: the message pumps inside
    // them must not start the same again half-way.
    bool m_ticking = false;
    bool m_folding = false;
    // When this tick and the one before it ran, and the last scheduled time
    // a question was raised for: a time is acted on once, however the ticks
    // fall around it.
    rt::DateTime m_tickAt;
    rt::DateTime m_previousTickAt;
    rt::DateTime m_scheduleFiredFor;
};

template <class W>
W &Form1::window()
{
    auto &slot = std::get<std::unique_ptr<W>>(m_windows);
    if (!slot)
        slot = std::make_unique<W>(*this);
    return *slot;
}

template <class W>
void Form1::unloadWindow()
{
    unload<W>(false);
}

template <class W>
void Form1::unloadWindowLater()
{
    unload<W>(true);
}

template <class W>
void Form1::unload(bool later)
{
    auto &slot = std::get<std::unique_ptr<W>>(m_windows);
    if (!slot)
        return;
    if (slot.get() == m_modalWindow) {
        slot->reject();
        return;
    }
    slot->close();
    if (later)
        slot.release()->deleteLater();
    else
        slot.reset();
}

template <class W>
void Form1::showModalWindow()
{
    W &w = window<W>();
    QWidget *const outer = m_modalWindow;
    m_modalWindow = &w;
    m_platform.boxes.showModal(w);
    m_modalWindow = outer;
    unloadWindow<W>();
}

} // namespace tarvo
