// The error log: every trapped run-time error of the program ends up here.
#include "tarvo/Form1.h"

#include "platform/RegularFile.h"
#include "runtime/Format.h"
#include "tarvo/Form8.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>

namespace tarvo {

namespace {

QString checkValue(const QCheckBox *box)
{
    return QString::number(int(box->checkState()) == Qt::Checked ? 1 : int(box->checkState()) == Qt::PartiallyChecked ? 2 : 0);
}

} // namespace

void Form1::loger(int frmNo, int functNo, bool nomsg)
{
    if (Err.number == 0)
        return;

    const QString line1 = rt::generalDate(m_platform.clock.now()) + QLatin1Char(' ')
        + QString::number(Err.number) + Err.description + QLatin1Char(' ')
        + QString::number(frmNo) + QLatin1Char(' ') + QString::number(functNo) + QLatin1Char(' ')
        + (session.lineState.isEmpty() || session.lineState.isNull() ? QString() : session.lineState.toString());
    QString line2 = QStringLiteral("STATUS - ") + Delay->text() + QLatin1Char(' ') + Wait->text()
        + QLatin1Char(' ') + MaxTry->text();
    for (const QCheckBox *box : {Atrec, Monitor, Shrink, AutoConnect, window<Form8>().AppStart})
        line2 += QLatin1Char(' ') + checkValue(box);

    // The record is on disk before the box goes up: a program that dies
    // while the box is open has still logged it. A log that cannot be
    // written, or is not a plain file, loses this record and nothing else.
    {
        QFile log(errorLogPath());
        if (platform::openRegularFile(log, QIODevice::WriteOnly | QIODevice::Append))
            log.write((line1 + kCrLf + line2 + kCrLf).toUtf8());
    }

    if (!nomsg)
        m_platform.boxes.msgBox(QString::number(Err.number) + kCrLf + Err.description, platform::mb::OkOnly,
                                QStringLiteral("Tarvo - Internal Error"));
    Err.clear();
}

} // namespace tarvo
