#pragma once

#include "tarvo/ChildWindow.h"
#include "tarvo/Codes.h"
#include "tarvo/DesignLayout.h"

#include <array>

class QLabel;
class QPushButton;

namespace tarvo {

// The question window: whether to take over a connection made outside
// Tarvo, or, counting down, whether to connect or disconnect now. The
// take-over answer outlives the window being closed.
class Form5 : public ChildWindow {
    Q_OBJECT
public:
    explicit Form5(Form1 &main);

    void Com_Click(int Index);
    void Form_Activate();

    // The countdown labels' texts: their design captions, and the text for
    // a number of seconds left.
    static QString connectCaption();
    static QString disconnectCaption();
    static QString connectCountdown(int seconds);
    static QString disconnectCountdown(int seconds);

    std::array<QPushButton *, 2> Com{};   // 0 "&No", 1 "&Yes"
    QLabel *Label1 = nullptr;             // a live connection is offered
    QLabel *Label2 = nullptr;             // a dial in progress is offered
    QLabel *Label3 = nullptr;             // holds the first flashing colour
    QLabel *Label4 = nullptr;             // holds the second flashing colour
    QLabel *Label5 = nullptr;             // connect countdown
    QLabel *Label6 = nullptr;             // disconnect countdown

    // NoAnswer, AnswerNo or AnswerYes.
    int TakeOverAnswer = NoAnswer;

    // The colours a label shows.
    static QColor background(const QLabel *label);
    static QColor foreground(const QLabel *label);
    // Switches `label` between the two holders' colours, once a call; the
    // first switch leaves `Label4`'s colours for `Label3`'s.
    void flash(QLabel *label);
    bool flashed(const QLabel *label) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Both colours of a holder, background and text, on `label`.
    static void paintFrom(QLabel *label, const QLabel *holder);

    DesignLayout m_layout{1};
};

} // namespace tarvo
