// The settings panel below the connection box: folding it away and opening
// it again.
#include "tarvo/Form1.h"

#include "runtime/Basics.h"
#include "tarvo/Form4.h"
#include "tarvo/Form8.h"
#include "tarvo/frmAbout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>

namespace tarvo {

namespace {

constexpr int kRightButton = 2;

// A tip's lines: each string is one line, "" an empty one.
QString tipText(std::initializer_list<const char *> lines, bool endsWithBreak)
{
    QStringList all;
    for (const char *line : lines)
        all << QString::fromLatin1(line);
    QString text = all.join(kCrLf);
    if (endsWithBreak)
        text += kCrLf;
    return text;
}

} // namespace

void Form1::DelayChange_Change()
{
    trapped(*this, Window::Main, Form1Proc::DelayChange_Change, [&] {
        Delay->setText(QString::number(DelayChange->value()));
        Usetting(Settings::Delay, Delay->text());
        // The monitor starts at the end of the start-up, not while the
        // stored delay is being put into the arrows.
        if (!run.loading)
            KeepOnline->setInterval(int(settings->field(Settings::Delay).toLong()));
    });
}

void Form1::WaitChange_Change()
{
    trapped(*this, Window::Main, Form1Proc::WaitChange_Change, [&] {
        Wait->setText(QString::number(WaitChange->value()));
        Usetting(Settings::Wait, Wait->text());
    });
}

void Form1::Wait_Change()
{
    trapped(*this, Window::Main, Form1Proc::Wait_Change, [&] { Usetting(Settings::Wait, rt::trimBlanks(Wait->text())); });
}

void Form1::MaxTryChange_Change()
{
    trapped(*this, Window::Main, Form1Proc::MaxTryChange_Change, [&] {
        MaxTry->setText(QString::number(MaxTryChange->value()));
        options.maxTries = rt::Value(MaxTry->text()).toInt();
        Usetting(Settings::MaxTry, MaxTry->text());
    });
}

void Form1::Monitor_Click()
{
    trapped(*this, Window::Main, Form1Proc::Monitor_Click, [&] {
        Usetting(Settings::Monitor, Monitor->isChecked() ? 1 : 0);
        // Ticked again, it counts from the next fold of the panel.
        if (!Monitor->isChecked())
            options.monitorOff = true;
    });
}

void Form1::AutoConnect_Click()
{
    trapped(*this, Window::Main, Form1Proc::AutoConnect_Click,
            [&] { Usetting(Settings::AutoConnect, AutoConnect->isChecked() ? 1 : 0); });
}

void Form1::Shrink_Click()
{
    trapped(*this, Window::Main, Form1Proc::Shrink_Click, [&] { Usetting(Settings::Shrink, Shrink->isChecked() ? 1 : 0); });
}

void Form1::Label2_Click()
{
    trapped(*this, Window::Main, Form1Proc::Label2_Click, [&] { DelayChange->setFocus(Qt::MouseFocusReason); });
}

void Form1::Details_MouseMove(int, int, int, int)
{
    trapped(*this, Window::Main, Form1Proc::Details_MouseMove, [&] {
        Details->setToolTip(isCompact() ? QStringLiteral(" Click To View Settings ")
                                        : QStringLiteral(" Click To Hide Settings "));
    });
}

void Form1::showTip(int procedure, const QString &caption, const QString &text)
{
    trapped(*this, Window::Main, procedure, [&] {
        m_platform.boxes.msgBox(caption.toUpper() + kCrLf + kCrLf + text, platform::mb::Information,
                                QStringLiteral(" Tarvo - Tip "));
    });
}

void Form1::Atrec_MouseUp(int Button, int, int, int)
{
    if (Button != kRightButton)
        return;
    showTip(Form1Proc::Atrec_MouseUp, Atrec->text(),
            tipText({"   This Option Specifies Whether Tarvo Should",
                     " Automatically Reconnect If The Connection Is",
                     " Lost Suddenly Due To Line Or Server Or Any Other",
                     " Problems. If Checked Tarvo Will Automatically ",
                     " Start Reconnecting Otherwise Not.",
                     "",
                     "       This Option Is Always Selected Each And Every ",
                     " Time Tarvo Starts. Unlike Other Options It's Value",
                     " Is Not Saved.",
                     "",
                     "      If For Any Reason You Do Not Want Tarvo To  ",
                     " Try Reconnecting Then Uncheck It And Tarvo Will   ",
                     " Not reconnect if disconnected.  ",
                     "",
                     "       The Value Of This Option That You Have Set Is ",
                     " Retained Only For The Particular Instance Of Tarvo ",
                     " And Is Saved Till Tarvo Is Closed,But The NextTime ",
                     " Tarvo Starts This Option Will Be Checked."},
                    true));
}

void Form1::AutoConnect_MouseUp(int Button, int, int, int)
{
    if (Button != kRightButton)
        return;
    showTip(Form1Proc::AutoConnect_MouseUp, AutoConnect->text(),
            tipText({" This Option Specifies Whether Tarvo Should",
                     " Start Connecting Using The Last Connection ",
                     " As Soon As Started.",
                     "",
                     " This Option Is Helpful If You Use The Same Connection ",
                     " Frequently And You Want To Avoid Some Mouse Clicks."},
                    false));
}

void Form1::Label2_MouseUp(int Button, int, int, int)
{
    if (Button != kRightButton)
        return;
    showTip(Form1Proc::Label2_MouseUp, Label2->text(),
            tipText({" This Option Specifies How Fast ",
                     " A Connection Is Established. ",
                     "",
                     " The Bigger The Value Of Delay ",
                     " The Longer The Time Taken For Connection. "},
                    false));
}

void Form1::Label3_MouseUp(int Button, int, int, int)
{
    if (Button != kRightButton)
        return;
    showTip(Form1Proc::Label3_MouseUp, Label3->text(),
            tipText({" This Option Specifies How Long To Wait",
                     " After Dialing,To Establish A Connection. ",
                     "",
                     " If You Are Not Using Auto-Insert Feature",
                     " Provided By Tarvo, And You Give Username ",
                     " And Password By Other Methods, Then Keep ",
                     " The Value Of This Option Above 60 Secs."},
                    true));
}

void Form1::Label4_MouseUp(int Button, int, int, int)
{
    if (Button != kRightButton)
        return;
    showTip(Form1Proc::Label4_MouseUp, Label4->text(),
            tipText({" This Option Specifies How Many Tries Are",
                     " Made,To Establish A Connection. ",
                     "",
                     " The Bigger The Value Of This Option,",
                     " The More No Of Tries Tarvo Will Make",
                     " To Establish A Connection, Before Stopping. "},
                    false));
}

void Form1::Monitor_MouseUp(int Button, int, int, int)
{
    if (Button != kRightButton)
        return;
    showTip(Form1Proc::Monitor_MouseUp, Monitor->text(),
            tipText({" This Option Specifies Whether Tarvo Should",
                     " Monitor Connections Started Without Using Tarvo. ",
                     "",
                     " This Option Is Helpful If You Have Already Established",
                     " A Connection To The Internet And Want Tarvo To Takeover",
                     " And Monitor The Live Connection Or If You Want Tarvo To ",
                     " TakeOver And Monitor A Connection In Progress Left Off By ",
                     " Another Program Or A Manual One. ",
                     " So Now You Don't Have To Worry If You have Already  ",
                     " Established An Internet Connection Or Going To And  ",
                     " Suddenly You Want To Go Somewhere. Just Bring In Tarvo.",
                     " And Make Sure This Option Is Selected. "},
                    true));
}

void Form1::Shrink_MouseUp(int Button, int, int, int)
{
    if (Button != kRightButton)
        return;
    showTip(Form1Proc::Shrink_MouseUp, Shrink->text(),
            tipText({" This Option Specifies Whether Tarvo Should",
                     " Shrink To System Tray As Soon As Started.",
                     "",
                     " This Option Is Helpful If You Have Little Desktop ",
                     " Space Remaining And You Want It To Remain Like That."},
                    false));
}

bool Form1::panelEvent(QObject *watched, QEvent *event)
{
    if (watched == Details && event->type() == QEvent::MouseMove) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        Details_MouseMove(int(mouse->buttons()), int(mouse->modifiers()), 0, 0);
        return false;
    }
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const int button = mouse->button() == Qt::LeftButton ? 1 : mouse->button() == Qt::RightButton ? kRightButton : 0;
    const int shift = int(mouse->modifiers());
    const QPoint p = mouse->position().toPoint() * kTwipsPerPixel;
    if (watched == Label2 && button == 1) {
        Label2_Click();
        return false;
    }
    using Handler = void (Form1::*)(int, int, int, int);
    const std::pair<QObject *, Handler> tips[] = {
        {Atrec, &Form1::Atrec_MouseUp},     {AutoConnect, &Form1::AutoConnect_MouseUp},
        {Monitor, &Form1::Monitor_MouseUp}, {Shrink, &Form1::Shrink_MouseUp},
        {Label2, &Form1::Label2_MouseUp},   {Label3, &Form1::Label3_MouseUp},
        {Label4, &Form1::Label4_MouseUp}};
    for (const auto &[control, handler] : tips) {
        if (watched == control && button == kRightButton) {
            (this->*handler)(button, shift, p.x(), p.y());
            // The tip is all a right click does: the box keeps its tick.
            return true;
        }
    }
    return false;
}

