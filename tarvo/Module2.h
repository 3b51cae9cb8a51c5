#pragma once

#include "platform/WindowManager.h"
#include "tarvo/Codes.h"

#include <QString>

namespace tarvo {

class Form1;

using platform::Hwnd;

// The window scanner: walks every window on the desktop, reads their texts
// and turns what the dialing component shows into the main window's state.
// Also the two window-placement helpers.
class Module2 {
public:
    explicit Module2(Form1 &form) : m_form(form) {}

    void ScanWindows(Hwnd parent);
    QString GetTitle(Hwnd window, TitleMode mode);
    bool EnumProc(Hwnd window);   // the visitor: true = go on

    void LocateDialDialog(Hwnd w);
    void DetectConnecting(Hwnd w);
    bool DetectFailure(Hwnd w);
    void DetectConnected(Hwnd w);

    void PlaceNearCursor(Hwnd window, int dx, int dy);
    void MakeTopmost(Hwnd window);

    // Whether a caption is `prefix` + the chosen connection's name, allowing
    // for the component cutting long captions short with "...".
    bool MatchesConnection(const QString &title, const QString &prefix) const;
    // The failure code of a message text of the component, 0 for none.
    static DialFailure ClassifyFailure(const QString &upperText);

    // Waiting messages run at the first window of a scan and then before
    // every this many windows. A scan reads a window in well under a
    // microsecond, so a click or a timer waits a few tenths of a
    // millisecond at most, while a desktop of thousands of windows is not
    // made to look for messages dozens of times a tick (each look costs as
    // much as reading a hundred windows).
    static constexpr int kWindowsPerYield = 512;

    // --- scanner state, alive for the whole process
    int ScanMode = ScanMonitor;
    Hwnd ScanParent = 0;
    QString LastTitle;
    int DialogCounter = 0;
    int ConnectingCounter = 0;
    int ErrorBoxCounter = 0;
    DialFailure ErrorCode = FailureNone;
    Hwnd ErrorBoxWindow = -1;
    QString ErrorText;
    Hwnd BrowserWindow = -1;
    bool BrowserRearmPending = false;
    int TakeOverResult = 0;

private:
    bool visit(Hwnd w);
    // What GetTitle(window, TitleUpper) does, telling only whether the title is
    // not empty.
    bool readTitle(Hwnd window);
    // LastTitle made from `title` with its first `lead` characters left out,
    // as GetTitle's default mode makes it.
    void upperTitle(const QString &title, qsizetype lead);
    // `text` upper-cased into `target`, as QString::toUpper() would.
    static void upperInto(QString &target, QStringView text);
    // The same, against an expected caption already upper-cased.
    static bool matchesExpected(const QString &title, const QString &expected);
    // What the scan looks for, upper-cased once per scan instead of once
    // per window.
    struct Expected {
        QString connectTo;
        QString name;         // the chosen connection's name
        QString connecting;   // the prefix and the chosen connection's name
        QString connected;
        QString browser;
    };
    Expected m_expected;
    int m_sinceYield = 0;   // windows visited since messages last ran
    bool takeOverVisit(Hwnd w);
    Form1 &m_form;
};

} // namespace tarvo
