#pragma once

#include "runtime/DateTime.h"

#include <QString>
#include <QtGlobal>
#include <variant>

namespace rt {

// Money kept to four decimals as a scaled whole number, so sums of costs do
// not drift.
struct Currency {
    qint64 scaled = 0;   // value × 10000
    static Currency fromDouble(double v);   // rounds to 4 decimals; Overflow beyond ±922337203685477
    double toDouble() const { return double(scaled) / 10000.0; }
    friend bool operator==(Currency a, Currency b) { return a.scaled == b.scaled; }
};

enum class VType { Empty, Null, Boolean, Integer, Double, Currency, String, Date };

// The one value type of the program's logic: what a database column, a
// control's value or a setting holds. Empty is "never assigned" (reads as 0
// or ""), Null is "no value" (most conversions refuse it with error 94).
class Value {
public:
    Value() = default;                      // Empty
    static Value null();
    Value(bool b) : m_v(b) {}
    Value(int i) : m_v(qint64(i)) {}
    Value(qint64 i) : m_v(i) {}
    Value(double d) : m_v(d) {}
    Value(Currency c) : m_v(c) {}
    Value(const QString &s) : m_v(s) {}
    Value(const char *s) : m_v(QString::fromUtf8(s)) {}
    Value(const DateTime &d) : m_v(d) {}

    VType type() const;
    bool isEmpty() const { return type() == VType::Empty; }
    bool isNull() const { return type() == VType::Null; }
    bool isNumeric() const;   // Boolean, Integer, Double, Currency, Empty

    // Conversions in the program's rules. Text is read as a number or a date
    // where it can be ("12" is 12, "6:00 am" a time); otherwise Type mismatch.
    bool toBool() const;          // non-zero is true; "True"/"False" texts
    qint64 toLong() const;        // rounds half to even; Overflow past 32 bits
    int toInt() const;            // as toLong, Overflow past 16 bits
    double toDouble() const;
    Currency toCurrency() const;
    QString toString() const;     // True/False, shortest number text, general date
    DateTime toDate() const;

    // Equality as a comparison in the program's logic: Null equals nothing;
    // two texts compare exactly; numbers and dates compare by value; a text
    // and a number compare as numbers when the text reads as one.
    bool equals(const Value &other) const;

    // Exact sameness of kind and content (for tests and caches).
    friend bool operator==(const Value &a, const Value &b);

private:
    struct NullTag { friend bool operator==(NullTag, NullTag) { return true; } };
    using Storage = std::variant<std::monostate, NullTag, bool, qint64, double, Currency, QString, DateTime>;
    explicit Value(NullTag t) : m_v(t) {}
    qint64 wholeNumber() const;   // Empty, Boolean (-1/0) or Integer as stored
    Storage m_v;
};

} // namespace rt
