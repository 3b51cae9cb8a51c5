#pragma once

#include "runtime/Value.h"

#include <QString>

namespace rt {

// Blanks only: a NUL or a tab at the end of a system answer is not a blank
// and must survive trimming so the caller can see and drop it.
inline QString trimBlanks(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

// Drops one trailing NUL, as left behind by a system call's buffer.
inline QString dropTrailingNul(const QString &s)
{
    return s.endsWith(QChar(u'\0')) ? s.left(s.size() - 1) : s;
}

// "value = True" in the program's logic: Null is not true, a yes/no column's
// true is, and so is the number -1 (true as a number) or the text "True".
inline bool isTrue(const Value &v)
{
    switch (v.type()) {
    case VType::Null:
    case VType::Empty:
        return false;
    case VType::Boolean:
        return v.toBool();
    case VType::String:
        if (v.toString().trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        break;
    default:
        break;
    }
    try {
        return v.toDouble() == -1.0;
    } catch (...) {
        return false;
    }
}

} // namespace rt
