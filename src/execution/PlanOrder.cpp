#include "execution/PlanOrder.h"

#include "platform/FileSystem.h"

#include <QHash>

std::vector<MoveStep> orderMoves(const std::vector<PlannedMove>& moves) {
    const auto count = static_cast<qsizetype>(moves.size());
    // Which move's file stands at a place now.
    QHash<PlaceKey, qsizetype> fileAt;
    fileAt.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        if (moves[static_cast<std::size_t>(i)].moves)
            fileAt.insert(moves[static_cast<std::size_t>(i)].from, i);
    }
    // The move that must go first: the one whose file stands where this one goes.
    std::vector<qsizetype> waitsFor(moves.size(), -1);
    for (qsizetype i = 0; i < count; ++i) {
        const PlannedMove& move = moves[static_cast<std::size_t>(i)];
        if (!move.moves)
            continue;
        const qsizetype other = fileAt.value(move.to, -1);
        waitsFor[static_cast<std::size_t>(i)] = other == i ? -1 : other;
    }
    return orderMoves(waitsFor);
}

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
