#include "tarvo/Module2.h"

#include "runtime/Basics.h"
#include "tarvo/Form1.h"
#include "tarvo/Form8.h"
#include "tarvo/Module1.h"

#include <QCheckBox>

namespace tarvo {

namespace {

// Procedure numbers of this module in the error log.
enum { PScanWindows = 1, PGetTitle, PEnumProc, PLocateDialDialog, PDetectConnecting, PDetectFailure,
            PDetectConnected, PPlaceNearCursor, PMakeTopmost };

constexpr int kTitleBuffer = 500;

} // namespace

void Module2::ScanWindows(Hwnd parent)
{
    trapped(m_form, Window::ScannerModule, PScanWindows, [&] {
        DialogCounter = 0;
        ConnectingCounter = 0;
        ErrorBoxCounter = 0;
        ErrorCode = FailureNone;
        platform::WindowManager &windows = m_form.platform().windows;
        ScanParent = parent == 0 ? windows.desktopWindow() : parent;
        m_sinceYield = 0;
        m_form.dial.connectToWindow = -1;
        m_form.dial.connectingWindow = -1;
        m_form.dial.connectedWindow = -1;
        // Verifying is what the progress window shows now, not what it once
        // showed: a line that later drops is an attempt like any other.
        if (ScanMode == ScanMonitor)
            m_form.dial.verifyingSeen = false;
        m_form.triggers.browserMatchText.clear();
        m_form.module1().ReadReg(ReadStartPage);
        const QString name = m_form.conText();
        m_expected = {m_form.options.captionConnectTo.toUpper(), name.toUpper(), (m_form.options.captionConnecting + name).toUpper(),
                      (m_form.options.captionConnected + name).toUpper(), m_form.triggers.browserMatchText.toUpper()};
        windows.enumChildWindows(ScanParent, [this](Hwnd w) { return EnumProc(w); });
    });
}

QString Module2::GetTitle(Hwnd window, TitleMode mode)
{
    return trapped(m_form, Window::ScannerModule, PGetTitle, QString(), [&] {
        // The text as a blank-filled buffer ended by a NUL would give it,
        // trimmed: the blanks before it go, those after it stay (the
        // buffer's own blanks come after the NUL).
        QString title = m_form.platform().windows.getWindowText(window, kTitleBuffer);
        qsizetype lead = 0;
        while (lead < title.size() && title.at(lead) == QLatin1Char(' '))
            ++lead;
        if (mode == TitleUpper) {
            upperTitle(title, lead);
            return LastTitle;
        }
        title.remove(0, lead);
        if (mode == TitleAsIs)
            return title;
        LastTitle = title;
        return title;
    });
}

void Module2::upperTitle(const QString &title, qsizetype lead)
{
    upperInto(LastTitle, QStringView(title).mid(lead));
    if (LastTitle.size() == 1)
        LastTitle.resize(0);
}

bool Module2::readTitle(Hwnd window)
{
    // GetTitle(window, TitleUpper) without handing a copy back: a scan asks it of
    // every window.
    return trapped(m_form, Window::ScannerModule, PGetTitle, false, [&] {
        const QString title = m_form.platform().windows.getWindowText(window, kTitleBuffer);
        qsizetype lead = 0;
        while (lead < title.size() && title.at(lead) == QLatin1Char(' '))
            ++lead;
        upperTitle(title, lead);
        return !LastTitle.isEmpty();
    });
}

void Module2::upperInto(QString &target, QStringView text)
{
    // Plain ASCII, the usual title, is upper-cased into the buffer the last
    // title left, so that a scan of thousands of windows allocates nothing
    // per window; any other character hands the whole text to Qt's rules.
    target.resize(text.size());
    QChar *out = target.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80) {
            target = text.toString().toUpper();
            return;
        }
        *out++ = QChar(u >= u'a' && u <= u'z' ? char16_t(u - (u'a' - u'A')) : u);
    }
}

bool Module2::EnumProc(Hwnd window)
{
    return trapped(m_form, Window::ScannerModule, PEnumProc, true, [&] { return visit(window); });
}

bool Module2::visit(Hwnd w)
{
    if (m_sinceYield == 0 || m_sinceYield >= kWindowsPerYield) {
        m_form.doEvents();
        m_sinceYield = 0;
    }
    ++m_sinceYield;
    if (ScanMode == ScanStop)
        return false;
    if (!readTitle(w))
        return true;

    if (ScanMode == ScanMonitor) {
        Form1 &f = m_form;
        if (f.triggers.browserArmed && !f.dial.inProgress && !BrowserRearmPending) {
            const bool isBrowser = f.triggers.browserMatchText.isEmpty()
                ? LastTitle == QLatin1String("INTERNET EXPLORER")
                : LastTitle.contains(m_expected.browser);
            if (isBrowser) {
                BrowserWindow = w;
                f.triggers.browserStartSeen = true;
            }
        }
        if (BrowserRearmPending) {
            if (GetTitle(BrowserWindow, TitleUpper).isEmpty()) {
                if (f.window<Form8>().AppStart->isChecked())
                    f.triggers.browserArmed = true;
                BrowserRearmPending = false;
                BrowserWindow = -1;
            }
            GetTitle(w, TitleUpper);
        }
        LocateDialDialog(w);
        if (f.dial.watchConnecting || f.dial.inProgress)
            DetectConnecting(w);
        if (f.dial.inProgress && DetectFailure(w)) {
            f.Skey(SkeyToWindow, ErrorBoxWindow, QStringLiteral("{ENTER}"));
            f.dial.failureCode = ErrorCode;
            f.Com_Click(0);
            return false;
        }
        DetectConnected(w);
    } else if (ScanMode == ScanTakeOver) {
        return takeOverVisit(w);
    }
    return true;
}

