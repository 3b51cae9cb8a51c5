#include "tarvo/Form5.h"

#include <QLabel>
#include <QPushButton>

namespace tarvo {

namespace {

QLabel *message(QWidget *parent, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(10, 10, 300, 70);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    label->hide();
    return label;
}

} // namespace

Form5::Form5(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tarvo"));
    setFixedSize(320, 130);

    Label1 = message(this, QStringLiteral("              Tarvo Detected A Live Connection .                    Do You Want Tarvo To Take Over and Monitor        The LIve Connection ?"));
    Label2 = message(this, QStringLiteral("           Tarvo Detected A Connection In Progess .                    Do You Want Tarvo To Take Over and Monitor        The Connection In Progress?"));
    Label5 = message(this, QStringLiteral("Going To Connect In 6 Seconds.           Press No To Cancel The Connection  And Yes To Proceed With Connection."));
    Label6 = message(this, QStringLiteral("Going To DisConnect In 6 Seconds.           Press No To Keep The Connection  And Yes To Disconnect."));
    // Only their colours are used.
    Label3 = new QLabel(this);
    Label4 = new QLabel(this);
    Label3->hide();
    Label4->hide();
    setBackground(Label3, QColor(255, 255, 128));
    setBackground(Label4, QColor(255, 255, 255));
    setBackground(Label1, background(Label4));
    setBackground(Label2, background(Label4));

    Com[1] = new QPushButton(QStringLiteral("&Yes"), this);
    Com[1]->setGeometry(70, 90, 80, 28);
    Com[0] = new QPushButton(QStringLiteral("&No"), this);
    Com[0]->setGeometry(170, 90, 80, 28);
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
    // A take-over question: the answer is kept for the monitor to act on.
    if (Label5->isHidden() && Label6->isHidden()) {
        TakeOverAnswer = Index;
        hide();
    }
}

} // namespace tarvo
