// The settings and usage database: opening it, the settings writer, the
// connection-table operations and loading the settings into the controls.
#include "tarvo/Form1.h"

#include "runtime/Basics.h"
#include "runtime/Error.h"
#include "tarvo/DatabaseFile.h"
#include "tarvo/Form5.h"
#include "tarvo/Form8.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>

namespace tarvo {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

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
        rt::raise(380, QStringLiteral("Invalid property value"));
    box->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

} // namespace

bool Form1::InitDatabase()
{
    try {
        database = db::Database::openExclusive(joinedPath(m_platform.folders.programFolder(), kDatabaseFileName),
                                               kDatabaseConnect);
        conInfo = database->openTable(QStringLiteral("ConInfo"));
        settings = database->openTable(QStringLiteral("Settings"));
        track = database->openTable(QStringLiteral("Track"));

        if (conInfo->recordCount() > 0) {
            conInfo->moveLast();
            conInfo->moveFirst();
        }
        if (settings->recordCount() > 0) {
            settings->moveFirst();
            if (settings->field(9).isNull())
                Usetting(9, QStringLiteral("6:00 am"));
            if (settings->field(10).isNull())
                Usetting(10, QStringLiteral("6:30 am"));
        }
        if (track->recordCount() > 0) {
            track->moveLast();
            track->moveFirst();
        }
        return true;
    } catch (const rt::RuntimeError &e) {
        Err.set(e.number(), e.description());
    } catch (const std::exception &e) {
        Err.set(51, QStringLiteral("Internal error: ") + QString::fromUtf8(e.what()));
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
    MessageOpen = true;
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
    m_platform.boxes.msgBox(lines.join(kCrLf), platform::mb::Critical, QStringLiteral("Tarvo - Initialization Error"));
    MessageOpen = false;
    loger(1, 43, true);
}

void Form1::Usetting(int field, const rt::Value &fvalue)
{
    trapped(*this, 1, 48, [&] {
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

bool Form1::Ucinfo(int field, const rt::Value &fvalue, int mode, int sfield, const rt::Value &sfvalue)
{
    return trapped(*this, 1, 49, false, [&] {
        switch (mode) {
        case 0:
            conInfo->edit();
            conInfo->setField(field, fvalue);
            conInfo->update();
            return true;
        case 1:
            if (!findConInfo(sfield, sfvalue))
                return false;
            conInfo->edit();
            conInfo->setField(field, fvalue);
            conInfo->update();
            return true;
        case 2:
            conInfo->addNew();
            conInfo->setField(sfield, sfvalue);
            conInfo->update();
            return true;
        case 3:
            if (!findConInfo(sfield, sfvalue))
                return false;
            conInfo->deleteRow();
            return true;
        case 4:
            return findConInfo(sfield, sfvalue);
        default:
            return false;
        }
    });
}

void Form1::LoadSettings()
{
    trapped(*this, 1, 45, [&] {
        settings->moveFirst();

        Delay->setText(settings->field(0).toString());
        DelayChange->setValue(settings->field(0).toInt());
        Wait->setText(settings->field(4).toString());
        WaitChange->setValue(settings->field(4).toInt());
        MaxTry->setText(settings->field(6).toString());
        MaxTryChange->setValue(settings->field(6).toInt());
        MaxTries = rt::Value(MaxTry->text()).toInt();

        Shrink->setChecked(rt::isTrue(settings->field(1)));
        AutoConnect->setChecked(rt::isTrue(settings->field(2)));

        Form8 &more = form8();
        if (rt::isTrue(settings->field(7))) {
            more.AppStart->setChecked(true);
            BrowserTriggerArmed = true;
        } else {
            more.AppStart->setChecked(false);
            BrowserTriggerArmed = false;
        }

        const rt::Value connectTime = settings->field(9);
        const rt::Value disconnectTime = settings->field(10);
        if (rt::isTrue(settings->field(8))) {
            more.AlarmStart->setChecked(true);
            more.Alarm[0]->setText(connectTime.toString());
            more.Alarm[1]->setText(disconnectTime.toString());
            ConnectAt = connectTime.toString();
            DisconnectAt = disconnectTime.toDate();
            ScheduleArmed = true;
        } else {
            more.AlarmStart->setChecked(false);
            more.Alarm[0]->setText(connectTime.toString());
            more.Alarm[1]->setText(disconnectTime.toString());
        }

        setCheckValue(Monitor, settings->field(5));

        CaptionConnectTo = QStringLiteral("Connect To");
        CaptionConnecting = QStringLiteral("Connecting to ");
        CaptionConnected = QStringLiteral("Connected to ");

        form5().TakeOverAnswer = -1;
    });
}

QString Form1::errorLogPath() const
{
    return joinedPath(m_platform.folders.programFolder(), QStringLiteral("err.log"));
}

} // namespace tarvo