bool Module2::takeOverVisit(Hwnd w)
{
    ++DialogCounter;
    if (DialogCounter != 2)
        return true;
    TakeOverResult = 0;
    const QString name = GetTitle(w, TitleRemembered);
    if (m_form.ConOp(ConSelectFound, name)) {
        TakeOverResult = 1;
        return false;
    }
    m_form.registerConnection(name);
    m_form.setConText(name);
    m_form.UserPwd_Click();
    TakeOverResult = 1;
    return false;
}

bool Module2::MatchesConnection(const QString &title, const QString &prefix) const
{
    return matchesExpected(title, (prefix + m_form.conText()).toUpper());
}

bool Module2::matchesExpected(const QString &title, const QString &expected)
{
    const qsizetype wanted = title.size() - 3;
    // Under three characters there is nothing to compare. At exactly three,
    // all but the last three is nothing: the title itself has to be where
    // the expected text begins, or any three letters would match any name.
    if (wanted < 0)
        return false;
    if (wanted == 0)
        return expected.startsWith(title);
    return title.startsWith(QStringView(expected).left(wanted));
}

void Module2::LocateDialDialog(Hwnd w)
{
    trapped(m_form, Window::ScannerModule, PLocateDialDialog, [&] {
        Form1 &f = m_form;
        const bool isDialog = LastTitle == m_expected.connectTo;
        if (!f.dial.inProgress) {
            if (isDialog)
                f.dial.connectToWindow = w;
            return;
        }
        if (isDialog)
            ++DialogCounter;
        if (DialogCounter > 0)
            ++DialogCounter;
        if (DialogCounter == 4 && matchesExpected(LastTitle, m_expected.name))
            f.dial.connectToWindow = w;
    });
}

void Module2::DetectConnecting(Hwnd w)
{
    trapped(m_form, Window::ScannerModule, PDetectConnecting, [&] {
        Form1 &f = m_form;
        if (LastTitle.size() > f.options.captionConnecting.size() && matchesExpected(LastTitle, m_expected.connecting)
            && (f.dial.inProgress || f.dial.watchConnecting)) {
            f.dial.connectingWindow = w;
            ++ConnectingCounter;
        }
        if (ConnectingCounter > 0)
            ++ConnectingCounter;
        if (ConnectingCounter == 4 && rt::trimBlanks(LastTitle) == QLatin1String("VERIFYING USER NAME AND PASSWORD..."))
            f.dial.verifyingSeen = true;
    });
}

DialFailure Module2::ClassifyFailure(const QString &upperText)
{
    // The component's texts are matched without regard to case: the rules
    // are written as the component words them, the text arrives upper-cased.
    const QString text = upperText.toUpper();
    if (text.left(34) == QStringLiteral("The modem is being used by another").toUpper())
        return FailurePortInUse;
    if (text.left(30) == QStringLiteral("another program is dialing the").toUpper())
        return FailureLineInUse;
    if (text.contains(QStringLiteral("CANNOT ESTABLISH")))
        return FailureSettings;
    if (text.contains(QStringLiteral("PASSWORD,")))
        return FailurePassword;
    return FailureOther;
}

bool Module2::DetectFailure(Hwnd w)
{
    return trapped(m_form, Window::ScannerModule, PDetectFailure, false, [&] {
        Form1 &f = m_form;
        if (!f.dial.inProgress)
            return false;
        if (LastTitle == QLatin1String("DIAL-UP NETWORKING")) {
            ErrorBoxWindow = w;
            ++ErrorBoxCounter;
            return false;
        }
        if (ErrorBoxCounter == 0)
            return false;
        if (ErrorBoxCounter == 3) {
            ErrorText = LastTitle;
            ErrorCode = ClassifyFailure(LastTitle);
        }
        if (ErrorBoxCounter == 4 && ErrorCode != FailureNone) {
            if (LastTitle.size() > f.options.captionConnecting.size() && matchesExpected(LastTitle, m_expected.connecting))
                return true;
        }
        ++ErrorBoxCounter;
        return false;
    });
}

void Module2::DetectConnected(Hwnd w)
{
    trapped(m_form, Window::ScannerModule, PDetectConnected, [&] {
        Form1 &f = m_form;
        if (LastTitle.size() > f.options.captionConnected.size() && matchesExpected(LastTitle, m_expected.connected))
            f.dial.connectedWindow = w;
    });
}

void Module2::PlaceNearCursor(Hwnd window, int dx, int dy)
{
    trapped(m_form, Window::ScannerModule, PPlaceNearCursor, [&] {
        platform::WindowManager &windows = m_form.platform().windows;
        const QPoint cursor = windows.getCursorPos();
        const QRect rect = windows.getWindowRect(window);
        windows.setWindowPos(window, platform::swp::HWND_TOPMOST, cursor.x() - rect.width() - dx,
                             cursor.y() - rect.height() - dy, 0, 0, platform::swp::SWP_NOSIZE);
    });
}

void Module2::MakeTopmost(Hwnd window)
{
    trapped(m_form, Window::ScannerModule, PMakeTopmost, [&] {
        m_form.platform().windows.setWindowPos(window, platform::swp::HWND_TOPMOST, 0, 0, 0, 0,
                                               platform::swp::SWP_NOMOVE | platform::swp::SWP_NOSIZE);
    });
}

} // namespace tarvo
