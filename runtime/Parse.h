#pragma once

#include "runtime/DateTime.h"

#include <QString>
#include <optional>

namespace rt {

// The number at the start of a text: leading blanks skipped, blanks inside
// the digits ignored, reading stops at the first character that cannot
// continue a number. "  12 5abc" is 125, "3.5e2x" is 350, "abc" and "" are 0,
// "&H1F" is 31. Overflow for a number too large to hold.
double leadingNumber(const QString &text);

// The whole text as a number (blanks around it allowed), or nothing.
std::optional<double> parseNumber(const QString &text);

// A date, a time of day, or both, read from text the way a user writes them:
// "6:00 am", "7:15 AM", "6 pm", "18:30", "18:30:05", "12/9/2026",
// "12/9/2026 6:00 am", "Dec 9 2026", "Dec 09 2026 6:30 pm". A time alone has
// date part 0. A text that does not read as a date or a time ("25:00",
// "6:61", "abc", "7", "") is refused, never guessed.
std::optional<DateTime> parseDateTime(const QString &text);

// A time of day alone ("6:00 am", "18:30"), date part 0. Any text with a
// date in it is refused, so it can always be joined to a day's date.
std::optional<DateTime> parseTimeOfDay(const QString &text);

} // namespace rt
