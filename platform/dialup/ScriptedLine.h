#pragma once

#include "platform/Clock.h"
#include "platform/dialup/Line.h"
#include "platform/dialup/LineScript.h"

#include <map>

namespace dialup {

// The stand-in machine's telephone line: each dial goes as the line-script
// file says, timed by the clock.
class ScriptedLine : public Line {
    Q_OBJECT
public:
    ScriptedLine(platform::Clock &clock, QString scriptPath, QObject *parent = nullptr);

    bool canStart(const QString &name) override;
    void dial(const QString &name, const QString &user, const QString &password) override;
    void cancel(const QString &name) override;
    void hangUp(const QString &name) override;
    void drop(const QString &name) override;
    void advance() override;
    // Whether advance() has anything to do later: a dial under way, a line
    // set to drop.
    bool hasTimedWork() const;

private:
    enum class Stage { Dialing, Verifying, LoggingOn, Failed, Connected };
    struct Call {
        LineScript script;
        Stage stage = Stage::Dialing;
        rt::DateTime since;
        QString user, password;
    };
    // Moves one call on as far as the time allows; false once it is gone.
    void step(const QString &name, const rt::DateTime &now);

    platform::Clock &m_clock;
    QString m_scriptPath;
    std::map<QString, Call> m_calls;
};

} // namespace dialup
