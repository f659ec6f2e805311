#include "platform/ui/QtUserPrompt.h"

#include <QInputDialog>
#include <QMessageBox>

namespace {

QString forDisplay(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QMessageBox::Icon toQtIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQtButton(PromptAnswer answer) {
    switch (answer) {
    case PromptAnswer::Cancel:
        return QMessageBox::Cancel;
    case PromptAnswer::Yes:
        return QMessageBox::Yes;
    case PromptAnswer::No:
        return QMessageBox::No;
    case PromptAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

} // namespace

QtUserPrompt::QtUserPrompt(QWidget* parent)
    : m_parent(parent) {}

PromptAnswer QtUserPrompt::message(
    const QString& text, const QString& title, PromptIcon icon, PromptButtons buttons, PromptAnswer defaultAnswer) {
    QMessageBox box(toQtIcon(icon), title, forDisplay(text), QMessageBox::NoButton, m_parent);
    switch (buttons) {
    case PromptButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case PromptButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case PromptButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    box.setDefaultButton(toQtButton(defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Cancel:
        return PromptAnswer::Cancel;
    default:
        break;
    }
    // Closing a question box with Escape or the close box is the safe answer.
    if (buttons == PromptButtons::YesNo && box.clickedButton() == nullptr)
        return PromptAnswer::No;
    return buttons == PromptButtons::OkCancel && box.clickedButton() == nullptr ? PromptAnswer::Cancel
                                                                                : PromptAnswer::Ok;
}

std::optional<QString> QtUserPrompt::input(const QString& prompt, const QString& title, const QString& preset) {
    bool ok = false;
    QString answer = QInputDialog::getText(m_parent, title, forDisplay(prompt), QLineEdit::Normal, preset, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}
