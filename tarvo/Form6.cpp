#include "tarvo/Form6.h"

#include "SYSTRAY/TarvoTrayCtl.h"
#include "runtime/Format.h"
#include "tarvo/Codes.h"
#include "tarvo/DatabaseFile.h"
#include "tarvo/Form1.h"
#include "tarvo/Form3.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>

namespace tarvo {

namespace {

// Procedure numbers of this window in the error log.
enum { PForm_Load = 1 };

} // namespace

Form6::Form6(Form1 &main)
    : ChildWindow(main, Window::StatusWindow)
{
    setWindowTitle(QStringLiteral("Tarvo - Status Window"));
    const std::array<QString, 5> captions{QStringLiteral("Connection"), QStringLiteral("Started"),
                                          QStringLiteral("Time Elapsed"), QStringLiteral("Cost / hour"),
                                          QStringLiteral("Total Cost")};
    std::array<QLabel *, 5> names{};
    for (int i = 0; i < 5; ++i) {
        const int top = 10 + i * 24;
        names[size_t(i)] = m_layout.place(new QLabel(captions[size_t(i)], this), 10, top, 90, 20);
        // Wide enough for a date with its time and a long connection name;
        // the values are not known when the window is fitted.
        Disp[size_t(i)] = m_layout.place(new QLabel(this), 106, top, 170, 20);
        Disp[size_t(i)]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        Disp[size_t(i)]->setAccessibleName(captions[size_t(i)]);
    }
    Label1 = names[0];
    Label2 = names[1];
    Label3 = names[2];
    Label4 = names[3];
    Label5 = names[4];
    m_layout.fit();
    setFixedSize(m_layout.toPixels(QSize(286, 134)));
}

void Form6::setVisible(bool visible)
{
    // Loaded as it is first shown, the way the menu opens it.
    if (visible && !m_loaded) {
        m_loaded = true;
        Form_Load();
        if (m_unloading)
            return;
    }
    ChildWindow::setVisible(visible);
}

void Form6::closeEvent(QCloseEvent *event)
{
    // Closed from its title bar: unloaded all the same, so the next opening
    // fills it afresh rather than showing what it held.
    if (event->spontaneous() && m_main.loadedWindow<Form6>() == this)
        m_main.unloadWindowLater<Form6>();
    ChildWindow::closeEvent(event);
}

void Form6::Form_Load()
{
    trap(PForm_Load, [&] {
        Form1 &f = m_main;
        if (!f.inTray(f.TrayView2)) {
            // Nothing to show: the menu's box goes back, and so does this.
            m_unloading = true;
            if (Form3 *menu = f.loadedWindow<Form3>())
                menu->Check2->setChecked(false);
            if (f.loadedWindow<Form6>() == this)
                f.unloadWindowLater<Form6>();
            return;
        }
        Disp[0]->setText(f.conText());
        Disp[1]->setText(f.sessionStart().toString());
        Disp[2]->setText(f.TrayView2->TrayTip());
        const rt::Value rate = f.settings->field(Settings::CPerHr);
        if (!rate.isNull()) {
            Disp[3]->setText(rate.toString().trimmed());
            Disp[4]->setText(rt::format(rt::Value(double(f.elapsedMinutes()) / 60.0 * rate.toDouble()),
                                        QStringLiteral("##.##")));
        } else {
            Disp[3]->setText(QStringLiteral("0"));
            Disp[4]->setText(QStringLiteral("0"));
        }
    });
}

} // namespace tarvo