void Form1::About_Click()
{
    trapped(*this, Window::Main, Form1Proc::About_Click, [&] { showModalWindow<frmAbout>(); });
}

void Form1::Details_Click()
{
    // A second click while the panel folds would start a second fold from
    // the heights the first is stepping through.
    if (m_folding)
        return;
    const QScopedValueRollback<bool> folding(m_folding, true);
    trapped(*this, Window::Main, Form1Proc::Details_Click, [&] {
        doEvents();
        QWidget *const panel[] = {Shrink, AutoConnect, Monitor, UserPwd, DelayChange,
                                  WaitChange, MaxTryChange, Usage, Settings};
        // A step of 0 would never reach the other height.
        const int step = ui.panelStep > 0 ? ui.panelStep : kFullHeight;
        if (isCompact()) {
            for (QWidget *w : panel)
                w->setEnabled(true);
            // Neither going online nor hiding is possible while it is open.
            Com[0]->setEnabled(false);
            Com[1]->setEnabled(false);
            while (m_heightTwips < kFullHeight) {
                doEvents();
                if (m_heightTwips + step > kFullHeight) {
                    m_heightTwips = kFullHeight;
                    m_frame2TopTwips = 3100;
                    m_frame1HeightTwips = 3095;
                } else {
                    m_heightTwips += step;
                    m_frame2TopTwips += step;
                    m_frame1HeightTwips += step;
                }
                applyGeometry();
                centreOnScreen();
                doEvents();
            }
        } else {
            while (m_heightTwips > kCompactHeight) {
                doEvents();
                if (m_heightTwips - step < kCompactHeight) {
                    m_heightTwips = kCompactHeight;
                    m_frame2TopTwips = 625;
                    m_frame1HeightTwips = 620;
                } else {
                    m_heightTwips -= step;
                    m_frame2TopTwips -= step;
                    m_frame1HeightTwips -= step;
                }
                applyGeometry();
                centreOnScreen();
                doEvents();
            }
            for (QWidget *w : panel)
                w->setEnabled(false);
            Com[0]->setEnabled(true);
            Com[1]->setEnabled(true);
            options.monitorOff = !Monitor->isChecked();
        }
        show();
    });
}

