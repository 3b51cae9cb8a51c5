#include "ScriptedEventPump.h"

namespace testing_support {

void ScriptedEventPump::doEvents()
{
    const int number = ++m_yields;
    // Taken out before it runs: the action may yield again itself.
    if (const std::function<void()> action = m_actions.take(number))
        action();
    m_waiting.doEvents();
}

void ScriptedEventPump::at(int n, std::function<void()> action)
{
    m_actions.insert(m_yields + n, std::move(action));
}

} // namespace testing_support
