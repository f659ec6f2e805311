#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

// The moves of a run or an undo made on a thread of their own, ahead of the thread that reports them: while the
// file system renames one file, the log, the list and the journal take in the files before it.
//
// Step k's move is move(k, ahead). On the moving thread (ahead true) a move may give back nothing: it needs the
// calling thread (a question, a journal record first, a file system that is not simple). The moving thread then
// waits while the calling thread makes that move itself (ahead false, never nothing) and reports it. report(k, made)
// sees every step whose move was made, in order, on the calling thread; false starts no further move, and the
// moves made meanwhile are still reported. Without `onThread` each move is made on the calling thread just before
// its report.
//
// What the two sides share: move() may change what only moves read; report() must not, and move() must not read
// what report() changes, except what a move made on the calling thread leaves for the later ones.
// Fewer moves than this are made on the calling thread alone: a thread would cost more than it saves.
constexpr std::size_t kMovesAheadFrom = 64;

template <typename Made> class MovesAhead final {
public:
    MovesAhead(const MovesAhead&) = delete;
    MovesAhead& operator=(const MovesAhead&) = delete;

    using Move = std::function<std::optional<Made>(qsizetype step, bool ahead)>;
    using Report = std::function<bool(qsizetype step, Made& made)>;

    static void run(qsizetype count, bool onThread, const Move& move, const Report& report) {
        if (!onThread) {
            for (qsizetype k = 0; k < count; ++k) {
                std::optional<Made> made = move(k, false);
                if (!report(k, *made))
                    return;
            }
            return;
        }
        MovesAhead ahead(count, move);
        ahead.reportAll(report);
    }

private:
    // How far the moving thread may run ahead (a stop asked for takes effect within as many files), and how many
    // moves the reporting thread waits for before it wakes, so that neither thread sleeps and wakes for each file.
    static constexpr std::size_t kLead = 1024;
    static constexpr std::size_t kBatch = 128;

    MovesAhead(qsizetype count, const Move& move)
        : m_count(count)
        , m_move(move)
        , m_thread([this] { moveAll(); }) {}

    ~MovesAhead() {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_room.notify_one();
        m_thread.join();
    }

    void moveAll() {
        for (qsizetype k = 0; k < m_count; ++k) {
            {
                std::unique_lock lock(m_mutex);
                m_moverWaits = true;
                m_room.wait(lock, [this] { return m_stop || m_made.size() < kLead; });
                m_moverWaits = false;
                if (m_stop)
                    break;
            }
            std::optional<Made> made = m_move(k, true);
            const bool handedOver = !made;
            std::unique_lock lock(m_mutex);
            m_made.push_back(std::move(made));
            if (!handedOver) {
                if (m_reporterWaits && m_made.size() >= kBatch)
                    m_ready.notify_one();
                continue;
            }
            m_moverWaits = true;
            if (m_reporterWaits)
                m_ready.notify_one();
            m_room.wait(lock, [this] { return m_stop || m_resumed; });
            m_resumed = false;
            m_moverWaits = false;
            if (m_stop)
                break;
        }
        const std::lock_guard lock(m_mutex);
        m_moverDone = true;
        m_ready.notify_one();
    }

    void reportAll(const Report& report) {
        std::deque<std::optional<Made>> taken;
        bool stopping = false;
        for (qsizetype k = 0;; ++k) {
            if (taken.empty() && !takeMade(taken))
                return;
            std::optional<Made> made = std::move(taken.front());
            taken.pop_front();
            if (made) {
                if (!report(k, *made) && !stopping) {
                    stopping = true;
                    stopMoving(false);
                }
                continue;
            }
            // Handed over: the moving thread waits for this move, the last one it made.
            if (!stopping) {
                made = m_move(k, false);
                stopping = !report(k, *made);
            }
            stopMoving(!stopping);
        }
    }

    // Waits for the moves made since the last call; false when there are none and will be none.
    bool takeMade(std::deque<std::optional<Made>>& taken) {
        std::unique_lock lock(m_mutex);
        m_reporterWaits = true;
        m_ready.wait(lock,
                     [this] { return m_moverDone || m_made.size() >= kBatch || (m_moverWaits && !m_made.empty()); });
        m_reporterWaits = false;
        taken.swap(m_made);
        if (m_moverWaits)
            m_room.notify_one();
        return !taken.empty();
    }

    // Lets a waiting moving thread go on, or stops it.
    void stopMoving(bool goOn) {
        {
            const std::lock_guard lock(m_mutex);
            if (goOn)
                m_resumed = true;
            else
                m_stop = true;
        }
        m_room.notify_one();
    }

    const qsizetype m_count;
    const Move& m_move;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<std::optional<Made>> m_made;
    bool m_stop = false;
    bool m_resumed = false;
    bool m_moverDone = false;
    bool m_moverWaits = false;
    bool m_reporterWaits = false;
    // Last, so that it starts once everything above is there.
    std::thread m_thread;
};
