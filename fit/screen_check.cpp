#include "fit/screen_check.h"

#include "fit/fit_io.h"

#include <cstdio>
#include <string_view>

namespace fit {

ScreenVerdict screenVerdict(const screen::ScreenMeasure& screen, const QString& text) {
    const screen::TextMeasure measure = screen.measure(viewOf(text));
    ScreenVerdict verdict;
    verdict.widest = measure.widest();
    verdict.lines = measure.fullest();
    verdict.lineOver = !screen.lineFits(verdict.widest);
    verdict.boxOver = !screen.boxFits(verdict.lines);
    return verdict;
}

QByteArray screenRow(const ScreenVerdict& verdict, const screen::WidthFile& widths) {
    if (verdict.fits()) {
        return {};
    }
    char buffer[96];
    QByteArray row = "        ";
    if (verdict.lineOver) {
        std::snprintf(buffer, sizeof buffer, "px %llu/%u",
                      static_cast<unsigned long long>(verdict.widest), widths.line.value_or(0));
        row += buffer;
    }
    if (verdict.boxOver) {
        std::snprintf(buffer, sizeof buffer, "%slines %zu/%u", verdict.lineOver ? ", " : "",
                      verdict.lines, widths.lines.value_or(0));
        row += buffer;
    }
    return row + '\n';
}

QByteArray screenJson(const ScreenVerdict& verdict) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "\"widest\": %llu, \"lines\": %zu, \"on_screen\": %s",
                  static_cast<unsigned long long>(verdict.widest), verdict.lines,
                  verdict.fits() ? "true" : "false");
    return buffer;
}

QByteArray widthFileWarnings(const QString& path, const screen::WidthFile& widths) {
    QString out;
    if (widths.skippedLines > 0) {
        out += QStringLiteral("tavrel-fit: %1: %2 lines not understood and skipped (first: line "
                              "%3)\n")
                   .arg(path)
                   .arg(widths.skippedLines)
                   .arg(widths.firstSkippedLine.value_or(0));
    }
    if (widths.unknownKeys > 0) {
        out += QStringLiteral("tavrel-fit: %1: %2 unknown @ keys ignored (first: line %3)\n")
                   .arg(path)
                   .arg(widths.unknownKeys)
                   .arg(widths.firstUnknownKeyLine.value_or(0));
    }
    return out.toUtf8();
}

} // namespace fit
