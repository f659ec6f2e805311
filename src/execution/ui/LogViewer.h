#pragma once

#include <QDialog>

#include <memory>

class LogPages;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// Size and font of the log viewer, kept between showings (sizes in twips).
struct LogViewSettings {
    double widthTwips = 5000;
    double heightTwips = 5000;
    QString fontName = QStringLiteral("ＭＳ Ｐゴシック");
    int fontSize = 9;
};

// frmLog: shows a log, paged when it is long, with Copy, Close and (after a test) Start.
class LogViewer final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LogViewer)

public:
    LogViewer(LogViewSettings& settings, QWidget* parent);
    ~LogViewer() override;

    // Shows the log modally; true when Start was pressed.
    bool showLog(const QString& caption, const QString& log, bool withStart);
    // Everything showLog does before the window waits for the user.
    void present(const QString& caption, const QString& log, bool withStart);

    [[nodiscard]] const LogPages* pages() const { return m_pages.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    void showPage();
    void layoutButtons();

    LogViewSettings& m_settings;
    QPlainTextEdit* m_text;
    QWidget* m_buttonBar;
    QPushButton* m_run;
    QPushButton* m_copy;
    QPushButton* m_close;
    std::unique_ptr<LogPages> m_pages;
    QString m_log;
    QString m_caption;
    bool m_startPressed = false;
};
