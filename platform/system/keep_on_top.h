#pragma once

class QWidget;

namespace platform {

// Marks a window to stay above all others. Set once, before the window is first shown:
// changing window flags later re-creates the native window.
void markStaysOnTop(QWidget* window);

// Called on every pass of the watch loop: puts the window above all windows that are not
// themselves kept on top, at the place and size it has. A window that carries the
// stays-on-top hint is kept there by the window manager, so this costs nothing then.
void keepAbove(QWidget* window);

} // namespace platform
