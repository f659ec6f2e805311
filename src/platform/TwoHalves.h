#pragma once

#include <cstddef>
#include <future>

// From this many items on, work is worth splitting in two halves done at once.
constexpr std::size_t kTwoHalvesFrom = 4096;

// Runs work(from, to) over the indexes 0 to count: a long range in two halves at once, the second on a thread of
// its own, a short one whole on the calling thread, where a thread would cost more than it saves. The two halves
// must not write the same data.
template <typename Work> void inTwoHalves(std::size_t count, Work&& work) {
    if (count < kTwoHalvesFrom) {
        work(std::size_t{0}, count);
        return;
    }
    const std::size_t half = count / 2;
    std::future<void> second = std::async(std::launch::async, [&work, half, count] { work(half, count); });
    work(std::size_t{0}, half);
    second.get();
}
