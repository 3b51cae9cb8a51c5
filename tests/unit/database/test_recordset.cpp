#include "platform/database/Database.h"
#include "runtime/Error.h"
#include "tarvo/DatabaseFile.h"
#include "tools/ShippedDatabase.h"
#include "support/ErrorNumber.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using db::Database;
using db::Recordset;
using rt::Value;
using testing_support::errorNumber;

namespace {

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("tarvo.mdb"));
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
        conInfo = database->openTable(QStringLiteral("ConInfo"));
        settings = database->openTable(QStringLiteral("Settings"));
        track = database->openTable(QStringLiteral("Track"));
    }
    void addConnection(const QString &name)
    {
        conInfo->addNew();
        conInfo->setField(0, name);
        conInfo->update();
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<Database> database;
    std::unique_ptr<Recordset> conInfo, settings, track;
};

} // namespace

TEST_F(RecordsetTest, ShippedFileHasTheTablesInColumnOrderAndOneSettingsRow)
{
    EXPECT_EQ(conInfo->fieldCount(), 3);
    EXPECT_EQ(settings->fieldCount(), 17);
    EXPECT_EQ(track->fieldCount(), 7);
    ASSERT_EQ(settings->recordCount(), 1);
    EXPECT_EQ(conInfo->recordCount(), 0);
    EXPECT_EQ(track->recordCount(), 0);

    settings->moveFirst();
    EXPECT_EQ(settings->field(0), Value(qint64(500)));
    EXPECT_EQ(settings->field(4), Value(qint64(60)));
    EXPECT_EQ(settings->field(5), Value(qint64(1)));
    EXPECT_EQ(settings->field(6), Value(qint64(10)));
    EXPECT_EQ(settings->field(11), Value(true));
    EXPECT_EQ(settings->field(1), Value(false));
    EXPECT_TRUE(settings->field(3).isNull());
    EXPECT_TRUE(settings->field(9).isNull());
    EXPECT_TRUE(settings->field(10).isNull());
    EXPECT_TRUE(settings->field(14).isNull());
}

TEST_F(RecordsetTest, ValuesAreConvertedToTheColumnKindAndSurviveReopening)
{
    settings->moveFirst();
    settings->edit();
    settings->setField(0, QStringLiteral("700"));    // a box's text into a number column
    settings->setField(2, 1);                        // a 1 into a yes/no column
    settings->setField(14, 2.5);
    settings->setField(3, QStringLiteral("Home \"ISP\""));
    settings->update();

    track->addNew();
    track->setField(0, rt::DateTime::fromParts(2026, 12, 9));
    track->setField(4, rt::DateTime::fromParts(1899, 12, 30, 23, 59, 1));
    track->setField(2, rt::Currency::fromDouble(0.0375));
    track->setField(6, Value::null());
    track->update();

    open();
    settings->moveFirst();
    EXPECT_EQ(settings->field(0), Value(qint64(700)));
    EXPECT_EQ(settings->field(2), Value(true));
    EXPECT_EQ(settings->field(14).toCurrency(), rt::Currency::fromDouble(2.5));
    EXPECT_EQ(settings->field(3), Value(QStringLiteral("Home \"ISP\"")));

    track->moveFirst();
    EXPECT_EQ(track->field(0).toDate(), rt::DateTime::fromParts(2026, 12, 9));
    EXPECT_FALSE(track->field(4).toDate().hasDate());
    EXPECT_EQ(track->field(4).toDate().time(), QTime(23, 59, 1));
    EXPECT_EQ(track->field(2).toCurrency(), rt::Currency::fromDouble(0.0375));
    EXPECT_TRUE(track->field(6).isNull());
}

TEST_F(RecordsetTest, RefusedValueLeavesTheRowAsItWas)
{
    settings->moveFirst();
    settings->edit();
    EXPECT_EQ(errorNumber([&] { settings->setField(0, QStringLiteral("fast")); }), 3421);
    settings->cancelUpdate();
    EXPECT_EQ(settings->field(0), Value(qint64(500)));
}

TEST_F(RecordsetTest, CursorMovesAndNoCurrentRecordErrors)
{
    EXPECT_EQ(errorNumber([&] { conInfo->moveFirst(); }), 3021);
    EXPECT_EQ(errorNumber([&] { conInfo->field(0); }), 3021);
    EXPECT_EQ(errorNumber([&] { settings->setField(0, 1); }), 3020);
    EXPECT_EQ(errorNumber([&] { settings->update(); }), 3020);
    EXPECT_EQ(errorNumber([&] { settings->field(17); }), 3265);

    addConnection(QStringLiteral("A"));
    addConnection(QStringLiteral("B"));
    addConnection(QStringLiteral("C"));
    // The row just added is the current one.
    EXPECT_EQ(conInfo->field(0), Value("C"));
    EXPECT_EQ(conInfo->recordCount(), 3);

    conInfo->moveFirst();
    EXPECT_EQ(conInfo->field(0), Value("A"));
    conInfo->moveNext();
    conInfo->moveNext();
    EXPECT_EQ(conInfo->field(0), Value("C"));
    conInfo->moveNext();
    EXPECT_TRUE(conInfo->eof());
    EXPECT_EQ(errorNumber([&] { conInfo->moveNext(); }), 3021);
}

TEST_F(RecordsetTest, DeleteLeavesNoCurrentRowUntilTheNextMove)
{
    for (const char *n : {"A", "B", "C"})
        addConnection(QString::fromLatin1(n));
    conInfo->moveFirst();
    conInfo->moveNext();
    conInfo->deleteRow();
    EXPECT_EQ(errorNumber([&] { conInfo->field(0); }), 3021);
    conInfo->moveNext();
    EXPECT_EQ(conInfo->field(0), Value("C"));
    EXPECT_EQ(conInfo->recordCount(), 2);

    open();
    ASSERT_EQ(conInfo->recordCount(), 2);
    conInfo->moveFirst();
    EXPECT_EQ(conInfo->field(0), Value("A"));
}

TEST_F(RecordsetTest, TwoCursorsOnOneTableSeeEachOthersWrites)
{
    auto other = database->openTable(QStringLiteral("Settings"));
    other->moveFirst();
    settings->moveFirst();
    settings->edit();
    settings->setField(4, 90);
    settings->update();
    EXPECT_EQ(other->field(4), Value(qint64(90)));
}

TEST(DatabaseOpen, MissingWrongPasswordAndDamagedFilesAreRefusedWithTheirNumbers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tarvo.mdb"));
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
}
