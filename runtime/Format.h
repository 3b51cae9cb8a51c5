#pragma once

#include "runtime/Value.h"

#include <QString>

namespace rt {

// The system's general date-and-time text: "12/9/2026 7:05:09 AM"; the date
// alone when the time is midnight, the time alone when there is no date.
QString generalDate(const DateTime &dt);

// A value shown through a picture. Date pictures: "hh:nn:ss", "hh:nn ampm"
// ("am"/"pm"), "hh:nn AMPM" ("AM"/"PM"), "mmm dd yyyy", "dd", "mm", "yyyy"
// and other combinations of d, dd, ddd, m, mm, mmm, mmmm, yy, yyyy, h, hh, n,
// nn, s, ss, ampm, AMPM, AM/PM, am/pm with literal separators.
// Number pictures: '0' shows a digit or 0, '#' a digit or nothing, '.' the
// decimal point: "0#.#0" shows 3.5 as "03.50", "##.##" shows 3.5 as "3.5"
// and 0 as ".". Null and Empty show as "". A text is read as a date or a
// number to suit the picture and comes back unchanged when it is neither.
// The named forms "General Date", "Short Date", "Long Date", "Long Time" and
// "Short Time" are understood too.
QString format(const Value &v, const QString &picture);

} // namespace rt
