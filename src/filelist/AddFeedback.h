#pragma once

#include <QString>

// What an add shows while it works; the main window and the tests implement it.
class AddFeedback {
public:
    virtual ~AddFeedback() = default;

    virtual void setStatusText(const QString& text) = 0;
    virtual void setFileCountText(const QString& text) = 0;
    virtual void processEvents() = 0;
    virtual void setBusy(bool busy) = 0;
    virtual void setListVisible(bool visible) = 0;
};

// Shows nothing: for adds without a window.
class NullAddFeedback final : public AddFeedback {
public:
    void setStatusText(const QString&) override {}
    void setFileCountText(const QString&) override {}
    void processEvents() override {}
    void setBusy(bool) override {}
    void setListVisible(bool) override {}
};
