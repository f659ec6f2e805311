#pragma once

#include "platform/UserPrompt.h"

class QWidget;

// Message and input boxes shown with QMessageBox and QInputDialog over a parent window.
class QtUserPrompt final : public UserPrompt {
public:
    explicit QtUserPrompt(QWidget* parent = nullptr);

    void setParentWindow(QWidget* parent) { m_parent = parent; }

    PromptAnswer message(const QString& text,
                         const QString& title,
                         PromptIcon icon,
                         PromptButtons buttons,
                         PromptAnswer defaultAnswer) override;
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& preset) override;

    // The text as the box shows it: lines end in LF, and a text too long for the screen (one that quotes a
    // huge value or name) keeps its beginning and its end, which says what went wrong, around an ellipsis.
    static QString displayText(const QString& text);
    // The caption of every Cancel button of these boxes, as the program's messages name it.
    static QString cancelText();

private:
    QWidget* m_parent;
};
