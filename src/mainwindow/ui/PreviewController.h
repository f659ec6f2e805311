#pragma once

#include "execution/PlanPreview.h"
#include "execution/RunOptions.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class Clock;
class FileListModel;
class FileListView;
class FileSystem;

// Keeps the new-name column up to date. A change of the format, the rows, their order or the options builds
// the preview again after a short pause in typing, a slice at a time between the window's events and the
// rows on screen first, so that typing never waits for a long list. Nothing is built while the switch is
// off or long work holds the window.
class PreviewController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewController)

public:
    // The pause after the last change before a build starts, and the most a slice works at once.
    static constexpr int kPauseMs = 150;
    static constexpr std::chrono::milliseconds kSlice{15};

    PreviewController(
        FileListModel& model, FileListView& view, const FileSystem& fs, const Clock& clock, QObject* parent = nullptr);
    ~PreviewController() override;

    // What a build reads when it starts.
    std::function<QString()> format;
    std::function<RunOptions()> options;
    // Where the outcome is told: the sums once the column is complete ("" while it is not), and the
    // message of a format that does not build ("" otherwise).
    std::function<void(const QString&)> showSummary;
    std::function<void(const QString&)> showMessage;

    // Off: no build, and the column shows nothing.
    void setEnabled(bool enabled);
    [[nodiscard]] bool isEnabled() const { return m_enabled; }
    // Held while long work runs, however many hold it at once; on the last release a build follows.
    void setHeld(bool held);
    // Something the names depend on changed: build again after the pause.
    void schedule();
    // Neither a build waiting for the pause nor one under way.
    [[nodiscard]] bool isIdle() const { return !m_pause.isActive() && !m_building; }

    // The sums of a preview as the status bar shows them.
    static QString summaryText(const PreviewSummary& summary);

private:
    void start();
    void workSlice();
    void rowsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);

    FileListModel& m_model;
    FileListView& m_view;
    const FileSystem& m_fs;
    const Clock& m_clock;
    std::unique_ptr<PlanPreview> m_preview;
    QTimer m_pause;
    QTimer m_slice;
    bool m_enabled = true;
    int m_holds = 0;
    bool m_building = false;
    QString m_message;
};
