// The usage log viewer over a log of ten years: opening it up to its window
// shown, a change of the month filter up to the lists painted again, a
// click's selection, selecting everything and deleting a hundred records.
// Each is held against a plain query reading the same rows and columns,
// timed in turn with it in the same run.
#include "bench/Timing.h"
#include "bench/TrackFile.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/database/Database.h"
#include "tarvo/DatabaseFile.h"
#include "tarvo/Form1.h"
#include "tarvo/Form4.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QListView>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <vector>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace {

using bench::secondsOf;

using tarvo::Form4;

// Rounds of each pairing; fewer under a profiler (VIEWER_ROUNDS=1).
const int kRounds = qEnvironmentVariableIsSet("VIEWER_ROUNDS") ? qEnvironmentVariableIntValue("VIEWER_ROUNDS") : 15;

// The rows of the log in the viewer's seven columns, read by one statement
// and handed over as Qt strings: as fast as the engine gives the rows up.
// `where` narrows them as a filter does, inside the engine.
qint64 plainQuery(sqlite3 *db, const char *where = "")
{
    const QByteArray sql = QByteArray("SELECT SessionDate, Minutes, SessionCost, Connection, StartTime, EndTime, Rate "
                                      "FROM Track ") + where;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    qint64 bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            bytes += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c))).size();
    }
    sqlite3_finalize(st);
    return bytes;
}

// What the rows of one month are to the engine: the month's two digits
// in the stored date text.
QByteArray monthClause(int month)
{
    return "WHERE substr(SessionDate, 6, 2) = '" + QByteArray::number(month).rightJustified(2, '0') + "'";
}

// The viewer's seven lists have painted their rows: the window is on screen
// as the user sees it.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(Form4 &viewer)
    {
        for (QListView *list : viewer.List1) {
            list->viewport()->installEventFilter(this);
            m_lists.push_back(list->viewport());
        }
    }
    void rearm() { m_painted.clear(); }
    // Lets events run until every list has painted since the last rearm.
    void waitForPaint()
    {
        while (m_painted.size() < m_lists.size())
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && std::find(m_painted.begin(), m_painted.end(), watched) == m_painted.end())
            m_painted.push_back(watched);
        return false;
    }

private:
    std::vector<QObject *> m_lists;
    std::vector<QObject *> m_painted;
};

// A user who answers every message box Yes, and whose modal windows are
// shown for real and handed to `whileShown`.
class ShowingBoxes : public bench::AnsweringBoxes {
public:
    ShowingBoxes() : AnsweringBoxes(platform::mb::Yes) {}
    std::function<void(QDialog &)> whileShown;
    void showModal(QDialog &d) override
    {
        if (whileShown)
            whileShown(d);
    }
};

// The main window with the log open in its cursor, as the program has it
// when the user clicks "Usage &Info".
struct Opened {
    explicit Opened(const QString &file)
        : main(services)
    {
        main.database = db::Database::openExclusive(file, tarvo::kDatabaseConnect);
        main.track = main.database->openTable(tarvo::kTrackTable);
        viewer = std::make_unique<Form4>(main);
    }
    ~Opened()
    {
        viewer.reset();
        main.track.reset();
        main.database.reset();
    }
    void loadAll() { viewer->load(Form4::kAllDays, Form4::kAllMonths, Form4::kAllYears, Form4::kAllConnections); }

    ShowingBoxes boxes;
    platform::Platform services{.boxes = boxes};
    tarvo::Form1 main;
    std::unique_ptr<Form4> viewer;
};

using Clock = std::chrono::steady_clock;
double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// From the click on "Usage &Info" to the viewer on screen with its lists
// painted, every record listed: the window built, the filter lists filled,
// the whole log read and formatted, the lists laid out and painted, on the
// offscreen platform. Left out: closing the window and freeing its rows
// (after the user is done), an X server's own drawing, and the cursor's
// listing of the log's keys, which the first record count after start-up
// takes once (in the first round only).
void BM_ViewerOpensOnTheWholeLog(benchmark::State &state)
{
    Opened o(bench::trackFile());
    o.viewer.reset();
    bench::Paired p;
    Clock::time_point shown;
    o.boxes.whileShown = [&](QDialog &d) {
        auto &viewer = static_cast<Form4 &>(d);
        PaintWatch watch(viewer);
        d.show();
        watch.waitForPaint();
        shown = Clock::now();
        if (viewer.rowCount() != bench::kRows)
            state.SkipWithError("not every row was listed");
        d.hide();
    };
    for (auto _ : state) {
        for (int i = 0; i < kRounds; ++i) {
            const Clock::time_point click = Clock::now();
            o.main.Usage_Click();
            p.figure.push_back(secondsBetween(click, shown));
            p.baseline.push_back(secondsOf([&] { benchmark::DoNotOptimize(plainQuery(o.main.database->handle())); }));
        }
    }
    bench::report(state, "open_vs_query", p);
}

