#include "tarvo/Form5.h"

#include "tarvo/Codes.h"

#include <QLabel>
#include <QPushButton>

namespace tarvo {

namespace {

// Procedure numbers of this window in the error log.
enum Proc { PCom_Click = 1 };

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
    Label1 = message(m_layout, this, QStringLiteral("              Tarvo Detected A Live Connection .                    Do You Want Tarvo To Take Over and Monitor        The LIve Connection ?"));
    Label2 = message(m_layout, this, QStringLiteral("           Tarvo Detected A Connection In Progess .                    Do You Want Tarvo To Take Over and Monitor        The Connection In Progress?"));
    Label5 = message(m_layout, this, QStringLiteral("Going To Connect In 6 Seconds.           Press No To Cancel The Connection  And Yes To Proceed With Connection."));
    Label6 = message(m_layout, this, QStringLiteral("Going To DisConnect In 6 Seconds.           Press No To Keep The Connection  And Yes To Disconnect."));
    // Only their colours are used.
    Label3 = new QLabel(this);
    Label4 = new QLabel(this);
    Label3->hide();
    Label4->hide();
    setBackground(Label3, QColor(255, 255, 128));
    setBackground(Label4, QColor(255, 255, 255));
    setBackground(Label1, background(Label4));
    setBackground(Label2, background(Label4));

    Com[1] = m_layout.place(new QPushButton(QStringLiteral("&Yes"), this), 70, 90, 80, 28);
    Com[0] = m_layout.place(new QPushButton(QStringLiteral("&No"), this), 170, 90, 80, 28);
    m_layout.fit();
    setFixedSize(m_layout.toPixels(QSize(320, 130)));
    connect(Com[1], &QPushButton::clicked, this, [this] { Com_Click(1); });
    connect(Com[0], &QPushButton::clicked, this, [this] { Com_Click(0); });
}

QColor Form5::background(const QLabel *label)
{
    return label->palette().color(QPalette::Window);
}

void Form5::setBackground(QLabel *label, const QColor &colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::Window, colour);
    label->setPalette(p);
}

void Form5::Com_Click(int Index)
{
    trap(PCom_Click, [&] {
        // A take-over question: the answer is kept for the monitor to act on.
        if (Label5->isHidden() && Label6->isHidden()) {
            TakeOverAnswer = Index;
            hide();
        }
    });
}

} // namespace tarvo
