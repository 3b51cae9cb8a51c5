#include "tarvo/Form3.h"

#include "SYSTRAY/TarvoTrayCtl.h"
#include "runtime/Format.h"
#include "runtime/Parse.h"
#include "tarvo/Codes.h"
#include "tarvo/Form1.h"
#include "tarvo/Form6.h"
#include "tarvo/Form8.h"
#include "tarvo/Module1.h"
#include "tarvo/SettingsTable.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <initializer_list>

namespace tarvo {

namespace {

// Procedure numbers of this window in the error log.
enum {
    PForm_Load = 1,
    PForm_Activate,
    PForm_Unload,
    PCombo1_Click,
    PCombo1_KeyDown,
    PCombo1_KeyUp,
    PLabel1_MouseUp,
    PLabel6_Click,
    PLabel5_Click,
    PLabel2_Click,
    PCheck1_Click,
    PCheck2_Click,
    PLabel8_Click,
    PText1_Change,
    PText1_KeyUp,
    PText1_LostFocus,
    PLabel1_MouseMove,
    PLabel2_MouseMove,
    PLabel5_MouseMove,
    PLabel6_MouseMove,
    PLabel8_MouseMove,
    PCheck1_MouseMove,
    PCheck2_MouseMove,
    PForm_MouseMove,
    PLabel9_MouseMove,
    PFrame1_MouseMove,
};

// Key codes as the handlers know them.
constexpr int kBackspaceKey = 8;
constexpr int kEnterKey = 13;
constexpr int kDeleteKey = 46;

const QString kTimePicture = QStringLiteral("hh:nn ampm");

int keyCodeOf(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Backspace: return kBackspaceKey;
    case Qt::Key_Delete: return kDeleteKey;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kEnterKey;
    default: return key->key();
    }
}

int shiftOf(const QInputEvent *event)
{
    return int(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

// The schedule joins the time to each day's date, so a date in it would
// make a time that never comes round: only a time of day counts.
bool readsAsTime(const QString &text)
{
    return rt::parseTimeOfDay(text.trimmed()).has_value();
}

QLabel *command(DesignLayout &layout, QWidget *parent, const QString &caption, int top)
{
    auto *label = layout.place(new QLabel(caption, parent), 20, top, 146, 20);
    label->setIndent(8);
    label->setAutoFillBackground(true);
    label->setMouseTracking(true);
    return label;
}

QCheckBox *option(DesignLayout &layout, QWidget *parent, const QString &caption, int top)
{
    auto *box = layout.place(new QCheckBox(caption, parent), 20, top, 146, 20);
    // Lit, it takes the highlight's background as the labels do: filled
    // from the colour the items are given, not from the button colour a
    // style may fill a box with.
    box->setBackgroundRole(QPalette::Window);
    box->setAutoFillBackground(true);
    box->setMouseTracking(true);
    return box;
}

void setColours(QWidget *item, const QColor &back, const QColor &text)
{
    QPalette p = item->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, text);
    item->setPalette(p);
}

} // namespace

Form3::Form3(Form1 &main)
    : ChildWindow(main, Window::TrayMenu)
{
    setWindowTitle(QStringLiteral("Tarvo - Menu"));
    // A menu: above everything, and closed by its own commands rather than
    // from the title bar.
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(false);
    setMouseTracking(true);

    Label9 = m_layout.place(new QLabel(this), 0, 0, 14, 262);
    Label9->setAutoFillBackground(true);
    Label9->setMouseTracking(true);

    Frame1 = m_layout.place(new QFrame(this), 20, 4, 146, 64);
    Frame1->setFrameShape(QFrame::StyledPanel);
    Frame1->setMouseTracking(true);
    m_frameCaption = m_layout.place(new QLabel(QStringLiteral("Connection"), Frame1), 6, 2, 100, 16);
    Combo1 = m_layout.place(new QComboBox(Frame1), 6, 19, 134, 22);
    // Editable so that any name the main window holds can be shown, but
    // nothing typed ever lands in it.
    Combo1->setEditable(true);
    Combo1->lineEdit()->setReadOnly(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    m_frameCaption->setBuddy(Combo1);
    Label7 = m_layout.place(new QLabel(Frame1), 6, 43, 134, 18);

    Label1 = command(m_layout, this, QStringLiteral("Go Online"), 72);
    Label6 = command(m_layout, this, QStringLiteral("Show Main"), 94);
    Check1 = option(m_layout, this, QStringLiteral("Reconnect"), 116);
    Check1->setToolTip(QStringLiteral("If Suddenly Disconnected"));
    Check2 = option(m_layout, this, QStringLiteral("Status Window"), 138);
    Label8 = command(m_layout, this, QStringLiteral("Auto Disconnect At"), 160);
    Text1 = m_layout.place(new QLineEdit(this), 30, 182, 100, 22);
    // One time sets both the connect and the disconnect time.
    Text1->setAccessibleName(QStringLiteral("Auto Connection And Disconnection Time"));
    Line1 = m_layout.place(new QFrame(this), 20, 209, 146, 3);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Label5 = command(m_layout, this, QStringLiteral("Hide"), 214);
    Label5->setToolTip(QStringLiteral("Hide This Menu"));
    Label2 = command(m_layout, this, QStringLiteral("Quit"), 236);
    Label2->setToolTip(QStringLiteral("Exit Tarvo"));

    // Only their colours are used.
    Label3 = new QLabel(this);
    Label4 = new QLabel(this);
    Label3->hide();
    Label4->hide();
    setColours(Label3, palette().color(QPalette::Button), palette().color(QPalette::ButtonText));
    setColours(Label4, QColor(0, 0, 128), QColor(0, 255, 255));
    setColours(Label9, background(Label4), foreground(Label4));
    highlight(nullptr);

    // The placement puts the menu's corner off the pointer from its size
    // before it is shown, so the size is final here: fitted to the longest
    // captions the items take at run time.
    Label1->setText(QStringLiteral("Go Offline"));
    Label8->setText(timedCaption(true, true, false));
    m_layout.fit();
    Label1->setText(QStringLiteral("Go Online"));
    Label8->setText(QStringLiteral("Auto Disconnect At"));
    setFixedSize(m_layout.toPixels(QSize(170, 262)));

    connect(Combo1, qOverload<int>(&QComboBox::activated), this, [this] { Combo1_Click(); });
    // The options follow their boxes' values, whoever sets them; a value set
    // to what it already is changes nothing and runs nothing.
    connect(Check1, &QCheckBox::toggled, this, &Form3::Check1_Click);
    connect(Check2, &QCheckBox::toggled, this, &Form3::Check2_Click);
    connect(Text1, &QLineEdit::textChanged, this, &Form3::Text1_Change);

    for (QObject *watched : std::initializer_list<QObject *>{Label1, Label2, Label5, Label6, Label8, Check1, Check2,
                                                             Label9, Frame1, Combo1, Combo1->lineEdit(), Text1})
        watched->installEventFilter(this);

    Form_Load();
}

QString Form3::goOfflineCaption()
{
    return QStringLiteral("Go Offline");
}

QString Form3::timedCaption(bool armed, bool online, bool clicked)
{
    if (!armed)
        return online ? QStringLiteral("Auto Disconnect At") : QStringLiteral("Auto Connection At");
    if (!online)
        return QStringLiteral("Cancel Auto Connect");
    return clicked ? QStringLiteral("Cancel Auto Disconnect") : QStringLiteral("Cancel Auto DisConnect");
}

QColor Form3::background(const QWidget *item)
{
    return item->palette().color(QPalette::Window);
}

QColor Form3::foreground(const QWidget *item)
{
    return item->palette().color(QPalette::WindowText);
}

std::array<QWidget *, 7> Form3::items() const
{
    return {Label1, Label6, Check1, Check2, Label8, Label5, Label2};
}

void Form3::highlight(QWidget *lit)
{
    m_lit = lit;
    for (QWidget *item : items()) {
        const QLabel *from = item == lit ? Label4 : Label3;
        setColours(item, background(from), foreground(from));
    }
}

bool Form3::online() const
{
    return Label1->text() == goOfflineCaption();
}

void Form3::closeMenu()
{
    m_main.unloadWindowLater<Form3>();
}

// ------------------------------------------------------------- lifecycle

void Form3::Form_Load()
{
    trap(PForm_Load, [&] { showTimedAction(true); });
}

void Form3::showEvent(QShowEvent *event)
{
    ChildWindow::showEvent(event);
    Form_Activate();
}

void Form3::Form_Activate()
{
    trap(PForm_Activate, [&] {
        const QString name = m_main.conText();
        {
            const QSignalBlocker quiet(Combo1);
            Combo1->clear();
            for (int i = 0; i < m_main.Con->count(); ++i)
                Combo1->addItem(m_main.Con->itemText(i));
            Combo1->setEditText(name);
        }
        Label7->setText(name);

        if (!m_main.inTray(m_main.TrayView2)) {
            Check2->setEnabled(false);
        } else {
            Check2->setEnabled(true);
            const Form6 *status = m_main.loadedWindow<Form6>();
            Check2->setChecked(status && status->isVisible());
        }

        Check1->setChecked(m_main.Atrec->isChecked());
        Combo1->setEnabled(!m_main.isDialing());
        showTimedAction(false);
    });
}

void Form3::showTimedAction(bool loading)
{
    Form8 &more = m_main.window<Form8>();
    const bool armed = more.AlarmStart->isChecked();
    Label8->setText(timedCaption(armed, online(), false));
    if (armed) {
        Text1->show();
        QString text = more.Alarm[1]->text();
        if (loading)
            text = rt::format(rt::Value(text), kTimePicture);
        // Only shown: opening the menu must not store the disconnect time
        // over the connect time.
        const QSignalBlocker quiet(Text1);
        Text1->setText(text);
    } else if (loading) {
        Text1->hide();
    }
}

void Form3::Form_Unload()
{
    trap(PForm_Unload, [&] {
        if (!readsAsTime(Text1->text()))
            Text1->hide();
    });
}

void Form3::closeEvent(QCloseEvent *event)
{
    // Closed by the desktop (Alt+F4) rather than by the program: unloaded
    // all the same, so the next opening starts afresh.
    if (event->spontaneous() && m_main.loadedWindow<Form3>() == this)
        m_main.unloadWindowLater<Form3>();
    Form_Unload();
    ChildWindow::closeEvent(event);
}

void Form3::keyPressEvent(QKeyEvent *event)
{
    if (menuKey(event))
        return;
    ChildWindow::keyPressEvent(event);
}

bool Form3::menuKey(const QKeyEvent *key)
{
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Escape:
        // Dismissed as a menu is: unloaded, not just hidden.
        Label5_Click();
        return true;
    case Qt::Key_Up:
        lightNext(-1);
        return true;
    case Qt::Key_Down:
        lightNext(1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter ends a time being typed; it is no command.
        if (Text1->hasFocus())
            return false;
        actOnLit();
        return true;
    default:
        return false;
    }
}

void Form3::lightNext(int step)
{
    const std::array<QWidget *, 7> all = items();
    const auto count = int(all.size());
    int at = -1;
    for (int i = 0; i < count; ++i)
        if (all[size_t(i)] == m_lit)
            at = i;
    // From nothing lit, Down starts at the top and Up at the bottom; the
    // ends wrap round. A greyed item lights up as it does under the mouse,
    // and does nothing.
    if (at < 0)
        at = step > 0 ? -1 : count;
    at = ((at + step) % count + count) % count;
    highlight(all[size_t(at)]);
}

void Form3::actOnLit()
{
    if (!m_lit || !m_lit->isEnabled())
        return;
    if (m_lit == Label1)
        Label1_MouseUp(int(Qt::LeftButton), 0, 0, 0);
    else if (m_lit == Label6)
        Label6_Click();
    else if (m_lit == Label5)
        Label5_Click();
    else if (m_lit == Label2)
        Label2_Click();
    else if (m_lit == Label8)
        Label8_Click();
    else if (auto *box = qobject_cast<QCheckBox *>(m_lit))
        box->click();   // toggled, then its handler, as by the mouse
}

// -------------------------------------------------------------- commands

void Form3::Combo1_Click()
{
    trap(PCombo1_Click, [&] {
        const QString name = Combo1->currentText();
        m_main.setConText(name);
        m_main.Usetting(Settings::LastConnection, name);
        Label7->setText(m_main.conText());
    });
}

void Form3::Combo1_KeyDown(int, int)
{
    trap(PCombo1_KeyDown, [&] { Combo1->setEditText(m_main.conText()); });
}

void Form3::Combo1_KeyUp(int, int)
{
    trap(PCombo1_KeyUp, [&] { Combo1->setEditText(m_main.conText()); });
}

void Form3::Label1_MouseUp(int, int, int, int)
{
    trap(PLabel1_MouseUp, [&] {
        // Closed first: going online may show a usage warning, and the tick
        // running behind it would otherwise unload the menu from under this
        // handler.
        Form1 &main = m_main;
        closeMenu();
        main.Com_Click(0);
    });
}

void Form3::Label6_Click()
{
    trap(PLabel6_Click, [&] {
        Form1 &main = m_main;
        closeMenu();
        if (main.TrayView1->InTray())
            Form1::putInTray(*main.TrayView1, false);
        else
            Form1::putInTray(*main.TrayView2, false);
        main.show();
    });
}

void Form3::Label5_Click()
{
    trap(PLabel5_Click, [&] { closeMenu(); });
}

void Form3::Label2_Click()
{
    trap(PLabel2_Click, [&] {
        // The monitor tick ends the program, never a handler of a window.
        m_main.requestQuit();
        closeMenu();
    });
}

void Form3::Check1_Click()
{
    trap(PCheck1_Click, [&] { m_main.Atrec->setChecked(Check1->isChecked()); });
}

void Form3::Check2_Click()
{
    trap(PCheck2_Click, [&] {
        const Form6 *open = m_main.loadedWindow<Form6>();
        const bool shown = open && open->isVisible();
        if (Check2->isChecked()) {
            // Loading it clears this box again when there is no session
            // to show; the box then finds it not shown, and stops there.
            if (!shown)
                m_main.window<Form6>().show();
        } else if (shown) {
            m_main.unloadWindow<Form6>();
        }
    });
}

// ------------------------------------------------------------ timed entry

void Form3::Label8_Click()
{
    trap(PLabel8_Click, [&] {
        if (!Text1->isHidden()) {
            Text1->hide();
            Label8->setText(timedCaption(false, online(), true));
            m_main.window<Form8>().AlarmStart->setChecked(false);
            m_main.Usetting(Settings::AlarmStart, 0);
            m_main.disarmSchedule();
        } else {
            Text1->show();
            Label8->setText(timedCaption(true, online(), true));
            Text1->setFocus(Qt::MouseFocusReason);
        }
    });
}

void Form3::Text1_Change()
{
    trap(PText1_Change, [&] {
        const QString text = Text1->text();
        if (!readsAsTime(text))
            return;
        // One time for both: the schedule takes the connect time while
        // offline and the disconnect time while online.
        Form8 &more = m_main.window<Form8>();
        more.Alarm[0]->setText(text);
        more.Alarm[1]->setText(text);
        more.AlarmStart->setChecked(true);
        const QString connectText = more.Alarm[0]->text();
        const QString disconnectText = more.Alarm[1]->text();
        if (connectText.isEmpty() || disconnectText.isEmpty()) {
            more.AlarmStart->setChecked(false);
            m_main.Usetting(Settings::AlarmStart, 0);
            m_main.disarmSchedule();
            return;
        }
        m_main.Usetting(Settings::AlarmStart, 1);
        m_main.Usetting(Settings::ConnectTime, connectText);
        m_main.Usetting(Settings::DisconnectTime, disconnectText);
        m_main.armSchedule(rt::Value(connectText), rt::Value(disconnectText).toDate());
    });
}

void Form3::Text1_KeyUp(int KeyCode, int)
{
    trap(PText1_KeyUp, [&] {
        // Deleting is left alone: a time cut short is still being edited.
        if (KeyCode == kDeleteKey || KeyCode == kBackspaceKey)
            return;
        const QString text = Text1->text();
        if (text.size() > 6 && readsAsTime(text))
            Text1->setText(rt::format(rt::Value(text.trimmed()), kTimePicture));
    });
}

void Form3::Text1_LostFocus()
{
    trap(PText1_LostFocus, [&] {
        if (!readsAsTime(Text1->text()))
            Text1->hide();
    });
}

// --------------------------------------------------------------- hovering

void Form3::Label1_MouseMove(int, int, int, int)
{
    trap(PLabel1_MouseMove, [&] { highlight(Label1); });
}

void Form3::Label2_MouseMove(int, int, int, int)
{
    trap(PLabel2_MouseMove, [&] { highlight(Label2); });
}

void Form3::Label5_MouseMove(int, int, int, int)
{
    trap(PLabel5_MouseMove, [&] { highlight(Label5); });
}

void Form3::Label6_MouseMove(int, int, int, int)
{
    trap(PLabel6_MouseMove, [&] { highlight(Label6); });
}

void Form3::Label8_MouseMove(int, int, int, int)
{
    trap(PLabel8_MouseMove, [&] { highlight(Label8); });
}

void Form3::Check1_MouseMove(int, int, int, int)
{
    trap(PCheck1_MouseMove, [&] { highlight(Check1); });
}

void Form3::Check2_MouseMove(int, int, int, int)
{
    trap(PCheck2_MouseMove, [&] { highlight(Check2); });
}

void Form3::Form_MouseMove(int, int, int, int)
{
    trap(PForm_MouseMove, [&] { highlight(nullptr); });
}

void Form3::Label9_MouseMove(int, int, int, int)
{
    trap(PLabel9_MouseMove, [&] { highlight(nullptr); });
    // What changed meanwhile (the line, the schedule) shows without
    // opening the menu again.
    Form_Activate();
}

void Form3::Frame1_MouseMove(int, int, int, int)
{
    // A connection made meanwhile is offered at the next activation.
    trap(PFrame1_MouseMove, [&] { m_main.module1().ReadReg(ReadConnections); });
}

// ----------------------------------------------------------------- events

void Form3::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    Form_MouseMove(int(event->buttons()), shiftOf(event), p.x(), p.y());
}

bool Form3::filterCombo(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Moving on and dismissing the menu are no attempts to edit.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape)
            return false;
        if (event->type() == QEvent::KeyPress) {
            Combo1_KeyDown(keyCodeOf(key), shiftOf(key));
            // The box is where the keyboard starts in the menu; the menu's
            // own keys work from it as from anywhere in the menu.
            menuKey(key);
        } else if (!key->isAutoRepeat()) {
            Combo1_KeyUp(keyCodeOf(key), shiftOf(key));
        }
        // The arrows and letters would pick another entry, and picking
        // one is what a click on the list does: the keyboard changes nothing.
        return true;
    }
    case QEvent::Wheel:
        // Neither does the wheel over the closed box.
        return true;
    default:
        return false;
    }
}

