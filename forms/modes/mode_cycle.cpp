#include "forms/modes/mode_cycle.h"

#include "platform/widgets/managed_window.h"

ModeCycle::ModeCycle(platform::ManagedWindow& main, platform::ManagedWindow& mini,
                     platform::ManagedWindow& fast)
    : main_(main), mini_(mini), fast_(fast) {}

ModeCycle::Mode ModeCycle::after(Mode mode) {
    switch (mode) {
    case Mode::Main:
        return Mode::Mini;
    case Mode::Mini:
        return Mode::Fast;
    case Mode::Fast:
        break;
    }
    return Mode::Main;
}

platform::ManagedWindow& ModeCycle::hostOf(Mode mode) const {
    switch (mode) {
    case Mode::Main:
        return main_;
    case Mode::Mini:
        return mini_;
    case Mode::Fast:
        break;
    }
    return fast_;
}

void ModeCycle::step() {
    const Mode entering = next_;
    // The mode being left is the one before `entering`: two steps after it.
    hostOf(after(after(entering))).unload();
    hostOf(entering).load();
    next_ = after(entering);
}
