#include "fit/screen_check.h"

#include "fit/fit_io.h"
#include "storage/char_sets.h"

#include <string_view>
#include <utility>

namespace fit {

std::optional<screen::WidthFile> loadWidthFile(const QString& path, QString& error,
                                               QByteArray& warnings) {
    const auto file = readFile(path, error);
    if (!file) {
        return std::nullopt;
    }
    const QByteArray bytes = storage::utf8Text(*file);
    screen::WidthFileRead read = screen::WidthFile::read(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (read.error) {
        error = path + QStringLiteral(": ") + QString::fromStdString(read.error->message());
        return std::nullopt;
    }
    const screen::WidthFile& widths = read.file;
    warnings += warningLine(path, "lines not understood and skipped", widths.skippedLines,
                            widths.firstSkippedLine.value_or(0));
    warnings += warningLine(path, "unknown @ keys ignored", widths.unknownKeys,
                            widths.firstUnknownKeyLine.value_or(0));
    return std::move(read.file);
}

} // namespace fit
