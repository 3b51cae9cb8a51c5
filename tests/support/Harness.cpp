#include "Harness.h"

#include "tarvo/Form1.h"

#include <QFile>
#include <gtest/gtest.h>

namespace testing_support {

namespace {

QString quoted(QString s)
{
    s.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    s.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

} // namespace

Harness::Harness() : controls({tray, desktop, procedures, pictures}), services(makeServices(desktop, keys, starter))
{
    prepare();
}

Harness::Harness(platform::WindowManager &windows, platform::Keystrokes &realKeys, platform::ProcessStarter &realStarter)
    : controls({tray, windows, procedures, pictures}), services(makeServices(windows, realKeys, realStarter))
{
    prepare();
}

std::unique_ptr<platform::Platform> Harness::makeServices(platform::WindowManager &windows,
                                                          platform::Keystrokes &typing,
                                                          platform::ProcessStarter &starting)
{
    return std::make_unique<platform::Platform>(servicesWith({.boxes = boxes,
                                                              .windows = windows,
                                                              .keys = typing,
                                                              .process = starting,
                                                              .printer = printer,
                                                              .controls = controls,
                                                              .events = events,
                                                              .pointer = pointer}));
}

void Harness::prepare()
{
    EXPECT_TRUE(isValid());
    controls.plugIns.insert(QStringLiteral("TarvoTray"), &trayPlugIn);
    for (const QString &file : layDown())
        ADD_FAILURE() << "cannot write " << file.toStdString();
    writeRegistry({QStringLiteral("Home"), QStringLiteral("Work")});
}

Harness::~Harness()
{
    m_form.reset();
}

void Harness::writeRegistry(const QStringList &connections, const QString &startPage, bool withKey)
{
    QFile f(registryPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
    QString text = QStringLiteral("; written by the test\n");
    if (withKey) {
        text += QStringLiteral("[HKEY_CURRENT_USER\\RemoteAccess\\Addresses]\n");
        for (const QString &c : connections)
            text += quoted(c) + QStringLiteral("=hex:01,00\n");
    }
    if (!startPage.isNull()) {
        text += QStringLiteral("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main]\n");
        text += QStringLiteral("\"Start Page\"=") + quoted(startPage) + QLatin1Char('\n');
    }
    f.write(text.toUtf8());
}

tarvo::Form1 &Harness::form()
{
    if (!m_form)
        m_form = std::make_unique<tarvo::Form1>(*services);
    return *m_form;
}

tarvo::Form1 &Harness::start()
{
    form().Form_Load();
    return *m_form;
}

void Harness::endForm()
{
    m_form.reset();
}

QString Harness::readErrorLog() const
{
    QFile f(path(QStringLiteral("err.log")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QStringList Harness::errorLogLines() const
{
    QStringList lines = readErrorLog().split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void overwrite(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace testing_support
