#pragma once

namespace platform {

class BusyPointer;
class Clock;
class ControlHost;
class EventPump;
class FileLookup;
class Keystrokes;
class MessageBoxes;
class Printer;
class ProcessStarter;
class Registry;
class SystemFolders;
class WindowManager;

// The services a Platform gets for those it is not given, one of each for
// the whole process.
//
// Those that only look at the machine and need nothing set up are the real
// ones: the system clock, the stand-in machine's folders beside the running
// program, the files on disk. Every other one does nothing: a desktop with
// no windows, keys and programs that go nowhere, an empty registry, no
// printer, tray or plug-ins, message boxes and windows that close at once
// as if dismissed, no messages to let run, a pointer that never changes.
// So a Platform that leaves a service out can never show, type, start or
// print anything through it.
namespace defaults {
Clock &clock();
MessageBoxes &boxes();
SystemFolders &folders();
FileLookup &files();
Registry &registry();
WindowManager &windows();
Keystrokes &keys();
ProcessStarter &process();
Printer &printer();
ControlHost &controls();
EventPump &events();
BusyPointer &pointer();
} // namespace defaults

} // namespace platform
