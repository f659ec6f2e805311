#pragma once

#include "filelist/AddFeedback.h"

#include <QStringList>

// Records what an add shows, in order, as short texts ("status:...", "count:...", "events", ...).
class RecordingAddFeedback final : public AddFeedback {
public:
    QStringList log;

    void setStatusText(const QString& text) override { log.append(QStringLiteral("status:") + text); }
    void setFileCountText(const QString& text) override { log.append(QStringLiteral("count:") + text); }
    void processEvents() override { log.append(QStringLiteral("events")); }
    void setBusy(bool busy) override { log.append(busy ? QStringLiteral("busy") : QStringLiteral("idle")); }
    void setListVisible(bool visible) override {
        log.append(visible ? QStringLiteral("show") : QStringLiteral("hide"));
    }
};
