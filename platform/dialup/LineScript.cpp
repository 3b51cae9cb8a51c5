#include "platform/dialup/LineScript.h"

#include "platform/SectionFile.h"
#include "platform/dialup/Line.h"

namespace dialup {

namespace {

int seconds(const QString &text, int fallback)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok && v >= 0 ? v : fallback;
}

bool yes(const QString &text)
{
    const QString t = text.trimmed().toLower();
    return t == QLatin1String("yes") || t == QLatin1String("true") || t == QLatin1String("1");
}

void apply(LineScript &s, const QString &key, const QString &value)
{
    const QString k = key.trimmed().toLower();
    if (k == QLatin1String("user")) {
        s.user = value.trimmed();
        s.checksCredentials = true;
    } else if (k == QLatin1String("password")) {
        s.password = value.trimmed();
        s.checksCredentials = true;
    } else if (k == QLatin1String("dial")) {
        s.dialSeconds = seconds(value, s.dialSeconds);
    } else if (k == QLatin1String("verify")) {
        s.verifySeconds = seconds(value, s.verifySeconds);
    } else if (k == QLatin1String("connect")) {
        s.connectSeconds = seconds(value, s.connectSeconds);
    } else if (k == QLatin1String("drop")) {
        s.dropAfterSeconds = seconds(value, -1);
    } else if (k == QLatin1String("start")) {
        s.refusesToStart = value.trimmed().compare(QLatin1String("refuse"), Qt::CaseInsensitive) == 0 || !yes(value);
    } else if (k == QLatin1String("outcome")) {
        const QString v = value.trimmed();
        const QString lower = v.toLower();
        if (lower == QLatin1String("connects"))
            s.outcome = LineScript::Outcome::Connects;
        else if (lower == QLatin1String("modem busy"))
            s.outcome = LineScript::Outcome::ModemBusy;
        else if (lower == QLatin1String("other program dialing"))
            s.outcome = LineScript::Outcome::OtherProgramDialing;
        else if (lower == QLatin1String("cannot establish"))
            s.outcome = LineScript::Outcome::CannotEstablish;
        else if (!v.isEmpty()) {
            s.outcome = LineScript::Outcome::OtherFailure;
            s.failureText = v;
        }
    }
}

} // namespace

LineScript LineScript::read(const QString &path, const QString &connection)
{
    LineScript script;
    for (const QString &line : platform::SectionFile::read(path).lines(connection)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            apply(script, line.left(eq), line.mid(eq + 1));
    }
    return script;
}

QString LineScript::failureMessage() const
{
    switch (outcome) {
    case Outcome::ModemBusy:
        return Line::modemBusyMessage();
    case Outcome::OtherProgramDialing:
        return Line::otherProgramDialingMessage();
    case Outcome::CannotEstablish:
        return Line::cannotEstablishMessage();
    case Outcome::OtherFailure:
        return failureText;
    case Outcome::Connects:
        break;
    }
    return {};
}

} // namespace dialup
