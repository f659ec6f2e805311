#include "platform/ui/QtUserPrompt.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {

// A message longer than this, in characters or lines, loses its middle.
constexpr qsizetype kMaxCharacters = 1500;
constexpr qsizetype kMaxLines = 40;
// What is kept of each end, in characters and lines, whichever ends first.
constexpr qsizetype kKeptCharacters = 600;
constexpr qsizetype kKeptLines = 15;

bool splitsPair(const QString& text, qsizetype at) {
    return at > 0 && at < text.size() && text.at(at - 1).isHighSurrogate() && text.at(at).isLowSurrogate();
}

// Where the beginning that is kept ends.
qsizetype headEnd(const QString& text) {
    qsizetype end = 0;
    for (qsizetype lines = 0; lines < kKeptLines; ++lines) {
        const qsizetype feed = text.indexOf(QLatin1Char('\n'), end);
        if (feed < 0 || feed >= kKeptCharacters)
            break;
        end = feed + 1;
    }
    if (end == 0)
        end = kKeptCharacters;
    return splitsPair(text, end) ? end - 1 : end;
}

// Where the end that is kept starts.
qsizetype tailStart(const QString& text) {
    const qsizetype limit = text.size() - kKeptCharacters;
    qsizetype start = text.size();
    for (qsizetype lines = 0; lines < kKeptLines; ++lines) {
        const qsizetype feed = start > 1 ? text.lastIndexOf(QLatin1Char('\n'), start - 2) : -1;
        if (feed < 0 || feed < limit)
            break;
        start = feed + 1;
    }
    if (start == text.size())
        start = limit;
    return splitsPair(text, start) ? start + 1 : start;
}

} // namespace

QString QtUserPrompt::cancelText() {
    return QCoreApplication::translate("QtUserPrompt", "ｷｬﾝｾﾙ");
}

QString QtUserPrompt::displayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.size() <= kMaxCharacters && shown.count(QLatin1Char('\n')) < kMaxLines)
        return shown;
    return shown.left(headEnd(shown)) + QStringLiteral("\n\u2026\n") + shown.mid(tailStart(shown));
}

namespace {

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
    QString shown = displayText(text);
    // Line ends that close the last entry would only leave an empty space above the buttons.
    while (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    QMessageBox box(toQtIcon(icon), title, shown, QMessageBox::NoButton, m_parent);
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
    // The program's texts name this button "ｷｬﾝｾﾙ", so it shows that rather than Qt's own wording.
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
        cancel->setText(cancelText());
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
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(preset);
    dialog.setCancelButtonText(cancelText());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
