#include "BenchFiles.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/ListCommands.h"
#include "filelist/SubfolderWalk.h"
#include "filelist/ui/FileListView.h"
#include "mainwindow/ui/StatusPanels.h"
#include "platform/AttributeBits.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <numeric>

namespace {

// The list in its view, shown (offscreen when run headless), as the main window holds it. Every timed step
// ends with the events the window would process next, so that the view's own work is counted.
struct ListInView {
    QWidget window;
    LinuxFileSystem fs;
    FileListModel model{fs};
    FileListView* view = new FileListView(&window);
    QStatusBar* bar = new QStatusBar(&window);
    StatusPanels* panels = new StatusPanels(bar);

    ListInView() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(view, 1);
        layout->addWidget(bar);
        view->setFileListModel(&model);
        window.resize(800, 600);
        window.show();
        settle();
    }

    void fill(qsizetype count) {
        model.clear();
        // Names in a shuffled order, sizes and times of many values, rows spread over a few folders.
        std::vector<int> numbers(static_cast<std::size_t>(count));
        std::iota(numbers.begin(), numbers.end(), 0);
        std::shuffle(numbers.begin(), numbers.end(), *QRandomGenerator::global());
        FileListModel::Appender appender(model);
        appender.reserve(count);
        for (qsizetype i = 0; i < count; ++i) {
            const int n = numbers[static_cast<std::size_t>(i)];
            // 2024/01/01 0:05:07 UTC, then a day and an hour on from row to row.
            const qint64 written = Q_INT64_C(1704067507) + (n % 28) * 86400 + (n % 24) * 3600;
            appender.add({QStringLiteral("IMG_%1 Photo.jpg").arg(n),
                          QStringLiteral("/home/user/pictures/%1/").arg(n % 50),
                          RowDetails{(Q_INT64_C(7919) * n) % 5000000, written, n % 3 == 0 ? AttributeBits::kArchive : 0,
                                     RowDetails::State::Read}});
        }
        appender.commit();
        settle();
    }

    void selectEvery(qsizetype step, qsizetype from = 0, qsizetype to = -1) {
        std::vector<bool> flags(static_cast<std::size_t>(model.size()), false);
        const qsizetype end = to < 0 ? model.size() : to;
        for (qsizetype i = from; i < end; i += step)
            flags[static_cast<std::size_t>(i)] = true;
        view->selectOnly(flags);
        settle();
    }

    static void settle() { QCoreApplication::processEvents(); }
};

// The Remove command: every other row of the list selected.
void RemoveSelected(benchmark::State& state) {
    ListInView list;
    for (auto _ : state) {
        state.PauseTiming();
        list.fill(state.range(0));
        list.selectEvery(2);
        state.ResumeTiming();
        const std::vector<qsizetype> rows = list.view->selectedRowNumbers();
        list.view->clearSelection();
        list.model.removeRowsAt(rows);
        list.view->setFocusRow(rows.front());
        ListInView::settle();
    }
    state.SetComplexityN(state.range(0));
}

// The Up command with half of the list selected as one block in its middle.
void MoveUpBlock(benchmark::State& state) {
    ListInView list;
    list.fill(state.range(0));
    const qsizetype quarter = state.range(0) / 4;
    for (auto _ : state) {
        state.PauseTiming();
        list.selectEvery(1, quarter, 3 * quarter);
        state.ResumeTiming();
        const RowMove moved = moveSelectedUp(list.view->selectedRowFlags());
        list.model.permuteRows(moved.order, QAbstractItemModel::VerticalSortHint);
        list.view->selectOnly(moved.selected);
        ListInView::settle();
    }
    state.SetComplexityN(state.range(0));
}

// Every tenth row dragged onto the row in the middle.
void DropReorder(benchmark::State& state) {
    ListInView list;
    list.fill(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        list.selectEvery(10);
        state.ResumeTiming();
        const RowMove moved = dropSelectedOnto(list.view->selectedRowFlags(), state.range(0) / 2 + 1);
        list.model.permuteRows(moved.order, QAbstractItemModel::VerticalSortHint);
        list.view->selectOnly(moved.selected);
        list.view->setFocusRow(0);
        ListInView::settle();
    }
    state.SetComplexityN(state.range(0));
}

// A click on the name header with every step-th row selected.
void sortByName(benchmark::State& state, qsizetype step) {
    ListInView list;
    for (auto _ : state) {
        state.PauseTiming();
        list.fill(state.range(0));
        list.selectEvery(step);
        state.ResumeTiming();
        list.model.sortByHeader(FileColumn::FileName);
        ListInView::settle();
    }
    state.SetComplexityN(state.range(0));
}

// One row in a thousand selected.
void SortByName(benchmark::State& state) {
    sortByName(state, 1000);
}

// Every row selected: the selection goes along with the rows.
void SortByNameAllSelected(benchmark::State& state) {
    sortByName(state, 1);
}

// A click on the size header, a few rows selected.
void SortBySize(benchmark::State& state) {
    ListInView list;
    for (auto _ : state) {
        state.PauseTiming();
        list.fill(state.range(0));
        list.selectEvery(1000);
        state.ResumeTiming();
        list.model.sortByHeader(FileColumn::Size);
        ListInView::settle();
    }
    state.SetComplexityN(state.range(0));
}

void SelectAll(benchmark::State& state) {
    ListInView list;
    list.fill(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        list.view->clearSelection();
        ListInView::settle();
        state.ResumeTiming();
        list.view->selectAll();
        ListInView::settle();
    }
    state.SetComplexityN(state.range(0));
}

// The status panels and the events of the main window, as an add shows them.
class WindowHost final : public WorkHost {
public:
    explicit WindowHost(ListInView& list)
        : m_list(list) {}

    void setStatusText(const QString& text) override { m_list.panels->setStatus(text); }
    void setFileCountText(const QString& text) override { m_list.panels->setFileCount(text); }
    void setBusy(bool busy) override {
        if (busy)
            m_list.panels->holdTexts();
        else
            m_list.panels->releaseTexts();
    }
    void processEvents() override {
        m_list.panels->showHeldTexts();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    ListInView& m_list;
};

// The add-folder command with subfolders: the walk, then one batch per folder, events after every folder.
void AddFolderTree(benchmark::State& state) {
    const QString root = benchTree(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    LinuxFileSystem fs;
    SilentPrompt prompt;
    ListInView list;
    WindowHost host(list);
    for (auto _ : state) {
        state.PauseTiming();
        list.model.clear();
        ListInView::settle();
        state.ResumeTiming();
        const QStringList folders = SubfolderWalk::collectSubfolders(fs, root, host);
        FileAdder(list.model, fs, prompt).addFolders(folders, {}, host);
        ListInView::settle();
        state.PauseTiming();
        if (list.model.size() != state.range(1))
            state.SkipWithError("not every file was added");
        state.ResumeTiming();
    }
    state.counters["folders"] = static_cast<double>(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(1));
}

} // namespace

BENCHMARK(RemoveSelected)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(MoveUpBlock)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(DropReorder)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(SortByName)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(SortByNameAllSelected)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(SortBySize)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(SelectAll)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(AddFolderTree)->Args({1000, 10000})->Args({10000, 100000})->Unit(benchmark::kMillisecond)->UseRealTime();
