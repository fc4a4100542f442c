#pragma once

#include <QString>

#include <optional>

namespace platform {

// Chooses the windowing platform before the application object exists. Wayland offers no
// always-on-top and no background clipboard, so on a Wayland desktop that also runs
// XWayland the program asks for X11, unless the user chose a platform.
void preferX11OverWayland();

// Tells whether a display can be reached; the answer is a message for stderr when not.
// Qt itself would abort with a core dump when no display can be opened.
std::optional<QString> displayUnavailableReason();

} // namespace platform
