#pragma once

#include "UserMessages.h"

class QWidget;

// Modal message boxes on screen, titled with the application's name.
class DialogMessages : public UserMessages {
public:
    explicit DialogMessages(QWidget* parent = nullptr) : parent_(parent) {}
    MessageAnswer ask(MessageKind kind, MessageButtons buttons, const QString& text) override;
    void setParent(QWidget* parent) { parent_ = parent; }

private:
    QWidget* parent_;
};
