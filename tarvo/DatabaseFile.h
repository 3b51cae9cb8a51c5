#pragma once

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

// The single settings row.
namespace Settings {
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
} // namespace Settings

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
