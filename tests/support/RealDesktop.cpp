#include "RealDesktop.h"

#include <QApplication>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>

namespace testing_support {

platform::QtWindowManager &desktopWindows()
{
    static platform::QtWindowManager windows;
    return windows;
}

RealDesktop::RealDesktop()
    : Harness(desktopWindows(), realKeys, realStarter),
      dialup(clock, path(QStringLiteral("machine/dialup.ini")), false), realStarter(dialup)
{
}

RealDesktop::~RealDesktop()
{
    endForm();
    settle();
}

void RealDesktop::writeScript(const QString &text)
{
    QFile f(scriptPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
    f.write(text.toUtf8());
}

void RealDesktop::settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    dialup.advance();
    QCoreApplication::processEvents();
}

void RealDesktop::pass(int seconds)
{
    for (int i = 0; i < seconds; ++i) {
        clock.advanceSeconds(1);
        settle();
    }
}

QWidget *RealDesktop::window(const QString &title) const
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title && !w->isHidden())
            return w;
    return nullptr;
}

} // namespace testing_support
