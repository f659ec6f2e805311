#pragma once

#include "platform/PlaceKeys.h"

#include <QString>

#include <cstdint>
#include <vector>

class FileSystem;

// One file's move from one place to another. A file that keeps its place, or that will not be moved at
// all, holds its place throughout.
struct PlannedMove {
    PlaceKey from;
    PlaceKey to;
    bool moves = false;
};

// One step of a run in the order it is carried out: a move straight to the new place, or, for the file that
// breaks a cycle of names, a move to a temporary name first and from there to the new place once the
// others of the cycle have moved.
struct MoveStep {
    enum class Kind : std::uint8_t { Whole, ToTemporary, FromTemporary };
    qsizetype move = 0; // index into the moves, from 0
    Kind kind = Kind::Whole;

    friend bool operator==(const MoveStep&, const MoveStep&) = default;
};

// The order in which every move takes a place only after the file of the plan that held it has left it:
// a chain (a->b, b->c) from its free end, a cycle (a->b, b->a, or a rotation of any length) through a
// temporary name for one of its files. Moves that wait for no other keep the order given, and every move
// comes once (a cycle's file twice, as its two halves). Whether a place is really free when its turn comes
// is still for the run to check: this only puts the moves in the order that can free it.
std::vector<MoveStep> orderMoves(const std::vector<PlannedMove>& moves);
// The same, told for each move which one must go first, the one whose file stands where it goes (-1: none),
// by whoever has found that already.
std::vector<MoveStep> orderMoves(const std::vector<qsizetype>& waitsFor);

// A name in the folder of path that no entry of that folder has now, for a file waiting in the middle of a
// cycle; the same for the same folder contents, so that a test shows the name the run will use.
QString temporaryPathBeside(const QString& path, qsizetype entry, const FileSystem& fs);
