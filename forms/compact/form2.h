#pragma once

#include "forms/compact/watch_loop.h"
#include "platform/form.h"

#include <cstdint>

// The Fast Counter: "Hai copiato", the clipboard's count and "caratteri" in a small window
// that stays on screen in every working mode. Its load moves the cycle of working modes one
// step (main window, Mini Counter, Fast Counter alone); a left press on its margin is a
// switch, a right press saves its position and ends the program.
class Form2 final : public platform::Form, public CountDisplay {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form2)

public:
    Form2();
    ~Form2() override;

    // The hosts of the three working modes, in the order of the cycle.
    void setWindows(platform::Form* main, platform::Form* mini, platform::Form* background);

    // The watch loop's write; loads the window when it is not loaded.
    void showCount(int count) override;

    // Presses on the window's margin (the label behind the three captions).
    void Label2_MouseDown(Qt::MouseButton button);

    // The step the next load performs: 0 leads to main mode, 1 to Mini mode, any other value
    // to Fast mode.
    std::int16_t cycleStep() const { return CycleStep; }

protected:
    QWidget* createWindow() override;
    void Form_Load() override;
    void Form_Unload() override;

private:
    void stepCycle();

    std::int16_t CycleStep = 0;

    platform::Form* main_ = nullptr;
    platform::Form* mini_ = nullptr;
    platform::Form* background_ = nullptr;
};
