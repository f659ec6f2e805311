#pragma once

#include "execution/ExecutionHost.h"
#include "execution/RunCommands.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;
struct RunState;

// frmProgress: the modal window in which a test, a per-file run and an undo do their work. Opening it
// starts the work; Cancel asks the work to stop after the file in hand; it closes when the work returns.
class ProgressDialog final : public QDialog, public ExecutionHost {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgressDialog)

public:
    ProgressDialog(RunState& state, QWidget* parent);

    static QString designCaption();
    static QString undoCaption();

    // Shows the dialog centred on its parent and runs the steps inside it.
    void run(ProgressWork work, qsizetype maximum, const std::function<void(ExecutionHost&)>& steps);

    // ExecutionHost: the label and bar reach the screen at most every 30 ms, and always at the end.
    [[nodiscard]] bool showsProgress() const override;
    void setProgressLabel(const QString& text) override;
    void setProgressValue(qsizetype value) override;
    void processEvents() override;
    void setStatusText(const QString& text) override;
    void setListVisible(bool visible) override;
    void setBusy(bool busy) override;

    // Where status texts, the list and the cursor go: the main window.
    void setMainHost(ExecutionHost* host) { m_mainHost = host; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void flush();
    void placeOverParent();

    RunState& m_state;
    QProgressBar* m_bar;
    QLabel* m_label;
    QPushButton* m_cancel;
    ExecutionHost* m_mainHost = nullptr;
    std::function<void(ExecutionHost&)> m_steps;
    bool m_started = false;
    QElapsedTimer m_sinceShown;
    QString m_pendingLabel;
    qsizetype m_pendingValue = 0;
    bool m_dirty = false;
};
