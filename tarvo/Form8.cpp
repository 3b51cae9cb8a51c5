#include "tarvo/Form8.h"

#include "tarvo/Codes.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tarvo {

Form8::Form8(Form1 &main)
    : ChildWindow(main, Window::MoreSettings)
{
    setWindowTitle(QStringLiteral("Tarvo - More Settings"));
    auto *grid = new QGridLayout(this);

    AppStart = new QCheckBox(QStringLiteral("Automatically Connect When Internet Explorer Starts."), this);
    AppStart->setToolTip(QStringLiteral("Tarvo Must Be Running To Make This Option Work When Iexplore starts."));
    grid->addWidget(AppStart, 0, 0, 1, 2);

    AlarmStart = new QCheckBox(QStringLiteral("Enable Auto connection And Disconnection"), this);
    AlarmStart->setToolTip(QStringLiteral("For This Option To Work Tarvo Must Be Running."));
    grid->addWidget(AlarmStart, 1, 0, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Connect At ( ex. 6:00 am)"), this), 2, 0);
    Alarm[0] = new QLineEdit(this);
    grid->addWidget(Alarm[0], 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("DisConnect At (ex. 6:30 am)"), this), 3, 0);
    Alarm[1] = new QLineEdit(this);
    grid->addWidget(Alarm[1], 3, 1);
}

} // namespace tarvo
