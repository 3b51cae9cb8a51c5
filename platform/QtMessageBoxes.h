#pragma once

#include "platform/MessageBoxes.h"

namespace platform {

class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QString programTitle) : m_title(std::move(programTitle)) {}
    int msgBox(const QString &prompt, int style, const QString &title) override;
    void showModal(QDialog &dialog) override;

private:
    QString m_title;
};

} // namespace platform
