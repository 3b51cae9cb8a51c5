#include "platform/database/Database.h"
#include "runtime/Error.h"
#include "tarvo/DatabaseFile.h"
#include "tools/ShippedDatabase.h"
#include "support/ErrorNumber.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iterator>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

using db::Database;
using db::Recordset;
using rt::DateTime;
using rt::Value;
using testing_support::errorNumber;
namespace ConInfo = tarvo::ConInfo;
namespace Settings = tarvo::Settings;
namespace Track = tarvo::Track;

namespace {

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(tarvo::kDatabaseFileName);
        tools::writeShippedDatabase(path);
        open();
    }
    void open()
    {
        settings.reset();
        track.reset();
        conInfo.reset();
        database.reset();
        database = Database::openExclusive(path, tarvo::kDatabaseConnect);
        conInfo = database->openTable(tarvo::kConInfoTable);
        settings = database->openTable(tarvo::kSettingsTable);
        track = database->openTable(tarvo::kTrackTable);
    }
    void addConnections(const QStringList &names)
    {
        db::Transaction transaction(*database);
        for (const QString &name : names) {
            conInfo->addNew();
            conInfo->setField(ConInfo::ConName, name);
            conInfo->update();
        }
        transaction.commit();
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<Database> database;
    std::unique_ptr<Recordset> conInfo, settings, track;
};

// The first column of the first row of a query, through the raw handle.
QByteArray firstValue(sqlite3 *handle, const QString &sql)
{
    sqlite3_stmt *st = nullptr;
    QByteArray value;
    if (sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        value = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return value;
}

} // namespace

TEST_F(RecordsetTest, ShippedFileHasTheTablesInColumnOrderAndOneSettingsRow)
{
    EXPECT_EQ(conInfo->fieldCount(), ConInfo::Password + 1);
    EXPECT_EQ(settings->fieldCount(), Settings::Cost + 1);
    EXPECT_EQ(track->fieldCount(), Track::Rate + 1);
    EXPECT_EQ(track->fieldName(Track::SessionCost), QStringLiteral("SessionCost"));
    EXPECT_EQ(settings->fieldName(Settings::CPerHr), QStringLiteral("CPerHr"));
    ASSERT_EQ(settings->recordCount(), 1);
    EXPECT_EQ(conInfo->recordCount(), 0);
    EXPECT_EQ(track->recordCount(), 0);

    settings->moveFirst();
    EXPECT_EQ(settings->field(Settings::Delay), Value(qint64(500)));
    EXPECT_EQ(settings->field(Settings::Wait), Value(qint64(60)));
    EXPECT_EQ(settings->field(Settings::Monitor), Value(qint64(1)));
    EXPECT_EQ(settings->field(Settings::MaxTry), Value(qint64(10)));
    EXPECT_EQ(settings->field(Settings::TrackUsage), Value(true));
    EXPECT_EQ(settings->field(Settings::Shrink), Value(false));
    EXPECT_TRUE(settings->field(Settings::LastConnection).isNull());
    EXPECT_TRUE(settings->field(Settings::ConnectTime).isNull());
    EXPECT_TRUE(settings->field(Settings::DisconnectTime).isNull());
    EXPECT_TRUE(settings->field(Settings::CPerHr).isNull());
}

TEST_F(RecordsetTest, ShippedSettingsAreThoseOfTheSettingsTableColumnForColumn)
{
    // The columns as the file declares them, read past the cursor.
    struct Declared {
        QString name;
        QString type;
    };
    QVector<Declared> declared;
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(database->handle(), "PRAGMA table_info(Settings)", -1, &st, nullptr), SQLITE_OK);
    while (sqlite3_step(st) == SQLITE_ROW) {
        declared.push_back({QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1))),
                            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 2)))});
    }
    sqlite3_finalize(st);

    ASSERT_EQ(declared.size(), Settings::kColumnCount);
    ASSERT_EQ(settings->fieldCount(), Settings::kColumnCount);
    ASSERT_EQ(settings->recordCount(), 1);
    settings->moveFirst();
    for (const Settings::Entry &e : Settings::kEntries) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(declared[e.column].name, QString::fromLatin1(e.name));
        EXPECT_EQ(declared[e.column].type, QString(Settings::declaredType(e.type)));
        EXPECT_EQ(settings->columnKind(e.column), e.type);
        EXPECT_EQ(settings->field(e.column), e.shippedValue());
    }
}

