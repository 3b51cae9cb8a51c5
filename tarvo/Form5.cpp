#include "tarvo/Form5.h"

#include "tarvo/Codes.h"
#include "tarvo/Colours.h"
#include "tarvo/Form1.h"
#include "tarvo/Module2.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace tarvo {

namespace {

// Procedure numbers of this window in the error log.
enum { PCom_Click = 1, PForm_Activate = 2 };

// Which of the two holders' colours a flashing label shows is kept beside
// it, never read back from the colours: a desktop's palette may make them
// anything.
const char *const kFlashed = "flashed";

QLabel *message(DesignLayout &layout, QWidget *parent, const QString &text)
{
    auto *label = layout.place(new QLabel(text, parent), 10, 10, 300, 70);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    label->hide();
    return label;
}

} // namespace

Form5::Form5(Form1 &main)
    : ChildWindow(main, Window::Question)
{
    setWindowTitle(QStringLiteral("Tarvo"));
    // On top from the start: made so later, the window would be made anew
    // under the user's eyes.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    Label1 = message(m_layout, this, QStringLiteral("              Tarvo Detected A Live Connection .                    Do You Want Tarvo To Take Over and Monitor        The LIve Connection ?"));
    Label2 = message(m_layout, this, QStringLiteral("           Tarvo Detected A Connection In Progess .                    Do You Want Tarvo To Take Over and Monitor        The Connection In Progress?"));
    Label5 = message(m_layout, this, connectCaption());
    Label6 = message(m_layout, this, disconnectCaption());
    // Only their colours are used.
    Label3 = new QLabel(this);
    Label4 = new QLabel(this);
    Label3->hide();
    Label4->hide();
    paintReadable(Label3, QPalette::Window, QPalette::WindowText, QColor(255, 255, 128));
    paintReadable(Label4, QPalette::Window, QPalette::WindowText, QColor(255, 255, 255));
    paintFrom(Label1, Label4);
    paintFrom(Label2, Label4);

    Com[1] = m_layout.place(new QPushButton(QStringLiteral("&Yes"), this), 70, 90, 80, 28);
    Com[0] = m_layout.place(new QPushButton(QStringLiteral("&No"), this), 170, 90, 80, 28);
    m_layout.fit();
    setFixedSize(m_layout.toPixels(QSize(320, 130)));
    connect(Com[1], &QPushButton::clicked, this, [this] { Com_Click(1); });
    connect(Com[0], &QPushButton::clicked, this, [this] { Com_Click(0); });
}

QString Form5::connectCaption()
{
    return QStringLiteral("Going To Connect In 6 Seconds.           Press No To Cancel The Connection  And Yes To Proceed With Connection.");
}

QString Form5::disconnectCaption()
{
    return QStringLiteral("Going To DisConnect In 6 Seconds.           Press No To Keep The Connection  And Yes To Disconnect.");
}

QString Form5::connectCountdown(int seconds)
{
    return QStringLiteral("                   Going To Connect In ") + QString::number(seconds)
        + QStringLiteral(" Seconds.           Press No To Cancel The Connection  And Yes To Proceed With Connection.");
}

QString Form5::disconnectCountdown(int seconds)
{
    return QStringLiteral("                   Going To DisConnect In ") + QString::number(seconds)
        + QStringLiteral(" Seconds.           Press No To Keep The Connection  And Yes To Disconnect.");
}

QColor Form5::background(const QLabel *label)
{
    return label->palette().color(QPalette::Window);
}

QColor Form5::foreground(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

void Form5::paintFrom(QLabel *label, const QLabel *holder)
{
    QPalette p = label->palette();
    p.setColor(QPalette::Window, background(holder));
    p.setColor(QPalette::WindowText, foreground(holder));
    label->setPalette(p);
}

void Form5::flash(QLabel *label)
{
    const bool on = !flashed(label);
    label->setProperty(kFlashed, on);
    paintFrom(label, on ? Label3 : Label4);
}

bool Form5::flashed(const QLabel *label) const
{
    return label->property(kFlashed).toBool();
}

void Form5::Com_Click(int Index)
{
    trap(PCom_Click, [&] {
        Form1 &f = m_main;
        if (!Label6->isHidden()) {
            if (Index == AnswerYes)
                f.hangUpAtNextTick();
            hide();
        } else if (!Label5->isHidden()) {
            // Closed first: going online may show a usage warning, and the
            // ticks running behind it must not find this question still up
            // and answer it again.
            hide();
            if (Index == AnswerYes) {
                // A line the user has brought up meanwhile is not to be
                // taken down by the same button.
                if (!f.isDialing())
                    f.Com_Click(0);
            } else {
                f.dismissBrowserStart();
            }
        } else {
            // A take-over question: the answer is kept for the monitor.
            TakeOverAnswer = Index;
            hide();
        }
    });
}

void Form5::showEvent(QShowEvent *event)
{
    ChildWindow::showEvent(event);
    Form_Activate();
}

void Form5::Form_Activate()
{
    trap(PForm_Activate, [&] {
        const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect area = screen->geometry();
        const QRect frame = frameGeometry();
        const int left = area.left() + (area.width() - frame.width()) / 2;
        // The connect question stands clear of the middle of the screen,
        // where the window being worked in usually is.
        const int top = !Label5->isHidden() ? area.top() + frame.height()
                                             : area.top() + (area.height() - frame.height()) / 2;
        move(left, top);
    });
}

} // namespace tarvo
