// Writes the 100,000-row log file bench/startup.sh starts Tarvo with:
//
//   write_track_file PATH
//
// The file is left as Tarvo's first start leaves it, its log's date index
// built, so that every timed start is an ordinary one; the one-off cost of
// building the index after an update is not what the benchmark measures.
#include "bench/TrackFile.h"
#include "platform/database/Database.h"
#include "runtime/Error.h"
#include "tarvo/DatabaseFile.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_track_file PATH\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    try {
        bench::writeTrackFile(path);
        auto db = db::Database::openExclusive(path, tarvo::kDatabaseConnect);
        db->openTable(tarvo::kTrackTable)->indexColumn(tarvo::Track::SessionDate);
    } catch (const rt::RuntimeError &e) {
        std::fprintf(stderr, "write_track_file: %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
