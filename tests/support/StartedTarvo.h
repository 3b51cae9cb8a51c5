#pragma once

#include "Harness.h"
#include "SYSTRAY/TarvoTrayCtl.h"
#include "tarvo/Form1.h"
#include "tarvo/Form3.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <stdexcept>

namespace testing_support {

// A test that starts with Tarvo loaded on a fresh program folder whose
// registry lists `connections()`.
class StartedTarvo : public ::testing::Test {
protected:
    virtual QStringList connections() const { return {QStringLiteral("Home"), QStringLiteral("Work")}; }
    void SetUp() override
    {
        h.writeRegistry(connections());
        f = &h.start();
    }

    // The main window hidden in the tray, offline.
    void offlineInTray()
    {
        f->Com_Click(1);
        ASSERT_TRUE(f->TrayView1->InTray());
    }
    // A session Tarvo owns on the chosen connection, with its own icon in
    // the tray.
    void onlineInTray()
    {
        f->Com_Click(0);
        h.desktop.open(QStringLiteral("Connected to ") + f->conText());
        f->KeepOnline_Timer();
        ASSERT_TRUE(f->session.lineState.equals(tarvo::LineUp));
        f->Com_Click(1);
        f->KeepOnline_Timer();
        ASSERT_TRUE(f->TrayView2->InTray());
    }
    // A right click on the one icon in the tray.
    void rightClickIcon()
    {
        const auto icon = h.tray.only();
        ASSERT_TRUE(icon.has_value());
        ASSERT_TRUE(h.tray.mouse(platform::Hwnd(icon->first), icon->second, platform::wm::WM_RBUTTONUP));
    }
    // The tray menu, when it is loaded.
    tarvo::Form3 *menu() const { return f->loadedWindow<tarvo::Form3>(); }
    // The tray menu, opened by a right click on the icon.
    tarvo::Form3 &openMenu()
    {
        rightClickIcon();
        tarvo::Form3 *m = menu();
        if (!m || !m->isVisible())
            throw std::runtime_error("the menu did not open");
        return *m;
    }

    Harness h;
    tarvo::Form1 *f = nullptr;
};

} // namespace testing_support
