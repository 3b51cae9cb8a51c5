#include "platform/KeyNotation.h"
#include "platform/QtKeystrokes.h"
#include "platform/QtWindowManager.h"
#include "runtime/Error.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

using platform::keys::KeyStroke;
using platform::keys::literal;
using platform::keys::parse;

namespace platform::keys {
void PrintTo(const KeyStroke &k, std::ostream *os)
{
    *os << "{key 0x" << std::hex << k.key << " mods 0x" << k.modifiers.toInt() << " text \""
        << k.text.toStdString() << "\"}";
}
} // namespace platform::keys

namespace {

constexpr auto Alt = Qt::AltModifier;
constexpr auto Shift = Qt::ShiftModifier;
const Qt::KeyboardModifiers None;

TEST(KeyNotation, TheProgramsKeystrokes)
{
    EXPECT_EQ(parse(QStringLiteral("%U")), (QList<KeyStroke>{{Qt::Key_U, Alt, {}}}));
    EXPECT_EQ(parse(QStringLiteral("%{c}")), (QList<KeyStroke>{{Qt::Key_C, Alt, {}}}));
    EXPECT_EQ(parse(QStringLiteral("%{F4}")), (QList<KeyStroke>{{Qt::Key_F4, Alt, {}}}));
    EXPECT_EQ(parse(QStringLiteral("{ENTER}")), (QList<KeyStroke>{{Qt::Key_Return, None, QStringLiteral("\r")}}));
    EXPECT_EQ(parse(QStringLiteral("~")), parse(QStringLiteral("{ENTER}")));
    EXPECT_EQ(parse(QStringLiteral("{ESC}")), (QList<KeyStroke>{{Qt::Key_Escape, None, QStringLiteral("\x1b")}}));
    EXPECT_EQ(parse(QStringLiteral("+{END}")), (QList<KeyStroke>{{Qt::Key_End, Shift, {}}}));
    EXPECT_EQ(parse(QStringLiteral("{END}+{HOME}")),
              (QList<KeyStroke>{{Qt::Key_End, None, {}}, {Qt::Key_Home, Shift, {}}}));
    // Whatever comes before, a braced name is a name.
    const KeyStroke smile{0x1F600, None, QStringLiteral("😀")};
    EXPECT_EQ(parse(QStringLiteral("😀{F4}")), (QList<KeyStroke>{smile, {Qt::Key_F4, None, {}}}));
    EXPECT_EQ(parse(QStringLiteral("😀%{F4}")), (QList<KeyStroke>{smile, {Qt::Key_F4, Alt, {}}}));
    EXPECT_EQ(parse(QStringLiteral("{😀 2}")), (QList<KeyStroke>{smile, smile}));
}

TEST(KeyNotation, CharactersModifiersGroupsAndCounts)
{
    EXPECT_EQ(parse(QStringLiteral("aZ1")),
              (QList<KeyStroke>{{Qt::Key_A, None, QStringLiteral("a")},
                                {Qt::Key_Z, None, QStringLiteral("Z")},
                                {Qt::Key_1, None, QStringLiteral("1")}}));
    EXPECT_EQ(parse(QStringLiteral("ä")), (QList<KeyStroke>{{Qt::Key_Adiaeresis, None, QStringLiteral("ä")}}));
    EXPECT_EQ(parse(QStringLiteral("+(ab)c")),
              (QList<KeyStroke>{{Qt::Key_A, Shift, QStringLiteral("A")},
                                {Qt::Key_B, Shift, QStringLiteral("B")},
                                {Qt::Key_C, None, QStringLiteral("c")}}));
    EXPECT_EQ(parse(QStringLiteral("^+x")), (QList<KeyStroke>{{Qt::Key_X, Qt::ControlModifier | Shift, {}}}));
    EXPECT_EQ(parse(QStringLiteral("{LEFT 3}")), (QList<KeyStroke>(3, {Qt::Key_Left, None, {}})));
    EXPECT_EQ(parse(QStringLiteral("{a 2}")), (QList<KeyStroke>(2, {Qt::Key_A, None, QStringLiteral("a")})));
    EXPECT_EQ(parse(QStringLiteral("{a 0}")), QList<KeyStroke>());
    EXPECT_EQ(parse(QStringLiteral("{a %1}").arg(platform::keys::kMaxRepeat)).size(), platform::keys::kMaxRepeat);
    EXPECT_EQ(parse(QStringLiteral("{enter}")), parse(QStringLiteral("{ENTER}")));
    EXPECT_EQ(parse(QStringLiteral("{ESCAPE}{BACKSPACE}{DELETE}")), parse(QStringLiteral("{ESC}{BS}{DEL}")));
    EXPECT_EQ(parse(QStringLiteral("{F12}")).value(0).key, Qt::Key_F12);
    EXPECT_EQ(parse(QStringLiteral("[]")).size(), 2);
    EXPECT_EQ(parse(QString()), QList<KeyStroke>());
}

TEST(KeyNotation, BracedNotationCharactersTypeThemselves)
{
    QString typed;
    for (const KeyStroke &k : parse(QStringLiteral("{+}{^}{%}{~}{(}{)}{{}{}}{[}{]}{} 2}")))
        typed += k.text;
    EXPECT_EQ(typed, QStringLiteral("+^%~(){}[]}}"));
}

TEST(KeyNotation, LiteralTextTypesItselfExactly)
{
    EXPECT_EQ(literal(QStringLiteral("a+b")), QStringLiteral("a{+}b"));
    const char16_t withNul[] = {u'{', 0, u'}', u'a', 0};
    const char16_t loneSurrogates[] = {0xDC00, u'{', 0xD83D, u'+', 0xD83D};
    for (const QString &text : {QStringLiteral("p{^}%~()[]"), QStringLiteral("{}}{"), QStringLiteral("+^%~"),
                                QStringLiteral("naïve ☃ 𝄞"), QString(), QStringLiteral("😀{"),
                                QStringLiteral("😀{F4}%{F4}{a 3}"), QString::fromUtf16(withNul, 5),
                                QString::fromUtf16(loneSurrogates, 5)}) {
        QString typed;
        for (const KeyStroke &k : parse(literal(text))) {
            EXPECT_EQ(k.modifiers, None);
            typed += k.text;
        }
        EXPECT_EQ(typed, text);
    }
}

TEST(KeyNotation, MalformedNotationRaisesError5)
{
    for (const QString &bad : {QStringLiteral("{ENTER"), QStringLiteral("{"), QStringLiteral("{}"),
                               QStringLiteral("}"), QStringLiteral("ab}"), QStringLiteral("{NOPE}"),
                               QStringLiteral("{a x}"), QStringLiteral("{LEFT 99999999999}"),
                               QStringLiteral("{a %1}").arg(platform::keys::kMaxRepeat + 1),
                               QStringLiteral("(ab"), QStringLiteral("ab)"), QStringLiteral("+"),
                               QStringLiteral("%U%"), QStringLiteral("+)")}) {
        try {
            parse(bad);
            ADD_FAILURE() << "accepted " << bad.toStdString();
        } catch (const rt::RuntimeError &e) {
            EXPECT_EQ(e.number(), 5) << bad.toStdString();
        }
    }
}

// A dialog like the dialing component's, driven as the program drives it.
class KeystrokesTest : public ::testing::Test {
protected:
    platform::QtWindowManager wm;
    platform::QtKeystrokes keys;
    std::unique_ptr<QDialog> dialog = std::make_unique<QDialog>();
    QLineEdit *user = new QLineEdit(QStringLiteral("old name"));
    QLineEdit *password = new QLineEdit;
    QPushButton *connectButton = new QPushButton(QStringLiteral("Connect"));
    QPushButton *cancelButton = new QPushButton(QStringLiteral("Cancel"));

