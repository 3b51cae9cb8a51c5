// The tray icon control on its own: a host site, a recording notification
// area and the window table, as a program hosting it would give them.
#include "RecordingTray.h"
#include "SYSTRAY/TarvoTray.h"
#include "SYSTRAY/cSysTray.h"
#include "SYSTRAY/mSysTray.h"
#include "platform/QtControlHost.h"
#include "platform/QtNotificationArea.h"
#include "platform/QtWindowManager.h"
#include "platform/TrayIconWindow.h"

#include <QApplication>
#include <QJsonObject>
#include <QPluginLoader>
#include <QTest>
#include <QWidget>
#include <vector>
#include <gtest/gtest.h>

using namespace platform;
using TarvoTrayCtl::_cSysTray;
using testing_support::RecordingControlHost;
using testing_support::RecordingNotificationArea;

namespace {

class SysTrayControl : public ::testing::Test {
protected:
    // A control placed on the form as the program places it: loaded from
    // its stored properties.
    std::unique_ptr<_cSysTray> place(const QString &name, const QVariantMap &values = {},
                                     const QMap<QString, QString> &stored = {}, ControlEvents events = {})
    {
        if (!events)
            events = [this](qint32 dispId, QVariantList &params) { heard << std::pair{dispId, params}; };
        sites.push_back(host.createSite(name, {values, stored}, std::move(events)));
        site = sites.back().get();
        std::unique_ptr<_cSysTray> control(plugIn.CreateInstance(&form, *site));
        control->Load();
        return control;
    }
    Hwnd handle(_cSysTray &control) { return windows.handleOf(control.window()); }
    QVector<quint32> messages() const
    {
        QVector<quint32> m;
        for (const auto &c : tray.calls)
            m << c.message;
        return m;
    }

