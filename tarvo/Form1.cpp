#include "tarvo/Form1.h"

#include "SYSTRAY/TarvoTrayCtl.h"
#include "tarvo/Form2.h"
#include "tarvo/Form3.h"
#include "tarvo/Form4.h"
#include "tarvo/Form5.h"
#include "tarvo/Form6.h"
#include "tarvo/Form8.h"
#include "tarvo/frmAbout.h"
#include "tarvo/frmLogin.h"
#include "tarvo/Module1.h"
#include "tarvo/Module2.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>

namespace tarvo {

namespace {

constexpr int kTitleAndBorderTwips = 600;
constexpr int kWidthTwips = 5700;

QScrollBar *upDown(DesignLayout &layout, QWidget *parent, Settings::Column setting, int left, int top)
{
    auto *bar = layout.place(new QScrollBar(Qt::Vertical, parent), left, top, 255, 255);
    const Settings::Range range = Settings::entry(setting).range;
    bar->setRange(range.min, range.max);
    bar->setSingleStep(range.step);
    bar->setPageStep(range.step);
    // An up-down control: the up arrow, the Up key and the wheel turned up
    // raise the value. A scroll bar's own arrows go the other way (its top
    // arrow lowers the value whatever way it is drawn), so their steps are
    // turned round as they happen; the keys and the wheel are turned round
    // by inverting the controls, and then once more with the steps.
    bar->setInvertedAppearance(true);
    bar->setInvertedControls(true);
    // The boxes take no typing: the arrows are how a number is changed, so
    // Tab stops on each pair after its box. A click leaves the focus where
    // it was, as before.
    bar->setFocusPolicy(Qt::TabFocus);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [bar](int action) {
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            bar->setSliderPosition(bar->value() - bar->singleStep());
            break;
        case QAbstractSlider::SliderSingleStepSub:
            bar->setSliderPosition(bar->value() + bar->singleStep());
            break;
        case QAbstractSlider::SliderPageStepAdd:
            bar->setSliderPosition(bar->value() - bar->pageStep());
            break;
        case QAbstractSlider::SliderPageStepSub:
            bar->setSliderPosition(bar->value() + bar->pageStep());
            break;
        default:
            break;
        }
    });
    return bar;
}

QLineEdit *numberBox(DesignLayout &layout, QWidget *parent, int left, int top)
{
    auto *box = layout.place(new QLineEdit(parent), left, top, 700, 285);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight);
    return box;
}

const QString kRightClickTip = QStringLiteral("Right Click For Tip On This Option");

} // namespace

void Form1::doEvents()
{
    m_platform.events.doEvents();
}

int Form1::ownMessage(const QString &prompt, int style, const QString &title)
{
    const QScopedValueRollback<bool> open(run.messageOpen, true);
    return m_platform.boxes.msgBox(prompt, style, title);
}

Form1::Form1(platform::Platform &platform, QWidget *parent)
    : QWidget(parent), m_platform(platform), m_layout(kTwipsPerPixel),
      m_module1(std::make_unique<Module1>(*this)), m_module2(std::make_unique<Module2>(*this))
{
    setWindowTitle(QStringLiteral("Tarvo"));
    KeepOnline = new IntervalTimer(platform.timersTick, this);
    Backup = new IntervalTimer(platform.timersTick, this);
    connect(KeepOnline, &IntervalTimer::timeout, this, &Form1::KeepOnline_Timer);
    connect(Backup, &IntervalTimer::timeout, this, &Form1::Backup_Timer);
    buildControls();
    m_layout.fit();
    applyGeometry();
}

Form1::~Form1() = default;

void Form1::closeOtherWindows()
{
    std::apply([this](auto &...slot) { (unloadWindow<typename std::decay_t<decltype(slot)>::element_type>(), ...); },
               m_windows);
}

