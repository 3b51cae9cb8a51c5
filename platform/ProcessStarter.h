#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

namespace style {
constexpr int Hide = 0;
constexpr int NormalFocus = 1;
constexpr int MinimizedFocus = 2;
constexpr int MaximizedFocus = 3;
constexpr int NormalNoFocus = 4;
constexpr int MinimizedNoFocus = 6;
} // namespace style

// Starting a program from a command line with a window style. Returns the
// started task's number, or 0 when it could not be started.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    virtual qint64 shell(const QString &commandLine, int windowStyle) = 0;
};

} // namespace platform