    void SetUp() override
    {
        dialog->setWindowTitle(QStringLiteral("Connect To"));
        auto *layout = new QVBoxLayout(dialog.get());
        auto *userLabel = new QLabel(QStringLiteral("&User name:"));
        userLabel->setBuddy(user);
        auto *passwordLabel = new QLabel(QStringLiteral("&Password:"));
        passwordLabel->setBuddy(password);
        password->setEchoMode(QLineEdit::Password);
        for (QWidget *w : {static_cast<QWidget *>(userLabel), static_cast<QWidget *>(user),
                           static_cast<QWidget *>(passwordLabel), static_cast<QWidget *>(password),
                           static_cast<QWidget *>(connectButton), static_cast<QWidget *>(cancelButton)})
            layout->addWidget(w);
        connectButton->setDefault(true);
        QObject::connect(connectButton, &QPushButton::clicked, dialog.get(), &QDialog::accept);
        QObject::connect(cancelButton, &QPushButton::clicked, dialog.get(), &QDialog::reject);
        bringUp(dialog.get());
        // As in the dialing dialog, the button has the focus when it opens.
        connectButton->setFocus();
    }

    void bringUp(QWidget *w)
    {
        w->show();
        ASSERT_TRUE(wm.setForegroundWindow(wm.handleOf(w)));
        wm.setFocus(wm.handleOf(w));
    }
};

TEST_F(KeystrokesTest, CredentialsArriveLiterallyAndEnterPressesTheDefaultButton)
{
    QSignalSpy accepted(dialog.get(), &QDialog::accepted);
    keys.sendKeys(QStringLiteral("%U") + literal(QStringLiteral("a+b")) + QStringLiteral("%P")
                  + literal(QStringLiteral("p{^}%~()[]")));
    EXPECT_EQ(user->text(), QStringLiteral("a+b"));   // the old name was replaced
    EXPECT_EQ(password->text(), QStringLiteral("p{^}%~()[]"));
    EXPECT_TRUE(dialog->isVisible());

    keys.sendKeys(QStringLiteral("{ENTER}"));
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(KeystrokesTest, EmptyCredentialsLeaveTheFieldsAsTheyWere)
{
    QSignalSpy accepted(dialog.get(), &QDialog::accepted);
    keys.sendKeys(QStringLiteral("%U%P{ENTER}"));
    EXPECT_EQ(user->text(), QStringLiteral("old name"));
    EXPECT_EQ(accepted.count(), 1);
}

TEST_F(KeystrokesTest, NonAsciiTextAndEditingKeys)
{
    keys.sendKeys(QStringLiteral("%U") + literal(QStringLiteral("Jürgen €")) + QStringLiteral("{BS}{LEFT 2}{DEL}"));
    EXPECT_EQ(user->text(), QStringLiteral("Jürge "));
    keys.sendKeys(QStringLiteral("{TAB}"));
    EXPECT_EQ(QApplication::focusWidget(), password);
}

TEST_F(KeystrokesTest, AnEditThatHasTheFocusAlreadyKeepsItsTextOnItsMnemonic)
{
    // Qt selects a line edit's text when the focus arrives, not when the
    // edit had it already.
    user->setFocus();
    keys.sendKeys(QStringLiteral("%Unew"));
    EXPECT_EQ(user->text(), QStringLiteral("old namenew"));
}

TEST_F(KeystrokesTest, ShiftEndAndShiftHomeSelect)
{
    user->setFocus();
    user->setCursorPosition(0);
    keys.sendKeys(QStringLiteral("+{END}"));
    EXPECT_EQ(user->selectedText(), QStringLiteral("old name"));
    user->setCursorPosition(2);
    keys.sendKeys(QStringLiteral("{END}+{HOME}"));
    EXPECT_EQ(user->selectedText(), QStringLiteral("old name"));
    keys.sendKeys(QStringLiteral("x"));
    EXPECT_EQ(user->text(), QStringLiteral("x"));
}

TEST_F(KeystrokesTest, EscapeRejectsTheDialog)
{
    QSignalSpy rejected(dialog.get(), &QDialog::rejected);
    keys.sendKeys(QStringLiteral("{ESC}"));
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(KeystrokesTest, AltF4ClosesTheActiveWindow)
{
    QSignalSpy rejected(dialog.get(), &QDialog::rejected);
    keys.sendKeys(QStringLiteral("%{F4}"));
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_FALSE(dialog->isVisible());

    QWidget plain;
    plain.setWindowTitle(QStringLiteral("Connected to Home"));
    bringUp(&plain);
    keys.sendKeys(QStringLiteral("%{F4}"));
    EXPECT_FALSE(plain.isVisible());
}

TEST_F(KeystrokesTest, AltLetterPressesAButtonByItsMnemonic)
{
    auto *hangUp = new QPushButton(QStringLiteral("Dis&connect"), dialog.get());
    dialog->layout()->addWidget(hangUp);
    hangUp->show();
    QSignalSpy pressed(hangUp, &QPushButton::pressed);
    keys.sendKeys(QStringLiteral("%{c}"));
    // Qt lets the button go, and emits clicked(), after a short animation.
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_TRUE(hangUp->isDown());
    EXPECT_EQ(user->text(), QStringLiteral("old name"));
}

TEST_F(KeystrokesTest, KeysGoToTheForegroundWindowOnly)
{
    QDialog other;
    auto *otherEdit = new QLineEdit(&other);
    bringUp(&other);
    keys.sendKeys(QStringLiteral("typed"));
    EXPECT_EQ(otherEdit->text(), QStringLiteral("typed"));
    EXPECT_EQ(user->text(), QStringLiteral("old name"));
    EXPECT_EQ(password->text(), QString());
}

TEST_F(KeystrokesTest, MalformedNotationTypesNothing)
{
    user->setFocus();
    user->clear();
    EXPECT_THROW(keys.sendKeys(QStringLiteral("abc{NOPE}")), rt::RuntimeError);
    EXPECT_EQ(user->text(), QString());
}

TEST_F(KeystrokesTest, WithNoActiveWindowTheKeysAreLost)
{
    dialog->hide();
    QCoreApplication::processEvents();
    if (QApplication::activeWindow())
        GTEST_SKIP() << "another window is active";
    keys.sendKeys(QStringLiteral("abc{ENTER}%{F4}"));
    EXPECT_EQ(user->text(), QStringLiteral("old name"));
}

} // namespace
