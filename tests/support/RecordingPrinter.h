#pragma once

#include "platform/Printer.h"

#include <QList>
#include <QStringList>

namespace testing_support {

// Documents written down instead of printed.
class RecordingPrinter : public platform::Printer {
public:
    struct Document {
        int orientation = platform::printer::Portrait;   // when it began
        QStringList lines;                                // as printed, one per call
    };

    void setOrientation(int orientation) override { m_orientation = orientation; }
    void printLine(const QString &text) override;
    void endDoc() override;

    int orientation() const { return m_orientation; }
    // The document being printed (not yet ended), if any.
    const Document *open() const { return m_open ? &m_current : nullptr; }
    QList<Document> documents;   // ended, oldest first

    // The printer fails (run-time error 482) at this call of printLine,
    // counted over the whole test from 1; 0 never.
    int failAtLine = 0;

private:
    int m_orientation = platform::printer::Portrait;
    bool m_open = false;
    Document m_current;
    int m_linesCalled = 0;
};

} // namespace testing_support
