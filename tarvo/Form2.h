#pragma once

#include "tarvo/ChildWindow.h"
#include "tarvo/DesignLayout.h"

#include <array>

class QLabel;
class QPushButton;

namespace tarvo {

// The help text window: it holds the program's three help texts, of which
// whoever opens it shows one under a caption of its own.
class Form2 : public ChildWindow {
    Q_OBJECT
public:
    enum Text { HandsFree = 0, AutoInsert = 1, Licence = 2 };

    explicit Form2(Form1 &main);

    // Shows only `text`, under the window caption `caption`.
    void showText(Text text, const QString &caption);
    void Command1_Click();

    static QString handsFreeText();
    static QString autoInsertText();
    static QString licenceText();

    std::array<QLabel *, 3> Label{};
    QPushButton *Command1 = nullptr;   // "&Ok"

private:
    DesignLayout m_layout{1};
};

} // namespace tarvo
