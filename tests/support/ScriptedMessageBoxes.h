#pragma once

#include "platform/MessageBoxes.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace testing_support {

// What a message box showed.
struct ShownBox {
    QString prompt;
    int style = 0;
    QString title;
    int buttons() const { return style & platform::mb::ButtonsMask; }
    int icon() const { return style & platform::mb::IconMask; }
    bool systemModal() const { return style & platform::mb::SystemModal; }
};

// The user at the screen, scripted: every box is recorded, and each one takes
// the next queued answer. A box with no answer queued, or an answer nobody
// asked for, fails the test.
class ScriptedMessageBoxes : public platform::MessageBoxes {
public:
    ~ScriptedMessageBoxes() override;

    void answer(int answer) { m_answers.push_back(answer); }
    // What to do with the next modal window (fill it in and close it).
    void onModal(std::function<void(QDialog &)> handler) { m_modal.push_back(std::move(handler)); }

    int msgBox(const QString &prompt, int style, const QString &title) override;
    void showModal(QDialog &dialog) override;

    // Runs while each box is up, before it is answered.
    std::function<void(const ShownBox &)> whileShown;

    const std::vector<ShownBox> &shown() const { return m_shown; }
    std::vector<QString> titles() const;
    void clear() { m_shown.clear(); }
    // Fails the test if answers are still waiting; called by the destructor
    // too, and by tests that want to know at a given point.
    void verifyAllUsed();

private:
    std::deque<int> m_answers;
    std::deque<std::function<void(QDialog &)>> m_modal;
    std::vector<ShownBox> m_shown;
};

} // namespace testing_support
