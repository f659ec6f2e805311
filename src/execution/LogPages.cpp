#include "execution/LogPages.h"

namespace {

constexpr qsizetype kThresholdChars = LogPages::kPagingThresholdBytes / 2;
constexpr qsizetype kLimitChars = LogPages::kPageLimitBytes / 2;
const QString kBlankLine = QStringLiteral("\r\n\r\n");

// The end of the first blank line that begins at or after from, or nothing.
qsizetype blankLineEnd(const QString& log, qsizetype from) {
    const qsizetype at = log.indexOf(kBlankLine, from);
    return at < 0 ? -1 : at + kBlankLine.size();
}

} // namespace

LogPages::LogPages(const QString& log)
    : m_log(log) {
    if (log.size() <= kThresholdChars) {
        m_shown = log;
        return;
    }
    m_paged = true;
    qsizetype previous = 0;
    do {
        qsizetype boundary = blankLineEnd(log, previous + kThresholdChars);
        // Without a blank line ahead the page ends at the length limit, never inside a character.
        if (boundary < 0 || boundary > previous + kLimitChars) {
            boundary = previous + kLimitChars;
            if (boundary < log.size() && log.at(boundary).isLowSurrogate() && log.at(boundary - 1).isHighSurrogate())
                --boundary;
        }
        if (boundary >= log.size())
            break;
        m_boundaries.push_back(boundary);
        previous = boundary;
    } while (previous + kThresholdChars < log.size());
    if (m_boundaries.empty()) {
        m_paged = false;
        m_shown = log;
        return;
    }
    m_current = 1;
    m_shown = page(1) + nextPageHint();
}

QString LogPages::nextPageHint() {
    return tr("--- 次のページを見るには<Ctrl+N>を押してください。 ---");
}

QString LogPages::previousPageHint() {
    return tr("--- 前のページを見るには<Ctrl+P>を押してください。 ---");
}

QString LogPages::page(int number) const {
    if (!m_paged)
        return m_log;
    const qsizetype start = number <= 1 ? 0 : m_boundaries.at(static_cast<std::size_t>(number - 2));
    const qsizetype end = number > static_cast<int>(m_boundaries.size())
                              ? m_log.size()
                              : m_boundaries.at(static_cast<std::size_t>(number - 1));
    return m_log.mid(start, end - start);
}

QString LogPages::captionSuffix() const {
    return QLatin1Char(' ') + QString::number(m_paged ? m_current : 1) + QLatin1Char('/') +
           QString::number(pageCount());
}

bool LogPages::nextPage() {
    if (m_current < 1 || m_current >= pageCount())
        return false;
    ++m_current;
    m_shown = previousPageHint() + kBlankLine + page(m_current);
    if (m_current < pageCount())
        m_shown += nextPageHint();
    return true;
}

bool LogPages::previousPage() {
    if (m_current < 2)
        return false;
    --m_current;
    m_shown = m_current == 1 ? page(1) : previousPageHint() + kBlankLine + page(m_current);
    m_shown += nextPageHint() + kBlankLine;
    return true;
}
