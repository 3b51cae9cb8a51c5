#pragma once

#include "tarvo/ChildWindow.h"
#include "tarvo/DesignLayout.h"

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;

namespace tarvo {

// The tray menu: a small always-on-top window opened by a right click on
// the tray icon, standing in for a pop-up menu. Every control mirrors state
// kept by the main window, the More Settings window or the settings row.
// It is loaded anew for every opening and unloaded by every command.
class Form3 : public ChildWindow {
    Q_OBJECT
public:
    explicit Form3(Form1 &main);

    void Form_Load();
    void Form_Activate();
    void Form_Unload();

    // Commands and options.
    void Combo1_Click();
    void Combo1_KeyDown(int KeyCode, int Shift);
    void Combo1_KeyUp(int KeyCode, int Shift);
    void Label1_MouseUp(int Button, int Shift, int X, int Y);
    void Label6_Click();
    void Label5_Click();
    void Label2_Click();
    void Check1_Click();
    void Check2_Click();

    // The one-off timed connect or disconnect.
    void Label8_Click();
    void Text1_Change();
    void Text1_KeyUp(int KeyCode, int Shift);
    void Text1_LostFocus();

    // Lighting up the item under the mouse.
    void Label1_MouseMove(int Button, int Shift, int X, int Y);
    void Label2_MouseMove(int Button, int Shift, int X, int Y);
    void Label5_MouseMove(int Button, int Shift, int X, int Y);
    void Label6_MouseMove(int Button, int Shift, int X, int Y);
    void Label8_MouseMove(int Button, int Shift, int X, int Y);
    void Check1_MouseMove(int Button, int Shift, int X, int Y);
    void Check2_MouseMove(int Button, int Shift, int X, int Y);
    void Form_MouseMove(int Button, int Shift, int X, int Y);
    void Label9_MouseMove(int Button, int Shift, int X, int Y);
    void Frame1_MouseMove(int Button, int Shift, int X, int Y);

    // The captions of the timed entry, and the go-online label's caption
    // that means the line is wanted up.
    static QString goOfflineCaption();
    static QString timedCaption(bool armed, bool online, bool clicked);

    // The colours an item shows: its background and its text.
    static QColor background(const QWidget *item);
    static QColor foreground(const QWidget *item);

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

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The seven items that light up, top to bottom.
    std::array<QWidget *, 7> items() const;
    // `lit` in the highlight colours, every other item in the normal ones;
    // nothing lit for nullptr.
    void highlight(QWidget *lit);
    // The keyboard's way through the menu: the arrows light the next item
    // that can act, Enter acts on the lit one as a click does.
    bool menuKey(const QKeyEvent *key);
    void lightNext(int step);
    void actOnLit();
    // The timed entry as the More Settings window holds it: the caption,
    // and the box shown with the disconnect time when one is set.
    void showTimedAction(bool loading);
    bool online() const;
    // Closes this window from one of its own handlers.
    void closeMenu();
    bool filterCombo(QEvent *event);

    DesignLayout m_layout{1};
    QLabel *m_frameCaption = nullptr;
    // The item last lit, by the mouse or the keyboard: where the arrows go
    // on from.
    QWidget *m_lit = nullptr;
};

} // namespace tarvo
