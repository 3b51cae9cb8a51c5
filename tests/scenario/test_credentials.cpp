// The credentials dialog: what it shows for a connection and what it stores.
#include "StartedTarvo.h"
#include "tarvo/Form1.h"
#include "tarvo/frmLogin.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;
using rt::Value;
namespace mb = platform::mb;

namespace {

class Credentials : public StartedTarvo {
protected:
    // Opens the dialog for Home and lets `use` work it like the user would.
    void open(const std::function<void(tarvo::frmLogin &)> &use)
    {
        h.boxes.onModal([&](QDialog &dialog) { use(static_cast<tarvo::frmLogin &>(dialog)); });
        f->UserPwd_Click();
    }
    Value stored(int field)
    {
        EXPECT_TRUE(f->Ucinfo(0, {}, tarvo::UcinfoFind, tarvo::ConInfo::ConName, QStringLiteral("Home")));
        return f->conInfo->field(field);
    }
};

} // namespace

TEST_F(Credentials, TypedPasswordIsStoredScrambledAndTypedOnTheNextDial)
{
    open([](tarvo::frmLogin &dlg) {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral(" Connection : Home"));
        EXPECT_FALSE(dlg.passwordStoredLook());
        EXPECT_TRUE(dlg.Check1->isEnabled());
        EXPECT_EQ(dlg.txtPassword->echoMode(), QLineEdit::Password);
        QTest::keyClicks(dlg.txtUserName, QStringLiteral("ann"));
        QTest::keyClicks(dlg.txtPassword, QStringLiteral("abc"));
        dlg.cmdOK->click();
    });
    EXPECT_EQ(stored(tarvo::ConInfo::UserName), Value("ann"));
    const QString scrambled = stored(tarvo::ConInfo::Password).toString();
    ASSERT_EQ(scrambled.size(), 3);
    EXPECT_EQ(scrambled.at(0).unicode(), 147);
    EXPECT_EQ(scrambled.at(1).unicode(), 148);
    EXPECT_EQ(scrambled.at(2).unicode(), 149);
    EXPECT_EQ(f->dial.user, Value("ann"));
    EXPECT_EQ(f->dial.password, Value("abc"));
}

TEST_F(Credentials, WithAPasswordStoredOkWithoutTypingOneSavesNothing)
{
    f->Ucinfo(tarvo::ConInfo::UserName, QStringLiteral("ann"), tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, QStringLiteral("Home"));
    f->Ucinfo(tarvo::ConInfo::Password, f->ProcessPwd(QStringLiteral("abc"), tarvo::PwdScramble), tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, QStringLiteral("Home"));
    h.keys.sent.clear();
    open([](tarvo::frmLogin &dlg) {
        EXPECT_EQ(dlg.txtUserName->text(), QStringLiteral("ann"));
        EXPECT_TRUE(dlg.txtPassword->text().isEmpty());
        EXPECT_TRUE(dlg.passwordStoredLook());
        EXPECT_EQ(dlg.txtPassword->toolTip(), QStringLiteral(" Password Exists"));
        EXPECT_FALSE(dlg.Check1->isEnabled());
        dlg.txtUserName->setText(QStringLiteral("someone else"));
        dlg.cmdOK->click();
    });
    // The user name was selected for typing over.
    EXPECT_EQ(h.keys.sent, QStringList{"+{END}"});
    EXPECT_EQ(stored(tarvo::ConInfo::UserName), Value("ann"));
    EXPECT_EQ(f->ProcessPwd(stored(tarvo::ConInfo::Password).toString(), tarvo::PwdReveal), QStringLiteral("abc"));

    open([](tarvo::frmLogin &dlg) {
        QTest::keyClicks(dlg.txtPassword, QStringLiteral("new"));
        EXPECT_TRUE(dlg.Check1->isEnabled());
        dlg.cmdOK->click();
    });
    EXPECT_EQ(f->ProcessPwd(stored(tarvo::ConInfo::Password).toString(), tarvo::PwdReveal), QStringLiteral("new"));
}

