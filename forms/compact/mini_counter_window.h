#pragma once

#include "forms/box.h"
#include "platform/widgets/managed_window.h"

#include <cstdint>

namespace platform {
class TextBox;
} // namespace platform

namespace storage {
class StateFiles;
} // namespace storage

// The Mini Counter: the two texts of the main window in two single-line boxes, the difference
// in characters in its caption and in the translation's colour, the counts of a box in its
// tool tip. It is the host of Mini mode and hands the texts back to the main window through
// the text file.
class MiniCounterWindow final : public platform::ManagedWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MiniCounterWindow)

public:
    MiniCounterWindow(platform::ProgramRun& run, storage::StateFiles& files);
    ~MiniCounterWindow() override;

    // The translation's length minus the original's at the last change of either box; kept
    // from one load to the next.
    std::int32_t lengthDifference() const { return lengthDifference_; }

protected:
    platform::WindowShell* createWindow() override;
    void onLoad() override;
    void onUnload() override;

private:
    void showDifference();
    void showCountsToolTip(platform::TextBox* box);

    struct Controls {
        PerBox<platform::TextBox*> boxes;
    };

    storage::StateFiles& files_;
    Controls ui_;
    std::int32_t lengthDifference_ = 0;
};