bool Form3::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Combo1 || (Combo1 && watched == Combo1->lineEdit()))
        return filterCombo(event) || ChildWindow::eventFilter(watched, event);

    if (watched == Text1) {
        if (event->type() == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (!key->isAutoRepeat())
                Text1_KeyUp(keyCodeOf(key), shiftOf(key));
        } else if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            // Another window taking the keyboard is not leaving the box; the
            // menu closing checks it on the way out.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !Text1->isHidden()) {
                static_cast<QObject *>(Text1)->event(event);
                Text1_LostFocus();
                return true;
            }
        }
        return ChildWindow::eventFilter(watched, event);
    }

    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return ChildWindow::eventFilter(watched, event);

    if (event->type() == QEvent::MouseMove) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint p = mouse->position().toPoint();
        const int button = int(mouse->buttons());
        const int shift = shiftOf(mouse);
        if (watched == Label1)
            Label1_MouseMove(button, shift, p.x(), p.y());
        else if (watched == Label2)
            Label2_MouseMove(button, shift, p.x(), p.y());
        else if (watched == Label5)
            Label5_MouseMove(button, shift, p.x(), p.y());
        else if (watched == Label6)
            Label6_MouseMove(button, shift, p.x(), p.y());
        else if (watched == Label8)
            Label8_MouseMove(button, shift, p.x(), p.y());
        else if (watched == Check1)
            Check1_MouseMove(button, shift, p.x(), p.y());
        else if (watched == Check2)
            Check2_MouseMove(button, shift, p.x(), p.y());
        else if (watched == Label9)
            Label9_MouseMove(button, shift, p.x(), p.y());
        else if (watched == Frame1)
            Frame1_MouseMove(button, shift, p.x(), p.y());
        else
            return ChildWindow::eventFilter(watched, event);
        // Handled here: the window beneath must not take it for a move over
        // its bare surface, which clears the highlight again. A check box
        // still follows a press dragged off it.
        return !(mouse->buttons() != Qt::NoButton && qobject_cast<QCheckBox *>(widget));
    }

    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == Label1) {
            const QPoint p = mouse->position().toPoint();
            Label1_MouseUp(int(mouse->button()), shiftOf(mouse), p.x(), p.y());
            return true;
        }
        const bool click = mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint());
        if (click && watched == Label6) {
            Label6_Click();
            return true;
        }
        if (click && watched == Label5) {
            Label5_Click();
            return true;
        }
        if (click && watched == Label2) {
            Label2_Click();
            return true;
        }
        if (click && watched == Label8) {
            Label8_Click();
            return true;
        }
    }
    return ChildWindow::eventFilter(watched, event);
}

} // namespace tarvo
