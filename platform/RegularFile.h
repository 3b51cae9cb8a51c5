#pragma once

#include <QFile>

namespace platform {

// Opens `file` (its name set) in `mode` only when the name is a regular file,
// or, when writing, names nothing yet and is created as one. A named pipe,
// a device or a folder in its place is refused without waiting: opening a
// pipe for reading waits for a writer and for writing waits for a reader, so
// a plain open could stop the program for good. A file it creates can be
// read and written by the user alone. False when refused or when the file
// cannot be opened.
bool openRegularFile(QFile &file, QIODevice::OpenMode mode);

} // namespace platform
