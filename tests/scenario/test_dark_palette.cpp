// Every window read under a dark desktop: each one is rendered as it is
// shown and every text in it is measured against what is painted behind it
// (WCAG's contrast ratio, at least 4.5:1). The colours the program picks
// itself must stay readable whatever the desktop's palette is, and look as
// designed on a light one.
#include "StartedTarvo.h"
#include "SYSTRAY/TarvoTrayCtl.h"
#include "tarvo/Form1.h"
#include "tarvo/Form2.h"
#include "tarvo/Form3.h"
#include "tarvo/Form4.h"
#include "tarvo/Form5.h"
#include "tarvo/Form6.h"
#include "tarvo/Form8.h"
#include "tarvo/frmAbout.h"
#include "tarvo/frmLogin.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTest>
#include <gtest/gtest.h>
#include <cmath>
#include <iostream>
#include <map>

using namespace testing_support;
using rt::DateTime;
namespace Track = tarvo::Track;

namespace {

constexpr double kReadable = 4.5;

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(QRgb c)
{
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The palette a dark desktop gives Fusion: light text on dark surfaces.
QPalette darkPalette()
{
    QPalette p;
    const QColor window(53, 53, 53);
    const QColor base(35, 35, 35);
    const QColor text(232, 232, 232);
    const QColor dimmed(127, 127, 127);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, dimmed);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Link, QColor(42, 130, 218));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::Light, QColor(90, 90, 90));
    p.setColor(QPalette::Midlight, QColor(75, 75, 75));
    p.setColor(QPalette::Mid, QColor(40, 40, 40));
    p.setColor(QPalette::Dark, QColor(25, 25, 25));
    p.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dimmed);
    return p;
}

// Where a widget draws its text, in its own coordinates: what lies around
// it (a box's tick mark, a field's frame) is no text.
QRect textArea(const QWidget *w)
{
    if (const auto *box = qobject_cast<const QCheckBox *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(box);
        opt.text = box->text();
        return box->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, box);
    }
    if (const auto *button = qobject_cast<const QPushButton *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = button->text();
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button).adjusted(2, 2, -2, -2);
    }
    if (qobject_cast<const QLineEdit *>(w))
        return w->rect().adjusted(4, 4, -4, -4);
    if (const auto *view = qobject_cast<const QAbstractItemView *>(w))
        return view->viewport()->geometry();
    return w->contentsRect();
}

bool hasText(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return !label->text().trimmed().isEmpty();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return !button->text().trimmed().isEmpty();
    if (const auto *edit = qobject_cast<const QLineEdit *>(w))
        return !edit->text().isEmpty();
    if (const auto *view = qobject_cast<const QAbstractItemView *>(w))
        return view->model() && view->model()->rowCount() > 0;
    return false;
}

struct Reading {
    QString what;
    double ratio = 0;
    QRgb back = 0;
    QRgb text = 0;
};

// The colour filling most of the area is taken as what lies behind the text,
// the pixel that stands out most from it as the text.
Reading measure(const QImage &image, const QRect &area)
{
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y))
                ++counts[image.pixel(x, y) | 0xff000000u];
    Reading r;
    int most = 0;
    for (const auto &[colour, n] : counts)
        if (n > most) {
            most = n;
            r.back = colour;
        }
    r.text = r.back;
    for (const auto &[colour, n] : counts)
        if (contrast(colour, r.back) > contrast(r.text, r.back))
            r.text = colour;
    r.ratio = contrast(r.text, r.back);
    return r;
}

QString nameOf(const QWidget *w)
{
    QString text;
    if (const auto *label = qobject_cast<const QLabel *>(w))
        text = label->text();
    else if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        text = button->text();
    else if (const auto *edit = qobject_cast<const QLineEdit *>(w))
        text = edit->text();
    return QString::fromLatin1(w->metaObject()->className()) + QStringLiteral(" \"") + text.simplified().left(40)
        + QStringLiteral("\"");
}

// Every visible, enabled text of `window` as it is painted now. A greyed
// control need not stand out (it cannot be used), so it is left out.
std::vector<Reading> readTexts(QWidget &window)
{
    QCoreApplication::processEvents();
    const QImage image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::vector<Reading> readings;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (!w->isVisible() || !w->isEnabled() || !hasText(w) || w->window() != &window)
            continue;
        QRect area = textArea(w);
        area.moveTopLeft(w->mapTo(&window, area.topLeft()));
        // Folded away out of the window: not on the screen.
        area = area.intersected(image.rect());
        if (area.isEmpty())
            continue;
        Reading r = measure(image, area);
        r.what = nameOf(w);
        readings.push_back(r);
    }
    return readings;
}

