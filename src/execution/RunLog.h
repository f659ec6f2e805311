#pragma once

#include "execution/RenamePlan.h"

#include <QString>

// Appends lines to a log whose lines end with CR LF. The parts of a line are written straight into the
// log, one after another, so that no line is put together on its own first. (Appending a whole line as a
// string builder would do that too, but Qt 6.4 then doubles the room once the log fills half of it: a log
// reserved for its run would be copied into twice the memory half way through.)
class RunLog final {
public:
    explicit RunLog(QString& text)
        : m_text(text) {}

    template <typename... Parts> void line(const Parts&... parts) {
        (m_text.append(parts), ...);
        m_text.append(QLatin1String("\r\n"));
    }
    void emptyLine() { m_text.append(QLatin1String("\r\n")); }
    // Text without a line end of its own.
    void append(const QString& text) { m_text += text; }
    // Makes room at once for the lines a run usually writes for each file of the plan, its old path and where it
    // went, so that a long log is not copied again and again as it grows.
    void reserveFor(const RenamePlan& plan) {
        // "* ", "移動：" and the line ends around them
        constexpr qsizetype kAround = 16;
        qsizetype length = m_text.size();
        for (const RenameEntry& entry : plan.entries())
            length += entry.sourcePath.size() + entry.destPath.size() + kAround;
        m_text.reserve(length);
    }

private:
    QString& m_text;
};
