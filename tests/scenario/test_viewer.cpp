// The usage log viewer on a log written by the test: filters, the columns'
// texts and total, selection kept in step, deletion by record, the report.
#include "StartedTarvo.h"
#include "tarvo/Form1.h"
#include "tarvo/Form4.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace testing_support;
using rt::DateTime;
using rt::Value;
using tarvo::Form4;
namespace mb = platform::mb;
namespace Track = tarvo::Track;

namespace {

struct Record {
    DateTime date;
    Value minutes;
    Value cost;
    QString connection;
    Value rate = Value::null();
};

class Viewer : public StartedTarvo {
protected:
    void SetUp() override
    {
        StartedTarvo::SetUp();
        h.clock.set(DateTime::fromParts(2026, 12, 9, 12, 0, 0));
    }
    void log(const std::vector<Record> &records)
    {
        for (const Record &r : records) {
            f->track->addNew();
            f->track->setField(Track::SessionDate, r.date);
            f->track->setField(Track::Minutes, r.minutes);
            f->track->setField(Track::SessionCost, r.cost);
            f->track->setField(Track::Connection, r.connection);
            f->track->setField(Track::StartTime, DateTime::fromParts(1899, 12, 30, 21, 5, 0));
            f->track->setField(Track::EndTime, DateTime::fromParts(1899, 12, 30, 9, 7, 30));
            f->track->setField(Track::Rate, r.rate);
            f->track->update();
        }
    }
    // Opens the viewer and runs `use` on it while it is shown.
    void view(const std::function<void(Form4 &)> &use)
    {
        h.boxes.onModal([&](QDialog &d) { use(static_cast<Form4 &>(d)); });
        f->Usage_Click();
    }
    static QStringList column(Form4 &v, int c)
    {
        QStringList out;
        for (int r = 0; r < v.rowCount(); ++r)
            out << v.cell(r, c);
        return out;
    }
    static void click(Form4 &v, int list, int row)
    {
        QListView *view = v.List1[size_t(list)];
        const QRect at = view->visualRect(view->model()->index(row, list));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at.center());
    }
    static void type(QComboBox *box, const QString &text)
    {
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    QStringList storedConnections()
    {
        QStringList out;
        for (int i = 0; i < f->track->recordCount(); ++i) {
            f->track->moveFirst();
            for (int j = 0; j < i; ++j)
                f->track->moveNext();
            out << f->track->field(Track::Connection).toString();
        }
        return out;
    }
};

DateTime on(int year, int month, int day)
{
    return DateTime::fromParts(year, month, day);
}

} // namespace

TEST_F(Viewer, EmptyLogWarnsAndOpensNothing)
{
    h.boxes.answer(mb::Ok);
    f->Usage_Click();
    ASSERT_EQ(h.boxes.shown().size(), 1u);
    EXPECT_EQ(h.boxes.shown()[0].prompt, QStringLiteral(" No Log Records To View !!"));
    EXPECT_EQ(h.boxes.shown()[0].title, QStringLiteral("Tarvo - Warning"));
    EXPECT_EQ(h.boxes.shown()[0].icon(), mb::Exclamation);
    EXPECT_EQ(f->loadedWindow<Form4>(), nullptr);
}

