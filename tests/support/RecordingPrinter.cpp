#include "RecordingPrinter.h"

#include "runtime/Error.h"

namespace testing_support {

void RecordingPrinter::printLine(const QString &text)
{
    if (++m_linesCalled == failAtLine)
        rt::raise(482, QStringLiteral("Printer error"));
    if (!m_open) {
        m_current = Document{m_orientation, {}};
        m_open = true;
    }
    m_current.lines << text;
}

void RecordingPrinter::endDoc()
{
    if (!m_open)
        return;
    documents << m_current;
    m_open = false;
}

} // namespace testing_support