TEST(SettingsTable, ShippedValuesAreOnesTheirArrowsCanReach)
{
    // The three number boxes of the settings panel are set only by arrows,
    // which need a range to run over.
    for (const Settings::Column withArrows : {Settings::Delay, Settings::Wait, Settings::MaxTry})
        EXPECT_TRUE(Settings::entry(withArrows).range.bounded()) << withArrows;
    for (const Settings::Entry &e : Settings::kEntries) {
        if (!e.range.bounded())
            continue;
        SCOPED_TRACE(e.name);
        const qint64 shipped = e.shippedValue().toLong();
        EXPECT_GE(shipped, e.range.min);
        EXPECT_LE(shipped, e.range.max);
        EXPECT_EQ((shipped - e.range.min) % e.range.step, 0);
    }
}

TEST_F(RecordsetTest, ValuesAreConvertedToTheColumnKindAndSurviveReopening)
{
    settings->moveFirst();
    settings->edit();
    settings->setField(Settings::Delay, QStringLiteral("700"));   // a box's text into a number column
    settings->setField(Settings::AutoConnect, 1);                 // a 1 into a yes/no column
    settings->setField(Settings::CPerHr, 2.5);
    settings->setField(Settings::LastConnection, QStringLiteral("Home \"ISP\""));
    settings->update();

    track->addNew();
    track->setField(Track::SessionDate, DateTime::fromParts(2026, 12, 9));
    track->setField(Track::StartTime, DateTime::fromParts(1899, 12, 30, 23, 59, 1));
    track->setField(Track::SessionCost, rt::Currency::fromDouble(0.0375));
    track->setField(Track::Rate, Value::null());
    track->update();

    open();
    settings->moveFirst();
    EXPECT_EQ(settings->field(Settings::Delay), Value(qint64(700)));
    EXPECT_EQ(settings->field(Settings::AutoConnect), Value(true));
    EXPECT_EQ(settings->field(Settings::CPerHr).toCurrency(), rt::Currency::fromDouble(2.5));
    EXPECT_EQ(settings->field(Settings::LastConnection), Value(QStringLiteral("Home \"ISP\"")));

    track->moveFirst();
    EXPECT_EQ(track->field(Track::SessionDate).toDate(), DateTime::fromParts(2026, 12, 9));
    EXPECT_FALSE(track->field(Track::StartTime).toDate().hasDate());
    EXPECT_EQ(track->field(Track::StartTime).toDate().time(), QTime(23, 59, 1));
    EXPECT_EQ(track->field(Track::SessionCost).toCurrency(), rt::Currency::fromDouble(0.0375));
    EXPECT_TRUE(track->field(Track::Rate).isNull());
}

TEST_F(RecordsetTest, DatesComeBackAsWrittenAndOtherTextInADateColumnAsText)
{
    const DateTime written[] = {
        DateTime::fromParts(2026, 12, 9),                  // a date alone
        DateTime::fromParts(1899, 12, 30, 6, 30, 0),       // a time alone
        DateTime::fromParts(1899, 12, 30),                 // no date and no time
        DateTime::fromParts(1899, 12, 30, 0, 0, 1),        // the first second of a day
        DateTime::fromParts(2026, 3, 1, 0, 0, 0),          // midnight
        DateTime::fromParts(2026, 3, 29, 2, 30, 0),        // skipped by daylight saving in Europe
        DateTime::fromParts(2024, 2, 29, 23, 59, 59),      // a leap day
        DateTime::fromParts(2000, 2, 29),
        DateTime::fromParts(1899, 12, 29, 6, 0, 0),        // before the serial's day 0
        DateTime::fromParts(100, 1, 1),
        DateTime::fromParts(9999, 12, 31, 23, 59, 59),
    };
    {
        db::Transaction transaction(*database);
        for (const DateTime &d : written) {
            track->addNew();
            track->setField(Track::SessionDate, d);
            track->update();
        }
        transaction.commit();
    }

    open();
    ASSERT_EQ(track->recordCount(), int(std::size(written)));
    track->moveFirst();
    for (const DateTime &d : written) {
        const Value read = track->field(Track::SessionDate);
        EXPECT_EQ(read.type(), rt::VType::Date) << read.toString().toStdString();
        EXPECT_EQ(read, Value(d)) << d.toQDateTime().toString(Qt::ISODate).toStdString();
        track->moveNext();
    }

    // Text that is no date-time of the stored form reads back as text.
    const QString notDates[] = {
        QStringLiteral("2026-02-30 10:00:00"), QStringLiteral("2026-13-01 00:00:00"),
        QStringLiteral("2026-01-01 24:00:00"), QStringLiteral("2026-01-01 10:60:00"),
        QStringLiteral("2026-01-01T10:00:00"), QStringLiteral("2026-01-01 10:00"),
        QStringLiteral("+026-01-01 10:00:00"), QStringLiteral("6:00 am"),
        QStringLiteral("1900-02-29 10:00:00"), QStringLiteral("0000-01-01 10:00:00"),
        QStringLiteral("2026-04-31 10:00:00"), QStringLiteral("2026-01-01 10:00:60"),
    };
    const QString column = track->fieldName(Track::StartTime);
    for (const QString &text : notDates) {
        database->exec(QStringLiteral("UPDATE %1 SET %2 = '%3'").arg(tarvo::kTrackTable, column, text));
        track->moveFirst();
        EXPECT_EQ(track->field(Track::StartTime), Value(text));
    }
}

