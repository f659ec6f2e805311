#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <optional>

class QLabel;
class QStatusBar;

// The panels of the status bar: NumberOfFiles, WildCard (a click on it asks for a new filter), Status and
// Preview (the sums of the new names; hidden while it has none), each with its tag as tooltip.
class StatusPanels final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusPanels)

public:
    explicit StatusPanels(QStatusBar* bar);

    void setFileCount(const QString& text);
    void setWildCard(const QString& text);
    void setStatus(const QString& text);
    void setPreview(const QString& text);
    // The panels' tags as their tooltips, or none.
    void setTagsShown(bool shown);

    // Long work sets the texts once per folder or file, far more often than anyone can read them, and a
    // label laid out again each time costs more than the work. While held, the file count and the status
    // are kept and shown by showHeldTexts at most every few tens of milliseconds; releaseTexts shows the
    // last ones and ends the hold.
    void holdTexts();
    void showHeldTexts();
    void releaseTexts();

Q_SIGNALS:
    void wildCardClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_numberOfFiles;
    QLabel* m_wildCard;
    QLabel* m_status;
    QLabel* m_preview;
    bool m_holding = false;
    std::optional<QString> m_heldFileCount;
    std::optional<QString> m_heldStatus;
    QElapsedTimer m_sinceShown;

    void showHeld();
};
