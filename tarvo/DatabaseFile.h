#pragma once

#include <QLatin1String>

namespace tarvo {

// The database file beside the program and the connect string that opens it.
inline constexpr QLatin1String kDatabaseFileName{"tarvo.mdb"};
inline constexpr QLatin1String kDatabaseConnect{";pwd=kvr482tmw917"};

} // namespace tarvo
