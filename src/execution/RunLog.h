#pragma once

#include <QString>
#include <QStringBuilder>

// Appends lines to a log whose lines end with CR LF. The parts of a line are written straight into the
// log, in one append, so that no line is put together on its own first.
class RunLog final {
public:
    explicit RunLog(QString& text)
        : m_text(text) {}

    template <typename... Parts> void line(const Parts&... parts) { m_text += (... % parts) % QLatin1String("\r\n"); }
    void emptyLine() { m_text.append(QLatin1String("\r\n")); }
    // Text without a line end of its own.
    void append(const QString& text) { m_text += text; }

private:
    QString& m_text;
};
