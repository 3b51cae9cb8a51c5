#include "platform/QtPrinter.h"

#include "runtime/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextOption>

namespace platform {

namespace {

[[noreturn]] void printerError()
{
    rt::raise(rt::err::PrinterError, QStringLiteral("Printer error"));
}

// Tab stops every eight characters, as on a line printer. The painter's own
// stops are measured for the screen and land far to the right at a
// printer's resolution, taking the text off the page.
QString withTabsExpanded(const QString &line)
{
    constexpr int kTabWidth = 8;
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        if (c == QLatin1Char('\t'))
            out += QString(kTabWidth - out.size() % kTabWidth, QLatin1Char(' '));
        else
            out += c;
    }
    return out;
}

} // namespace

QtPrinter::QtPrinter(QString programFolder, const Clock &clock, Output output)
    : m_folder(std::move(programFolder)), m_clock(clock), m_output(output)
{
}

QtPrinter::~QtPrinter()
{
    // A document still open when the program ends is sent as it stands
    // rather than lost.
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

QString QtPrinter::newPdfPath() const
{
    const QString folder = m_folder + QStringLiteral("/printed");
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        printerError();
    const QString stem = folder + QStringLiteral("/tarvo-")
                         + m_clock.now().toQDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    // Documents begun within the same second each keep their own file.
    QString path = stem + QStringLiteral(".pdf");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral("-%1.pdf").arg(n);
    return path;
}

void QtPrinter::setOrientation(int orientation)
{
    // Printers take no new orientation in the middle of a job.
    m_orientation = orientation == printer::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void QtPrinter::beginDocument()
{
    const QPrinterInfo chosen =
        m_output == Output::DesktopPrinter ? QPrinterInfo::defaultPrinter() : QPrinterInfo();
    m_lastOutputPath = chosen.isNull() ? newPdfPath() : QString();
    if (!m_lastOutputPath.isEmpty()) {
        // Made first, for the user alone: a report shows their sessions and
        // costs. The printer writes into it and leaves its mode as it is.
        QFile pdf(m_lastOutputPath);
        if (!pdf.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            printerError();
    }
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (chosen.isNull()) {
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_lastOutputPath);
    } else {
        m_printer->setPrinterName(chosen.printerName());
    }
    m_printer->setDocName(QStringLiteral("Tarvo"));
    m_printer->setPageOrientation(m_orientation);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get())) {
        m_painter.reset();
        m_printer.reset();
        printerError();
    }
    m_y = 0;
}

void QtPrinter::printOneLine(const QString &line)
{
    const QFontMetricsF metrics(m_painter->font(), m_printer.get());
    const qreal height = m_printer->pageRect(QPrinter::DevicePixel).height();
    if (m_y > 0 && m_y + metrics.height() > height) {
        if (!m_printer->newPage())
            printerError();
        m_y = 0;
    }
    const QRectF room(0, m_y, m_printer->pageRect(QPrinter::DevicePixel).width(), metrics.height());
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::NoWrap);
    m_painter->drawText(room, withTabsExpanded(line), option);
    if (m_printer->printerState() == QPrinter::Error)
        printerError();
    m_y += metrics.lineSpacing();
}

void QtPrinter::printLine(const QString &text)
{
    if (!m_painter)
        beginDocument();
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    for (const QString &line : lines.split(QLatin1Char('\n')))
        printOneLine(line);
}

void QtPrinter::endDoc()
{
    if (!m_painter)
        return;
    const bool sent = m_painter->end();
    m_painter.reset();
    m_printer.reset();
    if (!sent)
        printerError();
}

} // namespace platform