TEST_F(Viewer, ColumnsShowTheRecordsInStoredOrderWithTheirPicturesAndARoundedTotal)
{
    log({{on(2001, 1, 5), 125, rt::Currency::fromDouble(5.5), QStringLiteral("Home ISP"), rt::Currency::fromDouble(20)},
         {on(2026, 6, 30), Value::null(), Value::null(), QStringLiteral("Work")},
         {on(2026, 7, 1), 0, rt::Currency::fromDouble(0.005), QStringLiteral("Work")}});
    view([&](Form4 &v) {
        EXPECT_EQ(v.windowTitle(), QStringLiteral("Tarvo - Internet Usage Info "));
        EXPECT_TRUE(v.All->isChecked());
        EXPECT_FALSE(v.CMonth->isEnabled());
        ASSERT_EQ(v.rowCount(), 3);
        EXPECT_EQ(column(v, Track::SessionDate), (QStringList{"Jan 05 2001", "Jun 30 2026", "Jul 01 2026"}));
        EXPECT_EQ(column(v, Track::Minutes), (QStringList{"02 h 05 m", " - ", "00 h 00 m"}));
        EXPECT_EQ(column(v, Track::SessionCost), (QStringList{"005.50", " - ", "000.01"}));
        EXPECT_EQ(column(v, Track::StartTime)[0], QStringLiteral("09:05 PM"));
        EXPECT_EQ(column(v, Track::EndTime)[0], QStringLiteral("09:07 AM"));
        EXPECT_EQ(column(v, Track::Rate), (QStringList{"20", " - ", " - "}));
        // 5.5, then 5.505 read back as 5.51.
        EXPECT_EQ(v.total->text(), QStringLiteral("5.51"));
        EXPECT_FALSE(v.Frame2->isVisible());
    });
}

TEST_F(Viewer, DatesStoredAsOtherTextShowAndFilterAsTheDatesTheyRead)
{
    log({{on(2026, 5, 3), 10, rt::Currency::fromDouble(1), QStringLiteral("Home")},
         {on(2026, 4, 30), 10, rt::Currency::fromDouble(2), QStringLiteral("Home")}});
    f->database->exec(QStringLiteral("UPDATE %1 SET SessionDate = 'Dec 9 2026', StartTime = '6:00 pm' WHERE rowid = "
                                     "(SELECT min(rowid) FROM %1)").arg(tarvo::kTrackTable));
    view([&](Form4 &v) {
        EXPECT_EQ(column(v, Track::SessionDate), (QStringList{"Dec 09 2026", "Apr 30 2026"}));
        EXPECT_EQ(column(v, Track::StartTime), (QStringList{"06:00 PM", "09:05 PM"}));
        v.All->click();
        type(v.CMonth, QStringLiteral("12"));
        EXPECT_EQ(column(v, Track::SessionDate), QStringList{"Dec 09 2026"});
        EXPECT_EQ(v.total->text(), QStringLiteral("1."));
    });
}

TEST_F(Viewer, FiltersReadLeadingNumbersAndCompareConnectionsWithoutCaseOrOuterBlanks)
{
    log({{on(2026, 5, 3), 10, rt::Currency::fromDouble(1), QStringLiteral("Home")},
         {on(2026, 4, 30), 10, rt::Currency::fromDouble(2), QStringLiteral(" Work")},
         {on(2025, 5, 31), 10, rt::Currency::fromDouble(4), QStringLiteral("work")}});
    view([&](Form4 &v) {
        // Cleared right after opening: the filters still stand at their
        // all-values, so everything stays listed.
        v.All->click();
        EXPECT_TRUE(v.CMonth->isEnabled());
        EXPECT_EQ(v.rowCount(), 3);

        type(v.CMonth, QStringLiteral("05"));
        EXPECT_EQ(column(v, Track::SessionDate), (QStringList{"May 03 2026", "May 31 2025"}));
        type(v.CMonth, QStringLiteral("4"));
        type(v.Cday, QStringLiteral("31"));
        EXPECT_EQ(v.rowCount(), 0);
        EXPECT_EQ(v.total->text(), QStringLiteral("0"));
        type(v.Cday, QStringLiteral("All Days"));
        type(v.CMonth, QStringLiteral("May"));   // no leading number: 0
        EXPECT_EQ(v.rowCount(), 0);

        // An erased month or year is the current one.
        v.CMonth->setEditText(QString());
        v.CYear->setEditText(QString());
        v.Cday->setEditText(QString());
        v.filter_Click();
        EXPECT_EQ(v.CMonth->currentText(), QStringLiteral("12"));
        EXPECT_EQ(v.CYear->currentText(), QStringLiteral("2026"));
        EXPECT_EQ(v.Cday->currentText(), Form4::kAllDays);

        type(v.CMonth, Form4::kAllMonths);
        type(v.CYear, Form4::kAllYears);
        type(v.Cconnection, QStringLiteral("  WORK "));
        EXPECT_EQ(column(v, Track::Connection), (QStringList{"work"}));
        EXPECT_EQ(v.total->text(), QStringLiteral("4."));
    });
}

