// The baseline of bench/startup.sh: the least a Qt Widgets program does to
// put a window like Tarvo's main window on the screen. One top-level widget
// of the main window's compact size, titled, with the three timers Tarvo runs
// once started (the monitor tick at the shipped Delay, the one-second timer,
// the stand-in machine's step timer), shown; nothing else.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Window"));
    window.setFixedSize(380, 93);
    QTimer keepOnline, backup, machine;
    for (auto [timer, ms] : {std::pair{&keepOnline, 500}, std::pair{&backup, 1000}, std::pair{&machine, 200}}) {
        QObject::connect(timer, &QTimer::timeout, &window, [] {});
        timer->start(ms);
    }
    window.show();
    return app.exec();
}
