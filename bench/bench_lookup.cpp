// How long a connection lookup by name takes as the connection table grows:
// the dial preparation and the take-over check walk the table row by row.
#include "platform/database/Database.h"
#include "tarvo/DatabaseFile.h"
#include "tools/ShippedDatabase.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_FindConnectionByName(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(tarvo::kDatabaseFileName);
    tools::writeShippedDatabase(path);
    auto db = db::Database::openExclusive(path, tarvo::kDatabaseConnect);
    auto conInfo = db->openTable(tarvo::kConInfoTable);
    const int rows = int(state.range(0));
    {
        db::Transaction transaction(*db);
        for (int i = 0; i < rows; ++i) {
            conInfo->addNew();
            conInfo->setField(tarvo::ConInfo::ConName, QStringLiteral("Connection %1").arg(i));
            conInfo->update();
        }
        transaction.commit();
    }
    const rt::Value last(QStringLiteral("Connection %1").arg(rows - 1));
    for (auto _ : state) {
        conInfo->moveFirst();
        bool found = false;
        for (int i = 0; i < conInfo->recordCount() && !found; ++i) {
            found = conInfo->field(tarvo::ConInfo::ConName).equals(last);
            if (!found)
                conInfo->moveNext();
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FindConnectionByName)->Arg(10)->Arg(101)->Arg(1000);

} // namespace

int main(int argc, char **argv)
{
    // The viewer's benchmarks make windows; none is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
