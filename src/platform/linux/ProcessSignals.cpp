#include "platform/linux/ProcessSignals.h"

#include <array>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

// What the handler reads: set and cleared by the one thread that works, read in the handler only.
volatile std::sig_atomic_t g_stopRequested = 0;
volatile std::sig_atomic_t g_temporaryWritten = 0;
char g_temporary[PATH_MAX + 1];

constexpr std::array<int, 3> kStopSignals = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[kStopSignals.size()];

void onStopSignal(int signal) {
    if (g_stopRequested == 0) {
        g_stopRequested = 1;
        return;
    }
    if (g_temporaryWritten != 0)
        unlink(g_temporary);
    // Ended by the signal, as the caller expects of a second one.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

} // namespace

void ignoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

StopSignals::StopSignals() {
    g_stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Calls in progress go on: the work looks at the request between two files.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kStopSignals.size(); ++i)
        sigaction(kStopSignals[i], &action, &g_previous[i]);
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < kStopSignals.size(); ++i)
        sigaction(kStopSignals[i], &g_previous[i], nullptr);
}

bool StopSignals::stopRequested() {
    return g_stopRequested != 0;
}

void TemporaryFiles::writing(const char* path) {
    g_temporaryWritten = 0;
    const std::size_t length = std::strlen(path);
    if (length >= sizeof g_temporary)
        return;
    std::memcpy(g_temporary, path, length + 1);
    g_temporaryWritten = 1;
}

void TemporaryFiles::done() {
    g_temporaryWritten = 0;
}
