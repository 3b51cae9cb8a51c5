#pragma once

#include <QString>

namespace tools {

// Writes a fresh database file as it ships: the three tables with their
// columns in the order the program addresses them, and the one settings row.
// An existing file at `path` is replaced only once the new one is complete.
void writeShippedDatabase(const QString &path);

} // namespace tools
