// The desktop's message boxes: buttons, the answer each gives, Escape.
#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace mb = platform::mb;

namespace {

// Shows a box and lets `user` act on it once it is up.
int answerOf(int style, const std::function<void(QMessageBox &)> &user, const QString &title = QString())
{
    platform::QtMessageBoxes boxes(QStringLiteral("Tarvo"));
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no box up";
            return;
        }
        user(*box);
    });
    return boxes.msgBox(QStringLiteral(" first line \r\n second line"), style, title);
}

void press(QMessageBox &box, QMessageBox::StandardButton b)
{
    ASSERT_TRUE(box.button(b)) << int(b);
    box.button(b)->click();
}

} // namespace

TEST(QtMessageBoxes, EachButtonGivesItsAnswer)
{
    EXPECT_EQ(answerOf(mb::OkOnly, [](QMessageBox &b) { press(b, QMessageBox::Ok); }), mb::Ok);
    EXPECT_EQ(answerOf(mb::OkCancel, [](QMessageBox &b) { press(b, QMessageBox::Cancel); }), mb::Cancel);
    EXPECT_EQ(answerOf(mb::YesNo, [](QMessageBox &b) { press(b, QMessageBox::Yes); }), mb::Yes);
    EXPECT_EQ(answerOf(mb::YesNo, [](QMessageBox &b) { press(b, QMessageBox::No); }), mb::No);
    EXPECT_EQ(answerOf(mb::YesNoCancel, [](QMessageBox &b) { press(b, QMessageBox::No); }), mb::No);
    EXPECT_EQ(answerOf(mb::YesNoCancel, [](QMessageBox &b) { press(b, QMessageBox::Cancel); }), mb::Cancel);
    EXPECT_EQ(answerOf(mb::RetryCancel, [](QMessageBox &b) { press(b, QMessageBox::Retry); }), mb::Retry);
    EXPECT_EQ(answerOf(mb::AbortRetryIgnore, [](QMessageBox &b) { press(b, QMessageBox::Ignore); }), mb::Ignore);
}

TEST(QtMessageBoxes, EscapeTakesTheLastButtonAndEnterTheFirst)
{
    auto key = [](int k) { return [k](QMessageBox &b) { QTest::keyClick(&b, Qt::Key(k)); }; };
    EXPECT_EQ(answerOf(mb::YesNoCancel, key(Qt::Key_Escape)), mb::Cancel);
    EXPECT_EQ(answerOf(mb::YesNo, key(Qt::Key_Escape)), mb::No);
    EXPECT_EQ(answerOf(mb::OkOnly, key(Qt::Key_Escape)), mb::Ok);
    EXPECT_EQ(answerOf(mb::YesNo, key(Qt::Key_Return)), mb::Yes);
}

TEST(QtMessageBoxes, TitleIconAndLinesAreShownAsAsked)
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    auto look = [&](QMessageBox &b) {
        title = b.windowTitle();
        text = b.text();
        icon = b.icon();
        press(b, QMessageBox::Ok);
    };
    answerOf(mb::OkOnly | mb::Critical, look);
    EXPECT_EQ(title, QStringLiteral("Tarvo"));
    EXPECT_EQ(text, QStringLiteral(" first line \n second line"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    answerOf(mb::OkOnly | mb::Exclamation, look, QStringLiteral("Tarvo - Warning"));
    EXPECT_EQ(title, QStringLiteral("Tarvo - Warning"));
    EXPECT_EQ(icon, QMessageBox::Warning);
}
