#pragma once

#include <QDialog>
#include <array>

class QLabel;
class QPushButton;

namespace tarvo {

// The question window: whether to take over a connection made outside
// Tarvo. Its last answer outlives the window being closed.
class Form5 : public QDialog {
    Q_OBJECT
public:
    explicit Form5(QWidget *parent = nullptr);

    void Com_Click(int Index);

    std::array<QPushButton *, 2> Com{};   // 0 "&No", 1 "&Yes"
    QLabel *Label1 = nullptr;             // a live connection is offered
    QLabel *Label2 = nullptr;             // a dial in progress is offered
    QLabel *Label3 = nullptr;             // holds the first flashing colour
    QLabel *Label4 = nullptr;             // holds the second flashing colour
    QLabel *Label5 = nullptr;             // connect countdown
    QLabel *Label6 = nullptr;             // disconnect countdown

    // -1 no answer yet, 0 No, 1 Yes.
    int TakeOverAnswer = -1;

    // The label's background, and setting it (the flash alternates these).
    static QColor background(const QLabel *label);
    static void setBackground(QLabel *label, const QColor &colour);
};

} // namespace tarvo
