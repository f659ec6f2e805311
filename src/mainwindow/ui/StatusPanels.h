#pragma once

#include <QObject>

class QLabel;
class QStatusBar;

// The three panels of the status bar: NumberOfFiles, WildCard (a click on it asks for a new filter) and
// Status, each with its tag as tooltip.
class StatusPanels final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusPanels)

public:
    explicit StatusPanels(QStatusBar* bar);

    void setFileCount(const QString& text);
    void setWildCard(const QString& text);
    void setStatus(const QString& text);
    // The panels' tags as their tooltips, or none.
    void setTagsShown(bool shown);

Q_SIGNALS:
    void wildCardClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_numberOfFiles;
    QLabel* m_wildCard;
    QLabel* m_status;
};
