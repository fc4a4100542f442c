#include "fit/screen_check.h"

#include "fit/fit_io.h"
#include <string_view>

namespace fit {

std::optional<screen::WidthFile> loadWidthFile(const QString& path, QString& error,
                                               QByteArray& warnings) {
    const auto bytes = readFile(path, error);
    if (!bytes) {
        return std::nullopt;
    }
    auto widths = screen::WidthFile::read(
        std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    warnings += warningLine(path, "lines not understood and skipped", widths.skippedLines,
                            widths.firstSkippedLine.value_or(0));
    warnings += warningLine(path, "unknown @ keys ignored", widths.unknownKeys,
                            widths.firstUnknownKeyLine.value_or(0));
    return widths;
}

} // namespace fit
