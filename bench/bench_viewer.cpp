// The usage log viewer over a log of ten years: filling its columns, a
// click's selection, selecting everything and deleting a hundred records.
// Each is held against one plain query reading the same rows and columns in
// the same run.
#include "bench/Timing.h"
#include "bench/TrackFile.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/database/Database.h"
#include "tarvo/DatabaseFile.h"
#include "tarvo/Form1.h"
#include "tarvo/Form4.h"

#include <QFile>
#include <QTemporaryDir>
#include <QListView>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace {

using bench::secondsOf;

using tarvo::Form4;

// Every row and column of the log read by one statement: as fast as the
// engine hands the rows over.
qint64 plainQuery(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM Track", -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    qint64 bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            bytes += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c))).size();
    }
    sqlite3_finalize(st);
    return bytes;
}

// The main window with the log open in its cursor, and the viewer on it.
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
    double baseline()
    {
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i)
            runs.push_back(secondsOf([&] { benchmark::DoNotOptimize(plainQuery(main.database->handle())); }));
        return *std::min_element(runs.begin(), runs.end());
    }
    void loadAll() { viewer->load(Form4::kAllDays, Form4::kAllMonths, Form4::kAllYears, Form4::kAllConnections); }

    // The user answers Yes to everything.
    bench::AnsweringBoxes boxes{platform::mb::Yes};
    platform::Platform services{.boxes = boxes};
    tarvo::Form1 main;
    std::unique_ptr<Form4> viewer;
};

void BM_ViewerLoadsTheWholeLog(benchmark::State &state)
{
    Opened o(bench::trackFile());
    const double best = o.baseline();
    double loading = 0;
    qint64 runs = 0;
    for (auto _ : state) {
        loading += secondsOf([&] { o.loadAll(); });
        ++runs;
        if (o.viewer->rowCount() != bench::kRows)
            state.SkipWithError("not every row was listed");
    }
    state.counters["load_vs_query"] = loading / double(runs) / best;
}

void BM_ViewerClickSelectsARow(benchmark::State &state)
{
    Opened o(bench::trackFile());
    o.loadAll();
    const double best = o.baseline();
    double syncing = 0;
    qint64 runs = 0;
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % bench::kRows;
        o.viewer->setRowSelected(row, true);
        syncing += secondsOf([&] { o.viewer->List1_MouseUp(tarvo::Track::Connection, Qt::LeftButton); });
        o.viewer->setRowSelected(row, false);
        ++runs;
    }
    state.counters["click_vs_query"] = syncing / double(runs) / best;
}

void BM_ViewerSelectsEveryRow(benchmark::State &state)
{
    Opened o(bench::trackFile());
    o.loadAll();
    const double best = o.baseline();
    double selecting = 0;
    qint64 runs = 0;
    for (auto _ : state) {
        selecting += secondsOf([&] { o.viewer->List1_DblClick(0); });
        ++runs;
        if (o.viewer->reportLines().size() != bench::kRows)
            state.SkipWithError("the report does not hold every row");
        o.viewer->List1[0]->selectionModel()->clear();
    }
    state.counters["select_all_vs_query"] = selecting / double(runs) / best;
}

void BM_ViewerDeletesAHundredRecords(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(tarvo::kDatabaseFileName);
    double deleting = 0;
    double best = 0;
    qint64 runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(file);
        QFile::copy(bench::trackFile(), file);
        {
            Opened o(file);
            o.loadAll();
            best = o.baseline();
            for (int i = 0; i < 100; ++i)
                o.viewer->setRowSelected(i * 997, true);
            state.ResumeTiming();
            deleting += secondsOf([&] { o.viewer->List1_KeyUp(0, Qt::Key_Delete); });
            state.PauseTiming();
            if (o.main.track->recordCount() != bench::kRows - 100)
                state.SkipWithError("not exactly a hundred records went");
        }
        ++runs;
        state.ResumeTiming();
    }
    state.counters["delete_100_vs_query"] = deleting / double(runs) / best;
}

BENCHMARK(BM_ViewerLoadsTheWholeLog)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ViewerClickSelectsARow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerSelectsEveryRow)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ViewerDeletesAHundredRecords)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