TEST_F(Viewer, ClicksSelectWholeRowsAndTheReportFollowsInRowOrder)
{
    log({{on(2026, 1, 1), 60, rt::Currency::fromDouble(1), QStringLiteral("A"), rt::Currency::fromDouble(1)},
         {on(2026, 1, 2), 61, rt::Currency::fromDouble(2), QStringLiteral("B")},
         {on(2026, 1, 3), 62, rt::Currency::fromDouble(3), QStringLiteral("C")}});
    view([&](Form4 &v) {
        click(v, Track::Connection, 2);
        for (int c = 0; c < 7; ++c)
            EXPECT_TRUE(v.List1[size_t(c)]->selectionModel()->isSelected(v.List1[size_t(c)]->model()->index(2, c)));
        EXPECT_EQ(v.reportLines(), QStringList{
            "D[Jan 03 2026] Cn[C] S[09:05 PM] E[09:07 AM] T[01 h 02 m] R[ - /hr] Co[003.00] "});
        EXPECT_EQ(v.List2->toolTip(), QStringLiteral("1 Records "));

        // Without the rate column the line leaves its item out.
        v.Com[Track::Rate]->click();
        EXPECT_FALSE(v.List1[Track::Rate]->isEnabled());
        click(v, Track::SessionDate, 0);
        EXPECT_EQ(v.reportLines(), (QStringList{
            "D[Jan 01 2026] Cn[A] S[09:05 PM] E[09:07 AM] T[01 h 00 m] Co[001.00] ",
            "D[Jan 03 2026] Cn[C] S[09:05 PM] E[09:07 AM] T[01 h 02 m] Co[003.00] "}));

        // A double click selects every row, and the report holds each once.
        QListView *dates = v.List1[Track::SessionDate];
        QTest::mouseDClick(dates->viewport(), Qt::LeftButton, {}, dates->visualRect(dates->model()->index(1, 0)).center());
        EXPECT_EQ(v.reportLines().size(), 3);
        EXPECT_EQ(v.List2->toolTip(), QStringLiteral("3 Records "));

        // Delete in the report trims only the report.
        v.List2->selectionModel()->select(v.List2->model()->index(0, 0), QItemSelectionModel::Select);
        QTest::keyClick(v.List2, Qt::Key_Delete);
        EXPECT_EQ(v.reportLines().size(), 2);
        EXPECT_EQ(v.List2->toolTip(), QStringLiteral("2 Records"));
        EXPECT_EQ(v.rowCount(), 3);
        EXPECT_EQ(f->track->recordCount(), 3);
    });
}