TEST_F(Credentials, EveryPasswordIsStoredAndTypedBackExactlyAndEarlierOnesStillRead)
{
    // Raised by 50 these would be broken surrogates or past U+FFFF; a pair
    // whose halves stay pairs keeps the old form, and so do stored ones.
    const char16_t oldUnits[] = {0xD86F, 0xDE32};
    const QString smile = QStringLiteral("😀"), oldSmile = QString::fromUtf16(oldUnits, 2);
    const char16_t units[] = {u'a', 0xD7CE, 0xD7FF, 0xFFCD, 0xFFCE, 0xFFFF, 0xD83C, 0xDFCE, 0xDBFF, 0xDFFF, 1, 0, u'?', 0xDC00};
    const QString nasty = QString::fromUtf16(units, std::size(units)) + smile;
    EXPECT_EQ(f->ProcessPwd(smile, tarvo::PwdScramble), oldSmile);
    EXPECT_EQ(f->ProcessPwd(oldSmile, tarvo::PwdReveal), smile);
    f->Ucinfo(tarvo::ConInfo::UserName, QStringLiteral("ann"), tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, QStringLiteral("Home"));
    f->Ucinfo(tarvo::ConInfo::Password, f->ProcessPwd(QStringLiteral("abc"), tarvo::PwdScramble), tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, QStringLiteral("Home"));
    open([&](tarvo::frmLogin &dlg) {
        dlg.txtPassword->setText(nasty);
        dlg.cmdOK->click();
    });
    EXPECT_TRUE(h.boxes.shown().empty());
    EXPECT_EQ(f->dial.password, Value(nasty));
    EXPECT_EQ(f->ProcessPwd(stored(tarvo::ConInfo::Password).toString(), tarvo::PwdReveal), nasty);
}

// The units whose stored form sits at an edge of the scramble: raised into
// U+FEFF (which a text reader may take for a byte-order mark and drop), into
// the last units of the plane, into or next to the surrogates, and the
// escape and its neighbours, each first, in the middle and last.
TEST_F(Credentials, PasswordsWithUnitsAtTheEdgesOfTheStoredFormComeBackExactlyFromTheFile)
{
    f->Ucinfo(tarvo::ConInfo::UserName, QStringLiteral("ann"), tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, QStringLiteral("Home"));
    for (const char16_t unit : {0xFECC, 0xFECD, 0xFECE, 0xFFCB, 0xFFCC, 0xFFCD, 0xFFCE, 0xFFFF, 0xD7CD, 0xD7CE,
                                0xD7FF, 0xE000, 0x0000, 0x0001, 0x0002, 0x0031, 0x0032, 0x0033}) {
        SCOPED_TRACE(int(unit));
        const QString password = QChar(unit) + QStringLiteral("ab") + QChar(unit) + QStringLiteral("cd") + QChar(unit);
        open([&](tarvo::frmLogin &dlg) {
            dlg.txtPassword->setText(password);
            dlg.cmdOK->click();
        });
        // Read back from the file, as the next dial reads it.
        f->dial.password = QString();
        f->Con_Change();
        EXPECT_EQ(f->dial.password, Value(password));
        EXPECT_EQ(f->ProcessPwd(stored(tarvo::ConInfo::Password).toString(), tarvo::PwdReveal), password);
    }
    EXPECT_TRUE(h.boxes.shown().empty());
}

TEST_F(Credentials, AnEmptyFieldAsksAndNoKeepsTheDialogOpen)
{
    open([&](tarvo::frmLogin &dlg) {
        QTest::keyClicks(dlg.txtUserName, QStringLiteral("ann"));
        h.boxes.answer(mb::No);
        dlg.cmdOK->click();
        EXPECT_EQ(dlg.result(), 0);
        EXPECT_TRUE(stored(tarvo::ConInfo::UserName).isNull());
        h.boxes.answer(mb::Yes);
        dlg.cmdOK->click();
    });
    ASSERT_EQ(h.boxes.shown().size(), 2u);
    EXPECT_EQ(h.boxes.shown()[0].prompt,
              QStringLiteral(" You Must Enter Both UserName And PassWord \r\n For Autio Insert Feature To Work. Continue ?"));
    EXPECT_EQ(h.boxes.shown()[0].buttons(), mb::YesNo);
    EXPECT_EQ(stored(tarvo::ConInfo::UserName), Value("ann"));
    EXPECT_EQ(stored(tarvo::ConInfo::Password), Value(QString()));
}

TEST_F(Credentials, CancelSavesNothingAndMaskCanBeTurnedOff)
{
    open([](tarvo::frmLogin &dlg) {
        dlg.Check1->click();
        EXPECT_EQ(dlg.txtPassword->echoMode(), QLineEdit::Normal);
        QTest::keyClicks(dlg.txtPassword, QStringLiteral("abc"));
        dlg.cmdCancel->click();
    });
    EXPECT_TRUE(stored(tarvo::ConInfo::Password).isNull());
}

TEST_F(Credentials, MaskedPasswordShowsAnAsteriskPerCharacter)
{
    open([](tarvo::frmLogin &dlg) {
        EXPECT_EQ(dlg.txtPassword->echoMode(), QLineEdit::Password);
        EXPECT_EQ(dlg.txtPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, dlg.txtPassword),
                  int('*'));
        dlg.cmdCancel->click();
    });
}