    QtWindowManager windows;
    WindowProcedures procedures;
    PictureTable pictures;
    RecordingNotificationArea tray{procedures};
    RecordingControlHost host{{tray, windows, procedures, pictures}};
    TarvoTrayCtl::TarvoTray plugIn;
    QWidget form;
    std::vector<std::unique_ptr<ControlSite>> sites;
    ControlSite *site = nullptr;
    QList<std::pair<qint32, QVariantList>> heard;
};

const QString kIcon = QStringLiteral(":/TarvoTray/cSysTray.svg");

TEST_F(SysTrayControl, StoredPropertiesAreReadThroughTheSettersInTheirOrder)
{
    // Stored as shown: the icon goes in first with what is held then, and
    // the icon and tip that follow change it.
    const auto control = place(QStringLiteral("TrayView1"), {{QStringLiteral("InTray"), true},
                                                             {QStringLiteral("TrayTip"), QStringLiteral("Not Online")}},
                               {{QStringLiteral("TrayIcon"), kIcon}});
    ASSERT_EQ(messages(), (QVector<quint32>{nim::NIM_ADD, nim::NIM_MODIFY, nim::NIM_MODIFY}));
    const NOTIFYICONDATAA &add = tray.calls[0].data;
    EXPECT_EQ(add.cbSize, 88u);
    EXPECT_EQ(add.hWnd, quint32(handle(*control)));
    EXPECT_EQ(add.uID, 0u);
    EXPECT_EQ(add.uFlags, nif::NIF_MESSAGE);   // no tip, no icon held yet
    EXPECT_EQ(add.uCallbackMessage, 0x465u);
    EXPECT_EQ(tray.calls[1].data.uFlags, nif::NIF_ICON);
    EXPECT_EQ(tray.calls[2].data.uFlags, nif::NIF_TIP);
    EXPECT_EQ(tray.tip(handle(*control)), QStringLiteral("Not Online"));
    EXPECT_EQ(control->TrayIcon().type(), Picture::Icon);
    EXPECT_TRUE(pictures.isLive(tray.icons.first().hIcon));

    // Written back, all three are stored.
    control->Save();
    EXPECT_EQ(host.stored[QStringLiteral("TrayView1")].values.value(QStringLiteral("InTray")), QVariant(true));
    EXPECT_EQ(host.stored[QStringLiteral("TrayView1")].values.value(QStringLiteral("TrayTip")),
              QVariant(QStringLiteral("Not Online")));
    EXPECT_EQ(host.storedPictures[QStringLiteral("TrayView1")].value(QStringLiteral("TrayIcon")), control->TrayIcon());
}

TEST_F(SysTrayControl, ANewInstanceStartsWithItsOwnTipAndPicture)
{
    const auto own = host.createSite(QStringLiteral("TrayView9"), {}, {});
    std::unique_ptr<_cSysTray> control(plugIn.CreateInstance(&form, *own));
    control->InitNew();
    EXPECT_EQ(control->TrayTip(), QStringLiteral("QX 5 - SysTray Control."));
    EXPECT_EQ(control->TrayIcon().type(), Picture::Icon);
    EXPECT_FALSE(control->InTray());
    EXPECT_TRUE(tray.calls.isEmpty());
    EXPECT_EQ(control->window()->size(), QSize(34, 34));   // 510 twips
}

TEST_F(SysTrayControl, SettingInTrayToWhatItIsDoesNothingAtAll)
{
    const auto control = place(QStringLiteral("TrayView1"), {{QStringLiteral("TrayTip"), QStringLiteral("Not Online")}},
                               {{QStringLiteral("TrayIcon"), kIcon}});
    host.notices.clear();
    control->put_InTray(false);
    EXPECT_TRUE(tray.calls.isEmpty());
    EXPECT_TRUE(host.notices.isEmpty());

    control->putProperty(TarvoTrayCtl::DISPID_InTray, true);
    control->putProperty(TarvoTrayCtl::DISPID_InTray, true);
    EXPECT_EQ(messages(), QVector<quint32>{nim::NIM_ADD});
    EXPECT_EQ(host.notices, QStringList{QStringLiteral("TrayView1.InTray")});

    // Out again: the icon goes and the window gets its own procedure back.
    control->putProperty(TarvoTrayCtl::DISPID_InTray, false);
    EXPECT_EQ(messages(), (QVector<quint32>{nim::NIM_ADD, nim::NIM_DELETE}));
    EXPECT_EQ(procedures.getWindowLong(handle(*control), gwl::GWL_WNDPROC),
              WindowProcedures::asLong(&WindowProcedures::defWindowProc));
    EXPECT_FALSE(control->putProperty(TarvoTrayCtl::DISPID_InTray, QStringLiteral("yes")));
    EXPECT_FALSE(control->putProperty(0x1234, true));
}

TEST_F(SysTrayControl, InADesignerInTrayIsOnlyRecorded)
{
    host.userMode = false;
    const auto control = place(QStringLiteral("TrayView1"));
    control->put_InTray(true);
    EXPECT_TRUE(control->InTray());
    EXPECT_TRUE(tray.calls.isEmpty());
    EXPECT_EQ(procedures.getWindowLong(handle(*control), gwl::GWL_WNDPROC),
              WindowProcedures::asLong(&WindowProcedures::defWindowProc));
    EXPECT_TRUE(host.notices.contains(QStringLiteral("TrayView1.InTray")));
    // Nothing was shown, so nothing is taken out either.
    control->put_InTray(false);
    EXPECT_TRUE(tray.calls.isEmpty());
}

TEST_F(SysTrayControl, TheTipFieldIsTheTextAndItsEndPaddedWithBlanksAndCut)
{
    NOTIFYICONDATAA nid;
    TarvoTrayCtl::cSysTray::fillTip(nid, QStringLiteral("Online"));
    EXPECT_EQ(QByteArray(nid.szTip, 64), QByteArray("Online") + '\0' + QByteArray(57, ' '));
    TarvoTrayCtl::cSysTray::fillTip(nid, QString(64, QLatin1Char('x')));
    EXPECT_EQ(QByteArray(nid.szTip, 64), QByteArray(64, 'x'));
    EXPECT_EQ(shownTip(nid), QString(64, QLatin1Char('x')));
    TarvoTrayCtl::cSysTray::fillTip(nid, QString(70, QLatin1Char('y')));
    EXPECT_EQ(shownTip(nid), QString(64, QLatin1Char('y')));

    // Shown, a new tip changes it, and an empty one clears it; added with
    // no tip, the icon gets none.
    const auto control = place(QStringLiteral("TrayView2"), {{QStringLiteral("TrayTip"), QString()}},
                               {{QStringLiteral("TrayIcon"), kIcon}});
    control->put_InTray(true);
    EXPECT_EQ(tray.calls.last().data.uFlags & nif::NIF_TIP, 0u);
    control->put_TrayTip(QStringLiteral("Tarvo - 2 hrs 5 mins"));
    EXPECT_EQ(tray.tip(handle(*control)), QStringLiteral("Tarvo - 2 hrs 5 mins"));
    control->putProperty(TarvoTrayCtl::DISPID_TrayTip, QString());
    EXPECT_EQ(tray.tip(handle(*control)), QString());
    EXPECT_EQ(tray.calls.last().data.uFlags, nif::NIF_TIP);
}

TEST_F(SysTrayControl, OnlyAnIconPictureChangesTheIcon)
{
    const auto control = place(QStringLiteral("TrayView2"), {{QStringLiteral("InTray"), true}},
                               {{QStringLiteral("TrayIcon"), kIcon}});
    const Picture before = control->TrayIcon();
    const qsizetype calls = tray.calls.size();
    QPixmap pixels(16, 16);
    pixels.fill(Qt::red);
    control->putref_TrayIcon(pictures.create(Picture::Bitmap, QIcon(pixels)));
    control->putref_TrayIcon(pictures.create(Picture::Metafile, QIcon(pixels)));
    control->putref_TrayIcon(Picture());
    EXPECT_EQ(control->TrayIcon(), before);
    EXPECT_EQ(tray.calls.size(), calls);

    const Picture other = pictures.icon(QIcon(pixels));
    control->putref_TrayIcon(other);
    EXPECT_EQ(tray.calls.last().data.uFlags, nif::NIF_ICON);
    EXPECT_EQ(tray.icons.first().hIcon, other.handle());
}

TEST_F(SysTrayControl, MouseMessagesBecomeEventsWithTheirButtonAndTheIconNumber)
{
    const auto control = place(QStringLiteral("TrayView1"), {{QStringLiteral("InTray"), true}},
                               {{QStringLiteral("TrayIcon"), kIcon}});
    const Hwnd w = handle(*control);
    for (int message : {0x200, 0x201, 0x202, 0x203, 0x204, 0x205, 0x206, 0x207, 0x208, 0x209, 0x20A})
        ASSERT_TRUE(tray.mouse(w, 0, message));
    // Other messages the window gets are not the icon's.
    procedures.sendMessage(w, 0x464, 0, 0x201);

    using E = QList<std::pair<qint32, QVariantList>>;
    const E expected{{1, {0}},         {2, {qint16(1), 0}}, {3, {qint16(1), 0}}, {4, {qint16(1), 0}},
                     {2, {qint16(2), 0}}, {3, {qint16(2), 0}}, {4, {qint16(2), 0}}};
    EXPECT_EQ(heard, expected);
}

TEST_F(SysTrayControl, AHandlerMayTakeTheIconOutDuringItsEvent)
{
    std::unique_ptr<_cSysTray> first;
    first = place(QStringLiteral("TrayView1"), {{QStringLiteral("InTray"), true}}, {{QStringLiteral("TrayIcon"), kIcon}},
                  [&](qint32 dispId, QVariantList &) {
                      if (dispId == TarvoTrayCtl::Event::MouseUp)
                          first->put_InTray(false);
                  });
    // A second control on the same form, subclassed after the first: the
    // one procedure kept serves both.
    const auto second = place(QStringLiteral("TrayView2"), {{QStringLiteral("InTray"), true}},
                              {{QStringLiteral("TrayIcon"), kIcon}});
    ASSERT_TRUE(tray.mouse(handle(*first), 0, wm::WM_RBUTTONUP));
    EXPECT_FALSE(tray.has(handle(*first)));
    EXPECT_TRUE(tray.has(handle(*second)));
    EXPECT_EQ(procedures.getWindowLong(handle(*first), gwl::GWL_WNDPROC),
              WindowProcedures::asLong(&WindowProcedures::defWindowProc));
    ASSERT_TRUE(tray.mouse(handle(*second), 0, wm::WM_LBUTTONDBLCLK));
    EXPECT_EQ(heard.size(), 1);
}

TEST_F(SysTrayControl, AShownControlTakesItsIconOutWhenItGoes)
{
    auto control = place(QStringLiteral("TrayView2"), {{QStringLiteral("InTray"), true}},
                         {{QStringLiteral("TrayIcon"), kIcon}});
    const Hwnd w = handle(*control);
    ASSERT_TRUE(tray.has(w));
    control.reset();
    EXPECT_FALSE(tray.has(w));
    EXPECT_EQ(tray.calls.last().message, nim::NIM_DELETE);
    EXPECT_EQ(tray.calls.last().data.uFlags, 0u);
}

// The mouse on a shown icon as a desktop delivers it: button events on the
// icon's window, stamped with their times, so that Qt's own double-click
// rule decides which second press is a double click. Once with the widget
// Qt puts into a notification area (a widget of the test's here, as the
// offscreen desktop has no notification area), once with the window of its
// own that an icon gets where there is none.
class TrayIconMouse : public ::testing::TestWithParam<QtNotificationArea::Place> {
protected:
    void SetUp() override
    {
        area.setIconWidgetFinder([this](const QWidget *widget) -> const QSystemTrayIcon * {
            return widget == &qtIconWidget ? area.findChild<QSystemTrayIcon *>() : nullptr;
        });
        qtIconWidget.setFixedSize(24, 24);
        qtIconWidget.show();
        site = host.createSite(QStringLiteral("TrayView1"), {{{QStringLiteral("InTray"), true}}, {{QStringLiteral("TrayIcon"), kIcon}}},
                               [this](qint32 dispId, QVariantList &params) {
                                   if (dispId != TarvoTrayCtl::Event::MouseMove)
                                       heard << std::pair{dispId, params};
                               });
        control.reset(plugIn.CreateInstance(&form, *site));
        control->Load();
        ASSERT_TRUE(iconWindow());
    }
    QWidget *iconWindow() const
    {
        if (GetParam() != QtNotificationArea::Place::OwnWindow)
            return const_cast<QWidget *>(&qtIconWidget);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<TrayIconWindow *>(w) && w->isVisible())
                return w;
        return nullptr;
    }
    // A press or release of `button` `at` milliseconds on the desktop's clock.
    void button(QEvent::Type type, Qt::MouseButton button, int at)
    {
        QWidget *w = iconWindow();
        const QPoint middle = w->rect().center();
        qt_handleMouseEvent(w->windowHandle(), middle, w->mapToGlobal(middle),
                            type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton, button, type,
                            Qt::NoModifier, at);
    }
    // Two clicks of `b`, the second `gap` milliseconds after the first.
    void twoClicks(Qt::MouseButton b, int gap)
    {
        // Far after anything before: Qt keeps the last press across tests.
        s_clock += 100000;
        button(QEvent::MouseButtonPress, b, s_clock);
        button(QEvent::MouseButtonRelease, b, s_clock + 20);
        button(QEvent::MouseButtonPress, b, s_clock + gap);
        button(QEvent::MouseButtonRelease, b, s_clock + gap + 20);
    }
    using Heard = QList<std::pair<qint32, QVariantList>>;
    static Heard expected(qint16 button, bool asDoubleClick)
    {
        using namespace TarvoTrayCtl::Event;
        return {{MouseDown, {button, 0}}, {MouseUp, {button, 0}}, {asDoubleClick ? MouseDblClick : MouseDown, {button, 0}}, {MouseUp, {button, 0}}};
    }

