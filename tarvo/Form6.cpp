#include "tarvo/Form6.h"

#include "tarvo/Codes.h"
#include "tarvo/Form1.h"

#include <QLabel>

namespace tarvo {

Form6::Form6(Form1 &main) : ChildWindow(main, Window::StatusWindow)
{
    setWindowTitle(QStringLiteral("Tarvo - Status Window"));
    for (auto &d : Disp)
        d = new QLabel(this);
}

void Form6::Form_Load() {}

} // namespace tarvo
