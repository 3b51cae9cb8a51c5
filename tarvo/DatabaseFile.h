#pragma once

#include "tarvo/SettingsTable.h"

#include <QLatin1String>

namespace tarvo {

// The database file beside the program and the connect string that opens it.
inline constexpr QLatin1String kDatabaseFileName{"tarvo.mdb"};
// What the build lays down; copied to kDatabaseFileName only where none is.
inline constexpr QLatin1String kShippedDatabaseFileName{"tarvo.mdb.shipped"};
inline constexpr QLatin1String kDatabaseConnect{";pwd=kvr482tmw917"};

// The three tables. Columns are addressed by ordinal, never by name: the
// order below is the file format.
inline constexpr QLatin1String kConInfoTable{"ConInfo"};
inline constexpr QLatin1String kSettingsTable{"Settings"};
inline constexpr QLatin1String kTrackTable{"Track"};

// One row per known dial-up connection.
namespace ConInfo {
enum Column : int {
    ConName = 0,    // the key of every lookup, compared exactly
    UserName = 1,
    Password = 2,   // stored scrambled
};
} // namespace ConInfo

// The single settings row: its columns, each with its type, default and
// range, are in SettingsTable.h.

// The usage log, one row per recorded session.
namespace Track {
enum Column : int {
    SessionDate = 0,
    Minutes = 1,
    SessionCost = 2,
    Connection = 3,
    StartTime = 4,
    EndTime = 5,
    Rate = 6,
};
} // namespace Track

} // namespace tarvo
