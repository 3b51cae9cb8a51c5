#pragma once

#include "tarvo/ChildWindow.h"
#include "tarvo/DesignLayout.h"

#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvo {

// The More Settings window: usage tracking and its cost, the monthly
// warning limits, connecting when the browser starts and the daily connect
// and disconnect times. The settings loader and the tray menu read and set
// its browser-start and timed-connection controls while it is not shown,
// so it is loaded hidden at start-up and keeps them.
class Form8 : public ChildWindow {
    Q_OBJECT
public:
    explicit Form8(Form1 &main);

    void Form_Activate();
    void Com_Click(int Index);

    // Enabling rules; they run whenever their box changes, by hand or by code.
    void Track_Click();
    void NetHours_Click();
    void NetCost_Click();
    void AlarmStart_Click();

    // Validation on leaving a box: wrong input is refused there and then.
    void CPerHr_LostFocus();
    void Hours_LostFocus();
    void Cost_LostFocus();
    void Alarm_LostFocus(int Index);

    // Editing aids of the time boxes.
    void Alarm_Click(int Index);
    void Alarm_GotFocus(int Index);
    void Alarm_DblClick(int Index);

    QFrame *Frame1 = nullptr;
    QFrame *Frame2 = nullptr;
    QFrame *Frame3 = nullptr;
    QFrame *Frame4 = nullptr;

    QCheckBox *Track = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *CPerHr = nullptr;
    QCheckBox *NetHours = nullptr;
    QLineEdit *Hours = nullptr;
    QCheckBox *NetCost = nullptr;
    QLineEdit *Cost = nullptr;
    QCheckBox *AppStart = nullptr;
    QCheckBox *AlarmStart = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    std::array<QLineEdit *, 2> Alarm{};
    std::array<QPushButton *, 2> Com{};

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // False when the box holds something `reads` does not take (an empty box
    // is always taken): the user is told `refusal`, and the focus goes back
    // to the box to put it right.
    bool checkEntry(QLineEdit *box, bool (*reads)(const QString &), const QString &refusal);
    bool allBoxesValid();
    void save();
    // Puts `box` over the run of blanks in `owner`'s caption.
    static void placeInCaptionGap(QCheckBox *owner, QLineEdit *box);

    DesignLayout m_layout{1};
    // A refusal is being shown: the focus moves that it causes are not the
    // user leaving a box.
    bool m_validating = false;
};

} // namespace tarvo
