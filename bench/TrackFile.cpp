#include "bench/TrackFile.h"

#include "platform/database/Database.h"
#include "tarvo/DatabaseFile.h"
#include "tools/ShippedDatabase.h"

#include <QTemporaryDir>

namespace bench {

void writeTrackFile(const QString &p)
{
    namespace Track = tarvo::Track;
    tools::writeShippedDatabase(p);
    auto db = db::Database::openExclusive(p, tarvo::kDatabaseConnect);
    auto track = db->openTable(tarvo::kTrackTable);
    db::Transaction transaction(*db);
    for (int i = 0; i < kRows; ++i) {
        const int minutes = 1 + i % 240;
        track->addNew();
        track->setField(Track::SessionDate, rt::DateTime::fromParts(2020, 1, 1 + i / 40));
        track->setField(Track::Minutes, minutes);
        track->setField(Track::SessionCost, rt::Currency::fromDouble(minutes / 60.0 * 1.25));
        track->setField(Track::Connection, QStringLiteral("Connection %1").arg(i % 5));
        track->setField(Track::StartTime, rt::DateTime::fromParts(1899, 12, 30, i % 20, i % 60, 0));
        track->setField(Track::EndTime, rt::DateTime::fromParts(1899, 12, 30, 20 + i % 4, i % 60, 30));
        track->setField(Track::Rate, rt::Currency::fromDouble(1.25));
        track->update();
    }
    transaction.commit();
}

const QString &trackFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(tarvo::kDatabaseFileName);
        writeTrackFile(p);
        return p;
    }();
    return path;
}

} // namespace bench
