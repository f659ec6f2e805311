#pragma once

#include <QString>

// Where long work (adding files, walking folders, a test, run or undo) shows what it does and lets the user
// in: the main window, the progress dialog, the command line and the tests implement it. Each part does
// nothing unless an implementation gives it something to do.
class WorkHost {
public:
    virtual ~WorkHost() = default;

    virtual void setStatusText(const QString& text) { Q_UNUSED(text) }
    virtual void setFileCountText(const QString& text) { Q_UNUSED(text) }
    // Whether progress is on screen now; the label and bar are only worth making when it is.
    [[nodiscard]] virtual bool showsProgress() const { return false; }
    virtual void setProgressLabel(const QString& text) { Q_UNUSED(text) }
    virtual void setProgressValue(qsizetype value) { Q_UNUSED(value) }
    virtual void setBusy(bool busy) { Q_UNUSED(busy) }
    virtual void setListVisible(bool visible) { Q_UNUSED(visible) }
    // Lets pending events run: this is where a Cancel click comes in.
    virtual void processEvents() {}
    // Whether the user has asked the work in hand to stop (Cancel, a stop signal).
    [[nodiscard]] virtual bool stopRequested() const { return false; }
};

// Shows nothing and lets nothing in: for work without a window.
class NullWorkHost final : public WorkHost {};