TEST_F(RecordsetTest, TextComesBackWholeWithNulsAndEveryCharacterItHolds)
{
    const char16_t units[] = {u'a', 0, u'b', 0xFFFF, 0xD83D, 0xDE00, 0};
    const QString name = QString::fromUtf16(units, std::size(units));
    addConnections({name});
    open();
    conInfo->moveFirst();
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value(name));
}

TEST_F(RecordsetTest, RefusedValueLeavesTheRowAsItWas)
{
    settings->moveFirst();
    settings->edit();
    EXPECT_EQ(errorNumber([&] { settings->setField(Settings::Delay, QStringLiteral("fast")); }), 3421);
    settings->cancelUpdate();
    EXPECT_EQ(settings->field(Settings::Delay), Value(qint64(500)));
}

TEST_F(RecordsetTest, CursorMovesAndNoCurrentRecordErrors)
{
    EXPECT_EQ(errorNumber([&] { conInfo->moveFirst(); }), 3021);
    EXPECT_EQ(errorNumber([&] { conInfo->field(ConInfo::ConName); }), 3021);
    EXPECT_EQ(errorNumber([&] { settings->setField(Settings::Delay, 1); }), 3020);
    EXPECT_EQ(errorNumber([&] { settings->update(); }), 3020);
    EXPECT_EQ(errorNumber([&] { settings->field(Settings::Cost + 1); }), 3265);

    addConnections({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    // The row just added is the current one.
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value("C"));
    EXPECT_EQ(conInfo->recordCount(), 3);

    conInfo->moveFirst();
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value("A"));
    conInfo->moveNext();
    conInfo->moveNext();
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value("C"));
    conInfo->moveLast();
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value("C"));
    conInfo->moveNext();
    EXPECT_TRUE(conInfo->eof());
    EXPECT_EQ(errorNumber([&] { conInfo->moveNext(); }), 3021);
}

TEST_F(RecordsetTest, DeletedRowIsGoneAndTheNextMoveLandsOnTheRowAfterIt)
{
    addConnections({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"),
                    QStringLiteral("E")});
    conInfo->moveFirst();
    conInfo->moveNext();
    ASSERT_EQ(conInfo->field(ConInfo::ConName), Value("B"));   // read before it goes
    conInfo->deleteRow();
    EXPECT_EQ(errorNumber([&] { conInfo->field(ConInfo::ConName); }), 3021);
    conInfo->moveNext();
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value("C"));

    // Deleting row after row, as deleting a selection does.
    conInfo->deleteRow();
    conInfo->moveNext();
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value("D"));
    conInfo->moveNext();
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value("E"));
    conInfo->deleteRow();   // the last row: nothing is left to move to
    EXPECT_TRUE(conInfo->eof());
    EXPECT_EQ(conInfo->recordCount(), 2);

    open();
    ASSERT_EQ(conInfo->recordCount(), 2);
    conInfo->moveFirst();
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value("A"));
    conInfo->moveNext();
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value("D"));
}

