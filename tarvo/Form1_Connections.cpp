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

void Form1::LoadConnection()
{
    trapped(*this, 1, 44, [&] {
        const QString first = Con->count() > 0 ? Con->itemText(0) : QString();
        const rt::Value last = settings->field(3);
        if (last.isNull()) {
            Usetting(3, first);
        } else {
            bool listed = false;
            for (int i = 0; i < Con->count() && !listed; ++i)
                listed = Con->itemText(i) == last.toString();
            if (!listed)
                Usetting(3, first);
        }
        const rt::Value stored = settings->field(3);
        setConText(stored.isNull() ? QString() : stored.toString(), false);
        Con_Change();
    });
}

void Form1::Con_Click()
{
    trapped(*this, 1, 10, [&] {
        Usetting(3, conText());
        Con_Change();
    });
}

void Form1::Con_KeyDown(int, int)
{
    trapped(*this, 1, 11, [&] { ConTextBefore = conText(); });
}

void Form1::Con_KeyUp(int KeyCode, int)
{
    trapped(*this, 1, 12, [&] {
        setConText(ConTextBefore, false);
        if (KeyCode == 13)
            return;
        MessageOpen = true;
        m_platform.boxes.msgBox(QStringLiteral(" You Cannot Edit Here "), platform::mb::OkOnly);
        const rt::Value last = settings->field(3);
        setConText(last.isNull() ? QString() : last.toString(), false);
        MessageOpen = false;
    });
}

void Form1::Label5_MouseMove(int, int, int, int)
{
    trapped(*this, 1, 25, [&] {
        if (!Con->isEnabled())
            return;
        int rebuild = 0;
        module1().ReadReg(rebuild);
    });
}

bool Form1::ConOp(int action, const QString &search, int Index)
{
    return trapped(*this, 1, 23, false, [&] {
        auto find = [&] {
            for (int i = 0; i < Con->count(); ++i) {
                if (Con->itemText(i) == search) {
                    ConOpIndex = i;
                    return true;
                }
            }
            return false;
        };
        switch (action) {
        case 0:
            return find();
        case 1:
            if (!find())
                return false;
            setConText(Con->itemText(ConOpIndex));
            return true;
        case 2:
            if (find()) {
                const QSignalBlocker quiet(Con);
                const QString text = Con->currentText();
                Con->removeItem(ConOpIndex);
                Con->setEditText(text);
            }
            return false;
        case 3:
            addConListItem(search);
            return false;
        case 4:
            if (Index < 0 || Index >= Con->count())
                rt::raise(381, QStringLiteral("Invalid property array index"));
            setConText(Con->itemText(Index));
            return true;
        case 5:
            setConText(search);
            return false;
        default:
            return false;
        }
    });
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Con->lineEdit()) {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            int code = key->key();
            if (code == Qt::Key_Return || code == Qt::Key_Enter)
                code = 13;
            const int shift = int(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
            if (event->type() == QEvent::KeyPress)
                Con_KeyDown(code, shift);
            else if (!key->isAutoRepeat())
                Con_KeyUp(code, shift);
            // The key still reaches the box; the release puts the text back.
            return false;
        }
    } else if (watched == Label5 && event->type() == QEvent::MouseMove) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint p = mouse->position().toPoint();
        Label5_MouseMove(int(mouse->buttons()), int(mouse->modifiers()), p.x() * 15, p.y() * 15);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tarvo
