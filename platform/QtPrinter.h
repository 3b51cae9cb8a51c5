#pragma once

#include "platform/Printer.h"

#include <QPageLayout>
#include <memory>

class QPainter;
class QPrinter;

namespace platform {

// Prints through Qt to the desktop's default printer, as chosen when a
// document begins. A desktop with no default printer set up still gets its
// printout: the document is written to "printout.pdf" in the program
// folder, each over the last.
class QtPrinter : public Printer {
public:
    explicit QtPrinter(QString programFolder);
    ~QtPrinter() override;

    void setOrientation(int orientation) override;
    void printLine(const QString &text) override;
    void endDoc() override;

    QString pdfPath() const;

private:
    void beginDocument();
    void printOneLine(const QString &line);

    QString m_folder;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    qreal m_y = 0;
};

} // namespace platform
