// Every window shows its captions whole, at the default font and at the
// larger ones of a desktop scaled to 125 % and 150 %.
#include "Harness.h"
#include "tarvo/Form1.h"
#include "tarvo/Form3.h"
#include "tarvo/Form4.h"
#include "tarvo/Form6.h"
#include "tarvo/Form5.h"
#include "tarvo/Form8.h"
#include "tarvo/frmLogin.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Room a caption needs, judged from Qt's own measures of the text.
QSize roomFor(const QWidget *w)
{
    if (const auto *box = qobject_cast<const QCheckBox *>(w))
        return box->sizeHint();
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        if (label->text().isEmpty())
            return {};
        if (label->wordWrap())
            return QSize(1, label->heightForWidth(label->width()));
        return label->sizeHint();
    }
    if (const auto *button = qobject_cast<const QPushButton *>(w)) {
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        const QFontMetrics fm = button->fontMetrics();
        return QSize(fm.horizontalAdvance(text) + 8, fm.height());
    }
    return {};
}

void expectCaptionsWhole(const QWidget &window)
{
    for (const QWidget *w : window.findChildren<QWidget *>()) {
        const QSize room = roomFor(w);
        if (room.isEmpty())
            continue;
        const std::string what = w->metaObject()->className() + std::string(" ")
            + w->property("text").toString().toStdString();
        EXPECT_GE(w->width(), room.width()) << what;
        EXPECT_GE(w->height(), room.height()) << what;
        const QRect inside(QPoint(0, 0), w->parentWidget()->size());
        EXPECT_TRUE(inside.contains(w->geometry())) << what;
    }
}

class WindowLayout : public ::testing::TestWithParam<double> {
protected:
    void SetUp() override
    {
        m_font = QApplication::font();
        QFont bigger = m_font;
        bigger.setPointSizeF(m_font.pointSizeF() * GetParam());
        QApplication::setFont(bigger);
    }
    void TearDown() override { QApplication::setFont(m_font); }

private:
    QFont m_font;
};

} // namespace

TEST_P(WindowLayout, EveryCaptionFitsItsControl)
{
    Harness h;
    // The main window as designed, its settings panel open.
    tarvo::Form1 &f = h.form();
    expectCaptionsWhole(f);
    tarvo::Form5 &question = f.window<tarvo::Form5>();
    for (QLabel *l : {question.Label1, question.Label2, question.Label5, question.Label6})
        l->show();
    expectCaptionsWhole(question);
    expectCaptionsWhole(f.window<tarvo::frmLogin>());
    expectCaptionsWhole(f.window<tarvo::Form8>());
    expectCaptionsWhole(f.window<tarvo::Form4>());
    tarvo::Form3 &menu = f.window<tarvo::Form3>();
    menu.Label1->setText(QStringLiteral("Go Offline"));
    menu.Label8->setText(QStringLiteral("Cancel Auto DisConnect"));
    expectCaptionsWhole(menu);
    expectCaptionsWhole(f.window<tarvo::Form6>());
}

TEST_P(WindowLayout, MoreSettingsLimitBoxesCoverOnlyTheBlanksOfTheirCaptions)
{
    // The hours and cost boxes stand in the run of blanks their check boxes'
    // captions leave for them, and cover none of the words.
    Harness h;
    tarvo::Form8 &w = h.form().window<tarvo::Form8>();
    for (const auto &[owner, box] : {std::pair{w.NetHours, w.Hours}, std::pair{w.NetCost, w.Cost}}) {
        QStyleOptionButton option;
        option.initFrom(owner);
        option.text = owner->text();
        const int textLeft = owner->x()
            + owner->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, owner).left();
        const QFontMetrics fm = owner->fontMetrics();
        const QString caption = owner->text();
        const int gapStart = caption.indexOf(QLatin1String("  "));
        const int gapEnd = gapStart + 17;
        ASSERT_EQ(caption.mid(gapStart, 17), QString(17, QLatin1Char(' ')));
        ASSERT_NE(caption.at(gapEnd), QLatin1Char(' '));
        EXPECT_GE(box->x(), textLeft + fm.horizontalAdvance(caption.left(gapStart)));
        EXPECT_LE(box->geometry().right(), textLeft + fm.horizontalAdvance(caption.left(gapEnd)));
        EXPECT_GT(box->width(), fm.horizontalAdvance(QStringLiteral("99")));
        EXPECT_TRUE(owner->geometry().contains(box->geometry()));
    }
}

TEST_P(WindowLayout, FoldingKeepsTheCompactAndFullHeightsApart)
{
    Harness h;
    tarvo::Form1 &f = h.start();
    EXPECT_TRUE(f.isCompact());
    const int compact = f.height();
    f.Details_Click();
    EXPECT_FALSE(f.isCompact());
    EXPECT_GT(f.height(), compact * 2);
    f.Details_Click();
    EXPECT_EQ(f.height(), compact);
}

INSTANTIATE_TEST_SUITE_P(Scales, WindowLayout, ::testing::Values(1.0, 1.25, 1.5));
