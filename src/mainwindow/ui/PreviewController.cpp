#include "mainwindow/ui/PreviewController.h"

#include "expression/RowNamer.h"
#include "filelist/FileListModel.h"
#include "filelist/ui/FileListView.h"

#include <QScrollBar>

#include <algorithm>

PreviewController::PreviewController(
    FileListModel& model, FileListView& view, const FileSystem& fs, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_view(view)
    , m_fs(fs)
    , m_clock(clock)
    , m_preview(std::make_unique<PlanPreview>(fs, clock)) {
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &PreviewController::start);
    // The next slice comes after the events that came meanwhile.
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &PreviewController::workSlice);
    const auto changed = [this] {
        schedule();
    };
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, changed);
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(&m_model, &QAbstractItemModel::modelReset, this, changed);
    connect(&m_model, &QAbstractItemModel::layoutChanged, this, changed);
    connect(&m_model, &QAbstractItemModel::dataChanged, this, &PreviewController::rowsChanged);
}

PreviewController::~PreviewController() = default;

void PreviewController::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (enabled) {
        schedule();
        return;
    }
    m_pause.stop();
    m_slice.stop();
    m_building = false;
    m_model.clearPreview();
    if (showSummary)
        showSummary(QString());
}

void PreviewController::setHeld(bool held) {
    m_holds = std::max(0, m_holds + (held ? 1 : -1));
    if (m_holds > 0) {
        m_pause.stop();
        m_slice.stop();
        m_building = false;
    } else {
        schedule();
    }
}

void PreviewController::schedule() {
    // A build under way names the rows as they were: what it would still show could belong to other rows.
    m_building = false;
    m_slice.stop();
    if (m_enabled && m_holds == 0)
        m_pause.start();
}

void PreviewController::rowsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    // The preview's own changes touch its column alone.
    const int column = static_cast<int>(FileColumn::NewName);
    if (topLeft.column() != column || bottomRight.column() != column)
        schedule();
}

void PreviewController::start() {
    if (!m_enabled || m_holds > 0)
        return;
    QString message;
    const QString text = format ? format() : QString();
    const RunOptions runOptions = options ? options() : RunOptions{};
    // The preview names a copy of the rows: details a format reads are read into the list first, which keeps
    // them for the next preview and the run.
    if (formatReadsRowDetails(text, runOptions.build, m_clock, m_fs))
        m_model.readAllDetails();
    const bool built = m_preview->start(text, m_model.rows(), runOptions, message);
    // A message stays until the format builds again; the status panel meanwhile tells of other work too.
    if (showMessage && message != m_message)
        showMessage(message);
    m_message = message;
    if (!built) {
        m_model.clearPreview();
        if (showSummary)
            showSummary(QString());
        return;
    }
    if (showSummary)
        showSummary(QString());
    m_building = true;
    workSlice();
}

void PreviewController::workSlice() {
    if (!m_building)
        return;
    // The rows on screen are named first.
    const QModelIndex top = m_view.indexAt(QPoint(0, 0));
    if (top.isValid()) {
        const QModelIndex bottom = m_view.indexAt(QPoint(0, m_view.viewport()->height() - 1));
        m_preview->prefer(top.row(), bottom.isValid() ? bottom.row() : m_model.size() - 1);
    }
    const bool done = m_preview->work(kSlice);
    const auto [first, last] = m_preview->takeChangedRange();
    if (!done) {
        m_model.showPreview(first, last, m_preview->rows());
        m_slice.start();
        return;
    }
    m_building = false;
    // A blank format names nothing and sums nothing up.
    const bool blank = m_preview->rows().empty();
    const QString summary = blank ? QString() : summaryText(m_preview->summary());
    // The list takes the finished preview over: a million rows' entries are not kept twice.
    if (blank)
        m_model.clearPreview();
    else
        m_model.showPreview(first, last, m_preview->takeRows());
    if (showSummary)
        showSummary(summary);
}

QString PreviewController::summaryText(const PreviewSummary& summary) {
    return tr("変更 %1件").arg(summary.changed) + QLatin1String("  ") + tr("重複 %1件").arg(summary.collisions) +
           QLatin1String("  ") + tr("エラー %1件").arg(summary.errors);
}
