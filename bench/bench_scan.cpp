// The monitor's walk over the desktop, which it makes on every tick all day:
// the scan and the whole offline tick, each timed in turn with a walk over
// the same widgets that uses Qt alone; and the registry reads the scan and
// the connection list make, each timed in turn with reading the file.
#include "bench/Timing.h"
#include "platform/ControlHost.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/QtControlHost.h"
#include "platform/QtEventPump.h"
#include "platform/QtNotificationArea.h"
#include "platform/QtWindowManager.h"
#include "tarvo/Codes.h"
#include "tarvo/Form1.h"
#include "tarvo/Module1.h"
#include "tarvo/Module2.h"
#include "platform/database/Database.h"
#include "tarvo/DatabaseFile.h"
#include "tests/support/ProgramFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QApplication>
#include <QLabel>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using bench::secondsOf;

// Tarvo started offline on a program folder of its own, with `windows`
// other top-level windows of three children each on the desktop.
struct Desktop : testing_support::ProgramFolder {
    explicit Desktop(int count, bool start = true)
    {
        layDown();
        QFile reg(registryPath());
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

    bench::AnsweringBoxes boxes{platform::mb::Ok};
    platform::QtWindowManager windows;
    platform::QtEventPump events;
    platform::WindowProcedures procedures;
    platform::PictureTable pictures;
    platform::QtNotificationArea tray{procedures, pictures, platform::QtNotificationArea::Place::OwnWindow};
    platform::QtControlHost controls{QCoreApplication::applicationDirPath() + QStringLiteral("/.."),
                                     {tray, windows, procedures, pictures}};
    platform::Platform services =
        servicesWith({.boxes = boxes, .windows = windows, .controls = controls, .events = events});
    std::vector<std::unique_ptr<QWidget>> others;
    std::unique_ptr<tarvo::Form1> form;
};

// Rounds of each pairing; SCAN_ROUNDS overrides.
int rounds(int fallback)
{
    return qEnvironmentVariableIsSet("SCAN_ROUNDS") ? qEnvironmentVariableIntValue("SCAN_ROUNDS") : fallback;
}

// The walk any scan has to make, with Qt alone: every top-level widget and
// every widget under it (helpers and the insides of composite widgets
// included, which the scan leaves out), its text read (a label's, else the
// window title) and compared without regard to case with a caption the scan
// looks for. It keeps no order of windows and builds no string.
qint64 qtWalk()
{
    static const QString wanted = QStringLiteral("CONNECTED TO ");
    qint64 found = 0;
    const auto look = [&](const QWidget *w) {
        const auto *label = qobject_cast<const QLabel *>(w);
        found += (label ? label->text() : w->windowTitle()).startsWith(wanted, Qt::CaseInsensitive);
    };
    for (const QWidget *top : QApplication::topLevelWidgets()) {
        look(top);
        for (const QWidget *w : top->findChildren<QWidget *>())
            look(w);
    }
    return found;
}

// The figure and the Qt walk timed in turn, round after round, on an
// unchanged desktop: the first round of the figure is the one that takes
// the window layer's view of the desktop afresh, the others find it
// standing. Left out: what a desktop whose windows change between ticks
// costs (BM_ScanAfterAWindowChange), and painting.
template <typename Step>
void againstQtWalk(benchmark::State &state, const char *counter, Step &&step)
{
    Desktop d(int(state.range(0)));
    if (d.form->ended()) {
        state.SkipWithError("Tarvo did not start");
        return;
    }
    bench::Paired p;
    for (auto _ : state)
        p = bench::interleaved(rounds(25), [&] { step(d); }, [&] { benchmark::DoNotOptimize(qtWalk()); });
    bench::report(state, counter, p);
}

void scan(Desktop &d)
{
    d.form->module2().ScanMode = tarvo::ScanMonitor;
    d.form->module2().ScanWindows(0);
}

// One monitor scan: the walk in the window layer's order, every text read
// and held against what the scan looks for, the registry's start page
// looked up, messages let run every 32 windows.
void BM_ScanWindows(benchmark::State &state)
{
    againstQtWalk(state, "scan_vs_qt_walk", scan);
}

// One whole monitor tick offline: the scan and everything else a tick does
// with nothing to dial (its three message pumps, the tray icon's update).
void BM_OfflineTick(benchmark::State &state)
{
    againstQtWalk(state, "tick_vs_qt_walk", [](Desktop &d) { d.form->KeepOnline_Timer(); });
}

// The scan on a desktop that changed since the last one: before each round
// (untimed) one window is opened and another closed, so the window layer
// takes its view of the desktop afresh in every timed scan.
void BM_ScanAfterAWindowChange(benchmark::State &state)
{
    Desktop d(int(state.range(0)));
    if (d.form->ended()) {
        state.SkipWithError("Tarvo did not start");
        return;
    }
    bench::Paired p;
    for (auto _ : state) {
        for (int i = 0; i < rounds(25); ++i) {
            d.others.erase(d.others.begin());
            auto w = std::make_unique<QWidget>();
            w->setWindowTitle(QStringLiteral("Document - Editor"));
            for (int c = 0; c < 3; ++c)
                new QLabel(QStringLiteral("Label %1").arg(c), w.get());
            d.others.push_back(std::move(w));
            p.figure.push_back(secondsOf([&] { scan(d); }));
            p.baseline.push_back(secondsOf([&] { benchmark::DoNotOptimize(qtWalk()); }));
        }
    }
    bench::report(state, "changed_scan_vs_qt_walk", p);
}

// The registry as the program reads it: the connection list rebuilt from
// it (and kept in step with the database), and the start page the scan
// reads on every tick; each timed in turn with reading the file and
// splitting its lines. Left out: the file's first read from disk (it is
// in the page cache throughout).
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
    bench::Paired p;
    for (auto _ : state)
        p = bench::interleaved(rounds(200), [&] { step(d); }, [&] { benchmark::DoNotOptimize(readFile(path)); });
    bench::report(state, counter, p);
}

void BM_ReadRegConnections(benchmark::State &state)
{
    againstFileRead(state, "readreg0_vs_file_read", [](Desktop &d) { d.form->module1().ReadReg(tarvo::ReadConnections); });
}

void BM_ReadRegStartPage(benchmark::State &state)
{
    againstFileRead(state, "readreg1_vs_file_read", [](Desktop &d) { d.form->module1().ReadReg(tarvo::ReadStartPage); });
}

// From the main window's load to the main window shown, inside a running
// process, timed in turn with opening the database file, which the
// start-up has to do. Left out: process start, loading the libraries,
// connecting to a display and mapping the window (bench/startup.sh
// measures the start as processes).
void BM_StartUp(benchmark::State &state)
{
    bench::Paired p;
    for (auto _ : state) {
        for (int i = 0; i < rounds(10); ++i) {
            auto d = std::make_unique<Desktop>(0, false);
            p.figure.push_back(secondsOf([&] { d->start(); }));
            if (!d->form->isVisible())
                state.SkipWithError("the main window did not show");
            d.reset();
            auto o = std::make_unique<Desktop>(0, false);
            const QString file = o->databasePath();
            p.baseline.push_back(secondsOf([&] { db::Database::openExclusive(file, tarvo::kDatabaseConnect).reset(); }));
        }
    }
    bench::report(state, "startup_vs_db_open", p);
}

BENCHMARK(BM_ReadRegConnections)->Unit(benchmark::kMicrosecond)->Iterations(1);
BENCHMARK(BM_ReadRegStartPage)->Unit(benchmark::kMicrosecond)->Iterations(1);
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ScanWindows)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ScanAfterAWindowChange)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_OfflineTick)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
