#include "platform/QtMessageBoxes.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {

struct ButtonSpec { QMessageBox::StandardButton button; int answer; };

QVector<ButtonSpec> buttonsFor(int set)
{
    switch (set) {
    case mb::OkCancel: return {{QMessageBox::Ok, mb::Ok}, {QMessageBox::Cancel, mb::Cancel}};
    case mb::AbortRetryIgnore: return {{QMessageBox::Abort, mb::Abort}, {QMessageBox::Retry, mb::Retry}, {QMessageBox::Ignore, mb::Ignore}};
    case mb::YesNoCancel: return {{QMessageBox::Yes, mb::Yes}, {QMessageBox::No, mb::No}, {QMessageBox::Cancel, mb::Cancel}};
    case mb::YesNo: return {{QMessageBox::Yes, mb::Yes}, {QMessageBox::No, mb::No}};
    case mb::RetryCancel: return {{QMessageBox::Retry, mb::Retry}, {QMessageBox::Cancel, mb::Cancel}};
    default: return {{QMessageBox::Ok, mb::Ok}};
    }
}

QMessageBox::Icon iconFor(int icon)
{
    switch (icon) {
    case mb::Critical: return QMessageBox::Critical;
    case mb::Question: return QMessageBox::Question;
    case mb::Exclamation: return QMessageBox::Warning;
    case mb::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

int QtMessageBoxes::msgBox(const QString &prompt, int style, const QString &title)
{
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? m_title : title);
    // Texts are written with CR LF line ends; a label breaks on LF alone.
    QString text = prompt;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box.setText(text);
    box.setIcon(iconFor(style & mb::IconMask));
    // System-modal boxes must not hide behind other windows.
    if (style & mb::SystemModal)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);

    const auto specs = buttonsFor(style & mb::ButtonsMask);
    for (const ButtonSpec &s : specs)
        box.addButton(s.button);
    box.setDefaultButton(specs.front().button);
    box.setEscapeButton(specs.back().button);

    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const ButtonSpec &s : specs)
        if (s.button == clicked)
            return s.answer;
    return specs.back().answer;
}

void QtMessageBoxes::showModal(QDialog &dialog)
{
    dialog.exec();
}

} // namespace platform
