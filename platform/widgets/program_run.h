#pragma once

#include <functional>

namespace platform {

// The run of the program and its end: every window goes at once, no unload handler runs
// afterwards and no further pass of the watch loop runs. The event loop is left with exit(0),
// not quit(), because quit() would first close every window and a close runs an unload.
class ProgramRun final {
public:
    // `leaveEventLoop` is the last step of the end; without one, QCoreApplication::exit(0).
    // Tests pass their own, so that the end is recorded instead of leaving the test.
    explicit ProgramRun(std::function<void()> leaveEventLoop = {});
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Hides every top-level window and leaves the event loop; a second call does nothing.
    void end();
    bool hasEnded() const { return ended_; }

private:
    std::function<void()> leaveEventLoop_;
    bool ended_ = false;
};

} // namespace platform