class DarkDesktop : public StartedTarvo {
protected:
    void SetUp() override
    {
        m_style = QApplication::style()->name();
        m_palette = QApplication::palette();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
        StartedTarvo::SetUp();
        h.clock.set(DateTime::fromParts(2026, 12, 9, 10, 0, 0));
        f->setConText(QStringLiteral("Home"));
    }
    void TearDown() override
    {
        QApplication::setStyle(QStyleFactory::create(m_style));
        QApplication::setPalette(m_palette);
    }

    // Every text of the window readable; the lowest ratio is reported.
    void expectReadable(QWidget &window, const QString &state)
    {
        const std::vector<Reading> readings = readTexts(window);
        ASSERT_FALSE(readings.empty()) << state.toStdString();
        double lowest = 1e9;
        for (const Reading &r : readings) {
            lowest = std::min(lowest, r.ratio);
            EXPECT_GE(r.ratio, kReadable) << state.toStdString() << ": " << r.what.toStdString() << " text #"
                                          << std::hex << (r.text & 0xffffff) << " on #" << (r.back & 0xffffff);
        }
        std::cout << "[ contrast ] " << state.toStdString() << ": lowest " << lowest << " of " << readings.size()
                  << " texts\n";
    }

    void logSessions()
    {
        for (int i = 0; i < 3; ++i) {
            f->track->addNew();
            f->track->setField(Track::SessionDate, DateTime::fromParts(2026, 12, 1 + i));
            f->track->setField(Track::Minutes, 30 + i);
            f->track->setField(Track::SessionCost, 1.5);
            f->track->setField(Track::Connection, QStringLiteral("Home"));
            f->track->setField(Track::StartTime, DateTime::fromParts(1899, 12, 30, 9, 0, 0));
            f->track->setField(Track::EndTime, DateTime::fromParts(1899, 12, 30, 9, 30, 0));
            f->track->setField(Track::Rate, 3.0);
            f->track->update();
        }
    }

private:
    QString m_style;
    QPalette m_palette;
};

} // namespace

TEST_F(DarkDesktop, MainWindowFoldedAndUnfoldedAboutAndHelpTexts)
{
    f->show();
    expectReadable(*f, QStringLiteral("main window, folded"));
    f->Details_Click();
    ASSERT_FALSE(f->isCompact());
    expectReadable(*f, QStringLiteral("main window, unfolded"));

    h.boxes.onModal([&](QDialog &about) {
        expectReadable(about, QStringLiteral("about box"));
        h.boxes.onModal([&](QDialog &help) { expectReadable(help, QStringLiteral("help, tips")); });
        static_cast<tarvo::frmAbout &>(about).cmdTips->click();
        h.boxes.onModal([&](QDialog &help) { expectReadable(help, QStringLiteral("help, licence")); });
        static_cast<tarvo::frmAbout &>(about).cmdLicence->click();
    });
    f->About_Click();
}

TEST_F(DarkDesktop, TrayMenuPlainLitAndWithItsTimeBoxAndTheStatusWindow)
{
    onlineInTray();
    rightClickIcon();
    tarvo::Form3 *menu = f->loadedWindow<tarvo::Form3>();
    ASSERT_TRUE(menu && menu->isVisible());
    expectReadable(*menu, QStringLiteral("tray menu"));
    for (QWidget *item : std::initializer_list<QWidget *>{menu->Label1, menu->Check1, menu->Label2}) {
        QTest::mouseMove(item, QPoint(3, 3));
        expectReadable(*menu, QStringLiteral("tray menu, lit: ") + nameOf(item));
    }
    QTest::mouseClick(menu->Label8, Qt::LeftButton);
    QTest::keyClicks(menu->Text1, QStringLiteral("7:15 am"));
    expectReadable(*menu, QStringLiteral("tray menu, time box"));

    menu->Check2->click();
    tarvo::Form6 *status = f->loadedWindow<tarvo::Form6>();
    ASSERT_TRUE(status && status->isVisible());
    expectReadable(*status, QStringLiteral("status window"));
}

TEST_F(DarkDesktop, QuestionWindowEveryTextAndBothFlashColours)
{
    // A line brought up outside Tarvo: offered, then flashed tick by tick.
    f->options.monitorOff = false;
    h.desktop.open(QStringLiteral("Connected to Home"));
    f->KeepOnline_Timer();
    tarvo::Form5 &question = f->window<tarvo::Form5>();
    ASSERT_TRUE(question.isVisible());
    ASSERT_FALSE(question.Label1->isHidden());
    expectReadable(question, QStringLiteral("question, live line"));
    const QColor first = tarvo::Form5::background(question.Label1);
    f->KeepOnline_Timer();
    const QColor second = tarvo::Form5::background(question.Label1);
    EXPECT_NE(first, second);
    expectReadable(question, QStringLiteral("question, live line flashed"));
    f->KeepOnline_Timer();
    EXPECT_EQ(tarvo::Form5::background(question.Label1), first);
    question.Com[0]->click();

    // The same texts on the other labels, as the other questions show them.
    for (QLabel *label : {question.Label2, question.Label5, question.Label6}) {
        for (QLabel *l : {question.Label1, question.Label2, question.Label5, question.Label6})
            l->setHidden(l != label);
        question.show();
        expectReadable(question, QStringLiteral("question: ") + nameOf(label));
        question.flash(label);
        expectReadable(question, QStringLiteral("question flashed: ") + nameOf(label));
        question.flash(label);
        question.hide();
    }
}

