#pragma once

#include <QString>

// Appends lines to a log whose lines end with CR LF.
class RunLog final {
public:
    explicit RunLog(QString& text)
        : m_text(text) {}

    void line(const QString& text) { m_text += text + QStringLiteral("\r\n"); }
    void emptyLine() { m_text += QStringLiteral("\r\n"); }
    // Text without a line end of its own.
    void append(const QString& text) { m_text += text; }

private:
    QString& m_text;
};
