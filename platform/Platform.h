#pragma once

#include "platform/BusyPointer.h"
#include "platform/Clock.h"
#include "platform/ControlHost.h"
#include "platform/DefaultServices.h"
#include "platform/EventPump.h"
#include "platform/Keystrokes.h"
#include "platform/MessageBoxes.h"
#include "platform/Printer.h"
#include "platform/ProcessStarter.h"
#include "platform/Registry.h"
#include "platform/SystemFolders.h"
#include "platform/WindowManager.h"

namespace platform {

// The outside services the program reaches, handed to its main window at
// start. The program calls these and nothing else for them.
//
// Made with designated initialisers that name only what the caller has:
//     platform::Platform{.clock = clock, .boxes = boxes, .timersTick = false}
// Whatever is left out is the process-wide default of DefaultServices.h,
// which does nothing that reaches outside the program. So a new service
// breaks no caller, and a test cannot reach a real printer or tray by
// forgetting about it. The members stay references: the program uses every
// service as it is, never asking whether it is there.
struct Platform {
    Clock &clock = defaults::clock();
    MessageBoxes &boxes = defaults::boxes();
    SystemFolders &folders = defaults::folders();
    FileLookup &files = defaults::files();
    Registry &registry = defaults::registry();
    WindowManager &windows = defaults::windows();
    Keystrokes &keys = defaults::keys();
    ProcessStarter &process = defaults::process();
    Printer &printer = defaults::printer();
    ControlHost &controls = defaults::controls();
    EventPump &events = defaults::events();
    BusyPointer &pointer = defaults::pointer();
    // Off in tests: timers keep their intervals but never fire by
    // themselves; the test calls their handlers.
    bool timersTick = true;
};

} // namespace platform
