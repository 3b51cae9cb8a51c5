// The settings panel below the connection box: folding it away and opening
// it again.
#include "tarvo/Form1.h"

#include "tarvo/Form4.h"
#include "tarvo/Form8.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>

namespace tarvo {

void Form1::Details_Click()
{
    trapped(*this, Window::Main, Form1Proc::Details_Click, [&] {
        doEvents();
        QWidget *const panel[] = {Shrink, AutoConnect, Monitor, UserPwd, DelayChange,
                                  WaitChange, MaxTryChange, Usage, Settings};
        // A step of 0 would never reach the other height.
        const int step = PanelStep > 0 ? PanelStep : kFullHeight;
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
            MonitorOff = !Monitor->isChecked();
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
        if (track->recordCount() <= 0) {
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