void Form1::buildControls()
{
    auto place = [this](auto *w, int left, int top, int width, int height) {
        return m_layout.place(w, left, top, width, height);
    };
    Frame1 = place(new QFrame(this), 60, 0, 5520, m_frame1HeightTwips);
    Frame1->setFrameShape(QFrame::StyledPanel);

    Label1 = place(new QLabel(QStringLiteral("Connectio&n"), Frame1), 120, 210, 1050, 255);
    // Slightly larger than the box and lying around it: the mouse crosses it
    // on the way to the box.
    Label5 = place(new QLabel(Frame1), 1140, 120, 4260, 435);
    Label5->setMouseTracking(true);
    Con = place(new QComboBox(Frame1), 1200, 180, 4140, 315);
    Con->setEditable(true);
    Con->setInsertPolicy(QComboBox::NoInsert);
    Con->setToolTip(QStringLiteral("Select A Connection To Dial"));
    Label1->setBuddy(Con);

    Atrec = place(new QCheckBox(QStringLiteral("Automatic Reconnection"), Frame1), 120, 720, 2700, 285);
    Monitor = place(new QCheckBox(QStringLiteral("Monitor External Connections."), Frame1), 2880, 720, 2600, 285);
    AutoConnect = place(new QCheckBox(QStringLiteral("Connect As Soon As Tarvo Starts."), Frame1), 120, 1050, 2700, 285);
    Shrink = place(new QCheckBox(QStringLiteral("Shrink To Tray When Tarvo Starts."), Frame1), 2880, 1050, 2600, 285);
    for (QCheckBox *box : {Atrec, Monitor, AutoConnect, Shrink})
        box->setToolTip(kRightClickTip);
    Atrec->setChecked(true);

    Delay = numberBox(m_layout, Frame1, 120, 1440);
    DelayChange = upDown(m_layout, Frame1, Settings::Delay, 840, 1455);
    Label2 = place(new QLabel(QStringLiteral("Milli Seconds To Wait Between Two Steps."), Frame1), 1200, 1470, 4200, 255);
    Wait = numberBox(m_layout, Frame1, 120, 1860);
    WaitChange = upDown(m_layout, Frame1, Settings::Wait, 840, 1875);
    Label3 = place(new QLabel(QStringLiteral("Seconds To Wait For Connection After Dialing."), Frame1), 1200, 1890, 4200, 255);
    MaxTry = numberBox(m_layout, Frame1, 120, 2280);
    MaxTryChange = upDown(m_layout, Frame1, Settings::MaxTry, 840, 2295);
    Label4 = place(new QLabel(QStringLiteral("Max. No Of Tries For Making A Connection."), Frame1), 1200, 2310, 4200, 255);
    DelayChange->setValue(100);
    WaitChange->setValue(100);
    MaxTryChange->setValue(100);
    // Each caption names both its number and the arrows that change it, for
    // a screen reader as for the eye.
    Label2->setBuddy(DelayChange);
    Label3->setBuddy(WaitChange);
    Label4->setBuddy(MaxTryChange);
    Delay->setAccessibleName(Label2->text());
    Wait->setAccessibleName(Label3->text());
    MaxTry->setAccessibleName(Label4->text());

    UserPwd = place(new QPushButton(QStringLiteral("Auto I&nsert"), Frame1), 120, 2640, 1700, 375);
    UserPwd->setToolTip(QStringLiteral("For Automaticall Inserting Username & Passwrod."));
    Usage = place(new QPushButton(QStringLiteral("Usage &Info"), Frame1), 1900, 2640, 1700, 375);
    Usage->setToolTip(QStringLiteral("Internet Usage Hours And Cost"));
    Settings = place(new QPushButton(QStringLiteral("&More Settings"), Frame1), 3680, 2640, 1700, 375);

    Frame2 = place(new QFrame(this), 60, m_frame2TopTwips, 5520, 600);
    Frame2->setFrameShape(QFrame::StyledPanel);
    Com[0] = place(new QPushButton(kGoOnline, Frame2), 60, 120, 1050, 375);
    Com[1] = place(new QPushButton(QStringLiteral("&Tray View"), Frame2), 1140, 120, 1050, 375);
    Com[1]->setToolTip(QStringLiteral("Hide In System Tray"));
    Details = place(new QPushButton(QStringLiteral("S&ettings"), Frame2), 2220, 120, 1050, 375);
    Details->setToolTip(QStringLiteral("Click To See Settings And Click Again To Hide Them."));
    ComQ = place(new QPushButton(QStringLiteral("&Quit"), Frame2), 3300, 120, 1050, 375);
    About = place(new QPushButton(QStringLiteral("&About"), Frame2), 4380, 120, 1050, 375);

    connect(Details, &QPushButton::clicked, this, &Form1::Details_Click);
    connect(Con, QOverload<int>::of(&QComboBox::activated), this, &Form1::Con_Click);
    Con->installEventFilter(this);
    Label5->installEventFilter(this);
    connect(ComQ, &QPushButton::clicked, this, &Form1::ComQ_Click);
    connect(Com[0], &QPushButton::clicked, this, [this] { Com_Click(0); });
    connect(Com[1], &QPushButton::clicked, this, [this] { Com_Click(1); });
    connect(UserPwd, &QPushButton::clicked, this, &Form1::UserPwd_Click);
    connect(Settings, &QPushButton::clicked, this, &Form1::Settings_Click);
    connect(Usage, &QPushButton::clicked, this, &Form1::Usage_Click);
    connect(About, &QPushButton::clicked, this, &Form1::About_Click);
    // Each arrow press is stored at once; setting the arrows from the
    // database runs these too, and writes the same values back.
    connect(DelayChange, &QScrollBar::valueChanged, this, &Form1::DelayChange_Change);
    connect(WaitChange, &QScrollBar::valueChanged, this, &Form1::WaitChange_Change);
    connect(MaxTryChange, &QScrollBar::valueChanged, this, &Form1::MaxTryChange_Change);
    connect(Wait, &QLineEdit::textChanged, this, &Form1::Wait_Change);
    // As the boxes' clicks: run whoever changes the tick.
    connect(Monitor, &QCheckBox::toggled, this, &Form1::Monitor_Click);
    connect(AutoConnect, &QCheckBox::toggled, this, &Form1::AutoConnect_Click);
    connect(Shrink, &QCheckBox::toggled, this, &Form1::Shrink_Click);
    Details->setMouseTracking(true);
    for (QWidget *w : std::initializer_list<QWidget *>{Details, Label2, Label3, Label4, Atrec, AutoConnect, Monitor, Shrink})
        w->installEventFilter(this);
}

void Form1::applyGeometry()
{
    m_layout.setDesignRect(Frame1, QRect(60, 0, 5520, m_frame1HeightTwips));
    m_layout.setDesignRect(Frame2, QRect(60, m_frame2TopTwips, 5520, 600));
    setFixedSize(m_layout.toPixels(QSize(kWidthTwips, m_heightTwips - kTitleAndBorderTwips)));
}

void Form1::centreOnScreen()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = frameGeometry();
    move(area.left() + (area.width() - frame.width()) / 2, area.top() + (area.height() - frame.height()) / 2);
}

void Form1::closeMainWindow()
{
    close();
}

void Form1::closeEvent(QCloseEvent *event)
{
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace tarvo
