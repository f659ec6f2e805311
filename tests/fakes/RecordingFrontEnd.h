#pragma once

#include "execution/ExecutionHost.h"
#include "execution/RunCommands.h"
#include "execution/RunState.h"
#include "filelist/FileListModel.h"

#include <QStringList>

// An execution host that records the statuses shown and can ask for a stop after a number of files.
class RecordingHost final : public ExecutionHost {
public:
    explicit RecordingHost(RunState& state)
        : m_state(state) {}

    // Cancel is "pressed" while the n-th file is in hand (0: never).
    int stopAtFile = 0;
    QStringList statuses;
    QStringList labels;
    qsizetype lastValue = 0;
    int eventRounds = 0;

    [[nodiscard]] bool showsProgress() const override { return true; }
    void setProgressLabel(const QString& text) override { labels.append(text); }
    void setProgressValue(qsizetype value) override { lastValue = value; }
    void processEvents() override {
        if (++eventRounds == stopAtFile)
            m_state.stopRequest = RunState::kStop;
    }
    void setStatusText(const QString& text) override { statuses.append(text); }
    void setListVisible(bool) override {}
    void setBusy(bool) override {}

private:
    RunState& m_state;
};

// Runs the work at once and records the logs shown; the test says whether Start is pressed.
class RecordingFrontEnd final : public RunFrontEnd {
public:
    explicit RecordingFrontEnd(RunState& state)
        : host(state) {}

    struct ShownLog {
        QString caption;
        QString text;
        bool withStart;
    };

    RecordingHost host;
    bool pressStart = false;
    QList<ShownLog> logs;
    QStringList history;
    QList<ProgressWork> progressShown;
    int listCleared = 0;
    FileListModel* list = nullptr;

    void runWithProgress(ProgressWork work, qsizetype, const std::function<void(ExecutionHost&)>& steps) override {
        progressShown.append(work);
        host.eventRounds = 0;
        steps(host);
    }
    ExecutionHost& mainHost() override { return host; }
    bool showLog(const QString& caption, const QString& text, bool withStart) override {
        logs.append({caption, text, withStart});
        return withStart && pressStart;
    }
    void addFormatToHistory(const QString& format) override { history.append(format); }
    void clearList() override {
        ++listCleared;
        if (list != nullptr)
            list->clear();
    }
    void focusMainWindow() override {}
};