TEST_F(RecordsetTest, ARowReadOnceStillShowsEveryLaterWrite)
{
    settings->moveFirst();
    ASSERT_EQ(settings->field(Settings::Wait), Value(qint64(60)));

    // Through the same cursor.
    settings->edit();
    settings->setField(Settings::Wait, 70);
    settings->update();
    EXPECT_EQ(settings->field(Settings::Wait), Value(qint64(70)));

    // Through another cursor on the same table, each having read the row.
    auto other = database->openTable(tarvo::kSettingsTable);
    other->moveFirst();
    ASSERT_EQ(other->field(Settings::Wait), Value(qint64(70)));
    settings->edit();
    settings->setField(Settings::Wait, 90);
    settings->update();
    EXPECT_EQ(other->field(Settings::Wait), Value(qint64(90)));
    other->edit();
    other->setField(Settings::Delay, 250);
    other->update();
    EXPECT_EQ(settings->field(Settings::Delay), Value(qint64(250)));
    EXPECT_EQ(settings->field(Settings::Wait), Value(qint64(90)));

    // A statement of the database's own.
    database->exec(QStringLiteral("UPDATE %1 SET %2 = 30").arg(tarvo::kSettingsTable,
                                                              settings->fieldName(Settings::Wait)));
    EXPECT_EQ(settings->field(Settings::Wait), Value(qint64(30)));

    // Writes undone by a rollback.
    {
        db::Transaction transaction(*database);
        other->edit();
        other->setField(Settings::Wait, 45);
        other->update();
        EXPECT_EQ(settings->field(Settings::Wait), Value(qint64(45)));
    }
    EXPECT_EQ(settings->field(Settings::Wait), Value(qint64(30)));

    // A row another cursor deleted.
    addConnections({QStringLiteral("A"), QStringLiteral("B")});
    auto conInfo2 = database->openTable(tarvo::kConInfoTable);
    conInfo->moveFirst();
    ASSERT_EQ(conInfo->field(ConInfo::ConName), Value("A"));
    conInfo2->moveFirst();
    conInfo2->deleteRow();
    EXPECT_EQ(errorNumber([&] { conInfo->field(ConInfo::ConName); }), 3021);
    conInfo->moveNext();
    EXPECT_EQ(conInfo->field(ConInfo::ConName), Value("B"));
}

TEST_F(RecordsetTest, CommittedWritesAreKeptAndUncommittedOnesDropped)
{
    {
        db::Transaction transaction(*database);
        track->addNew();
        track->setField(Track::Minutes, 5);
        track->update();
        transaction.commit();
    }
    {
        db::Transaction transaction(*database);
        track->addNew();
        track->setField(Track::Minutes, 7);
        track->update();
    }
    open();
    ASSERT_EQ(track->recordCount(), 1);
    track->moveFirst();
    EXPECT_EQ(track->field(Track::Minutes), Value(qint64(5)));
}

TEST_F(RecordsetTest, RangeTotalsTakeTheHalfOpenRangeSkipNullsAndLeaveTheCursor)
{
    const auto add = [&](const DateTime &day, const Value &minutes, const Value &cost) {
        track->addNew();
        track->setField(Track::SessionDate, day);
        track->setField(Track::Minutes, minutes);
        track->setField(Track::SessionCost, cost);
        track->update();
    };
    const auto totals = [&] {
        return track->totalsInRange(Track::SessionDate, DateTime::fromParts(2026, 12, 1), DateTime::fromParts(2027, 1, 1),
                                    {Track::Minutes, Track::SessionCost});
    };
    EXPECT_EQ(totals(), (QVector<Value>{Value(qint64(0)), Value(rt::Currency{})}));

    track->indexColumn(Track::SessionDate);
    track->indexColumn(Track::SessionDate);   // once is enough; again changes nothing
    add(DateTime::fromParts(2026, 11, 30, 23, 59, 59), 1000, 10.0);
    add(DateTime::fromParts(2026, 12, 1), 10, 0.1);
    add(DateTime::fromParts(2026, 12, 31, 23, 59, 59), 20, 0.2);
    add(DateTime::fromParts(2026, 12, 15), Value::null(), Value::null());
    add(DateTime::fromParts(2027, 1, 1), 1000, 10.0);
    track->moveFirst();
    track->moveNext();
    EXPECT_EQ(totals(), (QVector<Value>{Value(qint64(30)), Value(rt::Currency::fromDouble(0.3))}));
    EXPECT_EQ(track->field(Track::Minutes), Value(qint64(10)));
}

