#include "tarvo/ChildWindow.h"

#include "tarvo/Form1.h"

namespace tarvo {

ChildWindow::ChildWindow(Form1 &main, int windowNumber)
    : QDialog(nullptr), m_main(main), m_log(main), m_windowNumber(windowNumber)
{
}

} // namespace tarvo