TEST_F(Viewer, DeleteRemovesExactlyTheSelectedRecordsWhateverTheFilter)
{
    log({{on(2026, 3, 1), 1, rt::Currency::fromDouble(1), QStringLiteral("A")},
         {on(2026, 4, 1), 1, rt::Currency::fromDouble(1), QStringLiteral("B")},
         {on(2026, 3, 2), 1, rt::Currency::fromDouble(1), QStringLiteral("C")},
         {on(2026, 4, 2), 1, rt::Currency::fromDouble(1), QStringLiteral("D")},
         {on(2026, 3, 3), 1, rt::Currency::fromDouble(1), QStringLiteral("E")},
         {on(2026, 3, 4), 1, rt::Currency::fromDouble(1), QStringLiteral("F")}});
    view([&](Form4 &v) {
        v.All->click();
        type(v.CMonth, QStringLiteral("3"));
        ASSERT_EQ(column(v, Track::Connection), (QStringList{"A", "C", "E", "F"}));

        // Nothing selected: still asked; No keeps everything, Yes deletes nothing.
        h.boxes.answer(mb::No);
        QTest::keyClick(v.List1[0], Qt::Key_Delete);
        ASSERT_EQ(h.boxes.shown().size(), 1u);
        EXPECT_EQ(h.boxes.shown()[0].prompt, QStringLiteral(" Delete Selected Record(s) ?"));
        EXPECT_EQ(h.boxes.shown()[0].title, QStringLiteral("Tarvo - Confirm Deletion"));
        EXPECT_EQ(h.boxes.shown()[0].buttons(), mb::YesNo);
        h.boxes.answer(mb::Yes);
        QTest::keyClick(v.List1[0], Qt::Key_Delete);
        EXPECT_EQ(f->track->recordCount(), 6);

        // Two adjacent rows, C and E.
        click(v, Track::Connection, 1);
        click(v, Track::Minutes, 2);
        h.boxes.answer(mb::Yes);
        QTest::keyClick(v.List1[Track::SessionCost], Qt::Key_Delete);
        EXPECT_EQ(column(v, Track::Connection), (QStringList{"A", "F"}));
        EXPECT_EQ(column(v, Track::SessionDate).size(), 2);
        EXPECT_TRUE(v.reportLines().isEmpty());
        EXPECT_EQ(v.List2->toolTip(), QStringLiteral("0 Records "));
    });
    EXPECT_EQ(storedConnections(), (QStringList{"A", "B", "D", "F"}));
}

TEST_F(Viewer, ReportZoomsInAndOutAndPrintsInLandscape)
{
    log({{on(2026, 2, 1), 65, rt::Currency::fromDouble(21.67), QStringLiteral("Home ISP"), rt::Currency::fromDouble(20)}});
    view([&](Form4 &v) {
        h.boxes.answer(mb::Ok);
        v.Command1->click();
        EXPECT_EQ(h.boxes.shown().back().prompt, QStringLiteral(" Nothing Selected To Print"));
        v.prn->click();
        EXPECT_TRUE(h.printer.documents.isEmpty());

        click(v, 0, 0);
        const QRect normal = v.List2->geometry();
        v.Command1->click();
        EXPECT_EQ(v.List2->geometry(), QRect(normal.left(), 0, normal.width(), normal.top() + normal.height()));
        EXPECT_EQ(v.Command1->text(), QStringLiteral("&Zoom OUT Print Information"));
        v.Command1->click();
        EXPECT_EQ(v.List2->geometry(), normal);
        EXPECT_EQ(v.Command1->text(), QStringLiteral("&Zoom IN Print Information"));

        v.prn->click();
    });
    ASSERT_EQ(h.printer.documents.size(), 1);
    const auto &doc = h.printer.documents[0];
    EXPECT_EQ(doc.orientation, platform::printer::Landscape);
    EXPECT_EQ(doc.lines, (QStringList{
        "\r\n",
        "      INTERNET USAGE INFORMATION PROVIDED BY - TARVO    12/9/2026 12:00:00 PM",
        "      -----------------------------------------------    -------------------",
        "\r\n",
        "\tThe Information Under May Not To Be Accurate. Intended For Non-Commercial Refrence Only.",
        "\r\n",
        "      Nemonics Used  : D=Date ,Cn=Connection ,S=Started ,E=Ended ,T=Time ,R=Rate ,Co=Cost\r\n",
        "      D[Feb 01 2026] Cn[Home ISP] S[09:05 PM] E[09:07 AM] T[01 h 05 m] R[20/hr] Co[021.67] "}));
}

TEST_F(Viewer, APrinterFaultIsLoggedWithoutAMessage)
{
    log({{on(2026, 2, 1), 65, rt::Currency::fromDouble(1), QStringLiteral("Home")}});
    h.printer.failAtLine = 3;
    view([&](Form4 &v) {
        click(v, 0, 0);
        v.prn->click();
    });
    EXPECT_TRUE(h.printer.documents.isEmpty());
    ASSERT_EQ(h.errorLogLines().size(), 2);
    EXPECT_TRUE(h.errorLogLines()[0].contains(QLatin1String("482Printer error 4 7")));
}
