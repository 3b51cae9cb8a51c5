// The help texts and the about box, as their buttons open them.
#include "StartedTarvo.h"
#include "tarvo/Form1.h"
#include "tarvo/Form2.h"
#include "tarvo/frmAbout.h"
#include "tarvo/frmLogin.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class Help : public StartedTarvo {};

// Which of the help window's texts are shown, by index.
QList<int> shownTexts(const tarvo::Form2 &help)
{
    QList<int> shown;
    for (int i = 0; i < 3; ++i)
        if (!help.Label[i]->isHidden())
            shown << i;
    return shown;
}

} // namespace

TEST_F(Help, TheCredentialsDialogsHelpShowsOnlyTheAutoInsertionText)
{
    QString caption;
    QList<int> texts;
    h.boxes.onModal([&](QDialog &dialog) {
        auto &login = dynamic_cast<tarvo::frmLogin &>(dialog);
        h.boxes.onModal([&](QDialog &inner) {
            auto &help = dynamic_cast<tarvo::Form2 &>(inner);
            caption = help.windowTitle();
            texts = shownTexts(help);
            help.Command1->click();
        });
        login.Help->click();
        login.cmdCancel->click();
    });
    f->UserPwd_Click();
    EXPECT_EQ(caption, QStringLiteral(" TARVO HELP - AUTO-INSERTION FEATURE"));
    EXPECT_EQ(texts, QList<int>{tarvo::Form2::AutoInsert});
    EXPECT_EQ(f->loadedWindow<tarvo::Form2>(), nullptr);
}

TEST_F(Help, TheAboutBoxTellsWhatTarvoIsAndOpensTheTipsAndTheLicence)
{
    QStringList seen;
    h.boxes.onModal([&](QDialog &dialog) {
        auto &about = dynamic_cast<tarvo::frmAbout &>(dialog);
        seen << about.lblTitle->text() << about.lblVersion->text();
        EXPECT_FALSE(about.lblDescription->text().isEmpty());
        EXPECT_TRUE(about.lblLicence->text().contains(QStringLiteral("warranty")));
        for (QPushButton *button : {about.cmdTips, about.cmdLicence}) {
            h.boxes.onModal([&](QDialog &inner) {
                auto &help = dynamic_cast<tarvo::Form2 &>(inner);
                seen << help.windowTitle() << QString::number(shownTexts(help).value(0, -1));
                help.Command1->click();
            });
            button->click();
        }
        about.cmdOK->click();
    });
    f->About->click();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Tarvo"), QStringLiteral("Version ") + tarvo::frmAbout::version(),
                                 QStringLiteral(" TARVO HELP - TIPS FOR HANDS-FREE OPERATION"), QStringLiteral("0"),
                                 QStringLiteral(" TARVO - LICENCE AGREEMENT"), QStringLiteral("2")}));
    EXPECT_EQ(f->loadedWindow<tarvo::frmAbout>(), nullptr);
}