TEST_F(DarkDesktop, CredentialsWithAndWithoutAStoredPasswordMaskedAndPlain)
{
    for (const bool stored : {false, true}) {
        if (stored) {
            f->Ucinfo(tarvo::ConInfo::UserName, QStringLiteral("ann"), tarvo::UcinfoEditFound,
                      tarvo::ConInfo::ConName, QStringLiteral("Home"));
            f->Ucinfo(tarvo::ConInfo::Password, f->ProcessPwd(QStringLiteral("abc"), tarvo::PwdScramble),
                      tarvo::UcinfoEditFound, tarvo::ConInfo::ConName, QStringLiteral("Home"));
        }
        const QString state = stored ? QStringLiteral("credentials, password stored")
                                     : QStringLiteral("credentials, none stored");
        h.boxes.onModal([&](QDialog &dialog) {
            auto &login = static_cast<tarvo::frmLogin &>(dialog);
            EXPECT_EQ(login.passwordStoredLook(), stored);
            login.txtUserName->setText(QStringLiteral("ann"));
            expectReadable(login, state);
            // Typed over: the box keeps its look while the new one is typed.
            QTest::keyClicks(login.txtPassword, QStringLiteral("WWWW"));
            expectReadable(login, state + QStringLiteral(", typed, masked"));
            login.Check1->click();
            expectReadable(login, state + QStringLiteral(", typed, plain"));
            login.cmdCancel->click();
        });
        f->UserPwd_Click();
    }
}

TEST_F(DarkDesktop, UsageLogWithASelectionAndMoreSettings)
{
    logSessions();
    h.boxes.onModal([&](QDialog &dialog) {
        auto &viewer = static_cast<tarvo::Form4 &>(dialog);
        expectReadable(viewer, QStringLiteral("usage log"));
        QListView *dates = viewer.List1[0];
        QTest::mouseClick(dates->viewport(), Qt::LeftButton, {}, dates->visualRect(dates->model()->index(0, 0)).center());
        expectReadable(viewer, QStringLiteral("usage log, a row selected"));
        viewer.ok->click();
    });
    f->Usage_Click();

    h.boxes.onModal([&](QDialog &dialog) {
        auto &more = static_cast<tarvo::Form8 &>(dialog);
        more.Track->setChecked(true);
        more.AlarmStart->setChecked(true);
        more.CPerHr->setText(QStringLiteral("3"));
        expectReadable(more, QStringLiteral("more settings"));
        more.Com[1]->click();
    });
    f->Settings_Click();
}

// ----------------------------------------------- on the light desktop

using LightDesktop = StartedTarvo;

TEST_F(LightDesktop, ChosenColoursAreAsDesignedWithTheDesktopsOwnText)
{
    const QPalette desktop = QApplication::palette();
    tarvo::Form5 &question = f->window<tarvo::Form5>();
    EXPECT_EQ(tarvo::Form5::background(question.Label3), QColor(255, 255, 128));
    EXPECT_EQ(tarvo::Form5::background(question.Label4), QColor(255, 255, 255));
    for (QLabel *label : {question.Label1, question.Label2}) {
        EXPECT_EQ(tarvo::Form5::background(label), QColor(255, 255, 255));
        EXPECT_EQ(tarvo::Form5::foreground(label), desktop.color(QPalette::WindowText));
        question.flash(label);
        EXPECT_TRUE(question.flashed(label));
        EXPECT_EQ(tarvo::Form5::background(label), QColor(255, 255, 128));
        EXPECT_EQ(tarvo::Form5::foreground(label), desktop.color(QPalette::WindowText));
    }

    for (const bool stored : {true, false}) {
        h.boxes.onModal([&](QDialog &dialog) {
            auto &login = static_cast<tarvo::frmLogin &>(dialog);
            login.showPasswordStored(stored);
            const QPalette box = login.txtPassword->palette();
            EXPECT_EQ(box.color(QPalette::Base), stored ? QColor(0xC0, 0xFF, 0xFF) : desktop.color(QPalette::Base));
            EXPECT_EQ(box.color(QPalette::Text), desktop.color(QPalette::Text));
            EXPECT_EQ(login.passwordStoredLook(), stored);
            login.cmdCancel->click();
        });
        f->UserPwd_Click();
    }
}
