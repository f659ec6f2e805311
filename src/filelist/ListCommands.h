#pragma once

#include <QtGlobal>

#include <cstdint>
#include <vector>

// The commands on the file list that the toolbar, the menus, the pop-up menu and the Alt keys share.
enum class ListCommand : std::uint8_t {
    Add = 0,
    Remove = 1,
    Clear = 2,
    Up = 3,
    Down = 4,
    Exit = 5,
};

// Rows after selected rows moved one place: row i now shows the row that was at order[i], and `selected`
// says which rows are selected afterwards.
struct RowMove {
    std::vector<qsizetype> order;
    std::vector<bool> selected;
    // Whether any row changed its place.
    bool moved = false;
};

// Up: for each position from the second to the last, a selected row swaps places with the row above it and
// passes its selection up. A block of adjacent selected rows so moves as a block; a selected first row stays,
// but gives up its selection to a selected row that moves into its place.
RowMove moveSelectedUp(const std::vector<bool>& selected);
// The mirror of moveSelectedUp, from the second-last row to the first.
RowMove moveSelectedDown(const std::vector<bool>& selected);

// Selected rows dropped onto the row `target`: they form one block in the order they had, directly after the
// target when any of them lay above it and directly before it otherwise, and exactly they end selected.
// Nothing moves when the target is selected itself or is no row.
RowMove dropSelectedOnto(const std::vector<bool>& selected, qsizetype target);