TEST_F(RecordsetTest, RowsReadInOneGoAreWhatTheCursorReadsAndLeaveItWhereItWas)
{
    {
        db::Transaction transaction(*database);
        for (int i = 0; i < 3; ++i) {
            track->addNew();
            track->setField(Track::SessionDate, DateTime::fromParts(2026, 5, 1 + i, 21, 5, 30));
            track->setField(Track::Minutes, 60 + i);
            track->setField(Track::SessionCost, rt::Currency::fromDouble(1.25 * i));
            track->setField(Track::Connection, QStringLiteral("H\u00e9me %1").arg(i));
            track->update();
        }
        transaction.commit();
    }
    // A date column holding text of another form, and a row gone between.
    const QString column = track->fieldName(Track::StartTime);
    database->exec(QStringLiteral("UPDATE %1 SET %2 = '6:00 am'").arg(tarvo::kTrackTable, column));
    track->moveFirst();
    track->moveNext();
    track->deleteRow();
    track->moveFirst();

    QVector<qint64> keys;
    track->readRows([&](const db::StoredRow &row) {
        keys << row.key();
        for (int c = 0; c < track->fieldCount(); ++c)
            EXPECT_EQ(row.field(c), track->field(c)) << c;
        EXPECT_EQ(row.utf8(Track::Connection).toByteArray(), track->field(Track::Connection).toString().toUtf8());
        EXPECT_TRUE(row.isNull(Track::EndTime));
        EXPECT_FALSE(row.isNull(Track::SessionDate));

        db::StoredRow::DateTimeParts parts{};
        ASSERT_TRUE(row.dateTimeParts(Track::SessionDate, parts));
        const DateTime date = track->field(Track::SessionDate).toDate();
        EXPECT_EQ(QDate(parts.year, parts.month, parts.day), date.date());
        EXPECT_EQ(QTime(parts.hour, parts.minute, parts.second), date.time());
        EXPECT_FALSE(row.dateTimeParts(Track::StartTime, parts));   // text of another form
        EXPECT_FALSE(row.dateTimeParts(Track::EndTime, parts));     // Null
        EXPECT_FALSE(row.dateTimeParts(Track::Minutes, parts));     // no date column
        EXPECT_EQ(errorNumber([&] { row.field(Track::Rate + 1); }), 3265);
        track->moveNext();
    });
    ASSERT_EQ(keys.size(), 2);
    track->moveFirst();
    EXPECT_EQ(keys[0], track->bookmark());
    track->moveLast();
    EXPECT_EQ(keys[1], track->bookmark());
    EXPECT_EQ(track->field(Track::Minutes), Value(qint64(62)));
}

TEST(DatabaseOpen, MissingWrongPasswordAndDamagedFilesAreRefusedWithTheirNumbers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(tarvo::kDatabaseFileName);
    EXPECT_EQ(errorNumber([&] { Database::openExclusive(path, tarvo::kDatabaseConnect); }), 3024);

    tools::writeShippedDatabase(path);
    EXPECT_EQ(errorNumber([&] { Database::openExclusive(path, QStringLiteral(";pwd=guess")); }), 3031);
    EXPECT_EQ(errorNumber([&] { Database::openExclusive(path, QString()); }), 3031);

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(0);
    f.write(QByteArray(4096, '\x5a'));
    f.close();
    EXPECT_EQ(errorNumber([&] { Database::openExclusive(path, tarvo::kDatabaseConnect); }), 3031);

    // An empty file reads as a database without tables; it is refused as
    // not ours and stays empty.
    ASSERT_TRUE(f.resize(0));
    EXPECT_EQ(errorNumber([&] { Database::openExclusive(path, tarvo::kDatabaseConnect); }), 3031);
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST(DatabaseOpen, FileWrittenByTheShippedToolOpensWithTheLastingCipherSettings)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(tarvo::kShippedDatabaseFileName);
    ASSERT_EQ(QProcess::execute(QStringLiteral(MKDB_PATH), {path}), 0);

    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_FALSE(raw.read(16).startsWith("SQLite format 3"));   // encrypted from the first page
    raw.close();

    // The settings of the 3.x format, which every later SQLCipher reads when
    // told to.
    auto db = Database::openExclusive(path, tarvo::kDatabaseConnect);
    EXPECT_EQ(firstValue(db->handle(), QStringLiteral("PRAGMA cipher_page_size")), QByteArray("1024"));
    EXPECT_EQ(firstValue(db->handle(), QStringLiteral("PRAGMA kdf_iter")), QByteArray("64000"));

    auto settings = db->openTable(tarvo::kSettingsTable);
    ASSERT_EQ(settings->recordCount(), 1);
    settings->moveFirst();
    EXPECT_EQ(settings->field(Settings::MaxTry), Value(qint64(10)));
    EXPECT_EQ(db->openTable(tarvo::kConInfoTable)->fieldCount(), ConInfo::Password + 1);
    EXPECT_EQ(db->openTable(tarvo::kTrackTable)->fieldCount(), Track::Rate + 1);
}
