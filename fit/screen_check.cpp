#include "fit/screen_check.h"

#include "fit/fit_io.h"
#include "storage/text_encoding.h"

#include <cstdio>
#include <string_view>
#include <utility>

namespace fit {

ScreenFigures screenFigures(const screen::ScreenMeasure& screen, const QString& text) {
    const screen::TextMeasure measure = screen.measure(storage::utf16View(text));
    return ScreenFigures{measure.widest(), measure.fullest()};
}

void judgeScreen(ScreenVerdict& verdict, const screen::ScreenMeasure& screen) {
    verdict.lineOver = !screen.lineFits(verdict.translation.widest);
    verdict.boxOver = !screen.boxFits(verdict.translation.lines);
}

QByteArray screenRow(const ScreenVerdict& verdict, const screen::WidthFile& widths) {
    if (verdict.fits()) {
        return {};
    }
    char buffer[96];
    QByteArray row = "        ";
    if (verdict.lineOver) {
        std::snprintf(buffer, sizeof buffer, "px %llu/%u",
                      static_cast<unsigned long long>(verdict.translation.widest),
                      widths.line.value_or(0));
        row += buffer;
    }
    if (verdict.boxOver) {
        std::snprintf(buffer, sizeof buffer, "%slines %zu/%u", verdict.lineOver ? ", " : "",
                      verdict.translation.lines, widths.lines.value_or(0));
        row += buffer;
    }
    return row + '\n';
}

QByteArray screenJson(const ScreenVerdict& verdict) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer,
                  "\"screen\": {\"original\": {\"widest\": %llu, \"lines\": %zu}, "
                  "\"translation\": {\"widest\": %llu, \"lines\": %zu}, \"fits\": %s}",
                  static_cast<unsigned long long>(verdict.original.widest), verdict.original.lines,
                  static_cast<unsigned long long>(verdict.translation.widest),
                  verdict.translation.lines, verdict.fits() ? "true" : "false");
    return buffer;
}

std::optional<screen::WidthFile> loadWidthFile(const QString& path, QString& error,
                                               QByteArray& warnings) {
    const auto bytes = readFile(path, error);
    if (!bytes) {
        return std::nullopt;
    }
    screen::WidthFileRead read = screen::WidthFile::read(
        std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
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
