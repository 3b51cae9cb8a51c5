// The main window's settings writer and connection-table operations.
#include "Harness.h"
#include "tarvo/Form1.h"

#include <gtest/gtest.h>

using namespace testing_support;
using rt::Value;
namespace mb = platform::mb;

namespace {

class ConnectionTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        h.writeRegistry({}, QString(), false);
        f = &h.start();
    }
    void add(const QString &name, const Value &user = Value::null())
    {
        ASSERT_TRUE(f->Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoAppend, tarvo::ConInfo::ConName, name));
        if (!user.isNull()) {
            ASSERT_TRUE(f->Ucinfo(tarvo::ConInfo::UserName, user, tarvo::UcinfoEditCurrent));
        }
    }
    QStringList rows(int field = tarvo::ConInfo::ConName)
    {
        QStringList out;
        if (f->conInfo->recordCount() == 0)
            return out;
        f->conInfo->moveFirst();
        while (!f->conInfo->eof()) {
            const Value v = f->conInfo->field(field);
            out << (v.isNull() ? QStringLiteral("<null>") : v.toString());
            f->conInfo->moveNext();
        }
        return out;
    }

    Harness h;
    tarvo::Form1 *f = nullptr;
};

} // namespace

TEST_F(ConnectionTable, FindOnAnEmptyTableAndUnknownModesDoNothing)
{
    EXPECT_FALSE(f->Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoFind, tarvo::ConInfo::ConName, QStringLiteral("Home")));
    add(QStringLiteral("Home"));
    add(QStringLiteral("Work"));
    f->conInfo->moveFirst();
    EXPECT_FALSE(f->Ucinfo(tarvo::ConInfo::UserName, QStringLiteral("x"), tarvo::UcinfoMode(5), tarvo::ConInfo::ConName, QStringLiteral("Home")));
    EXPECT_FALSE(f->Ucinfo(tarvo::ConInfo::UserName, QStringLiteral("x"), tarvo::UcinfoMode(-1), tarvo::ConInfo::ConName, QStringLiteral("Home")));
    // The cursor has not moved and nothing was written.
    EXPECT_EQ(f->conInfo->field(tarvo::ConInfo::ConName), Value("Home"));
    EXPECT_EQ(rows(tarvo::ConInfo::UserName), (QStringList{"<null>", "<null>"}));
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST_F(ConnectionTable, FindLeavesTheCursorOnTheRowOrPastTheLast)
{
    add(QStringLiteral("Home"), QStringLiteral("ann"));
    add(QStringLiteral("Work"), QStringLiteral("bob"));
    EXPECT_TRUE(f->Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoFind, tarvo::ConInfo::ConName, QStringLiteral("Home")));
    EXPECT_EQ(f->conInfo->field(tarvo::ConInfo::UserName), Value("ann"));
    // Names compare exactly.
    EXPECT_FALSE(f->Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoFind, tarvo::ConInfo::ConName, QStringLiteral("home")));
    EXPECT_TRUE(f->conInfo->eof());
    EXPECT_FALSE(f->Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoFind, tarvo::ConInfo::ConName, QStringLiteral("Home ")));
}

TEST_F(ConnectionTable, SetByFindAndEditTheCurrentRow)
{
    add(QStringLiteral("Home"));
    add(QStringLiteral("Work"));
    EXPECT_TRUE(f->Ucinfo(tarvo::ConInfo::Password, QStringLiteral("secret"), tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, QStringLiteral("Home")));
    EXPECT_FALSE(f->Ucinfo(tarvo::ConInfo::Password, QStringLiteral("secret"), tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, QStringLiteral("Away")));
    EXPECT_EQ(rows(tarvo::ConInfo::Password), (QStringList{"secret", "<null>"}));

    ASSERT_TRUE(f->Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoFind, tarvo::ConInfo::ConName, QStringLiteral("Work")));
    EXPECT_TRUE(f->Ucinfo(tarvo::ConInfo::UserName, QStringLiteral("bob"), tarvo::UcinfoEditCurrent));
    EXPECT_EQ(rows(tarvo::ConInfo::UserName), (QStringList{"<null>", "bob"}));
}

TEST_F(ConnectionTable, DeleteOfANamePresentTwiceRemovesOnlyTheFirst)
{
    add(QStringLiteral("Home"), QStringLiteral("first"));
    add(QStringLiteral("Work"));
    add(QStringLiteral("Home"), QStringLiteral("second"));
    EXPECT_TRUE(f->Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoDeleteFound, tarvo::ConInfo::ConName, QStringLiteral("Home")));
    EXPECT_EQ(rows(tarvo::ConInfo::ConName), (QStringList{"Work", "Home"}));
    EXPECT_EQ(rows(tarvo::ConInfo::UserName), (QStringList{"<null>", "second"}));
    EXPECT_FALSE(f->Ucinfo(tarvo::ConInfo::ConName, {}, tarvo::UcinfoDeleteFound, tarvo::ConInfo::ConName, QStringLiteral("Away")));
}

TEST_F(ConnectionTable, EditWithoutACurrentRowIsTrappedAndLogged)
{
    h.boxes.answer(mb::Ok);
    EXPECT_FALSE(f->Ucinfo(tarvo::ConInfo::UserName, QStringLiteral("x"), tarvo::UcinfoEditCurrent));
    ASSERT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_EQ(h.boxes.shown()[0].title, QStringLiteral("Tarvo - Internal Error"));
    EXPECT_EQ(h.boxes.shown()[0].prompt, QStringLiteral("3021\r\nNo current record."));
    EXPECT_TRUE(h.errorLogLines().value(0).endsWith(QStringLiteral(" 1 49 ")));
}

TEST(Settings, UsettingWritesOneColumnAtOnceAndRefusalsAreLogged)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    f.Usetting(tarvo::Settings::LastConnection, QStringLiteral("Home"));
    f.Usetting(tarvo::Settings::AutoConnect, 1);
    f.settings->moveFirst();
    EXPECT_EQ(f.settings->field(tarvo::Settings::LastConnection), Value("Home"));
    EXPECT_EQ(f.settings->field(tarvo::Settings::AutoConnect), Value(true));
    EXPECT_EQ(f.settings->field(tarvo::Settings::Delay), Value(qint64(500)));

    h.boxes.answer(mb::Ok);
    f.Usetting(tarvo::Settings::Delay, QStringLiteral("quick"));
    EXPECT_EQ(h.boxes.shown().at(0).prompt, QStringLiteral("3421\r\nData type conversion error."));
    EXPECT_TRUE(h.errorLogLines().value(0).endsWith(QStringLiteral(" 1 48 ")));
    EXPECT_EQ(f.settings->field(tarvo::Settings::Delay), Value(qint64(500)));
}
