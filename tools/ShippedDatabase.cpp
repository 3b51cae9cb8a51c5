#include "tools/ShippedDatabase.h"

#include "platform/database/Database.h"
#include "tarvo/DatabaseFile.h"

#include <QFile>
#include <QStringList>

#include <cstddef>
#include <stdexcept>

namespace tools {

namespace {

// Column order is the file format: the program reads and writes by ordinal,
// so each column is listed with the ordinal it is addressed by, and a list out
// of order does not compile.
struct Column {
    int ordinal;
    const char *definition;
};

constexpr Column kConInfoColumns[] = {
    {tarvo::ConInfo::ConName, "ConName TEXT"},
    {tarvo::ConInfo::UserName, "UserName TEXT"},
    {tarvo::ConInfo::Password, "Password TEXT"},
};

constexpr Column kSettingsColumns[] = {
    {tarvo::Settings::Delay, "Delay INTEGER"},
    {tarvo::Settings::Shrink, "Shrink BOOLEAN"},
    {tarvo::Settings::AutoConnect, "AutoConnect BOOLEAN"},
    {tarvo::Settings::LastConnection, "LastConnection TEXT"},
    {tarvo::Settings::Wait, "Wait INTEGER"},
    {tarvo::Settings::Monitor, "Monitor INTEGER"},
    {tarvo::Settings::MaxTry, "MaxTry INTEGER"},
    {tarvo::Settings::AppStart, "AppStart BOOLEAN"},
    {tarvo::Settings::AlarmStart, "AlarmStart BOOLEAN"},
    {tarvo::Settings::ConnectTime, "ConnectTime TEXT"},
    {tarvo::Settings::DisconnectTime, "DisconnectTime TEXT"},
    {tarvo::Settings::TrackUsage, "TrackUsage BOOLEAN"},
    {tarvo::Settings::NetHours, "NetHours BOOLEAN"},
    {tarvo::Settings::NetCost, "NetCost BOOLEAN"},
    {tarvo::Settings::CPerHr, "CPerHr CURRENCY"},
    {tarvo::Settings::Hours, "Hours DOUBLE"},
    {tarvo::Settings::Cost, "Cost CURRENCY"},
};

constexpr Column kTrackColumns[] = {
    {tarvo::Track::SessionDate, "SessionDate DATETIME"},
    {tarvo::Track::Minutes, "Minutes INTEGER"},
    {tarvo::Track::SessionCost, "SessionCost CURRENCY"},
    {tarvo::Track::Connection, "Connection TEXT"},
    {tarvo::Track::StartTime, "StartTime DATETIME"},
    {tarvo::Track::EndTime, "EndTime DATETIME"},
    {tarvo::Track::Rate, "Rate CURRENCY"},
};

template <std::size_t N>
constexpr bool inFileOrder(const Column (&columns)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        if (columns[i].ordinal != int(i))
            return false;
    }
    return true;
}
static_assert(inFileOrder(kConInfoColumns));
static_assert(inFileOrder(kSettingsColumns));
static_assert(inFileOrder(kTrackColumns));

template <std::size_t N>
QString createTable(QLatin1String table, const Column (&columns)[N])
{
    QStringList definitions;
    for (const Column &c : columns)
        definitions << QString::fromLatin1(c.definition);
    return QStringLiteral("CREATE TABLE %1 (%2);").arg(table, definitions.join(QLatin1String(", ")));
}

} // namespace

void writeShippedDatabase(const QString &path)
{
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    {
        auto db = db::Database::create(partial, tarvo::kDatabaseConnect);
        db::Transaction transaction(*db);
        db->exec(createTable(tarvo::kConInfoTable, kConInfoColumns));
        db->exec(createTable(tarvo::kSettingsTable, kSettingsColumns));
        db->exec(createTable(tarvo::kTrackTable, kTrackColumns));

        // Shipped settings: a half-second step, a minute's wait, ten tries,
        // outside connections watched and usage tracked; the rest off. The
        // connect and disconnect times are left empty on purpose: the first
        // start fills in its defaults.
        using namespace tarvo::Settings;
        auto settings = db->openTable(tarvo::kSettingsTable);
        settings->addNew();
        settings->setField(Delay, 500);
        settings->setField(Shrink, false);
        settings->setField(AutoConnect, false);
        settings->setField(Wait, 60);
        settings->setField(Monitor, 1);
        settings->setField(MaxTry, 10);
        settings->setField(AppStart, false);
        settings->setField(AlarmStart, false);
        settings->setField(TrackUsage, true);
        settings->setField(NetHours, false);
        settings->setField(NetCost, false);
        settings->update();
        transaction.commit();
    }
    QFile::remove(path);
    if (!QFile::rename(partial, path))
        throw std::runtime_error("cannot move the new database into place");
}

} // namespace tools
