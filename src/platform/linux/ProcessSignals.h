#pragma once

// A write to a closed pipe fails with EPIPE instead of ending the process, so that the error is reported.
void ignoreBrokenPipe();

// While one lives, SIGINT, SIGTERM and SIGHUP ask the work to stop after the file in hand; a second signal
// ends the process at once, after removing the half-written copy there may be (see TemporaryFiles).
class StopSignals final {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    StopSignals(StopSignals&&) = delete;
    StopSignals& operator=(StopSignals&&) = delete;

    [[nodiscard]] static bool stopRequested();
};

// The temporary file a copy is writing, for the signal handler to remove when the process must end at once.
// Only one is written at a time.
namespace TemporaryFiles {
void writing(const char* path);
void done();
} // namespace TemporaryFiles
