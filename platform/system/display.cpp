#include "platform/system/display.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {
namespace {

QString env(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

} // namespace

void preferX11OverWayland() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        return;
    }
    if (!env("WAYLAND_DISPLAY").isEmpty() && !env("DISPLAY").isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

std::optional<QString> displayUnavailableReason() {
    const QString chosen = env("QT_QPA_PLATFORM");
    const bool x11 = chosen.isEmpty() || chosen.startsWith(QLatin1String("xcb"));
    if (!x11) {
        return std::nullopt; // offscreen, wayland, ...: Qt reports its own errors
    }
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        if (chosen.isEmpty() && !env("WAYLAND_DISPLAY").isEmpty()) {
            return std::nullopt; // a Wayland session without XWayland
        }
        return QStringLiteral("no display: DISPLAY is not set, start the program from a "
                              "graphical session");
    }
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error != 0) {
        return QStringLiteral("cannot open display %1").arg(QString::fromLocal8Bit(display));
    }
    return std::nullopt;
}

} // namespace platform
