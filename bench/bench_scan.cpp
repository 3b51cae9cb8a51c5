// The monitor's walk over the desktop, which it makes on every tick all day:
// the scan and the whole offline tick, each held against a bare walk over
// the same windows that reads and upper-cases every title, measured in the
// same run; and the registry reads the scan and the connection list make.
#include "bench/Timing.h"
#include "platform/ControlHost.h"
#include "platform/FileRegistry.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/QtControlHost.h"
#include "platform/QtEventPump.h"
#include "platform/QtNotificationArea.h"
#include "platform/QtWindowManager.h"
#include "platform/SystemFolders.h"
#include "tarvo/Codes.h"
#include "tarvo/Form1.h"
#include "tarvo/Module1.h"
#include "tarvo/Module2.h"
#include "platform/database/Database.h"
#include "tarvo/DatabaseFile.h"
#include "tools/ShippedDatabase.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using bench::secondsOf;

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
}

// Tarvo started offline on a program folder of its own, with `windows`
// other top-level windows of three children each on the desktop.
struct Desktop {
    explicit Desktop(int count, bool start = true)
    {
        tools::writeShippedDatabase(dir.filePath(QStringLiteral("tarvo.mdb")));
        touch(folders.windowsFolder() + QStringLiteral("/rundll32.exe"));
        touch(folders.systemFolder() + QStringLiteral("/rnaui.dll"));
        touch(folders.systemFolder() + QStringLiteral("/rnaapp.exe"));
        QFile reg(dir.filePath(QStringLiteral("machine/registry.reg")));
        reg.open(QIODevice::WriteOnly | QIODevice::Text);
        reg.write("[HKEY_CURRENT_USER\\RemoteAccess\\Addresses]\n\"Home\"=hex:00\n\"Work\"=hex:00\n"
                  "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main]\n"
                  "\"Start Page\"=\"about:blank\"\n");
        reg.close();
        // Not just written: the registry is read again while a file is that
        // new, and the program's registry has been lying there for long.
        QFile aged(reg.fileName());
        aged.open(QIODevice::ReadWrite);
        aged.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
        aged.close();
        for (int i = 0; i < count; ++i) {
            auto w = std::make_unique<QWidget>();
            w->setWindowTitle(QStringLiteral("Document %1 - Editor").arg(i));
            for (int c = 0; c < 3; ++c)
                new QLabel(QStringLiteral("Label %1").arg(c), w.get());
            others.push_back(std::move(w));
        }
        if (start)
            this->start();
    }
    void start()
    {
        form = std::make_unique<tarvo::Form1>(services);
        form->Form_Load();
    }
    ~Desktop() { form.reset(); }

    // The walk any scan has to make: every window, its title read and
    // upper-cased.
    qint64 bareWalk()
    {
        qint64 characters = 0;
        windows.enumChildWindows(windows.desktopWindow(), [&](platform::Hwnd w) {
            characters += windows.getWindowText(w, 500).toUpper().size();
            return true;
        });
        return characters;
    }
    double bestBareWalk()
    {
        std::vector<double> runs;
        for (int i = 0; i < 7; ++i)
            runs.push_back(secondsOf([&] { benchmark::DoNotOptimize(bareWalk()); }));
        return *std::min_element(runs.begin(), runs.end());
    }

    QTemporaryDir dir;
    platform::SettableClock clock;
    bench::AnsweringBoxes boxes{platform::mb::Ok};
    platform::MachineFolders folders{dir.path()};
    platform::DiskFileLookup files;
    platform::FileRegistry registry{dir.filePath(QStringLiteral("machine/registry.reg"))};
    platform::QtWindowManager windows;
    platform::QtEventPump events;
    platform::WindowProcedures procedures;
    platform::PictureTable pictures;
    platform::QtNotificationArea tray{procedures, pictures, platform::QtNotificationArea::Place::OwnWindow};
    platform::QtControlHost controls{QCoreApplication::applicationDirPath() + QStringLiteral("/.."),
                                     {tray, windows, procedures, pictures}};
    platform::Platform services{.clock = clock,
                                .boxes = boxes,
                                .folders = folders,
                                .files = files,
                                .registry = registry,
                                .windows = windows,
                                .controls = controls,
                                .events = events,
                                .timersTick = false};
    std::vector<std::unique_ptr<QWidget>> others;
    std::unique_ptr<tarvo::Form1> form;
};

template <typename Step>
void againstBareWalk(benchmark::State &state, const char *counter, Step &&step)
{
    Desktop d(int(state.range(0)));
    if (d.form->ended()) {
        state.SkipWithError("Tarvo did not start");
        return;
    }
    const double bare = d.bestBareWalk();
    double total = 0;
    qint64 runs = 0;
    for (auto _ : state) {
        total += secondsOf([&] { step(d); });
        ++runs;
    }
    state.counters["bare_walk_ms"] = bare * 1000;
    state.counters[counter] = total / double(runs) / bare;
}

void BM_BareWalk(benchmark::State &state)
{
    Desktop d(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(d.bareWalk());
}

void BM_ScanWindows(benchmark::State &state)
{
    againstBareWalk(state, "scan_vs_walk", [](Desktop &d) {
        d.form->module2().ScanMode = tarvo::ScanMonitor;
        d.form->module2().ScanWindows(0);
    });
}

void BM_OfflineTick(benchmark::State &state)
{
    againstBareWalk(state, "tick_vs_walk", [](Desktop &d) { d.form->KeepOnline_Timer(); });
}

// The registry as the program reads it: the connection list rebuilt from
// it (and kept in step with the database), and the start page the scan
// reads on every tick; each against reading the file and splitting its
// lines.
qint64 readFile(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly | QIODevice::Text);
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')).size();
}

template <typename Step>
void againstFileRead(benchmark::State &state, const char *counter, Step &&step)
{
    Desktop d(0);
    const QString path = d.registry.path();
    std::vector<double> runs;
    for (int i = 0; i < 50; ++i)
        runs.push_back(secondsOf([&] { benchmark::DoNotOptimize(readFile(path)); }));
    const double bare = *std::min_element(runs.begin(), runs.end());
    double total = 0;
    qint64 count = 0;
    for (auto _ : state) {
        total += secondsOf([&] { step(d); });
        ++count;
    }
    state.counters[counter] = total / double(count) / bare;
}

void BM_ReadRegConnections(benchmark::State &state)
{
    againstFileRead(state, "readreg0_vs_file_read", [](Desktop &d) { d.form->module1().ReadReg(tarvo::ReadConnections); });
}

void BM_ReadRegStartPage(benchmark::State &state)
{
    againstFileRead(state, "readreg1_vs_file_read", [](Desktop &d) { d.form->module1().ReadReg(tarvo::ReadStartPage); });
}

// From nothing to the main window shown, against opening the database,
// which the start-up has to do.
void BM_StartUp(benchmark::State &state)
{
    double opening = 0;
    double starting = 0;
    qint64 runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto d = std::make_unique<Desktop>(0, false);
        const QString file = d->dir.filePath(QStringLiteral("tarvo.mdb"));
        opening += secondsOf([&] { db::Database::openExclusive(file, tarvo::kDatabaseConnect).reset(); });
        state.ResumeTiming();
        starting += secondsOf([&] { d->start(); });
        state.PauseTiming();
        if (!d->form->isVisible())
            state.SkipWithError("the main window did not show");
        d.reset();
        state.ResumeTiming();
        ++runs;
    }
    state.counters["startup_vs_db_open"] = starting / opening;
}

BENCHMARK(BM_ReadRegConnections)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadRegStartPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_BareWalk)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanWindows)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OfflineTick)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace
