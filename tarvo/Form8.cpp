#include "tarvo/Form8.h"

#include "runtime/Basics.h"
#include "runtime/Parse.h"
#include "tarvo/Codes.h"
#include "tarvo/Form1.h"
#include "tarvo/SettingsTable.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <initializer_list>

namespace tarvo {

namespace {

// Procedure numbers of this window in the error log.
enum {
    PForm_Activate = 1,
    PCom_Click,
    PTrack_Click,
    PNetHours_Click,
    PNetCost_Click,
    PAlarmStart_Click,
    PCPerHr_LostFocus,
    PHours_LostFocus,
    PCost_LostFocus,
    PAlarm_LostFocus,
    PAlarm_Click,
    PAlarm_GotFocus,
    PAlarm_DblClick,
};

const QString kNotNumeric = QStringLiteral(" Enter A Numeric Value ");
const QString kNotTime = QStringLiteral(" Enter A Proper Time ");
const QString kNoCostPerHour = QStringLiteral("If Cost Per Hour Is Not Specified, Usage Cost Will Not Be Tracked.");
// Selects the whole text of the box with the focus, so typing replaces it.
const QString kSelectAll = QStringLiteral("{END}+{HOME}");

QFrame *frame(DesignLayout &layout, QWidget *parent, int top, int height)
{
    auto *f = layout.place(new QFrame(parent), 8, top, 424, height);
    f->setFrameShape(QFrame::StyledPanel);
    return f;
}

// A stored text column; a missing one shows as an empty box rather than
// stopping the window from loading.
QString textOf(const rt::Value &v)
{
    return v.isNull() ? QString() : v.toString();
}

// An empty box counts as 0, and so does a box holding 0.
bool isZero(const QString &text)
{
    if (text.isEmpty())
        return true;
    const std::optional<double> n = rt::parseNumber(text);
    return n && *n == 0;
}

// A limit or rate as stored: an empty box stores what the activation does
// for a missing one.
rt::Value numberOf(Settings::Column column, const QString &text)
{
    if (text.isEmpty())
        return Settings::entry(column).whenEmptyValue();
    const std::optional<double> n = rt::parseNumber(text);
    return n ? rt::Value(*n) : rt::Value(text);
}

bool readsAsNumber(const QString &text)
{
    return rt::parseNumber(text).has_value();
}

// A time of day only: the schedule joins it to each day's date, so a date in
// it would make a time that never comes round.
bool readsAsTimeOfDay(const QString &text)
{
    return rt::parseTimeOfDay(text).has_value();
}

int checkValue(const QCheckBox *box)
{
    return box->isChecked() ? 1 : 0;
}

} // namespace

Form8::Form8(Form1 &main)
    : ChildWindow(main, Window::MoreSettings)
{
    setWindowTitle(QStringLiteral("Tarvo - More Settings"));

    Frame1 = frame(m_layout, this, 8, 66);
    Track = m_layout.place(new QCheckBox(QStringLiteral("Track Internet Usage Hours And Costs."), Frame1), 10, 8, 400, 22);
    Track->setToolTip(QStringLiteral("This Option Is Valid Only For Connections Started With Tarvo"));
    Label3 = m_layout.place(new QLabel(QStringLiteral("Cost Per Hours Is"), Frame1), 30, 36, 110, 22);
    CPerHr = m_layout.place(new QLineEdit(Frame1), 145, 36, 80, 22);
    Label3->setBuddy(CPerHr);

    Frame2 = frame(m_layout, this, 80, 66);
    NetHours = m_layout.place(new QCheckBox(QStringLiteral("Warn If More Than                 Hours Used In A Month."), Frame2),
                              10, 8, 400, 24);
    NetCost = m_layout.place(new QCheckBox(QStringLiteral("Warn If More Than                 Cost Per Month."), Frame2),
                             10, 36, 400, 24);
    // Made after their check boxes, so they lie on top of the captions.
    Hours = new QLineEdit(Frame2);
    Cost = new QLineEdit(Frame2);
    // Each sits in the gap of its box's caption, which names it only there.
    Hours->setAccessibleName(QStringLiteral("Hours Used In A Month"));
    Cost->setAccessibleName(QStringLiteral("Cost Per Month"));

    Frame3 = frame(m_layout, this, 152, 38);
    AppStart = m_layout.place(new QCheckBox(QStringLiteral("Automatically Connect When Internet Explorer Starts."), Frame3),
                              10, 8, 400, 22);
    AppStart->setToolTip(QStringLiteral("Tarvo Must Be Running To Make This Option Work When Iexplore starts."));

    Frame4 = frame(m_layout, this, 196, 94);
    AlarmStart = m_layout.place(new QCheckBox(QStringLiteral("Enable Auto connection And Disconnection"), Frame4),
                                10, 8, 400, 22);
    AlarmStart->setToolTip(QStringLiteral("For This Option To Work Tarvo Must Be Running."));
    Label1 = m_layout.place(new QLabel(QStringLiteral("Connect At ( ex. 6:00 am)"), Frame4), 30, 36, 180, 22);
    Alarm[0] = m_layout.place(new QLineEdit(Frame4), 215, 36, 90, 22);
    Label2 = m_layout.place(new QLabel(QStringLiteral("DisConnect At (ex. 6:30 am)"), Frame4), 30, 64, 180, 22);
    Alarm[1] = m_layout.place(new QLineEdit(Frame4), 215, 64, 90, 22);
    Label1->setBuddy(Alarm[0]);
    Label2->setBuddy(Alarm[1]);

    Com[0] = m_layout.place(new QPushButton(QStringLiteral("&Ok"), this), 130, 300, 80, 28);
    Com[1] = m_layout.place(new QPushButton(QStringLiteral("&Cancel"), this), 230, 300, 80, 28);

    m_layout.fit();
    setFixedSize(m_layout.toPixels(QSize(440, 338)));
    placeInCaptionGap(NetHours, Hours);
    placeInCaptionGap(NetCost, Cost);

    // As designed: nothing ticked, so nothing that depends on a tick is
    // open for input until the stored options are loaded.
    for (QWidget *w : std::initializer_list<QWidget *>{NetHours, NetCost, CPerHr, Label3, Hours, Cost, Alarm[0], Alarm[1]})
        w->setEnabled(false);

    // The rules follow the boxes' values, whoever sets them.
    connect(Track, &QCheckBox::toggled, this, &Form8::Track_Click);
    connect(NetHours, &QCheckBox::toggled, this, &Form8::NetHours_Click);
    connect(NetCost, &QCheckBox::toggled, this, &Form8::NetCost_Click);
    connect(AlarmStart, &QCheckBox::toggled, this, &Form8::AlarmStart_Click);
    connect(Com[0], &QPushButton::clicked, this, [this] { Com_Click(0); });
    connect(Com[1], &QPushButton::clicked, this, [this] { Com_Click(1); });
    for (QLineEdit *box : {CPerHr, Hours, Cost, Alarm[0], Alarm[1]})
        box->installEventFilter(this);
}

void Form8::placeInCaptionGap(QCheckBox *owner, QLineEdit *box)
{
    const QString caption = owner->text();
    const int gapStart = caption.indexOf(QLatin1String("  "));
    int gapEnd = gapStart;
    while (gapEnd < caption.size() && caption.at(gapEnd) == QLatin1Char(' '))
        ++gapEnd;
    QStyleOptionButton option;
    option.initFrom(owner);
    option.text = caption;
    const int textLeft = owner->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, owner).left();
    // A blank's width is kept clear on either side, so the box does not
    // touch the words.
    const QFontMetrics fm = owner->fontMetrics();
    const int left = textLeft + fm.horizontalAdvance(caption.left(gapStart + 1));
    const int width = fm.horizontalAdvance(QString(gapEnd - gapStart - 2, QLatin1Char(' ')));
    const QRect at = owner->geometry();
    const int height = std::min(at.height(), box->sizeHint().height());
    box->setGeometry(at.left() + left, at.top() + (at.height() - height) / 2, width, height);
    box->raise();
}

void Form8::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void Form8::Form_Activate()
{
    trap(PForm_Activate, [&] {
        db::Recordset &s = *m_main.settings;
        s.moveFirst();

        AppStart->setChecked(rt::isTrue(s.field(Settings::AppStart)));

        if (rt::isTrue(s.field(Settings::AlarmStart))) {
            AlarmStart->setChecked(true);
            Alarm[0]->setText(textOf(s.field(Settings::ConnectTime)));
            Alarm[1]->setText(textOf(s.field(Settings::DisconnectTime)));
        } else {
            AlarmStart->setChecked(false);
            Alarm[0]->setEnabled(false);
            Alarm[1]->setEnabled(false);
        }

        if (rt::isTrue(s.field(Settings::TrackUsage)))
            Track->setChecked(true);
        if (rt::isTrue(s.field(Settings::NetHours)))
            NetHours->setChecked(true);
        if (rt::isTrue(s.field(Settings::NetCost)))
            NetCost->setChecked(true);

        // A limit that was never given cannot be warned about: the warning
        // is turned off and the limit starts from 0.
        if (s.field(Settings::Hours).isNull()) {
            s.edit();
            s.setField(Settings::NetHours, false);
            s.setField(Settings::Hours, Settings::entry(Settings::Hours).whenEmptyValue());
            s.update();
            Hours->clear();
        } else {
            Hours->setText(s.field(Settings::Hours).toString());
        }

        // The cost limit means nothing without a rate to cost the hours at.
        if (s.field(Settings::CPerHr).isNull() || s.field(Settings::Cost).isNull()) {
            s.edit();
            s.setField(Settings::NetCost, false);
            s.setField(Settings::CPerHr, Settings::entry(Settings::CPerHr).whenEmptyValue());
            s.setField(Settings::Cost, Settings::entry(Settings::Cost).whenEmptyValue());
            s.update();
            CPerHr->clear();
            Cost->clear();
        } else {
            CPerHr->setText(s.field(Settings::CPerHr).toString());
            Cost->setText(s.field(Settings::Cost).toString());
        }

        // A value that was already as stored changed nothing, so the rules
        // are applied once over all of them.
        Track_Click();
        NetCost_Click();
        NetHours_Click();
    });
}

void Form8::Com_Click(int Index)
{
    trap(PCom_Click, [&] {
        if (Index == 1) {
            reject();
            return;
        }
        // Enter presses "&Ok" without leaving the box being typed in, so its
        // text has not been looked at yet.
        if (!allBoxesValid())
            return;
        save();
        accept();
    });
}

void Form8::save()
{
    const bool browserStart = AppStart->isChecked();
    m_main.setBrowserTrigger(browserStart);
    m_main.Usetting(Settings::AppStart, browserStart);

    if (AlarmStart->isChecked()) {
        const QString connectText = Alarm[0]->text();
        const QString disconnectText = Alarm[1]->text();
        if (connectText.isEmpty() || disconnectText.isEmpty()) {
            // Half a schedule is none.
            AlarmStart->setChecked(false);
            m_main.Usetting(Settings::AlarmStart, 0);
            m_main.disarmSchedule();
        } else {
            const rt::Value disconnectAt = rt::Value(disconnectText).toDate();
            m_main.Usetting(Settings::AlarmStart, 1);
            m_main.Usetting(Settings::ConnectTime, connectText);
            m_main.Usetting(Settings::DisconnectTime, disconnectText);
            m_main.armSchedule(rt::Value(connectText), disconnectAt);
        }
    } else {
        m_main.Usetting(Settings::AlarmStart, 0);
        m_main.disarmSchedule();
    }

    if (Track->isChecked() && isZero(CPerHr->text()))
        m_main.platform().boxes.msgBox(kNoCostPerHour, platform::mb::OkOnly);

    // A limit of nothing cannot be passed: its warning goes off.
    if (isZero(Cost->text()))
        NetCost->setChecked(false);
    if (isZero(Hours->text()))
        NetHours->setChecked(false);

    db::Recordset &s = *m_main.settings;
    s.moveFirst();
    s.edit();
    s.setField(Settings::TrackUsage, checkValue(Track));
    s.setField(Settings::NetHours, checkValue(NetHours));
    s.setField(Settings::NetCost, checkValue(NetCost));
    if (Hours->isEnabled())
        s.setField(Settings::Hours, numberOf(Settings::Hours, Hours->text()));
    if (Cost->isEnabled())
        s.setField(Settings::Cost, numberOf(Settings::Cost, Cost->text()));
    if (CPerHr->isEnabled())
        s.setField(Settings::CPerHr, numberOf(Settings::CPerHr, CPerHr->text()));
    s.update();
}

void Form8::Track_Click()
{
    trap(PTrack_Click, [&] {
        // The limit boxes follow their own check boxes, not this one.
        const bool on = Track->isChecked();
        NetHours->setEnabled(on);
        NetCost->setEnabled(on);
        CPerHr->setEnabled(on);
        Label3->setEnabled(on);
    });
}

void Form8::NetHours_Click()
{
    trap(PNetHours_Click, [&] {
        Hours->setEnabled(NetHours->isChecked());
        if (NetHours->isChecked())
            Hours->setFocus();
    });
}

void Form8::NetCost_Click()
{
    trap(PNetCost_Click, [&] {
        Cost->setEnabled(NetCost->isChecked());
        if (NetCost->isChecked())
            Cost->setFocus();
    });
}

void Form8::AlarmStart_Click()
{
    trap(PAlarmStart_Click, [&] {
        Alarm[0]->setEnabled(AlarmStart->isChecked());
        Alarm[1]->setEnabled(AlarmStart->isChecked());
    });
}

bool Form8::checkEntry(QLineEdit *box, bool (*reads)(const QString &), const QString &refusal)
{
    const QString text = box->text();
    if (text.isEmpty() || reads(text))
        return true;
    const QScopedValueRollback<bool> refusing(m_validating, true);
    m_main.platform().boxes.msgBox(refusal, platform::mb::OkOnly);
    box->setFocus();
    return false;
}

bool Form8::allBoxesValid()
{
    // Only what will be stored: a greyed box is left as it is.
    for (QLineEdit *box : {CPerHr, Hours, Cost})
        if (box->isEnabled() && !checkEntry(box, readsAsNumber, kNotNumeric))
            return false;
    for (QLineEdit *box : Alarm)
        if (box->isEnabled() && !checkEntry(box, readsAsTimeOfDay, kNotTime))
            return false;
    return true;
}

void Form8::CPerHr_LostFocus()
{
    trap(PCPerHr_LostFocus, [&] { checkEntry(CPerHr, readsAsNumber, kNotNumeric); });
}

void Form8::Hours_LostFocus()
{
    trap(PHours_LostFocus, [&] { checkEntry(Hours, readsAsNumber, kNotNumeric); });
}

void Form8::Cost_LostFocus()
{
    trap(PCost_LostFocus, [&] { checkEntry(Cost, readsAsNumber, kNotNumeric); });
}

void Form8::Alarm_LostFocus(int Index)
{
    trap(PAlarm_LostFocus, [&] { checkEntry(Alarm[Index], readsAsTimeOfDay, kNotTime); });
}

void Form8::Alarm_Click(int Index)
{
    trap(PAlarm_Click, [&] {
        Q_UNUSED(Index);
        m_main.platform().keys.sendKeys(kSelectAll);
    });
}

void Form8::Alarm_GotFocus(int Index)
{
    trap(PAlarm_GotFocus, [&] {
        Q_UNUSED(Index);
        m_main.platform().keys.sendKeys(kSelectAll);
    });
}

void Form8::Alarm_DblClick(int Index)
{
    trap(PAlarm_DblClick, [&] { Alarm[Index]->clear(); });
}

bool Form8::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (!box)
        return ChildWindow::eventFilter(watched, event);
    const int alarm = box == Alarm[0] ? 0 : box == Alarm[1] ? 1 : -1;

    switch (event->type()) {
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Another window taking the keyboard (a message box, a menu, this
        // window closing) is not the user leaving the box; nor is a move
        // that a refusal makes; and a greyed box is not stored.
        if (m_validating || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
            || !isVisible() || !box->isEnabled())
            break;
        // The box finishes losing the focus first; a refusal then hands it
        // straight back, and the box must not lose it a second time after.
        static_cast<QObject *>(box)->event(event);
        if (box == CPerHr)
            CPerHr_LostFocus();
        else if (box == Hours)
            Hours_LostFocus();
        else if (box == Cost)
            Cost_LostFocus();
        else
            Alarm_LostFocus(alarm);
        return true;
    }
    case QEvent::FocusIn:
        if (alarm < 0 || static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason)
            break;
        // After the box has taken the focus, or taking it would undo the
        // selection.
        static_cast<QObject *>(box)->event(event);
        Alarm_GotFocus(alarm);
        return true;
    case QEvent::MouseButtonRelease:
        if (alarm >= 0 && box->isEnabled() && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
            && box->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
            Alarm_Click(alarm);
        break;
    case QEvent::MouseButtonDblClick:
        if (alarm >= 0 && box->isEnabled())
            Alarm_DblClick(alarm);
        break;
    default:
        break;
    }
    return ChildWindow::eventFilter(watched, event);
}

} // namespace tarvo
