#include "execution/PlanOrder.h"

#include "execution/RenamePlan.h"
#include "platform/FileSystem.h"
#include "platform/PlaceKeys.h"

#include <cstdint>

std::vector<MoveStep> orderMoves(const std::vector<qsizetype>& waitsFor) {
    const auto count = static_cast<qsizetype>(waitsFor.size());
    enum class Mark : std::uint8_t { New, Waiting, Ordered };
    std::vector<Mark> marks(waitsFor.size(), Mark::New);
    std::vector<qsizetype> positionInPath(waitsFor.size(), -1);
    std::vector<MoveStep> steps;
    steps.reserve(waitsFor.size() + waitsFor.size() / 8);
    std::vector<qsizetype> path;
    auto ordered = [&](qsizetype i, MoveStep::Kind kind) {
        steps.push_back({i, kind});
        if (kind != MoveStep::Kind::ToTemporary)
            marks[static_cast<std::size_t>(i)] = Mark::Ordered;
    };
    for (qsizetype first = 0; first < count; ++first) {
        if (marks[static_cast<std::size_t>(first)] != Mark::New)
            continue;
        // Follows the moves each waits for until one waits for none, or for one already on the path.
        path.clear();
        for (qsizetype i = first;;) {
            marks[static_cast<std::size_t>(i)] = Mark::Waiting;
            positionInPath[static_cast<std::size_t>(i)] = static_cast<qsizetype>(path.size());
            path.push_back(i);
            const qsizetype next = waitsFor[static_cast<std::size_t>(i)];
            if (next < 0 || marks[static_cast<std::size_t>(next)] == Mark::Ordered)
                break;
            if (marks[static_cast<std::size_t>(next)] == Mark::Waiting) {
                // A cycle from `next` to the end of the path: its file steps aside, the others follow each
                // other back along the path, and it takes the place the first of them has left.
                const qsizetype start = positionInPath[static_cast<std::size_t>(next)];
                ordered(next, MoveStep::Kind::ToTemporary);
                for (auto k = static_cast<qsizetype>(path.size()) - 1; k > start; --k)
                    ordered(path[static_cast<std::size_t>(k)], MoveStep::Kind::Whole);
                ordered(next, MoveStep::Kind::FromTemporary);
                path.resize(static_cast<std::size_t>(start));
                break;
            }
            i = next;
        }
        // The rest of the path from its end: each move's place is free once the one after it has gone.
        for (auto k = static_cast<qsizetype>(path.size()) - 1; k >= 0; --k)
            ordered(path[static_cast<std::size_t>(k)], MoveStep::Kind::Whole);
    }
    return steps;
}

QString temporaryPathBeside(const QString& path, qsizetype entry, const FileSystem& fs) {
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    const QString stem = folder + QStringLiteral(".tokrenu-cycle-%1").arg(entry);
    QString candidate = stem;
    for (int n = 2; fs.status(candidate); ++n)
        candidate = stem + QLatin1Char('-') + QString::number(n);
    return candidate;
}

namespace {

// Whether the entry's file leaves its old name in the run, so that another file may take it.
bool movesAway(const RenameEntry& entry, FileOperation operation) {
    return operation == FileOperation::Move && entry.destPath != entry.sourcePath && !entry.nameTooLong;
}

} // namespace

PlanHolders::PlanHolders(const RenamePlan& plan, const FileSystem& fs, FileOperation operation) {
    const auto size = static_cast<std::size_t>(plan.upperBound()) + 1;
    m_sourceHolder.assign(size, 0);
    m_group.assign(size, 0);
    m_taken.assign(size, false);
    m_movedAway.assign(size, false);
    m_waitsFor.assign(size - 1, -1);
    // One table of places for all questions: whose source a place is, whose file moves away from it, and
    // which entry first goes there. Places, not path texts: "d/./a" and a link to d are where "d/a" is.
    // A place for each path of the plan, all touched new: entry numbers are kept in 32 bits, which they fit.
    struct Place {
        std::int32_t source = 0;
        std::int32_t mover = 0;
        std::int32_t firstDest = 0;
    };
    const auto moves = [&plan, operation](qsizetype i) {
        return movesAway(plan.entry(i), operation);
    };
    const auto n = static_cast<std::size_t>(plan.upperBound());
    PlaceNumbers places(fs, 2 * n);
    const std::vector<qsizetype> sources =
        places.number(n, [&plan](std::size_t k) -> const QString& { return plan.entries()[k].sourcePath; });
    const std::vector<qsizetype> dests =
        places.number(n, [&plan](std::size_t k) -> const QString& { return plan.entries()[k].destPath; });
    std::vector<Place> table(static_cast<std::size_t>(places.count()));
    for (qsizetype i = 1; i <= plan.upperBound(); ++i) {
        Place& place = table[static_cast<std::size_t>(sources[static_cast<std::size_t>(i - 1)])];
        place.source = static_cast<std::int32_t>(i);
        if (moves(i))
            place.mover = static_cast<std::int32_t>(i);
    }
    for (qsizetype i = 1; i <= plan.upperBound(); ++i) {
        Place& place = table[static_cast<std::size_t>(dests[static_cast<std::size_t>(i - 1)])];
        if (place.firstDest == 0)
            place.firstDest = static_cast<std::int32_t>(i);
        m_sourceHolder[static_cast<std::size_t>(i)] = place.source;
        m_group[static_cast<std::size_t>(i)] = place.firstDest;
        if (moves(i) && place.mover != 0 && place.mover != i)
            m_waitsFor[static_cast<std::size_t>(i - 1)] = place.mover - 1;
    }
}

std::vector<MoveStep> PlanHolders::steps() const {
    std::vector<MoveStep> steps = orderMoves(m_waitsFor);
    for (MoveStep& step : steps)
        ++step.move;
    return steps;
}

bool PlanHolders::holds(qsizetype i, FileOperation operation) const {
    const qsizetype other = m_sourceHolder[static_cast<std::size_t>(i)];
    if (other != 0 && other != i && (operation != FileOperation::Move || !m_movedAway[static_cast<std::size_t>(other)]))
        return true;
    return m_taken[static_cast<std::size_t>(m_group[static_cast<std::size_t>(i)])];
}

void PlanHolders::placed(qsizetype i, FileOperation operation) {
    m_taken[static_cast<std::size_t>(m_group[static_cast<std::size_t>(i)])] = true;
    if (operation == FileOperation::Move)
        m_movedAway[static_cast<std::size_t>(i)] = true;
}

RunOrder runOrder(const RenamePlan& plan, const FileSystem& fs, FileOperation operation) {
    PlanHolders holders(plan, fs, operation);
    std::vector<MoveStep> steps = holders.steps();
    return {std::move(holders), std::move(steps)};
}