    static inline int s_clock = 1000000;
    QtWindowManager windows;
    WindowProcedures procedures;
    PictureTable pictures;
    QtNotificationArea area{procedures, pictures, GetParam()};
    RecordingControlHost host{{area, windows, procedures, pictures}};
    TarvoTrayCtl::TarvoTray plugIn;
    QWidget form;
    QWidget qtIconWidget;
    std::unique_ptr<ControlSite> site;
    std::unique_ptr<_cSysTray> control;
    Heard heard;
};

TEST_P(TrayIconMouse, EveryRightReleaseIsAMouseUpHoweverCloseTheClicks)
{
    const int doubleClickTime = QApplication::doubleClickInterval();
    for (int gap = 50; gap <= 500; gap += 25) {
        SCOPED_TRACE(gap);
        heard.clear();
        twoClicks(Qt::RightButton, gap);
        EXPECT_EQ(heard, expected(2, gap < doubleClickTime));
    }
}

TEST_P(TrayIconMouse, ALeftDoubleClickIsToldBetweenItsTwoReleases)
{
    twoClicks(Qt::LeftButton, 120);
    EXPECT_EQ(heard, expected(1, true));
    // A middle click is no event of the control's.
    heard.clear();
    twoClicks(Qt::MiddleButton, 120);
    EXPECT_TRUE(heard.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(, TrayIconMouse,
                         ::testing::Values(QtNotificationArea::Place::NotificationArea, QtNotificationArea::Place::OwnWindow),
                         [](const ::testing::TestParamInfo<QtNotificationArea::Place> &param) {
                             return param.param == QtNotificationArea::Place::OwnWindow ? std::string("OwnWindow")
                                                                                        : std::string("NotificationArea");
                         });

// The plug-in as the program loads it: a library beside the program,
// found by its interface, carrying the control's identity.
TEST(TarvoTrayPlugIn, LoadsFromTheProgramFolderWithItsIdentity)
{
    QtWindowManager windows;
    WindowProcedures procedures;
    PictureTable pictures;
    QtNotificationArea tray(procedures, pictures, QtNotificationArea::Place::OwnWindow);
    QtControlHost host(QStringLiteral(TARVO_PROGRAM_DIR), {tray, windows, procedures, pictures});
    QObject *root = host.loadPlugIn(QStringLiteral("TarvoTray"));
    ASSERT_TRUE(root);
    auto *factory = qobject_cast<TarvoTrayCtl::ClassFactory *>(root);
    ASSERT_TRUE(factory);

    QPluginLoader loader(QStringLiteral(TARVO_PROGRAM_DIR "/TarvoTray"));
    const QJsonObject meta = loader.metaData().value(QLatin1String("MetaData")).toObject();
    EXPECT_EQ(loader.metaData().value(QLatin1String("IID")).toString(), QStringLiteral("TarvoTrayCtl.cSysTray/1.0"));
    const QJsonObject cls = meta.value(QLatin1String("Class")).toObject();
    EXPECT_EQ(cls.value(QLatin1String("ProgId")).toString(), QStringLiteral("TarvoTrayCtl.cSysTray"));
    EXPECT_EQ(cls.value(QLatin1String("Id")).toString(), QStringLiteral("{56862D5E-A27E-11D4-96EC-E0704FC10000}"));
    const QJsonObject lib = meta.value(QLatin1String("TypeLibrary")).toObject();
    EXPECT_EQ(lib.value(QLatin1String("Id")).toString(), QStringLiteral("{56862D60-A27E-11D4-96EC-E0704FC10000}"));
    EXPECT_EQ(lib.value(QLatin1String("HelpString")).toString(), QStringLiteral("Tarvo Tray Icon Control"));
    EXPECT_EQ(meta.value(QLatin1String("EventInterface")).toObject().value(QLatin1String("Id")).toString(),
              QStringLiteral("{56862D5F-A27E-11D4-96EC-E0704FC10000}"));
    EXPECT_EQ(meta.value(QLatin1String("VersionBlock")).toObject().value(QLatin1String("OriginalFilename")).toString(),
              QStringLiteral("TarvoTray.ocx"));

    // The loaded library's control works on the program's tables.
    QWidget form;
    const auto site = host.createSite(QStringLiteral("TrayView1"),
                                      {{{QStringLiteral("TrayTip"), QStringLiteral("Not Online")}}, {}}, {});
    std::unique_ptr<_cSysTray> control(factory->CreateInstance(&form, *site));
    control->Load();
    control->put_InTray(true);
    EXPECT_NE(procedures.getWindowLong(windows.handleOf(control->window()), gwl::GWL_WNDPROC),
              WindowProcedures::asLong(&WindowProcedures::defWindowProc));
    EXPECT_TRUE(pictures.isLive(control->TrayIcon().handle()));
}

} // namespace
