#pragma once

#include <functional>

class QWidget;

namespace platform {

// Runs `action` once `window` is on screen: after its first expose, when the event loop is
// back from painting it. A window that is hidden or on screen already runs it at once. A
// window the window manager never puts on screen runs it after at most a quarter of a second,
// and a window deleted first never runs it.
//
// A second window made on top of a first one waits so: its making talks to the display while
// the window manager is still placing the first, and the first window's picture waits for it.
void whenOnScreen(QWidget* window, std::function<void()> action);

} // namespace platform
