#pragma once

#include <QString>

namespace bench {

// Rows in the benchmarks' usage log: about ten years of a heavy user.
constexpr int kRows = 100000;

// One database file holding a log of kRows sessions, written once per run
// and shared by every benchmark that only reads it.
const QString &trackFile();

// Writes such a file at path: the shipped file with kRows log rows added.
void writeTrackFile(const QString &path);

} // namespace bench