// With the viewer on screen, the month filter set to another month, up to
// the seven lists painted again with that month's records (about one in
// twelve): reading and testing every record, formatting the month's, the
// total, the lists laid out and painted. The baseline reads the same
// records, the engine itself picking the month out of the stored date.
// Left out: typing the month and the box's own handling of the key.
void BM_ViewerChangesTheMonth(benchmark::State &state)
{
    Opened o(bench::trackFile());
    o.viewer.reset();
    bench::Paired p;
    o.boxes.whileShown = [&](QDialog &d) {
        auto &viewer = static_cast<Form4 &>(d);
        PaintWatch watch(viewer);
        d.show();
        watch.waitForPaint();
        viewer.All->click();   // the filter lists take effect
        watch.waitForPaint();
        for (int i = 0; i < kRounds; ++i) {
            const int month = 1 + i % 12;
            const QByteArray where = monthClause(month);
            viewer.CMonth->setEditText(QString::number(month));
            p.figure.push_back(secondsOf([&] {
                watch.rearm();
                viewer.filter_Click();
                watch.waitForPaint();
            }));
            p.baseline.push_back(secondsOf([&] { benchmark::DoNotOptimize(plainQuery(o.main.database->handle(), where.constData())); }));
            if (viewer.rowCount() == 0 || viewer.rowCount() >= bench::kRows / 6)
                state.SkipWithError("the month did not narrow the rows");
        }
        d.hide();
    };
    for (auto _ : state)
        o.main.Usage_Click();
    bench::report(state, "month_vs_query", p);
}

// One click on a row with the whole log listed: the report made again from
// the selection. Left out: the mouse event's way to the list and the
// repaint.
void BM_ViewerClickSelectsARow(benchmark::State &state)
{
    Opened o(bench::trackFile());
    o.loadAll();
    bench::Paired p;
    int row = 0;
    for (auto _ : state) {
        for (int i = 0; i < kRounds; ++i) {
            row = (row + 7919) % bench::kRows;
            o.viewer->setRowSelected(row, true);
            p.figure.push_back(secondsOf([&] { o.viewer->List1_MouseUp(tarvo::Track::Connection, Qt::LeftButton); }));
            o.viewer->setRowSelected(row, false);
            p.baseline.push_back(secondsOf([&] { benchmark::DoNotOptimize(plainQuery(o.main.database->handle())); }));
        }
    }
    bench::report(state, "click_vs_query", p);
}

// A double click with the whole log listed: every row selected and its
// report line made. Left out: the repaint, and the mouse event's way in.
void BM_ViewerSelectsEveryRow(benchmark::State &state)
{
    Opened o(bench::trackFile());
    o.loadAll();
    bench::Paired p;
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            p.figure.push_back(secondsOf([&] { o.viewer->List1_DblClick(0); }));
            if (o.viewer->reportLines().size() != bench::kRows)
                state.SkipWithError("the report does not hold every row");
            o.viewer->List1[0]->selectionModel()->clear();
            p.baseline.push_back(secondsOf([&] { benchmark::DoNotOptimize(plainQuery(o.main.database->handle())); }));
        }
    }
    bench::report(state, "select_all_vs_query", p);
}

// A hundred selected records deleted from the whole log listed, each
// written to the file at once. Left out: the question (answered at once)
// and the repaint; each round works on a fresh copy of the file, made
// outside the timing.
void BM_ViewerDeletesAHundredRecords(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(tarvo::kDatabaseFileName);
    bench::Paired p;
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            QFile::remove(file);
            QFile::copy(bench::trackFile(), file);
            Opened o(file);
            o.loadAll();
            for (int r = 0; r < 100; ++r)
                o.viewer->setRowSelected(r * 997, true);
            p.figure.push_back(secondsOf([&] { o.viewer->List1_KeyUp(0, Qt::Key_Delete); }));
            if (o.main.track->recordCount() != bench::kRows - 100)
                state.SkipWithError("not exactly a hundred records went");
            p.baseline.push_back(secondsOf([&] { benchmark::DoNotOptimize(plainQuery(o.main.database->handle())); }));
        }
    }
    bench::report(state, "delete_100_vs_query", p);
}

BENCHMARK(BM_ViewerOpensOnTheWholeLog)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ViewerChangesTheMonth)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ViewerClickSelectsARow)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ViewerSelectsEveryRow)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ViewerDeletesAHundredRecords)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
