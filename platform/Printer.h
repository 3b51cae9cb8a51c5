#pragma once

#include <QString>

namespace platform {

namespace printer {
constexpr int Portrait = 1;
constexpr int Landscape = 2;
} // namespace printer

// The desktop's default printer, fed line by line. A document begins with
// the first line printed after the last one ended and goes to the printer
// when it ends. Failures (no printer to be had, a fault on the way) raise
// run-time error 482, "Printer error", out of the call that met them; the
// document is then left as it is.
class Printer {
public:
    virtual ~Printer() = default;

    // printer::Portrait or printer::Landscape, for the documents begun from
    // now on.
    virtual void setOrientation(int orientation) = 0;

    // Prints `text` in the printer's current font and ends its line. A CR LF
    // (or a lone LF) inside it ends a line as well, so a text of just CR LF
    // advances two lines; a tab moves on to the next tab stop. Long lines
    // are neither wrapped nor cut; a line that no longer fits on the page
    // goes at the top of a new one.
    virtual void printLine(const QString &text) = 0;

    // Ends the document and sends it on. With nothing printed since the last
    // end there is no document, and nothing is sent.
    virtual void endDoc() = 0;
};

} // namespace platform
