#pragma once

#include "platform/form.h"

#include <cstdint>

class WatchLoop;

namespace platform {
class TextBox;
} // namespace platform

// The Mini Counter: the two texts of the main window in two single-line boxes, the difference
// in characters in its caption and in the translation's colour, the counts of a box in its
// tool tip. It is the host of Mini mode and hands the texts back to the main window through
// the text file.
class Form3 final : public platform::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form3)

public:
    Form3();
    ~Form3() override;

    void setFastCounter(platform::Form* fastCounter) { fastCounter_ = fastCounter; }
    void setWatchLoop(WatchLoop* loop) { watchLoop_ = loop; }

    // The translation's length minus the original's at the last change of either box.
    std::int32_t lenDiff() const { return LenDiff; }

    void Text1_Change();
    void Text2_Change();
    void Text1_MouseMove();
    void Text2_MouseMove();

protected:
    QWidget* createWindow() override;
    void Form_Load() override;
    void Form_Unload() override;
    // Saves this window and the Fast Counter, then ends the program.
    void closeRequested() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyChangeRule();
    void startloop();
    platform::TextBox* box(const char* name) const;

    std::int32_t LenDiff = 0;

    platform::Form* fastCounter_ = nullptr;
    WatchLoop* watchLoop_ = nullptr;
};
