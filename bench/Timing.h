#pragma once

#include "platform/MessageBoxes.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace bench {

// How long `f` takes, in seconds of a steady clock.
template <typename F>
double secondsOf(F &&f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A figure and its baseline timed in turn, round after round, so that both
// meet the same moments of a busy machine; neither is compared with a
// baseline taken earlier or later.
struct Paired {
    std::vector<double> figure, baseline;   // seconds, one per round

    static double minOf(std::vector<double> v) { return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end()); }
    static double medianOf(std::vector<double> v)
    {
        if (v.empty())
            return 0.0;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
    }
    // The ratio of the figure to its baseline, from the fastest rounds of
    // each and from their medians.
    double ratioMin() const { return minOf(figure) / minOf(baseline); }
    double ratioMedian() const { return medianOf(figure) / medianOf(baseline); }
};

// Runs `figure` then `baseline`, `rounds` times, timing each.
template <typename F, typename B>
Paired interleaved(int rounds, F &&figure, B &&baseline)
{
    Paired p;
    for (int i = 0; i < rounds; ++i) {
        p.figure.push_back(secondsOf(figure));
        p.baseline.push_back(secondsOf(baseline));
    }
    return p;
}

// Puts a pairing into the benchmark's report as NAME_min and NAME_median
// (ratios) and the figure's own min and median in milliseconds.
inline void report(benchmark::State &state, const std::string &name, const Paired &p)
{
    state.counters[name + "_min"] = p.ratioMin();
    state.counters[name + "_median"] = p.ratioMedian();
    state.counters["ms_min"] = Paired::minOf(p.figure) * 1e3;
    state.counters["ms_median"] = Paired::medianOf(p.figure) * 1e3;
    state.counters["base_ms_median"] = Paired::medianOf(p.baseline) * 1e3;
}

// A user who answers every message box the same way and closes every
// window at once.
class AnsweringBoxes : public platform::MessageBoxes {
public:
    explicit AnsweringBoxes(int answer) : m_answer(answer) {}
    int msgBox(const QString &, int, const QString &) override { return m_answer; }
    void showModal(QDialog &) override {}

private:
    int m_answer;
};

} // namespace bench
