#pragma once

#include "tarvo/ErrorTrap.h"

#include <QDialog>
#include <utility>

namespace tarvo {

class Form1;

// A window of the program other than the main window. The main window loads
// it on first use (Form1::window) and unloads it when it is closed; it
// reaches the shared state through the main window and reports its own
// failures under its own window number.
class ChildWindow : public QDialog {
    Q_OBJECT
public:
    ChildWindow(Form1 &main, int windowNumber);

    Form1 &mainWindow() const { return m_main; }
    int windowNumber() const { return m_windowNumber; }

protected:
    // The error trap of this window's procedures.
    template <class Body>
    bool trap(int functNo, Body &&body) noexcept
    {
        return trapped(m_log, m_windowNumber, functNo, std::forward<Body>(body));
    }
    template <class R, class Body>
    R trap(int functNo, R onError, Body &&body) noexcept
    {
        return trapped(m_log, m_windowNumber, functNo, std::move(onError), std::forward<Body>(body));
    }

    Form1 &m_main;

private:
    ErrorLog &m_log;
    int m_windowNumber;
};

} // namespace tarvo
