// The connection box: the list of dial-up connections, the remembered
// choice, and the box's handlers.
#include "tarvo/Form1.h"

#include "tarvo/Module1.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace tarvo {

QString Form1::conText() const
{
    return Con->currentText();
}

void Form1::setConText(const QString &text, bool notify)
{
    const QString before = conText();
    {
        const QSignalBlocker quiet(Con);
        const int index = Con->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0)
            Con->setCurrentIndex(index);
        Con->setEditText(text);
    }
    // Every change of the box's text prepares the dial for the new name.
    if (notify && before != text)
        Con_Change();
}

void Form1::clearConList()
{
    const QSignalBlocker quiet(Con);
    Con->clear();
    Con->setEditText(QString());
}

void Form1::addConListItem(const QString &name)
{
    // Adding to the list never changes the box's text.
    const QSignalBlocker quiet(Con);
    const QString text = Con->currentText();
    Con->addItem(name);
    Con->setEditText(text);
}

void Form1::registerConnection(const QString &name)
{
    if (!findConInfo(ConInfo::ConName, name)) {
        conInfo->addNew();
        conInfo->setField(ConInfo::ConName, name);
        conInfo->update();
    }
    addConListItem(name);
}

void Form1::LoadConnection()
{
    trapped(*this, Window::Main, Form1Proc::LoadConnection, [&] {
        const QString first = Con->count() > 0 ? Con->itemText(0) : QString();
        const rt::Value last = settings->field(Settings::LastConnection);
        if (last.isNull()) {
            Usetting(Settings::LastConnection, first);
        } else {
            bool listed = false;
            for (int i = 0; i < Con->count() && !listed; ++i)
                listed = Con->itemText(i) == last.toString();
            if (!listed)
                Usetting(Settings::LastConnection, first);
        }
        const rt::Value stored = settings->field(Settings::LastConnection);
        setConText(stored.isNull() ? QString() : stored.toString(), false);
        Con_Change();
    });
}

void Form1::Con_Click()
{
    trapped(*this, Window::Main, Form1Proc::Con_Click, [&] {
        Usetting(Settings::LastConnection, conText());
        Con_Change();
    });
}

void Form1::Con_KeyDown(int, int)
{
    trapped(*this, Window::Main, Form1Proc::Con_KeyDown, [&] { ui.conTextBefore = conText(); });
}

void Form1::Con_KeyUp(int KeyCode, int)
{
    trapped(*this, Window::Main, Form1Proc::Con_KeyUp, [&] {
        setConText(ui.conTextBefore, false);
        if (KeyCode == kEnterKeyCode)
            return;
        ownMessage(QStringLiteral(" You Cannot Edit Here "), platform::mb::OkOnly);
        const rt::Value last = settings->field(Settings::LastConnection);
        setConText(last.isNull() ? QString() : last.toString(), false);
    });
}

void Form1::Label5_MouseMove(int, int, int, int)
{
    trapped(*this, Window::Main, Form1Proc::Label5_MouseMove, [&] {
        if (!Con->isEnabled())
            return;
        module1().ReadReg(ReadConnections);
    });
}

bool Form1::ConOp(ConOpAction action, const QString &search, int Index)
{
    return trapped(*this, Window::Main, Form1Proc::ConOp, false, [&] {
        auto find = [&] {
            for (int i = 0; i < Con->count(); ++i) {
                if (Con->itemText(i) == search) {
                    ui.conOpIndex = i;
                    return true;
                }
            }
            return false;
        };
        switch (action) {
        case ConFind:
            return find();
        case ConSelectFound:
            if (!find())
                return false;
            setConText(Con->itemText(ui.conOpIndex));
            return true;
        case ConRemove:
            if (find()) {
                const QSignalBlocker quiet(Con);
                const QString text = Con->currentText();
                Con->removeItem(ui.conOpIndex);
                Con->setEditText(text);
            }
            return false;
        case ConAdd:
            addConListItem(search);
            return false;
        case ConSelectIndex:
            if (Index < 0 || Index >= Con->count())
                rt::err::invalidPropertyArrayIndex();
            setConText(Con->itemText(Index));
            return true;
        case ConSetText:
            setConText(search);
            return false;
        default:
            return false;
        }
    });
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // A keyboard's keys reach the box itself (its line edit hands the focus
    // to it), and the box passes them on to the line edit directly, past any
    // filter: the box is where they can be seen.
    if (watched == Con) {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            int code = key->key();
            if (code == Qt::Key_Return || code == Qt::Key_Enter)
                code = kEnterKeyCode;
            const int shift = int(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
            // A modifier alone edits nothing, and a key whose press the box
            // never saw (the Tab that brought the focus here, the letter of
            // a mnemonic taken by its button) is not an attempt to edit it.
            const bool modifierOnly = key->key() == Qt::Key_Shift || key->key() == Qt::Key_Control
                || key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta || key->key() == Qt::Key_AltGr;
            if (modifierOnly)
                return false;
            if (event->type() == QEvent::KeyPress) {
                m_conKeyPressed = key->key();
                Con_KeyDown(code, shift);
            } else if (!key->isAutoRepeat() && m_conKeyPressed == key->key()) {
                m_conKeyPressed = 0;
                Con_KeyUp(code, shift);
            }
            // The key still reaches the box; the release puts the text back.
            return false;
        }
    } else if (panelEvent(watched, event)) {
        return true;
    } else if (watched == Label5 && event->type() == QEvent::MouseMove) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint p = mouse->position().toPoint();
        Label5_MouseMove(int(mouse->buttons()), int(mouse->modifiers()), p.x() * kTwipsPerPixel, p.y() * kTwipsPerPixel);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tarvo
