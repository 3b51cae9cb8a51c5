#pragma once

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/Keystrokes.h"
#include "platform/ProcessStarter.h"
#include "platform/Registry.h"
#include "platform/SystemFolders.h"
#include "platform/WindowManager.h"

namespace platform {

// The outside services the program reaches, handed to its main window at
// start. The program calls these and nothing else for them.
struct Platform {
    Clock &clock;
    MessageBoxes &boxes;
    SystemFolders &folders;
    FileLookup &files;
    Registry &registry;
    WindowManager &windows;
    Keystrokes &keys;
    ProcessStarter &process;
    // Off in tests: timers keep their intervals but never fire by
    // themselves; the test calls their handlers.
    bool timersTick = true;
};

} // namespace platform
