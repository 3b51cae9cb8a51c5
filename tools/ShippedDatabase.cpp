#include "tools/ShippedDatabase.h"

#include "platform/database/Database.h"
#include "tarvo/DatabaseFile.h"

#include <QFile>

namespace tools {

namespace {

// Column order is the file format: the program reads and writes by ordinal.
const char kSchema[] = R"SQL(
CREATE TABLE ConInfo (
  ConName   TEXT,
  UserName  TEXT,
  Password  TEXT
);
CREATE TABLE Settings (
  Delay          INTEGER,
  Shrink         BOOLEAN,
  AutoConnect    BOOLEAN,
  LastConnection TEXT,
  Wait           INTEGER,
  Monitor        INTEGER,
  MaxTry         INTEGER,
  AppStart       BOOLEAN,
  AlarmStart     BOOLEAN,
  ConnectTime    TEXT,
  DisconnectTime TEXT,
  TrackUsage     BOOLEAN,
  NetHours       BOOLEAN,
  NetCost        BOOLEAN,
  CPerHr         CURRENCY,
  Hours          DOUBLE,
  Cost           CURRENCY
);
CREATE TABLE Track (
  SessionDate DATETIME,
  Minutes     INTEGER,
  SessionCost CURRENCY,
  Connection  TEXT,
  StartTime   DATETIME,
  EndTime     DATETIME,
  Rate        CURRENCY
);
)SQL";

} // namespace

void writeShippedDatabase(const QString &path)
{
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    {
        auto db = db::Database::create(partial, tarvo::kDatabaseConnect);
        db->exec(QString::fromLatin1(kSchema));

        // Shipped settings: a half-second step, a minute's wait, ten tries,
        // outside connections watched and usage tracked; the rest off. The
        // connect and disconnect times are left empty on purpose: the first
        // start fills in its defaults.
        auto settings = db->openTable(QStringLiteral("Settings"));
        settings->addNew();
        settings->setField(0, 500);
        settings->setField(1, false);
        settings->setField(2, false);
        settings->setField(4, 60);
        settings->setField(5, 1);
        settings->setField(6, 10);
        settings->setField(7, false);
        settings->setField(8, false);
        settings->setField(11, true);
        settings->setField(12, false);
        settings->setField(13, false);
        settings->update();
    }
    QFile::remove(path);
    if (!QFile::rename(partial, path))
        throw std::runtime_error("cannot move the new database into place");
}

} // namespace tools
