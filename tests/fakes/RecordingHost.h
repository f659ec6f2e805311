#pragma once

#include "platform/WorkHost.h"

#include <QStringList>

// Records what long work shows and can press Cancel after a number of files. `log` keeps the calls of an
// add in order as short texts ("status:...", "count:...", "events", "busy", "idle", "show", "hide").
class RecordingHost final : public WorkHost {
public:
    // Cancel is "pressed" while the n-th file is in hand (0: never).
    int stopAtFile = 0;
    QStringList log;
    QStringList statuses;
    QStringList labels;
    qsizetype lastValue = 0;
    int eventRounds = 0;

    void setStatusText(const QString& text) override {
        statuses.append(text);
        log.append(QStringLiteral("status:") + text);
    }
    void setFileCountText(const QString& text) override { log.append(QStringLiteral("count:") + text); }
    [[nodiscard]] bool showsProgress() const override { return true; }
    void setProgressLabel(const QString& text) override { labels.append(text); }
    void setProgressValue(qsizetype value) override { lastValue = value; }
    void setBusy(bool busy) override { log.append(busy ? QStringLiteral("busy") : QStringLiteral("idle")); }
    void setListVisible(bool visible) override {
        log.append(visible ? QStringLiteral("show") : QStringLiteral("hide"));
    }
    void processEvents() override {
        log.append(QStringLiteral("events"));
        ++eventRounds;
    }
    [[nodiscard]] bool stopRequested() const override { return stopAtFile > 0 && eventRounds >= stopAtFile; }
};
