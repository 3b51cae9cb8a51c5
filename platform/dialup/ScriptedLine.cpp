#include "platform/dialup/ScriptedLine.h"

namespace dialup {

ScriptedLine::ScriptedLine(platform::Clock &clock, QString scriptPath, QObject *parent)
    : Line(parent), m_clock(clock), m_scriptPath(std::move(scriptPath))
{
}

bool ScriptedLine::canStart(const QString &name)
{
    return !LineScript::read(m_scriptPath, name).refusesToStart;
}

void ScriptedLine::dial(const QString &name, const QString &user, const QString &password)
{
    // Read anew at every dial, so edits to the file apply to the next one.
    m_calls[name] = Call{LineScript::read(m_scriptPath, name), Stage::Dialing, m_clock.now(), user, password};
}

void ScriptedLine::cancel(const QString &name)
{
    m_calls.erase(name);
}

void ScriptedLine::hangUp(const QString &name)
{
    m_calls.erase(name);
}

void ScriptedLine::drop(const QString &name)
{
    const auto it = m_calls.find(name);
    if (it == m_calls.end() || it->second.stage != Stage::Connected)
        return;
    m_calls.erase(it);
    Q_EMIT dropped(name);
}

void ScriptedLine::advance()
{
    const rt::DateTime now = m_clock.now();
    QStringList names;
    for (const auto &[name, call] : m_calls)
        names << name;
    for (const QString &name : names)
        step(name, now);
}

bool ScriptedLine::hasTimedWork() const
{
    for (const auto &[name, call] : m_calls) {
        // A failed call waits for the user; a line that never drops waits
        // for the hang-up.
        if (call.stage == Stage::Failed)
            continue;
        if (call.stage == Stage::Connected && call.script.dropAfterSeconds < 0)
            continue;
        return true;
    }
    return false;
}

void ScriptedLine::step(const QString &name, const rt::DateTime &now)
{
    // Every signal may end the call (its windows go, or the line is hung
    // up), so the call is looked up again after each.
    for (;;) {
        const auto it = m_calls.find(name);
        if (it == m_calls.end())
            return;
        Call &c = it->second;
        const LineScript &s = c.script;
        const qint64 elapsed = now.totalSeconds() - c.since.totalSeconds();
        switch (c.stage) {
        case Stage::Dialing:
            if (elapsed < s.dialSeconds)
                return;
            c.since = c.since.addSeconds(s.dialSeconds);
            if (s.outcome == LineScript::Outcome::ModemBusy || s.outcome == LineScript::Outcome::OtherProgramDialing) {
                c.stage = Stage::Failed;
                Q_EMIT failed(name, s.failureMessage());
                return;
            }
            c.stage = Stage::Verifying;
            Q_EMIT verifying(name);
            break;
        case Stage::Verifying:
            if (elapsed < s.verifySeconds)
                return;
            c.since = c.since.addSeconds(s.verifySeconds);
            if (s.checksCredentials && (c.user != s.user || c.password != s.password)) {
                c.stage = Stage::Failed;
                Q_EMIT failed(name, passwordRefusedMessage());
                return;
            }
            if (s.outcome == LineScript::Outcome::CannotEstablish || s.outcome == LineScript::Outcome::OtherFailure) {
                c.stage = Stage::Failed;
                Q_EMIT failed(name, s.failureMessage());
                return;
            }
            c.stage = Stage::LoggingOn;
            Q_EMIT loggingOn(name);
            break;
        case Stage::LoggingOn:
            if (elapsed < s.connectSeconds)
                return;
            c.since = c.since.addSeconds(s.connectSeconds);
            c.stage = Stage::Connected;
            Q_EMIT connected(name);
            break;
        case Stage::Connected:
            if (s.dropAfterSeconds < 0 || elapsed < s.dropAfterSeconds)
                return;
            m_calls.erase(it);
            Q_EMIT dropped(name);
            return;
        case Stage::Failed:
            return;
        }
    }
}

} // namespace dialup
