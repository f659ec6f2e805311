#pragma once

#include <QString>

// What the work of a test, run or undo shows while it goes, and how it lets the user in: the progress
// dialog, the command line and the tests implement it.
class ExecutionHost {
public:
    virtual ~ExecutionHost() = default;

    // Whether the progress is on screen; the label and bar are only worth making when it is.
    [[nodiscard]] virtual bool showsProgress() const = 0;
    virtual void setProgressLabel(const QString& text) = 0;
    virtual void setProgressValue(qsizetype value) = 0;
    // Lets pending events run: this is where a Cancel click reaches the run state.
    virtual void processEvents() = 0;
    virtual void setStatusText(const QString& text) = 0;
    virtual void setListVisible(bool visible) = 0;
    virtual void setBusy(bool busy) = 0;
};

// Shows nothing and lets nothing in: for work without a window.
class NullExecutionHost final : public ExecutionHost {
public:
    [[nodiscard]] bool showsProgress() const override { return false; }
    void setProgressLabel(const QString&) override {}
    void setProgressValue(qsizetype) override {}
    void processEvents() override {}
    void setStatusText(const QString&) override {}
    void setListVisible(bool) override {}
    void setBusy(bool) override {}
};
