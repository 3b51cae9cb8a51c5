#pragma once

#include "platform/QtEventPump.h"

#include <QMap>
#include <functional>

namespace testing_support {

// Counts the program's yields and has something happen at a chosen one, as
// a click or a timer tick that came in just then would. The waiting window
// messages then run as they would in the program, so real windows keep
// working.
class ScriptedEventPump : public platform::EventPump {
public:
    void doEvents() override;

    // `action` runs in the `n`th yield from now (1: the next one), before
    // the waiting messages.
    void at(int n, std::function<void()> action);

    // Yields so far.
    int yields() const { return m_yields; }

private:
    platform::QtEventPump m_waiting;
    int m_yields = 0;
    QMap<int, std::function<void()>> m_actions;   // by yield number
};

} // namespace testing_support
