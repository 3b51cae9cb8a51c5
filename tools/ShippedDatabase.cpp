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
static_assert(inFileOrder(kTrackColumns));

QString createTable(QLatin1String table, const QStringList &definitions)
{
    return QStringLiteral("CREATE TABLE %1 (%2);").arg(table, definitions.join(QLatin1String(", ")));
}

template <std::size_t N>
QString createTable(QLatin1String table, const Column (&columns)[N])
{
    QStringList definitions;
    for (const Column &c : columns)
        definitions << QString::fromLatin1(c.definition);
    return createTable(table, definitions);
}

// The Settings columns come from SettingsTable.h, which the program reads
// them by, so the file and the program cannot drift apart.
QString createSettingsTable()
{
    QStringList definitions;
    for (const tarvo::Settings::Entry &e : tarvo::Settings::kEntries)
        definitions << QStringLiteral("%1 %2").arg(QLatin1String(e.name), tarvo::Settings::declaredType(e.type));
    return createTable(tarvo::kSettingsTable, definitions);
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
        db->exec(createSettingsTable());
        db->exec(createTable(tarvo::kTrackTable, kTrackColumns));

        // The one settings row, as SettingsTable.h gives it.
        auto settings = db->openTable(tarvo::kSettingsTable);
        settings->addNew();
        for (const tarvo::Settings::Entry &e : tarvo::Settings::kEntries)
            settings->setField(e.column, e.shippedValue());
        settings->update();
        transaction.commit();
    }
    QFile::remove(path);
    if (!QFile::rename(partial, path))
        throw std::runtime_error("cannot move the new database into place");
}

} // namespace tools
