#pragma once

#include <QLatin1String>

namespace tarvo {

// The fixed values the program switches on. Every one is kept as it has
// always been: error-log records and stored state carry these numbers.

inline constexpr QLatin1String kCrLf{"\r\n"};

// The two captions of the go-online button: its text is the online state.
inline constexpr QLatin1String kGoOnline{"&Go Online"};
inline constexpr QLatin1String kGoOffline{"&Go Offline"};

// Window numbers, as the error log reports them.
namespace Window {
enum Number : int {
    Main = 1,
    HelpText = 2,
    TrayMenu = 3,
    UsageViewer = 4,
    Question = 5,
    MoreSettings = 8,
    AboutBox = 9,
    Credentials = 10,
    RegistryModule = 11,
    ScannerModule = 12,
    // Not numbered by the original: its errors went to the program-wide trap.
    StatusWindow = 6,
};
} // namespace Window

// Procedure numbers of the main window.
namespace Form1Proc {
enum Number : int {
    About_Click = 1,
    AutoConnect_Click = 2,
    Gline = 3,
    Backup_Timer = 4,
    Com_Click = 5,
    UpdateTrayIcon = 6,
    ComQ_Click = 7,
    Con_Change = 8,
    ProcessPwd = 9,
    Con_Click = 10,
    Con_KeyDown = 11,
    Con_KeyUp = 12,
    Form_Unload = 13,
    StartConnectionAuto = 14,
    KeepOnline_Timer = 15,
    SetCstatus = 16,
    WarnNetUsage = 17,
    SetStage = 18,
    Sett = 19,
    DisconnectIt = 20,
    Skey = 21,
    CantDial = 22,
    ConOp = 23,
    Intercept = 24,
    Label5_MouseMove = 25,
    MaxTryChange_Change = 26,
    Monitor_Click = 27,
    Settings_Click = 28,
    Usage_Click = 29,
    Wait_Change = 30,
    TakeOver = 31,
    DelayChange_Change = 32,
    Details_Click = 33,
    Label2_Click = 34,
    Shrink_Click = 35,
    TrayView1_MouseDblClick = 36,
    TrayView1_MouseUp = 37,
    TrayView2_MouseDblClick = 38,
    TrayView2_Mouseup = 39,
    CheckDialUp = 41,
    Form_Load = 42,
    InitDatabase = 43,
    LoadConnection = 44,
    LoadSettings = 45,
    UserPwd_Click = 46,
    WaitChange_Change = 47,
    Usetting = 48,
    Ucinfo = 49,
    Atrec_MouseUp = 50,
    AutoConnect_MouseUp = 51,
    Details_MouseMove = 52,
    Label2_MouseUp = 53,
    Label3_MouseUp = 54,
    Label4_MouseUp = 55,
    Monitor_MouseUp = 56,
    Shrink_MouseUp = 57,
    // Not one of the window's own: the desktop ended the program.
    EndSession = 58,
};
} // namespace Form1Proc

// How the program is to end (the main window's `run.exitMode`).
enum ExitModeValue : int {
    ExitAsk = -1,              // normal running: ask before quitting
    ExitKeepLine = 0,          // quit and leave the connection up
    ExitHangUpFirst = 1,       // hang up, then quit
    ExitStartupFailed = -212,  // quit without questions
    ExitDialUpMissing = -213,  // quit without questions
};

// What a walk of the scanner does with each window (`ScanMode`).
enum ScanModeValue : int {
    ScanStop = -1,
    ScanMonitor = 1,
    ScanTakeOver = 2,
};

// The dial's stage (`dial.stage`) and its detail (`dial.stageDetail`).
enum DialStageValue : int {
    StageLaunch = 0,       // start the dialer when it is not up
    StageDialog = 1,       // the dialing dialog is up: type the credentials
    StageConnecting = 2,   // the progress window is up: time the attempt
};
enum StageDetailValue : int {
    DetailNone = 0,
    DetailCannotStart = 2,   // the dialer would not start
};

// What a take-over offers (`dial.takeOverKind`).
enum TakeOverKindValue : int {
    TakeOverNone = 0,
    TakeOverDialog = 1,     // a dialing dialog of any connection
    TakeOverLiveLine = 2,   // a live line of the chosen connection
};

// What `SetCstatus` is asked to do.
enum SetCstatusCode : int {
    CheckLine = 0,         // follow the line and record a session that ended
    CloseSession = 1001,   // record the session on the line now (exit)
};

// The line as the session accounting last saw it (`session.lineState`).
enum LineStateValue : int {
    LineDown = 0,
    LineUp = 1,
};

// What `StartConnectionAuto` is asked to raise.
enum AutoQuestion : int {
    AskConnect = 0,
    AskDisconnect = 1,
};

// The question window's last answer.
enum AnswerValue : int {
    NoAnswer = -1,
    AnswerNo = 0,
    AnswerYes = 1,
};

// How `GetTitle` hands a window's title back; its leading blanks go in
// every mode.
enum TitleMode : int {
    TitleUpper = 0,         // upper-cased, and kept as the last title
    TitleRemembered = -1,   // as it is, and kept as the last title
    TitleAsIs = -2,         // as it is
};

// The operations of `Ucinfo` on the connection table.
enum UcinfoMode : int {
    UcinfoEditCurrent = 0,
    UcinfoEditFound = 1,
    UcinfoAppend = 2,
    UcinfoDeleteFound = 3,
    UcinfoFind = 4,
};

// The operations of `ConOp` on the connection box.
enum ConOpAction : int {
    ConFind = 0,
    ConSelectFound = 1,
    ConRemove = 2,
    ConAdd = 3,
    ConSelectIndex = 4,
    ConSetText = 5,
};

// Why a dial failed, from the component's failure box (`dial.failureCode`).
enum DialFailure : int {
    FailureNone = 0,
    FailureLineInUse = 1,      // another program is dialing the connection
    FailurePortInUse = 2,      // the modem is used by another program
    FailureSettings = 3,       // the server's settings
    FailurePassword = 4,       // the password was refused
    FailureOther = -232,       // any other text of the box, shown as it is
};

// The two ways `Skey` sends keys.
enum SkeyAction : int {
    SkeyToWindow = 0,     // the given keys to the given window
    SkeyCredentials = 1,  // the stored user name and password to the dialog
};

// The two ways of `ProcessPwd`: the stored form is every character code
// raised by 50, but for the few the rule cannot keep (see ProcessPwd).
enum PwdMode : int {
    PwdReveal = 0,
    PwdScramble = 1,
};

// The key code of Enter, as the key handlers receive it.
constexpr int kEnterKeyCode = 13;

// What `ReadReg` reads.
enum ReadRegMode : int {
    ReadConnections = 0,
    ReadStartPage = -1,
};

} // namespace tarvo
