#pragma once

namespace platform {

// Letting the window messages that are waiting run. A long procedure does
// this at fixed points so that the program stays responsive on its one
// thread: clicks and timer ticks that came in meanwhile are handled inside
// the call, and the procedure then goes on with whatever they changed.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void doEvents() = 0;
};

} // namespace platform
