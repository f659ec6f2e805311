#pragma once

#include "platform/ShellFileOperation.h"

#include <QString>

#include <cstdint>
#include <vector>

class FileSystem;
class RenamePlan;

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
// Told for each move which one must go first: the one whose file stands where it goes (-1: none).
std::vector<MoveStep> orderMoves(const std::vector<qsizetype>& waitsFor);

// Which files of the plan hold the name another entry wants. A run never takes such a name while that
// file is there: the source of another entry that has not moved away (after a copy it is still there, and
// an entry that keeps its name never moves), or the file an earlier entry with the same destination has
// already put there. So whatever is answered, one file of the plan never replaces another: neither in a
// chain such as a -> b, b -> c nor when two entries come to the same name. Found once, before the run.
class PlanHolders final {
public:
    PlanHolders(const RenamePlan& plan, const FileSystem& fs, FileOperation operation);

    // The steps of a run (entries from 1): moves in an order that frees every name before it is taken, through a
    // temporary name for a cycle; copies leave their sources where they are and keep the plan's order.
    [[nodiscard]] std::vector<MoveStep> steps() const;

    // Whether entry i must leave its destination alone now.
    [[nodiscard]] bool holds(qsizetype i, FileOperation operation) const;
    // Entry i's file has left its old name for a temporary one.
    void leftSource(qsizetype i) { m_movedAway[static_cast<std::size_t>(i)] = true; }
    // Entry i has put its file at its destination (and, moving it, freed its old name).
    void placed(qsizetype i, FileOperation operation);

private:
    std::vector<qsizetype> m_sourceHolder; // the entry whose source is this entry's destination, or 0
    std::vector<qsizetype> m_group;        // the first entry with the same destination
    std::vector<bool> m_taken;             // by first entry: a file has been put at that destination
    std::vector<bool> m_movedAway;         // the entry's file has left its old name
    std::vector<qsizetype> m_waitsFor;     // by move (entry - 1): the move whose file stands where it goes, or -1
};

// Which names the files of a plan hold, and the order of a run's moves.
struct RunOrder {
    PlanHolders holders;
    std::vector<MoveStep> steps;
};
RunOrder runOrder(const RenamePlan& plan, const FileSystem& fs, FileOperation operation);

// A name in the folder of path that no entry of that folder has now, for a file waiting in the middle of a
// cycle; the same for the same folder contents, so that a test shows the name the run will use.
QString temporaryPathBeside(const QString& path, qsizetype entry, const FileSystem& fs);
