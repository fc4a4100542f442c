#pragma once

namespace platform {
class ManagedWindow;
} // namespace platform

// The cycle of working modes: main window, Mini Counter, Fast Counter alone, and round again.
// Each mode has its host window; a step unloads the host of the mode being left and loads the
// host of the next one, whose load shows it and starts its Fast Counter and watch loop.
class ModeCycle final {
public:
    enum class Mode { Main, Mini, Fast };

    ModeCycle(platform::ManagedWindow& main, platform::ManagedWindow& mini,
              platform::ManagedWindow& fast);
    ModeCycle(const ModeCycle&) = delete;
    ModeCycle& operator=(const ModeCycle&) = delete;

    // One step to the mode `nextMode()` names. The mode after it is taken only once the new
    // host's load has returned, so a load that steps again inside (at start-up the main window's
    // first Fast Counter does) finds the cycle where it was.
    void step();

    // The mode the next step leads to; kept across every switch.
    Mode nextMode() const { return next_; }

    // The mode after `mode` in the cycle.
    static Mode after(Mode mode);

private:
    platform::ManagedWindow& hostOf(Mode mode) const;

    platform::ManagedWindow& main_;
    platform::ManagedWindow& mini_;
    platform::ManagedWindow& fast_;
    Mode next_ = Mode::Main;
};
