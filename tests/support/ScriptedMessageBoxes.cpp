#include "ScriptedMessageBoxes.h"

#include <QDialog>
#include <gtest/gtest.h>

namespace testing_support {

ScriptedMessageBoxes::~ScriptedMessageBoxes()
{
    verifyAllUsed();
}

void ScriptedMessageBoxes::verifyAllUsed()
{
    if (!m_answers.empty())
        ADD_FAILURE() << m_answers.size() << " scripted message-box answer(s) left over";
    if (!m_modal.empty())
        ADD_FAILURE() << m_modal.size() << " scripted modal window(s) never shown";
    m_answers.clear();
    m_modal.clear();
}

int ScriptedMessageBoxes::msgBox(const QString &prompt, int style, const QString &title)
{
    m_shown.push_back({prompt, style, title});
    if (whileShown)
        whileShown(m_shown.back());
    if (m_answers.empty()) {
        ADD_FAILURE() << "message box with no scripted answer: [" << title.toStdString() << "] "
                      << prompt.toStdString();
        return (style & platform::mb::ButtonsMask) == platform::mb::OkOnly ? platform::mb::Ok : platform::mb::Cancel;
    }
    const int a = m_answers.front();
    m_answers.pop_front();
    return a;
}

void ScriptedMessageBoxes::showModal(QDialog &dialog)
{
    if (m_modal.empty()) {
        ADD_FAILURE() << "modal window with no scripted handling: " << dialog.windowTitle().toStdString();
        return;
    }
    auto handler = std::move(m_modal.front());
    m_modal.pop_front();
    dialog.show();
    handler(dialog);
    dialog.hide();
}

std::vector<QString> ScriptedMessageBoxes::titles() const
{
    std::vector<QString> t;
    for (const ShownBox &b : m_shown)
        t.push_back(b.title);
    return t;
}

} // namespace testing_support
