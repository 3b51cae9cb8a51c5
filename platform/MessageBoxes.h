#pragma once

#include <QString>

class QDialog;

namespace platform {

// Message boxes in the program's terms: a button set, an icon and a modality
// in one style word, and the pressed button as the answer.
namespace mb {
// Button sets
constexpr int OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
// Icons
constexpr int NoIcon = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64;
// Modality
constexpr int ApplicationModal = 0, SystemModal = 4096;
// Answers
constexpr int Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
constexpr int ButtonsMask = 0x7;
constexpr int IconMask = 0x70;
} // namespace mb

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // Shows `prompt` and waits for the user; an empty title means the
    // program's own title. Returns one of mb::Answer.
    virtual int msgBox(const QString &prompt, int style = mb::OkOnly, const QString &title = QString()) = 0;

    // Shows a window of the program modally and returns when it is closed.
    virtual void showModal(QDialog &dialog) = 0;
};

} // namespace platform