void Form1::Settings_Click()
{
    trapped(*this, Window::Main, Form1Proc::Settings_Click, [&] {
        showModalWindow<Form8>();
        // Closing the window unloads it; the instance left for the scanner
        // and the tray menu must still tell the options as they are stored,
        // or an "&Ok" would leave the browser trigger unable to re-arm.
        fillHiddenMoreSettings();
    });
}

void Form1::Usage_Click()
{
    trapped(*this, Window::Main, Form1Proc::Usage_Click, [&] {
        if (track->isEmpty()) {
            m_platform.boxes.msgBox(QStringLiteral(" No Log Records To View !!"), platform::mb::Exclamation,
                                    QStringLiteral("Tarvo - Warning"));
            return;
        }
        Form4 &viewer = window<Form4>();
        // Ticked without its click: the load below is the one that lists
        // every record, and a log of years is not to be read twice.
        viewer.All->setChecked(true);
        for (QComboBox *box : {viewer.Cday, viewer.CMonth, viewer.CYear, viewer.Cconnection})
            box->setEnabled(false);
        viewer.load_list();
        viewer.load(Form4::kAllDays, Form4::kAllMonths, Form4::kAllYears, Form4::kAllConnections);
        showModalWindow<Form4>();
    });
}

} // namespace tarvo
