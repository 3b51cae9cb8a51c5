#pragma once

#include "tarvo/Codes.h"
#include "tarvo/Form1.h"

#include <QLatin1String>
#include <QPushButton>
#include <functional>

namespace testing_support {

// For a test that runs the main window's monitor itself rather than leaving
// it to its timer: every tick comes one second of the test's clock after the
// last. The test says how its desktop lives through that second and sets
// `f` once Tarvo is started.
class MonitorTicks {
protected:
    // `mostTicks`: how long ticksUntil waits when not told.
    explicit MonitorTicks(int mostTicks = 200) : m_mostTicks(mostTicks) {}
    virtual ~MonitorTicks() = default;

    // Moves the test's clock on a second and lets its desktop catch up.
    virtual void passSecond() = 0;

    // One monitor tick, a second after the last.
    virtual void tick()
    {
        passSecond();
        f->KeepOnline_Timer();
    }
    // Ticks until `done` holds; false when it still does not after `most`
    // ticks.
    bool ticksUntil(const std::function<bool()> &done) { return ticksUntil(done, m_mostTicks); }
    bool ticksUntil(const std::function<bool()> &done, int most)
    {
        for (int i = 0; i < most; ++i) {
            if (done())
                return true;
            tick();
        }
        return done();
    }
    // Tarvo means to be online: its button offers to go offline.
    bool online() const { return f->Com[0]->text() == QLatin1String("&Go Offline"); }
    bool lineUp() const { return f->session.lineState.equals(tarvo::LineUp); }

    tarvo::Form1 *f = nullptr;

private:
    int m_mostTicks;
};

} // namespace testing_support
