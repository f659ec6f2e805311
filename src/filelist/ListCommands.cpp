#include "filelist/ListCommands.h"

#include <numeric>
#include <utility>

namespace {

// One swap per selected row, scanning against the direction of movement, so the whole pass is linear.
RowMove move(const std::vector<bool>& selected, bool up) {
    const auto count = static_cast<qsizetype>(selected.size());
    RowMove result;
    result.order.resize(static_cast<std::size_t>(count));
    std::iota(result.order.begin(), result.order.end(), qsizetype{0});
    result.selected = selected;
    const qsizetype step = up ? -1 : 1;
    for (qsizetype k = 1; k < count; ++k) {
        const qsizetype i = up ? k : count - 1 - k;
        const auto here = static_cast<std::size_t>(i);
        const auto there = static_cast<std::size_t>(i + step);
        if (!result.selected[here])
            continue;
        std::swap(result.order[here], result.order[there]);
        result.selected[here] = false;
        result.selected[there] = true;
        result.moved = true;
    }
    return result;
}

} // namespace

RowMove moveSelectedUp(const std::vector<bool>& selected) {
    return move(selected, true);
}

RowMove moveSelectedDown(const std::vector<bool>& selected) {
    return move(selected, false);
}

RowMove dropSelectedOnto(const std::vector<bool>& selected, qsizetype target) {
    const auto count = static_cast<qsizetype>(selected.size());
    RowMove result;
    if (target < 0 || target >= count || selected[static_cast<std::size_t>(target)]) {
        result.order.resize(selected.size());
        std::iota(result.order.begin(), result.order.end(), qsizetype{0});
        result.selected = selected;
        return result;
    }
    std::vector<qsizetype> block;
    bool anyAbove = false;
    for (qsizetype i = 0; i < count; ++i) {
        if (selected[static_cast<std::size_t>(i)]) {
            block.push_back(i);
            anyAbove = anyAbove || i < target;
        }
    }
    result.order.reserve(selected.size());
    result.selected.assign(selected.size(), false);
    for (qsizetype i = 0; i < count; ++i) {
        if (selected[static_cast<std::size_t>(i)])
            continue;
        if (i == target && !anyAbove)
            result.order.insert(result.order.end(), block.begin(), block.end());
        result.order.push_back(i);
        if (i == target && anyAbove)
            result.order.insert(result.order.end(), block.begin(), block.end());
    }
    for (std::size_t i = 0; i < result.order.size(); ++i) {
        result.selected[i] = selected[static_cast<std::size_t>(result.order[i])];
        result.moved = result.moved || result.order[i] != static_cast<qsizetype>(i);
    }
    return result;
}
