#pragma once

#include "execution/RunCommands.h"
#include "fakes/RecordingHost.h"
#include "filelist/FileListModel.h"

#include <QStringList>

// Runs the work at once and records the logs shown; the test says whether Start is pressed.
class RecordingFrontEnd final : public RunFrontEnd {
public:
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

    void runWithProgress(ProgressWork work, qsizetype, const std::function<void(WorkHost&)>& steps) override {
        progressShown.append(work);
        host.eventRounds = 0;
        steps(host);
    }
    WorkHost& mainHost() override { return host; }
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
