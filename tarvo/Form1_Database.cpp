// The settings and usage database: opening it, the settings writer, the
// connection-table operations and loading the settings into the controls.
#include "tarvo/Form1.h"

#include "runtime/Basics.h"
#include "runtime/Error.h"
#include "tarvo/Form5.h"
#include "tarvo/Form8.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>

namespace tarvo {

namespace {

QString joinedPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// A check box takes 0, 1 or 2; anything else is refused like any bad
// property value.
void setCheckValue(QCheckBox *box, const rt::Value &v)
{
    const int value = v.toInt();
    if (value < 0 || value > 2)
        rt::err::invalidPropertyValue();
    box->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

} // namespace

bool Form1::InitDatabase()
{
    try {
        database = db::Database::openExclusive(joinedPath(m_platform.folders.programFolder(), kDatabaseFileName),
                                               kDatabaseConnect);
        conInfo = database->openTable(kConInfoTable);
        settings = database->openTable(kSettingsTable);
        track = database->openTable(kTrackTable);

        if (conInfo->recordCount() > 0) {
            conInfo->moveLast();
            conInfo->moveFirst();
        }
        if (settings->recordCount() > 0) {
            settings->moveFirst();
            for (const Settings::Column timeColumn : {Settings::ConnectTime, Settings::DisconnectTime}) {
                if (settings->field(timeColumn).isNull())
                    Usetting(timeColumn, Settings::entry(timeColumn).whenEmptyValue());
            }
        }
        // Counting the log's rows would list the key of every one of them.
        if (!track->isEmpty()) {
            track->moveLast();
            track->moveFirst();
        }
        // Older files have no index on the log's dates; without it the month
        // totals read every row. A file that will not take one still works.
        try {
            track->indexColumn(Track::SessionDate);
        } catch (const rt::RuntimeError &) {
        }
        return true;
    } catch (...) {
        setFromCurrentException(Err);
    }
    // Whatever was opened is let go, so nothing half-open is left behind.
    track.reset();
    settings.reset();
    conInfo.reset();
    database.reset();
    showInitDatabaseFailure();
    return false;
}

void Form1::showInitDatabaseFailure()
{
    m_platform.boxes.msgBox(QString::number(Err.number) + kCrLf + Err.description, platform::mb::OkOnly);
    const QStringList lines = {
        QStringLiteral("Could Not Open Database Tarvo.mdb"),
        QStringLiteral("There Are Two Probable Causes ."),
        QString(),
        QStringLiteral("1) You Are Already Running Tarvo. "),
        QStringLiteral("    This Version Allows Only One Instance."),
        QStringLiteral("    So This Instance Of The Program Will Quit. "),
        QString(),
        QStringLiteral("2) The Database Is Corrupted, Renamed "),
        QStringLiteral("    Or Deleted. Reinstall Tarvo. "),
    };
    ownMessage(lines.join(kCrLf), platform::mb::Critical, QStringLiteral("Tarvo - Initialization Error"));
    loger(Window::Main, Form1Proc::InitDatabase, true);
}

void Form1::Usetting(Settings::Column field, const rt::Value &fvalue)
{
    trapped(*this, Window::Main, Form1Proc::Usetting, [&] {
        // Putting the stored settings into the controls runs their change
        // handlers, which write back what the file holds: a commit, and the
        // disk's flushes, that would change nothing. Any real change is
        // written as ever, and a value the column refuses, or a missing row,
        // fails below just as it always has.
        const auto unchanged = [&] {
            try {
                return !settings->editing()
                    && settings->field(field) == db::toColumnKind(settings->columnKind(field), fvalue);
            } catch (const rt::RuntimeError &) {
                return false;
            }
        };
        if (unchanged())
            return;
        settings->edit();
        settings->setField(field, fvalue);
        settings->update();
    });
}

bool Form1::findConInfo(int sfield, const rt::Value &sfvalue)
{
    const int count = conInfo->recordCount();
    if (count > 0)
        conInfo->moveFirst();
    for (int i = 0; i < count; ++i) {
        if (conInfo->field(sfield).equals(sfvalue))
            return true;
        conInfo->moveNext();
    }
    return false;
}

bool Form1::Ucinfo(int field, const rt::Value &fvalue, UcinfoMode mode, int sfield, const rt::Value &sfvalue)
{
    return trapped(*this, Window::Main, Form1Proc::Ucinfo, false, [&] {
        switch (mode) {
        case UcinfoEditCurrent:
            conInfo->edit();
            conInfo->setField(field, fvalue);
            conInfo->update();
            return true;
        case UcinfoEditFound:
            if (!findConInfo(sfield, sfvalue))
                return false;
            conInfo->edit();
            conInfo->setField(field, fvalue);
            conInfo->update();
            return true;
        case UcinfoAppend:
            conInfo->addNew();
            conInfo->setField(sfield, sfvalue);
            conInfo->update();
            return true;
        case UcinfoDeleteFound:
            if (!findConInfo(sfield, sfvalue))
                return false;
            conInfo->deleteRow();
            return true;
        case UcinfoFind:
            return findConInfo(sfield, sfvalue);
        default:
            return false;
        }
    });
}

void Form1::LoadSettings()
{
    trapped(*this, Window::Main, Form1Proc::LoadSettings, [&] {
        settings->moveFirst();

        Delay->setText(settings->field(Settings::Delay).toString());
        DelayChange->setValue(settings->field(Settings::Delay).toInt());
        Wait->setText(settings->field(Settings::Wait).toString());
        WaitChange->setValue(settings->field(Settings::Wait).toInt());
        MaxTry->setText(settings->field(Settings::MaxTry).toString());
        MaxTryChange->setValue(settings->field(Settings::MaxTry).toInt());
        options.maxTries = rt::Value(MaxTry->text()).toInt();

        Shrink->setChecked(rt::isTrue(settings->field(Settings::Shrink)));
        AutoConnect->setChecked(rt::isTrue(settings->field(Settings::AutoConnect)));

        fillHiddenMoreSettings();
        triggers.browserArmed = rt::isTrue(settings->field(Settings::AppStart));
        if (rt::isTrue(settings->field(Settings::AlarmStart))) {
            triggers.connectAt = settings->field(Settings::ConnectTime).toString();
            triggers.disconnectAt = settings->field(Settings::DisconnectTime).toDate();
            triggers.scheduleArmed = true;
        }

        setCheckValue(Monitor, settings->field(Settings::Monitor));

        options.captionConnectTo = QStringLiteral("Connect To");
        options.captionConnecting = QStringLiteral("Connecting to ");
        options.captionConnected = QStringLiteral("Connected to ");

        window<Form5>().TakeOverAnswer = NoAnswer;
    });
}

void Form1::fillHiddenMoreSettings()
{
    settings->moveFirst();
    Form8 &more = window<Form8>();
    more.AppStart->setChecked(rt::isTrue(settings->field(Settings::AppStart)));
    more.AlarmStart->setChecked(rt::isTrue(settings->field(Settings::AlarmStart)));
    more.Alarm[0]->setText(settings->field(Settings::ConnectTime).toString());
    more.Alarm[1]->setText(settings->field(Settings::DisconnectTime).toString());
}

QString Form1::errorLogPath() const
{
    return joinedPath(m_platform.folders.programFolder(), QStringLiteral("err.log"));
}

} // namespace tarvo
