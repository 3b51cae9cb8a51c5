#pragma once

#include "tarvo/ChildWindow.h"
#include "tarvo/DesignLayout.h"

#include <array>

class QLabel;

namespace tarvo {

// The status window: the current session at a glance. It holds nothing of
// its own; the one-second timer of the main window keeps it current. It
// fills itself when first shown, and goes again at once when there is no
// session to show.
class Form6 : public ChildWindow {
    Q_OBJECT
public:
    explicit Form6(Form1 &main);

    void Form_Load();
    void setVisible(bool visible) override;

    QLabel *Label1 = nullptr;   // "Connection"
    QLabel *Label2 = nullptr;   // "Started"
    QLabel *Label3 = nullptr;   // "Time Elapsed"
    QLabel *Label4 = nullptr;   // "Cost / hour"
    QLabel *Label5 = nullptr;   // "Total Cost"
    std::array<QLabel *, 5> Disp{};

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    DesignLayout m_layout{1};
    bool m_loaded = false;
    bool m_unloading = false;
};

} // namespace tarvo
