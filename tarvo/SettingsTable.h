#pragma once

#include "platform/database/Database.h"
#include "runtime/Value.h"

#include <QLatin1String>
#include <cstddef>
#include <iterator>

namespace tarvo {

// Every stored setting in one place: its column in the single settings row,
// the type the column is declared with, what the row holds as it ships, what
// the program puts in where it finds the column empty, and the range the
// controls that set it keep to. The tool that writes the shipped file builds
// the table and its row from this, and the windows take their defaults and
// ranges from it, so a change here reaches all of them.
namespace Settings {

// Columns are addressed by ordinal, never by name: the order is the file
// format.
enum Column : int {
    Delay = 0,
    Shrink = 1,
    AutoConnect = 2,
    LastConnection = 3,
    Wait = 4,
    Monitor = 5,
    MaxTry = 6,
    AppStart = 7,
    AlarmStart = 8,
    ConnectTime = 9,
    DisconnectTime = 10,
    TrackUsage = 11,
    NetHours = 12,
    NetCost = 13,
    CPerHr = 14,
    Hours = 15,
    Cost = 16,
};

// A value as the table gives it: a number (a yes/no as 1 or 0), a text, or
// nothing at all. It takes its column's type when it is read.
struct Preset {
    bool null = true;
    double number = 0;
    const char *text = nullptr;

    rt::Value as(db::ColumnKind kind) const
    {
        if (null)
            return rt::Value::null();
        return db::toColumnKind(kind, text ? rt::Value(text) : rt::Value(number));
    }
};
inline constexpr Preset kNone{};
inline constexpr Preset kNo{false, 0, nullptr};
inline constexpr Preset kYes{false, 1, nullptr};
constexpr Preset number(double n) { return {false, n, nullptr}; }
constexpr Preset text(const char *t) { return {false, 0, t}; }

// What the arrows beside a number box run over; a step of 0 means the
// setting has no range of its own.
struct Range {
    int min = 0;
    int max = 0;
    int step = 0;

    constexpr bool bounded() const { return step > 0; }
};

// A column's type is the kind the file declares it with (see declaredType).
using Type = db::ColumnKind;

struct Entry {
    Column column;
    const char *name;
    Type type;
    // The single row as the shipped file holds it.
    Preset shipped;
    // Put in where the column is found empty: the times at start-up, the
    // limits and the rate when More Settings opens. Nothing for the rest,
    // which are never filled in.
    Preset whenEmpty;
    Range range;

    rt::Value shippedValue() const { return shipped.as(type); }
    rt::Value whenEmptyValue() const { return whenEmpty.as(type); }
};

// The shipped row: a half-second step, a minute's wait, ten tries, outside
// connections watched and usage tracked; the rest off. The connect and
// disconnect times ship empty on purpose: the first start fills them in.
inline constexpr Entry kEntries[] = {
    {Delay, "Delay", Type::Integer, number(500), kNone, {100, 9000, 100}},
    {Shrink, "Shrink", Type::YesNo, kNo, kNone, {}},
    {AutoConnect, "AutoConnect", Type::YesNo, kNo, kNone, {}},
    {LastConnection, "LastConnection", Type::Text, kNone, kNone, {}},
    {Wait, "Wait", Type::Integer, number(60), kNone, {5, 180, 1}},
    // 0 or 1, never a yes/no: it goes straight into its check box.
    {Monitor, "Monitor", Type::Integer, number(1), kNone, {}},
    {MaxTry, "MaxTry", Type::Integer, number(10), kNone, {5, 200, 1}},
    {AppStart, "AppStart", Type::YesNo, kNo, kNone, {}},
    {AlarmStart, "AlarmStart", Type::YesNo, kNo, kNone, {}},
    {ConnectTime, "ConnectTime", Type::Text, kNone, text("6:00 am"), {}},
    {DisconnectTime, "DisconnectTime", Type::Text, kNone, text("6:30 am"), {}},
    {TrackUsage, "TrackUsage", Type::YesNo, kYes, kNone, {}},
    {NetHours, "NetHours", Type::YesNo, kNo, kNone, {}},
    {NetCost, "NetCost", Type::YesNo, kNo, kNone, {}},
    {CPerHr, "CPerHr", Type::Money, kNone, number(0), {}},
    {Hours, "Hours", Type::Number, kNone, number(0), {}},
    {Cost, "Cost", Type::Money, kNone, number(0), {}},
};

inline constexpr int kColumnCount = int(std::size(kEntries));

constexpr bool inColumnOrder()
{
    for (int i = 0; i < kColumnCount; ++i) {
        if (kEntries[i].column != i)
            return false;
    }
    return kEntries[kColumnCount - 1].column == Cost;
}
static_assert(inColumnOrder(), "the settings table lists every column once, in file order");

constexpr const Entry &entry(Column column)
{
    return kEntries[column];
}

// The type word a column is created with; read back, it gives the same kind.
inline QLatin1String declaredType(db::ColumnKind kind)
{
    switch (kind) {
    case Type::Integer: return QLatin1String("INTEGER");
    case Type::YesNo: return QLatin1String("BOOLEAN");
    case Type::Number: return QLatin1String("DOUBLE");
    case Type::Money: return QLatin1String("CURRENCY");
    case Type::Text: return QLatin1String("TEXT");
    case Type::DateTime: return QLatin1String("DATETIME");
    }
    return QLatin1String("TEXT");
}

} // namespace Settings

} // namespace tarvo
