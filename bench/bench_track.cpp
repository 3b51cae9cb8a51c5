// Reading the usage log as the log viewer does: walking the Track table row
// by row and reading three fields of each. Held against the same totals
// taken by one aggregate query over the same file in the same run, which is
// about as fast as the engine can go through the rows.
#include "bench/Timing.h"
#include "platform/database/Database.h"
#include "tarvo/DatabaseFile.h"
#include "bench/TrackFile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace Track = tarvo::Track;
using bench::kRows;
using bench::trackFile;

namespace {

using bench::secondsOf;


struct Totals {
    qint64 rows = 0;
    qint64 minutes = 0;
    double cost = 0;
};

Totals aggregate(db::Database &db, const db::Recordset &track)
{
    const QByteArray sql = QStringLiteral("SELECT count(*), sum(%1), sum(%2) FROM %3")
                               .arg(track.fieldName(Track::Minutes), track.fieldName(Track::SessionCost),
                                    tarvo::kTrackTable)
                               .toUtf8();
    sqlite3_stmt *st = nullptr;
    Totals t;
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &st, nullptr) != SQLITE_OK
        || sqlite3_step(st) != SQLITE_ROW) {
        sqlite3_finalize(st);
        throw std::runtime_error(sqlite3_errmsg(db.handle()));
    }
    t.rows = sqlite3_column_int64(st, 0);
    t.minutes = sqlite3_column_int64(st, 1);
    t.cost = sqlite3_column_double(st, 2);
    sqlite3_finalize(st);
    return t;
}

Totals walk(db::Recordset &track)
{
    Totals t;
    const rt::DateTime since = rt::DateTime::fromParts(2020, 6, 1);
    qint64 recent = 0;
    track.moveFirst();
    for (int i = 0; i < track.recordCount(); ++i) {
        if (!(track.field(Track::SessionDate).toDate() < since))
            ++recent;
        t.minutes += track.field(Track::Minutes).toLong();
        t.cost += track.field(Track::SessionCost).toCurrency().toDouble();
        ++t.rows;
        track.moveNext();
    }
    benchmark::DoNotOptimize(recent);
    return t;
}

void BM_TrackTotalsByAggregateQuery(benchmark::State &state)
{
    auto db = db::Database::openExclusive(trackFile(), tarvo::kDatabaseConnect);
    auto track = db->openTable(tarvo::kTrackTable);
    for (auto _ : state)
        benchmark::DoNotOptimize(aggregate(*db, *track));
}

// Counter walk_vs_aggregate: time of one walk over the time of the aggregate
// query (best of several), both measured here on the same open file.
void BM_TrackTotalsByWalkingTheRows(benchmark::State &state)
{
    auto db = db::Database::openExclusive(trackFile(), tarvo::kDatabaseConnect);
    auto track = db->openTable(tarvo::kTrackTable);

    std::vector<double> baseline;
    for (int i = 0; i < 10; ++i)
        baseline.push_back(secondsOf([&] { benchmark::DoNotOptimize(aggregate(*db, *track)); }));

    double walking = 0;
    qint64 walks = 0;
    for (auto _ : state) {
        Totals t;
        walking += secondsOf([&] { t = walk(*track); });
        ++walks;
        if (t.rows != kRows)
            state.SkipWithError("the walk did not see every row");
        benchmark::DoNotOptimize(t);
    }
    const double best = *std::min_element(baseline.begin(), baseline.end());
    state.counters["walk_vs_aggregate"] = walking / double(walks) / best;
    state.counters["rows"] = kRows;
}

// The monthly warning's totals: one calendar month of the log (about 1,200
// of the 100,000 rows), found through the index on the session date the
// program keeps. Counters: month_vs_aggregate, one month's totals over the
// aggregate query of the whole log; index_vs_aggregate, laying the index
// down on a file without one (once, at the first start after an update).
void BM_MonthTotalsThroughTheDateIndex(benchmark::State &state)
{
    auto db = db::Database::openExclusive(trackFile(), tarvo::kDatabaseConnect);
    auto track = db->openTable(tarvo::kTrackTable);
    std::vector<double> baseline;
    for (int i = 0; i < 10; ++i)
        baseline.push_back(secondsOf([&] { benchmark::DoNotOptimize(aggregate(*db, *track)); }));
    const double best = *std::min_element(baseline.begin(), baseline.end());

    // The framework calls this more than once; only the first call finds
    // the file without the index.
    static const double indexing = secondsOf([&] { track->indexColumn(Track::SessionDate); });
    const rt::Value from = rt::DateTime::fromParts(2023, 6, 1);
    const rt::Value to = rt::DateTime::fromParts(2023, 7, 1);
    double summing = 0;
    qint64 runs = 0;
    for (auto _ : state) {
        QVector<rt::Value> totals;
        summing += secondsOf([&] { totals = track->totalsInRange(Track::SessionDate, from, to, {Track::Minutes, Track::SessionCost}); });
        ++runs;
        if (totals.value(0).toDouble() <= 0)
            state.SkipWithError("the month held no minutes");
        benchmark::DoNotOptimize(totals);
    }
    state.counters["month_vs_aggregate"] = summing / double(runs) / best;
    state.counters["index_vs_aggregate"] = indexing / best;
}

BENCHMARK(BM_TrackTotalsByAggregateQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrackTotalsByWalkingTheRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthTotalsThroughTheDateIndex)->Unit(benchmark::kMillisecond);

} // namespace
