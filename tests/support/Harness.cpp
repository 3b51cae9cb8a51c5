#include "Harness.h"

#include "tarvo/Form1.h"
#include "tools/ShippedDatabase.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace testing_support {

namespace {

QString makeFolder(QTemporaryDir &dir)
{
    EXPECT_TRUE(dir.isValid());
    return dir.path();
}

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("marker\n");
}

} // namespace

Harness::Harness()
    : folders(makeFolder(m_dir)), services{clock, boxes, folders, files, false}
{
    tools::writeShippedDatabase(databasePath());
    touch(folders.windowsFolder() + QStringLiteral("/rundll32.exe"));
    touch(folders.systemFolder() + QStringLiteral("/rnaui.dll"));
    touch(folders.systemFolder() + QStringLiteral("/rnaapp.exe"));
}

Harness::~Harness()
{
    m_form.reset();
}

tarvo::Form1 &Harness::form()
{
    if (!m_form)
        m_form = std::make_unique<tarvo::Form1>(services);
    return *m_form;
}

tarvo::Form1 &Harness::start()
{
    form().Form_Load();
    return *m_form;
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
