// The tray icons: hiding the main window in the tray, which icon shows
// when, and what a click on it does.
#include "tarvo/Form1.h"

#include "SYSTRAY/TarvoTrayCtl.h"
#include "runtime/Basics.h"
#include "runtime/Error.h"
#include "tarvo/Form3.h"
#include "tarvo/Module2.h"

#include <QLabel>
#include <QPushButton>

// Resources of a static library are registered by hand.
static void initResources()
{
    Q_INIT_RESOURCE(tarvo);
}

namespace tarvo {

namespace {

constexpr int kRightButton = 2;
// The tray menu opens with its bottom-right corner this far left of and
// above the pointer.
constexpr int kMenuLeftOfPointer = 10;
constexpr int kMenuAbovePointer = 42;

} // namespace

void Form1::placeTrayViews()
{
    if (TrayView1)
        return;
    auto *factory = qobject_cast<TarvoTrayCtl::ClassFactory *>(m_platform.controls.loadPlugIn(QStringLiteral("TarvoTray")));
    if (!factory)
        rt::raise(rt::err::CannotCreateObject,
                  QStringLiteral("ActiveX component can't create object: the tray icon control TarvoTray is missing or damaged"));
    initResources();
    const auto stored = platform::readStoredControls(QStringLiteral(":/tarvo/Form1.controls.json"));
    auto place = [&](int view, const QString &name, std::unique_ptr<platform::ControlSite> &site,
                     std::unique_ptr<TarvoTrayCtl::_cSysTray> &control) {
        site = m_platform.controls.createSite(
            name, stored.value(name), [this, view](qint32 dispId, QVariantList &params) { trayViewEvent(view, dispId, params); });
        control.reset(factory->CreateInstance(this, *site));
        // Only its icon in the tray is seen while the program runs.
        control->window()->hide();
        control->Load();
    };
    place(1, QStringLiteral("TrayView1"), TrayView1Site, TrayView1);
    place(2, QStringLiteral("TrayView2"), TrayView2Site, TrayView2);
}

void Form1::trayViewEvent(int view, qint32 dispId, QVariantList &params)
{
    if (params.size() < 2)
        return;
    const int button = params.at(0).toInt();
    const int id = params.at(1).toInt();
    if (dispId == TarvoTrayCtl::Event::MouseDblClick)
        view == 1 ? TrayView1_MouseDblClick(button, id) : TrayView2_MouseDblClick(button, id);
    else if (dispId == TarvoTrayCtl::Event::MouseUp)
        view == 1 ? TrayView1_MouseUp(button, id) : TrayView2_Mouseup(button, id);
}

void Form1::putInTray(TarvoTrayCtl::_cSysTray &view, bool value)
{
    view.putProperty(TarvoTrayCtl::DISPID_InTray, value);
}

void Form1::putTrayTip(TarvoTrayCtl::_cSysTray &view, const QString &value)
{
    view.putProperty(TarvoTrayCtl::DISPID_TrayTip, value);
}

bool Form1::inTray(const std::unique_ptr<TarvoTrayCtl::_cSysTray> &view) const
{
    return view && view->InTray();
}

void Form1::takeTrayIconsOut()
{
    if (inTray(TrayView1) || inTray(TrayView2)) {
        putInTray(*TrayView1, false);
        putInTray(*TrayView2, false);
    }
}

int Form1::elapsedMinutes() const
{
    const rt::DateTime start = session.start.isEmpty() ? rt::DateTime() : session.start.toDate();
    return int(rt::dateDiff(rt::Interval::Minute, start, m_platform.clock.now()));
}

void Form1::UpdateTrayIcon()
{
    trapped(*this, Window::Main, Form1Proc::UpdateTrayIcon, [&] {
        const bool lineUp = session.lineState.equals(LineUp);
        if (dial.inProgress && lineUp && TrayView1->InTray()) {
            putInTray(*TrayView1, false);
            putInTray(*TrayView2, true);
        }
        if (!lineUp && TrayView2->InTray()) {
            putInTray(*TrayView2, false);
            putInTray(*TrayView1, true);
        }
        if (!TrayView1->InTray() && !TrayView2->InTray() && isHidden()) {
            if (!dial.inProgress && lineUp) {
                putInTray(*TrayView1, true);
                putInTray(*TrayView2, false);
            }
            if (dial.inProgress && lineUp) {
                putInTray(*TrayView1, false);
                putInTray(*TrayView2, true);
            }
            if (!lineUp && isHidden() && !run.loading)
                putInTray(*TrayView1, true);
        }
        if (isVisible()) {
            putInTray(*TrayView1, false);
            putInTray(*TrayView2, false);
        }
    });
}

void Form1::TrayView1_MouseDblClick(int Button, int)
{
    trapped(*this, Window::Main, Form1Proc::TrayView1_MouseDblClick, [&] {
        if (!run.messageOpen && Button != kRightButton)
            Com_Click(0);
    });
}

void Form1::TrayView2_MouseDblClick(int Button, int)
{
    trapped(*this, Window::Main, Form1Proc::TrayView2_MouseDblClick, [&] {
        if (!run.messageOpen && Button != kRightButton)
            Com_Click(0);
    });
}

void Form1::TrayView1_MouseUp(int Button, int)
{
    trapped(*this, Window::Main, Form1Proc::TrayView1_MouseUp, [&] {
        if (Button == kRightButton && !run.messageOpen)
            toggleTrayMenu();
    });
}

void Form1::TrayView2_Mouseup(int Button, int)
{
    trapped(*this, Window::Main, Form1Proc::TrayView2_Mouseup, [&] {
        if (Button == kRightButton && !run.messageOpen)
            toggleTrayMenu();
    });
}

void Form1::toggleTrayMenu()
{
    if (Form3 *open = loadedWindow<Form3>(); open && open->isVisible()) {
        unloadWindow<Form3>();
        return;
    }
    Form3 &menu = window<Form3>();
    module2().PlaceNearCursor(m_platform.windows.handleOf(&menu), kMenuLeftOfPointer, kMenuAbovePointer);
    menu.Label1->setText(Com[0]->text().mid(1));
    menu.Label7->setText(conText());
    menu.show();
    // It is dismissed once it is no longer in front, so it starts there.
    m_platform.windows.setForegroundWindow(m_platform.windows.handleOf(&menu));
}

} // namespace tarvo
