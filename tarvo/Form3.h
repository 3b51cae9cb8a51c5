#pragma once

#include "tarvo/ChildWindow.h"
#include "tarvo/DesignLayout.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;

namespace tarvo {

// The tray menu: a small always-on-top window opened by a right click on
// the tray icon, standing in for a pop-up menu. Every control mirrors state
// kept by the main window, the More Settings window or the settings row.
class Form3 : public ChildWindow {
    Q_OBJECT
public:
    explicit Form3(Form1 &main);

    void Form_Load();
    void Form_Activate();

    QFrame *Frame1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label1 = nullptr;   // "Go Online" / "Go Offline"
    QLabel *Label6 = nullptr;   // "Show Main"
    QLabel *Label5 = nullptr;   // "Hide"
    QLabel *Label2 = nullptr;   // "Quit"
    QCheckBox *Check1 = nullptr;   // "Reconnect"
    QCheckBox *Check2 = nullptr;   // "Status Window"
    QLabel *Label8 = nullptr;   // timed connect or disconnect
    QLineEdit *Text1 = nullptr;
    QLabel *Label9 = nullptr;
    QFrame *Line1 = nullptr;
    QLabel *Label3 = nullptr;   // the normal colours
    QLabel *Label4 = nullptr;   // the highlight colours

private:
    DesignLayout m_layout{1};
};

} // namespace tarvo
