#pragma once

#include <QCoreApplication>
#include <QString>

#include <vector>

// A long log cut into pages at blank lines, as the log viewer shows it. Sizes are counted in bytes of
// the text held as UTF-16, two bytes a character, as the viewer has always counted them.
class LogPages final {
    Q_DECLARE_TR_FUNCTIONS(LogPages)

public:
    static constexpr qsizetype kPagingThresholdBytes = 60000;
    static constexpr qsizetype kPageLimitBytes = 63800;

    explicit LogPages(const QString& log);

    // 0 when the log is shown whole, otherwise from 1 to pageCount().
    [[nodiscard]] int currentPage() const { return m_current; }
    [[nodiscard]] int pageCount() const { return m_paged ? static_cast<int>(m_boundaries.size()) + 1 : 1; }
    [[nodiscard]] bool isPaged() const { return m_paged; }
    // The text shown now, hint lines included.
    [[nodiscard]] const QString& shownText() const { return m_shown; }
    // " 1/1", " 2/4": what follows the caption.
    [[nodiscard]] QString captionSuffix() const;

    // Ctrl+N and Ctrl+P; false when there is no page to turn to.
    bool nextPage();
    bool previousPage();

    // Boundaries in characters, for those who want to know where pages end.
    [[nodiscard]] const std::vector<qsizetype>& boundaries() const { return m_boundaries; }
    [[nodiscard]] QString page(int number) const;

    static QString nextPageHint();
    static QString previousPageHint();

private:
    const QString& m_log;
    std::vector<qsizetype> m_boundaries;
    bool m_paged = false;
    int m_current = 0;
    QString m_shown;
};
