#pragma once

#include "Harness.h"
#include "platform/QtKeystrokes.h"
#include "platform/QtWindowManager.h"
#include "platform/dialup/DialCommandStarter.h"
#include "platform/dialup/DialUpNetworking.h"

#include <memory>

namespace testing_support {

// The process's one window manager: made before the first window of any
// test so that every window's place in the stacking order is known.
platform::QtWindowManager &desktopWindows();

// A harness whose desktop is real: Tarvo's own windows and the stand-in
// dialing component's, walked through the window manager, typed into with
// real key events. The component's line script is written by the test; time
// moves with the harness's clock and the component moves when told to.
class RealDesktop : public Harness {
public:
    RealDesktop();
    ~RealDesktop() override;

    QString scriptPath() const { return path(QStringLiteral("machine/dialup.ini")); }
    void writeScript(const QString &text);

    // Lets posted work run (windows that went away are destroyed) and moves
    // the component along on the clock.
    void settle();
    // Moves the clock on and lets the component catch up.
    void pass(int seconds);

    // A top-level window of this process titled exactly `title`, or nullptr.
    QWidget *window(const QString &title) const;

    platform::QtKeystrokes realKeys;
    dialup::DialUpNetworking dialup;
    dialup::DialCommandStarter realStarter;
};

} // namespace testing_support
