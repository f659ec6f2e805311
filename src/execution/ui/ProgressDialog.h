#pragma once

#include "execution/RunCommands.h"
#include "platform/WorkHost.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;

// frmProgress: the modal window in which a test, a per-file run and an undo do their work. Opening it
// starts the work; Cancel asks the work to stop after the file in hand; it closes when the work returns.
class ProgressDialog final : public QDialog, public WorkHost {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgressDialog)

public:
    explicit ProgressDialog(QWidget* parent);

    static QString designCaption();
    static QString undoCaption();

    // Shows the dialog centred on its parent and runs the steps inside it.
    void run(ProgressWork work, qsizetype maximum, const std::function<void(WorkHost&)>& steps);

    // WorkHost: the label and bar reach the screen at most every 30 ms, and always at the end.
    [[nodiscard]] bool showsProgress() const override;
    void setProgressLabel(const QString& text) override;
    void setProgressValue(qsizetype value) override;
    void processEvents() override;
    void setStatusText(const QString& text) override;
    void setListVisible(bool visible) override;
    void setBusy(bool busy) override;
    // Cancel, or closing the window, while the work runs.
    [[nodiscard]] bool stopRequested() const override;

    // Where status texts, the list and the cursor go: the main window.
    void setMainHost(WorkHost* host) { m_mainHost = host; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void flush();
    void placeOverParent();

    QProgressBar* m_bar;
    QLabel* m_label;
    QPushButton* m_cancel;
    WorkHost* m_mainHost = nullptr;
    std::function<void(WorkHost&)> m_steps;
    bool m_started = false;
    bool m_stopRequested = false;
    QElapsedTimer m_sinceShown;
    QString m_pendingLabel;
    qsizetype m_pendingValue = 0;
    bool m_dirty = false;
};
