#pragma once

#include "platform/MessageBoxes.h"

#include <chrono>

namespace bench {

// How long `f` takes, in seconds of a steady clock.
template <typename F>
double secondsOf(F &&f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
