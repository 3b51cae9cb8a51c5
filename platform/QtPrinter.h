#pragma once

#include "platform/Clock.h"
#include "platform/Printer.h"

#include <QPageLayout>
#include <memory>

class QPainter;
class QPrinter;

namespace platform {

// Prints through Qt to the desktop's default printer, as chosen when a
// document begins. A desktop with no default printer set up still gets its
// printouts, the way a "print to file" printer would: each document becomes
// a new PDF in the "printed" folder of the program folder, named by the
// time it began, and none replaces an earlier one.
class QtPrinter : public Printer {
public:
    enum class Output {
        DesktopPrinter,   // the default printer, or PDF files when there is none
        PdfFiles,         // PDF files even when the desktop has a printer
    };

    QtPrinter(QString programFolder, const Clock &clock, Output output = Output::DesktopPrinter);
    ~QtPrinter() override;

    void setOrientation(int orientation) override;
    void printLine(const QString &text) override;
    void endDoc() override;

    // The PDF the last document went to; empty when it went to a printer or
    // none has begun.
    QString lastOutputPath() const { return m_lastOutputPath; }

private:
    void beginDocument();
    QString newPdfPath() const;
    void printOneLine(const QString &line);

    QString m_folder;
    const Clock &m_clock;
    Output m_output;
    QString m_lastOutputPath;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    qreal m_y = 0;
};

} // namespace platform
