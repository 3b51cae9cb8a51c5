#include "platform/dialup/DialCommandStarter.h"

#include "platform/dialup/DialUpNetworking.h"

#include <QRegularExpression>

namespace dialup {

QString DialCommandStarter::connectionOf(const QString &commandLine)
{
    static const QRegularExpression dialLine(
        QStringLiteral(R"(^\s*(?:[a-z]:)?[\\/]windows[\\/]rundll32(?:\.exe)?\s+rnaui\.dll,rnadial (.+)$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = dialLine.match(commandLine);
    return m.hasMatch() ? m.captured(1) : QString();
}

qint64 DialCommandStarter::shell(const QString &commandLine, int windowStyle)
{
    const QString name = connectionOf(commandLine);
    if (name.isNull() || name.trimmed().isEmpty())
        return 0;
    if (!m_dialup.dial(name, windowStyle))
        return 0;
    return m_nextTask++;
}

} // namespace dialup
